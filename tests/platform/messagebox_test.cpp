// Message boxes: the classic dialogs' captions, buttons and icons, scripted answers, and the log
// that end-to-end checks read.
#include "platform/application.h"
#include "platform/messagebox.h"
#include "platform/testseams.h"

#include "tests/support/tempdir.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

struct DlgCase {
    TMsgDlgType type;
    TMsgDlgButtons buttons;
    const char* caption;
    TMsgDlgBtn defaultButton;
};

TEST(MessageBoxes, MessageDlgCaptionsAndDefaults) {
    TTestMessageBoxes boxes;
    Application->SetTitle("Ravelda");
    const DlgCase cases[] = {
        {mtInformation, {mbOK}, "Information", mbOK},
        {mtConfirmation, {mbOK, mbCancel}, "Confirm", mbOK},
        {mtConfirmation, {mbYes, mbNo}, "Confirm", mbYes},
        {mtWarning, {mbOK}, "Warning", mbOK},
        {mtError, {mbOK}, "Error", mbOK},
        {mtCustom, {mbOK}, "Ravelda", mbOK},
    };
    for (const DlgCase& c : cases) {
        SCOPED_TRACE(c.caption);
        MessageDlg("Delete record?", c.type, c.buttons);
        const TMessageBoxRequest& r = boxes.Last();
        EXPECT_EQ(r.Caption, c.caption);
        EXPECT_EQ(r.Type, c.type);
        EXPECT_EQ(r.Buttons, c.buttons);
        EXPECT_EQ(r.DefaultButton, c.defaultButton);
    }
    Application->SetTitle(QString());
}

TEST(MessageBoxes, ShowMessageHasTheTitleNoIconAndOk) {
    TTestMessageBoxes boxes;
    Application->SetTitle("Ravelda");
    ShowMessage("Aggiornamento Effettuato");
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "Aggiornamento Effettuato");
    EXPECT_EQ(boxes.Last().Caption, "Ravelda");
    EXPECT_EQ(boxes.Last().Type, mtCustom);
    EXPECT_EQ(ButtonsText(boxes.Last().Buttons), "OK");
    Application->SetTitle(QString());
}

TEST(MessageBoxes, ScriptedAnswersInOrderThenDefaults) {
    TTestMessageBoxes boxes;
    boxes.Answer(mrNo);
    boxes.Answer(mrCancel);
    int seen = 0;
    boxes.OnShow = [&](const TMessageBoxRequest&) { ++seen; };
    EXPECT_EQ(MessageDlg("a", mtConfirmation, {mbYes, mbNo}), mrNo);
    EXPECT_EQ(MessageDlg("b", mtConfirmation, {mbOK, mbCancel}), mrCancel);
    EXPECT_EQ(MessageDlg("c", mtConfirmation, {mbYes, mbNo}), mrYes);
    EXPECT_EQ(seen, 3);
    {
        TTestMessageBoxes inner; // nests and puts the outer one back
        ShowMessage("inner");
        EXPECT_EQ(inner.Count(), 1);
    }
    ShowMessage("outer");
    EXPECT_EQ(boxes.Count(), 4);
}

TEST(MessageBoxes, FlagsBecomeRequests) {
    struct FlagCase {
        int flags;
        TMsgDlgButtons buttons;
        TMsgDlgType type;
        TMsgDlgBtn def;
    };
    const FlagCase cases[] = {
        {MB_OK, {mbOK}, mtCustom, mbOK},
        {MB_OKCANCEL | MB_ICONWARNING, {mbOK, mbCancel}, mtWarning, mbOK},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, {mbYes, mbNo, mbCancel}, mtCustom, mbCancel},
        {MB_ABORTRETRYIGNORE | MB_ICONERROR | MB_DEFBUTTON2,
         {mbAbort, mbRetry, mbIgnore},
         mtError,
         mbRetry},
        {MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON3, {mbYes, mbNo}, mtInformation, mbYes},
    };
    for (const FlagCase& c : cases) {
        SCOPED_TRACE(c.flags);
        TMessageBoxRequest r = RequestFromFlags("t", "c", c.flags);
        EXPECT_EQ(r.Buttons, c.buttons);
        EXPECT_EQ(r.Type, c.type);
        EXPECT_EQ(r.DefaultButton, c.def);
    }
    EXPECT_TRUE(RequestFromFlags("t", "c", MB_TASKMODAL).TaskModal);
}

TEST(MessageBoxes, TheRealServiceLogsInsteadOfShowingWhenAsked) {
    ravelda::test::TempDir dir;
    QString log = QString::fromStdString((dir.path() / "boxes.log").string());
    qputenv("RAVELDA_MESSAGEBOX_LOG", log.toLocal8Bit());
    auto previous = SetMessageBoxService(nullptr); // the real one
    TMessageBoxRequest r;
    r.Text = "Line one\nline two";
    r.Caption = "Application Error";
    r.Type = mtError;
    r.Buttons = {mbYes, mbNo};
    r.DefaultButton = mbNo;
    r.TaskModal = true;
    TModalResult answer = ShowMessageBox(r);
    SetMessageBoxService(std::move(previous));
    qunsetenv("RAVELDA_MESSAGEBOX_LOG");

    EXPECT_EQ(answer, mrNo);
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QJsonObject o = QJsonDocument::fromJson(f.readLine()).object();
    EXPECT_EQ(o["caption"].toString(), "Application Error");
    EXPECT_EQ(o["text"].toString(), "Line one\nline two");
    EXPECT_EQ(o["buttons"].toString(), "Yes,No");
    EXPECT_EQ(o["icon"].toString(), "Error");
    EXPECT_TRUE(o["taskModal"].toBool());
}

} // namespace
