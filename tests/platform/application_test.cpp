// The application shell: the texts of the exception display, the "." rule, errors escaping event
// handlers (shown, and the loop goes on), EAbort silent, and the main form.
#include "platform/application.h"
#include "platform/events.h"
#include "platform/exceptdisplay.h"
#include "platform/exceptions.h"
#include "platform/messagebox.h"
#include "platform/testseams.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

struct DotCase {
    const char* message;
    const char* shown;
};

TEST(ExceptionDisplay, EventErrorAddsADotAfterCharactersSortingAfterIt) {
    const DotCase cases[] = {
        {"Field 'Anno' not found", "Field 'Anno' not found."},
        {"Already done.", "Already done."},
        {"Key violation!", "Key violation!"}, // '!' sorts before '.'
        {"Value (0)", "Value (0)"},           // ')' too
        {"Too big,", "Too big,"},             // ',' too
        {"Count 12", "Count 12."},            // digits sort after '.'
        {"Path /", "Path /."},                // '/' is the first after '.'
        {"Trailing space ", "Trailing space "},
        {"Invalid characters. Field : Anno", "Invalid characters. Field : Anno."},
        {"Già fatto", "Già fatto."},
        {"", ""},
    };
    for (const DotCase& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(EventErrorText(QString::fromUtf8(c.message)), QString::fromUtf8(c.shown));
    }
}

TEST(ExceptionDisplay, StartupErrorText) {
    const void* address = reinterpret_cast<const void*>(0x1234ABCD);
    EXPECT_EQ(
        StartupErrorText("EDatabaseError", "ravelda", address, "Field 'Anno' not found"),
        "Exception EDatabaseError in module ravelda at 000000001234ABCD.\nField 'Anno' not found.");
    // A closing "." only when the message does not end with one; "!" still gets one.
    EXPECT_EQ(StartupErrorText("EAbort", "x", nullptr, "Done."),
              "Exception EAbort in module x at 0000000000000000.\nDone.");
    EXPECT_EQ(StartupErrorText("E", "x", nullptr, "No!"),
              "Exception E in module x at 0000000000000000.\nNo!.");
}

TEST(ExceptionDisplay, DescribesEveryKindOfException) {
    auto describe = [](auto thrower) {
        try {
            thrower();
        } catch (...) {
            return DescribeException(std::current_exception());
        }
        return TExceptionInfo{};
    };
    TExceptionInfo db = describe([] { throw EDatabaseError("x"); });
    EXPECT_EQ(db.ClassName, "EDatabaseError");
    EXPECT_FALSE(db.IsAbort);
    TExceptionInfo grid = describe(
        [] { throw EInvalidGridOperation("Grid requested to display more than 256 columns"); });
    EXPECT_EQ(grid.ClassName, "EInvalidGridOperation");
    TExceptionInfo abort = describe([] { Abort(); });
    EXPECT_TRUE(abort.IsAbort);
    EXPECT_EQ(abort.Message, "Operation aborted");
    TExceptionInfo std = describe([] { throw std::runtime_error("boom"); });
    EXPECT_EQ(std.ClassName, "std::runtime_error");
    EXPECT_EQ(std.Message, "boom");
    TExceptionInfo other = describe([] { throw 42; });
    EXPECT_EQ(other.ClassName, "Exception");
    EXPECT_EQ(other.Message, "Unknown exception");
}

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Application, nullptr);
        Application->SetTitle("Ravelda");
    }
    void TearDown() override {
        Application->SetTitle(QString());
        Application->OnException = nullptr;
    }
    TTestMessageBoxes boxes;
};

TEST_F(ApplicationTest, TitleDefaultsToTheExecutableName) {
    Application->SetTitle(QString());
    EXPECT_EQ(Application->Title(), "platform_application");
}

TEST_F(ApplicationTest, HandleExceptionShowsAnErrorBox) {
    try {
        throw EDatabaseError("Key violation");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    ASSERT_EQ(boxes.Count(), 1);
    const TMessageBoxRequest& box = boxes.Last();
    EXPECT_EQ(box.Caption, "Ravelda");
    EXPECT_EQ(box.Text, "Key violation.");
    EXPECT_EQ(box.Type, mtError);
    EXPECT_EQ(box.Buttons, TMsgDlgButtons{mbOK});
    EXPECT_FALSE(box.TaskModal);
}

TEST_F(ApplicationTest, AbortIsSilentAndOnExceptionReplacesTheBox) {
    EXPECT_TRUE(!GuardedCall(nullptr, [] { Abort(); }));
    EXPECT_EQ(boxes.Count(), 0);
    QString seen;
    Application->OnException = [&](TObject*, std::exception_ptr e) {
        seen = DescribeException(e).Message;
    };
    GuardedCall(nullptr, [] { throw EConvertError("'x' is not a valid integer value"); });
    EXPECT_EQ(seen, "'x' is not a valid integer value");
    EXPECT_EQ(boxes.Count(), 0);
}

// A widget whose click handler raises; like the controls, it calls its handler where Qt calls in,
// through GuardedCall, so that no exception crosses Qt.
class RaisingWidget : public QWidget {
public:
    int clicks = 0;
    TNotifyEvent OnClick;

protected:
    void mousePressEvent(QMouseEvent*) override {
        ++clicks;
        GuardedCall(nullptr, [&] { Fire(OnClick, nullptr); });
    }
};

TEST_F(ApplicationTest, AnErrorEscapingAClickIsShownAndTheLoopGoesOn) {
    RaisingWidget w;
    w.OnClick = [&](TObject*) {
        if (w.clicks == 1) throw EDatabaseError("Field 'Anno' not found");
    };
    w.resize(50, 20);
    w.show();
    auto click = [&] {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), w.mapToGlobal(QPointF(5, 5)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &press);
    };
    click();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Caption, "Ravelda");
    EXPECT_EQ(boxes.Last().Text, "Field 'Anno' not found.");
    EXPECT_EQ(boxes.Last().Type, mtError);
    click(); // the next event is delivered as usual
    EXPECT_EQ(w.clicks, 2);
    EXPECT_EQ(boxes.Count(), 1);
}

// The application's notify is the last line: whatever still escapes an event is shown there.
class RaisingObject : public QObject {
public:
    int events = 0;
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User) return QObject::event(e);
        if (++events == 1) throw EInvalidOperation("Error, DataSource not assigned");
        return true;
    }
};

TEST_F(ApplicationTest, NotifyCatchesWhatEscapesAnEvent) {
    RaisingObject o;
    QEvent e(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&o, &e));
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "Error, DataSource not assigned.");
    EXPECT_TRUE(QCoreApplication::sendEvent(&o, &e));
    EXPECT_EQ(o.events, 2);
}

TEST_F(ApplicationTest, ErrorsInQueuedCallsAreShownToo) {
    bool after = false;
    QTimer::singleShot(0, [] { throw EInvalidOperation("Index of Buttons[] out of range"); });
    QTimer::singleShot(0, [&] { after = true; });
    Application->ProcessMessages();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "Index of Buttons[] out of range.");
    EXPECT_TRUE(after);
}

TEST_F(ApplicationTest, MessageBoxFlags) {
    boxes.Answer(mrNo);
    EXPECT_EQ(Application->MessageBox("Delete record?", "Confirm", MB_YESNO | MB_ICONQUESTION),
              IDNO);
    const TMessageBoxRequest& box = boxes.Last();
    EXPECT_EQ(box.Buttons, (TMsgDlgButtons{mbYes, mbNo}));
    EXPECT_EQ(box.Type, mtConfirmation);
    EXPECT_EQ(box.DefaultButton, mbYes);
    EXPECT_EQ(Application->MessageBox("x", "c", MB_OKCANCEL | MB_DEFBUTTON2),
              IDCANCEL); // default answer
}

TEST(ApplicationRun, RunWithoutMainFormReturnsAndTerminateEndsTheLoop) {
    Application->Run(); // no main form: nothing to show, returns at once
    TApplication app(nullptr);
    int shown = 0;
    auto* fakeForm = reinterpret_cast<TForm*>(&shown); // only compared, never used
    app.FormCreated(fakeForm, [&] {
        ++shown;
        QTimer::singleShot(0, [&] { app.Terminate(); });
    });
    app.FormCreated(reinterpret_cast<TForm*>(&app),
                    [] { FAIL() << "only the first form is the main form"; });
    EXPECT_EQ(app.MainForm(), fakeForm);
    app.Run();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(app.Terminated());
    app.FormDestroyed(fakeForm);
    EXPECT_EQ(app.MainForm(), nullptr);
}

} // namespace
