// The application shell: title, main form, the event loop with its exception display, and the
// start-up error path.
#pragma once

#include "platform/component.h"
#include "platform/exceptions.h"

#include <QApplication>
#include <QString>
#include <exception>
#include <functional>
#include <memory>
#include <utility>

class TForm;
class QEventLoop;

class TApplication : public TComponent {
    RAVELDA_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* AOwner = nullptr);
    ~TApplication() override;

    // Defaults to the executable's file name without extension.
    QString Title() const;
    void SetTitle(const QString& Value) { title_ = Value; }

    // TForm's constructor calls FormCreated with a way to show it; the first form created
    // becomes the main form. Its destructor calls FormDestroyed.
    void FormCreated(TForm* Form, std::function<void()> Show);
    void FormDestroyed(TForm* Form);
    TForm* MainForm() const { return mainForm_; }
    // Creates a form owned by the application, as the program's start-up does:
    // Application->CreateForm(Form1). The first form created becomes the main form.
    template <class T> T* CreateForm(T*& Reference) {
        Reference = new T(this);
        return Reference;
    }

    // Shows the main form and dispatches messages until Terminate. Returns at once when there is
    // no main form or Terminate was already called.
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    void ProcessMessages();

    // Shows the exception being handled (inside a catch block) as the event loop does: EAbort is
    // silent; OnException replaces the display when assigned.
    void HandleException(TObject* Sender);
    void HandleException(TObject* Sender, std::exception_ptr error);
    // The error box: the message (with the "." rule), OK button, error icon, the title as caption.
    void ShowException(const QString& Message);
    std::function<void(TObject* Sender, std::exception_ptr E)> OnException;

    // Windows-style message box (MB_ flags of messagebox.h) captioned Caption; returns the id of
    // the pressed button (IDOK ...).
    int MessageBox(const QString& Text, const QString& Caption, int Flags);

private:
    QString title_;
    TForm* mainForm_ = nullptr;
    std::function<void()> showMainForm_;
    bool terminated_ = false;
    QEventLoop* loop_ = nullptr;
};

// The application object; exists from start-up until the program ends.
extern TApplication* Application;

// Runs f; an exception leaving it is shown by the application and swallowed. Every place where
// Qt calls into our code (slots, timers, event handlers) goes through here or through the
// application's notify.
template <class F> bool GuardedCall(TObject* Sender, F&& f) noexcept {
    try {
        std::forward<F>(f)();
        return true;
    } catch (...) {
        if (Application) {
            try {
                Application->HandleException(Sender, std::current_exception());
            } catch (...) {
            }
        }
        return false;
    }
}

// QApplication whose notify shows and swallows any exception escaping our event handlers, so
// that Qt never sees one. Creates the TApplication object (Application) and frees it.
class TQtApplication : public QApplication {
public:
    TQtApplication(int& argc, char** argv);
    ~TQtApplication() override;
    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::unique_ptr<TApplication> application_;
};

// The start-up of a program: creates the Qt and the component application, runs Startup (which
// creates the forms) and then the event loop. An exception escaping start-up is shown in a
// task-modal box captioned "Application Error" (StartupErrorText) and gives exit code 1; EAbort
// ends quietly with 1 as well. Returns the exit code.
int RunApplication(int argc, char** argv, const std::function<void()>& Startup);
// The start-up error display of RunApplication, for an exception being handled.
void ShowStartupError(std::exception_ptr error);
