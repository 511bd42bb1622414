#include "platform/messagebox.h"

#include "platform/application.h"

#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <cstdlib>

namespace {
struct ButtonName {
    TMsgDlgBtn Button;
    const char* Name;
    TModalResult Result;
    QMessageBox::StandardButton Qt;
};
const ButtonName kButtons[] = {
    {mbYes, "Yes", mrYes, QMessageBox::Yes},
    {mbNo, "No", mrNo, QMessageBox::No},
    {mbOK, "OK", mrOk, QMessageBox::Ok},
    {mbCancel, "Cancel", mrCancel, QMessageBox::Cancel},
    {mbAbort, "Abort", mrAbort, QMessageBox::Abort},
    {mbRetry, "Retry", mrRetry, QMessageBox::Retry},
    {mbIgnore, "Ignore", mrIgnore, QMessageBox::Ignore},
    {mbAll, "All", mrAll, QMessageBox::SaveAll},
    {mbNoToAll, "NoToAll", mrNoToAll, QMessageBox::NoToAll},
    {mbYesToAll, "YesToAll", mrYesToAll, QMessageBox::YesToAll},
    {mbHelp, "Help", mrNone, QMessageBox::Help},
};

TModalResult ResultOf(TMsgDlgBtn b) {
    for (const auto& n : kButtons)
        if (n.Button == b) return n.Result;
    return mrNone;
}

TModalResult DefaultAnswer(const TMessageBoxRequest& r) {
    if (r.Buttons.Contains(r.DefaultButton)) return ResultOf(r.DefaultButton);
    for (const auto& n : kButtons)
        if (r.Buttons.Contains(n.Button)) return n.Result;
    return mrOk;
}

// Writes every box to the log file named by RAVELDA_MESSAGEBOX_LOG and answers from
// RAVELDA_MESSAGEBOX_ANSWERS ("Yes,No,...") in order, else with the default button.
TModalResult LogBox(const QString& path, const TMessageBoxRequest& r) {
    QJsonObject o;
    o[QStringLiteral("caption")] = r.Caption;
    o[QStringLiteral("text")] = r.Text;
    o[QStringLiteral("buttons")] = ButtonsText(r.Buttons);
    o[QStringLiteral("icon")] = DlgTypeText(r.Type);
    o[QStringLiteral("taskModal")] = r.TaskModal;
    QFile f(path);
    if (f.open(QIODevice::Append | QIODevice::WriteOnly)) {
        f.write(QJsonDocument(o).toJson(QJsonDocument::Compact));
        f.write("\n");
    }
    static int answered = 0;
    QStringList answers = QString::fromLocal8Bit(qgetenv("RAVELDA_MESSAGEBOX_ANSWERS"))
                              .split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (answered < answers.size()) {
        QString a = answers[answered++].trimmed();
        for (const auto& n : kButtons)
            if (a.compare(QLatin1String(n.Name), Qt::CaseInsensitive) == 0) return n.Result;
    }
    return DefaultAnswer(r);
}

class RealMessageBoxes : public IMessageBoxService {
public:
    TModalResult Show(const TMessageBoxRequest& r) override {
        QByteArray log = qgetenv("RAVELDA_MESSAGEBOX_LOG");
        if (!log.isEmpty()) return LogBox(QString::fromLocal8Bit(log), r);
        if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return DefaultAnswer(r);

        QMessageBox box;
        box.setWindowTitle(r.Caption);
        box.setText(r.Text);
        switch (r.Type) {
        case mtWarning:
            box.setIcon(QMessageBox::Warning);
            break;
        case mtError:
            box.setIcon(QMessageBox::Critical);
            break;
        case mtInformation:
            box.setIcon(QMessageBox::Information);
            break;
        case mtConfirmation:
            box.setIcon(QMessageBox::Question);
            break;
        case mtCustom:
            box.setIcon(QMessageBox::NoIcon);
            break;
        }
        QMessageBox::StandardButtons buttons;
        for (const auto& n : kButtons)
            if (r.Buttons.Contains(n.Button)) buttons |= n.Qt;
        if (!buttons) buttons = QMessageBox::Ok;
        box.setStandardButtons(buttons);
        for (const auto& n : kButtons)
            if (n.Button == r.DefaultButton && r.Buttons.Contains(n.Button))
                box.setDefaultButton(n.Qt);
        box.setWindowModality(Qt::ApplicationModal);
        box.adjustSize();
        if (QScreen* s = QGuiApplication::primaryScreen()) {
            QRect g = s->availableGeometry();
            box.move(g.center() - QPoint(box.width() / 2, box.height() / 2));
        }
        int pressed = box.exec();
        for (const auto& n : kButtons)
            if (n.Qt == pressed && r.Buttons.Contains(n.Button)) return n.Result;
        return r.Buttons.Contains(mbCancel) ? mrCancel : DefaultAnswer(r);
    }
};

std::unique_ptr<IMessageBoxService>& Slot() {
    static std::unique_ptr<IMessageBoxService> s = std::make_unique<RealMessageBoxes>();
    return s;
}
} // namespace

std::unique_ptr<IMessageBoxService> SetMessageBoxService(std::unique_ptr<IMessageBoxService> s) {
    if (!s) s = std::make_unique<RealMessageBoxes>();
    std::swap(s, Slot());
    return s;
}

IMessageBoxService& MessageBoxService() {
    return *Slot();
}

TModalResult ShowMessageBox(const TMessageBoxRequest& Request) {
    return MessageBoxService().Show(Request);
}

QString DlgTypeText(TMsgDlgType Type) {
    switch (Type) {
    case mtWarning:
        return QStringLiteral("Warning");
    case mtError:
        return QStringLiteral("Error");
    case mtInformation:
        return QStringLiteral("Information");
    case mtConfirmation:
        return QStringLiteral("Confirm");
    case mtCustom:
        break;
    }
    return QString();
}

QString ButtonsText(TMsgDlgButtons Buttons) {
    QStringList names;
    for (const auto& n : kButtons)
        if (Buttons.Contains(n.Button)) names << QLatin1String(n.Name);
    return names.join(QLatin1Char(','));
}

TModalResult MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons) {
    TMessageBoxRequest r;
    r.Text = Msg;
    r.Type = DlgType;
    r.Caption = DlgType == mtCustom ? (Application ? Application->Title() : QString())
                                    : DlgTypeText(DlgType);
    r.Buttons = Buttons;
    for (const auto& n : kButtons)
        if (Buttons.Contains(n.Button)) {
            r.DefaultButton = n.Button;
            break;
        }
    // Yes before OK: a confirmation's first answer is its default, like the classic dialogs.
    if (Buttons.Contains(mbOK) && !Buttons.Contains(mbYes)) r.DefaultButton = mbOK;
    return ShowMessageBox(r);
}

void ShowMessage(const QString& Msg) {
    TMessageBoxRequest r;
    r.Text = Msg;
    r.Caption = Application ? Application->Title() : QString();
    r.Type = mtCustom;
    r.Buttons = {mbOK};
    ShowMessageBox(r);
}

TMessageBoxRequest RequestFromFlags(const QString& Text, const QString& Caption, int Flags) {
    TMessageBoxRequest r;
    r.Text = Text;
    r.Caption = Caption;
    switch (Flags & 0xF) {
    case MB_OKCANCEL:
        r.Buttons = {mbOK, mbCancel};
        break;
    case MB_ABORTRETRYIGNORE:
        r.Buttons = {mbAbort, mbRetry, mbIgnore};
        break;
    case MB_YESNOCANCEL:
        r.Buttons = {mbYes, mbNo, mbCancel};
        break;
    case MB_YESNO:
        r.Buttons = {mbYes, mbNo};
        break;
    case MB_RETRYCANCEL:
        r.Buttons = {mbRetry, mbCancel};
        break;
    default:
        r.Buttons = {mbOK};
        break;
    }
    switch (Flags & 0xF0) {
    case MB_ICONERROR:
        r.Type = mtError;
        break;
    case MB_ICONQUESTION:
        r.Type = mtConfirmation;
        break;
    case MB_ICONWARNING:
        r.Type = mtWarning;
        break;
    case MB_ICONINFORMATION:
        r.Type = mtInformation;
        break;
    default:
        r.Type = mtCustom;
        break;
    }
    // The default is the first, second or third button in the classic order of each set.
    std::vector<TMsgDlgBtn> order;
    for (TMsgDlgBtn b : {mbOK, mbYes, mbNo, mbAbort, mbRetry, mbIgnore, mbCancel})
        if (r.Buttons.Contains(b)) order.push_back(b);
    size_t def = static_cast<size_t>((Flags >> 8) & 0xF);
    r.DefaultButton = order[def < order.size() ? def : 0];
    r.TaskModal = (Flags & MB_TASKMODAL) != 0;
    return r;
}

int ModalResultToId(TModalResult Result) {
    // The modal results and the Windows IDs share their numbers for the classic buttons.
    return Result;
}
