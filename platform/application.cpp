#include "platform/application.h"

#include "platform/exceptdisplay.h"
#include "platform/messagebox.h"
#include "platform/properties.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>

TApplication* Application = nullptr;

RAVELDA_DEFINE_CLASS(TApplication) {
    c.Property("Title", &TApplication::Title, &TApplication::SetTitle);
}

namespace {
QString ExecutablePath() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath();
    return QString::fromLocal8Bit(program_invocation_name);
}
} // namespace

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

TApplication::~TApplication() {
    Destroying();
    DestroyComponents();
    if (Application == this) Application = nullptr;
}

QString TApplication::Title() const {
    if (!title_.isEmpty()) return title_;
    return QFileInfo(ExecutablePath()).completeBaseName();
}

void TApplication::FormCreated(TForm* Form, std::function<void()> Show) {
    if (!mainForm_ && Form) {
        mainForm_ = Form;
        showMainForm_ = std::move(Show);
    }
}

void TApplication::FormDestroyed(TForm* Form) {
    if (Form && Form == mainForm_) {
        mainForm_ = nullptr;
        showMainForm_ = nullptr;
    }
}

void TApplication::Run() {
    if (!mainForm_ || terminated_) return;
    if (showMainForm_) showMainForm_();
    if (terminated_) return;
    QEventLoop loop;
    loop_ = &loop;
    loop.exec();
    loop_ = nullptr;
}

void TApplication::Terminate() {
    terminated_ = true;
    if (loop_) loop_->quit();
}

void TApplication::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::HandleException(TObject* Sender) {
    HandleException(Sender, std::current_exception());
}

void TApplication::HandleException(TObject* Sender, std::exception_ptr error) {
    TExceptionInfo info = DescribeException(error);
    if (info.IsAbort) return;
    if (OnException) {
        OnException(Sender, error);
        return;
    }
    ShowException(info.Message);
}

void TApplication::ShowException(const QString& Message) {
    TMessageBoxRequest r;
    r.Text = EventErrorText(Message);
    r.Caption = Title();
    r.Type = mtError;
    r.Buttons = {mbOK};
    r.DefaultButton = mbOK;
    ShowMessageBox(r);
}

int TApplication::MessageBox(const QString& Text, const QString& Caption, int Flags) {
    return ModalResultToId(ShowMessageBox(RequestFromFlags(Text, Caption, Flags)));
}

TQtApplication::TQtApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The main form ends the program (Terminate), not the last window.
    setQuitOnLastWindowClosed(false);
    application_ = std::make_unique<TApplication>(nullptr);
    Application = application_.get();
}

TQtApplication::~TQtApplication() {
    application_.reset();
    Application = nullptr;
}

bool TQtApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (Application) {
            try {
                Application->HandleException(nullptr, std::current_exception());
            } catch (...) {
            }
        }
        return false;
    }
}

void ShowStartupError(std::exception_ptr error) {
    TExceptionInfo info = DescribeException(error);
    if (info.IsAbort) return;
    TMessageBoxRequest r;
    r.Text = StartupErrorText(info.ClassName, QFileInfo(ExecutablePath()).fileName(), info.Address,
                              info.Message);
    r.Caption = QStringLiteral("Application Error");
    r.Type = mtError;
    r.Buttons = {mbOK};
    r.DefaultButton = mbOK;
    r.TaskModal = true;
    try {
        ShowMessageBox(r);
    } catch (...) {
        std::fprintf(stderr, "%s\n", r.Text.toLocal8Bit().constData());
    }
}

int RunApplication(int argc, char** argv, const std::function<void()>& Startup) {
    TQtApplication app(argc, argv);
    try {
        if (Startup) Startup();
        Application->Run();
    } catch (...) {
        ShowStartupError(std::current_exception());
        return 1;
    }
    return 0;
}
