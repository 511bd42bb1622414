#include "platform/services.h"

#include "platform/screen.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

namespace {
class RealBeep : public IBeepService {
public:
    void Beep(unsigned) override {
        if (qobject_cast<QApplication*>(QCoreApplication::instance())) QApplication::beep();
    }
};

class RealShell : public IShellService {
public:
    bool OpenUrl(const QString& Url) override {
        return QDesktopServices::openUrl(QUrl::fromUserInput(Url));
    }
};

class RealCursor : public ICursorService {
public:
    void SetScreenCursor(int Cursor) override {
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
        if (Cursor == crDefault) {
            while (QGuiApplication::overrideCursor())
                QGuiApplication::restoreOverrideCursor();
        } else if (QGuiApplication::overrideCursor()) {
            QGuiApplication::changeOverrideCursor(QCursor(CursorShapeOf(Cursor)));
        } else {
            QGuiApplication::setOverrideCursor(QCursor(CursorShapeOf(Cursor)));
        }
    }
};

template <class I, class Real> std::unique_ptr<I>& Slot() {
    static std::unique_ptr<I> s = std::make_unique<Real>();
    return s;
}
template <class I, class Real> std::unique_ptr<I> Swap(std::unique_ptr<I> s) {
    if (!s) s = std::make_unique<Real>();
    std::swap(s, Slot<I, Real>());
    return s;
}
} // namespace

std::unique_ptr<IBeepService> SetBeepService(std::unique_ptr<IBeepService> s) {
    return Swap<IBeepService, RealBeep>(std::move(s));
}
std::unique_ptr<IShellService> SetShellService(std::unique_ptr<IShellService> s) {
    return Swap<IShellService, RealShell>(std::move(s));
}
std::unique_ptr<ICursorService> SetCursorService(std::unique_ptr<ICursorService> s) {
    return Swap<ICursorService, RealCursor>(std::move(s));
}
IBeepService& BeepService() {
    return *Slot<IBeepService, RealBeep>();
}
IShellService& ShellService() {
    return *Slot<IShellService, RealShell>();
}
ICursorService& CursorService() {
    return *Slot<ICursorService, RealCursor>();
}

void MessageBeep(unsigned Type) {
    BeepService().Beep(Type);
}
bool ShellOpen(const QString& Url) {
    return ShellService().OpenUrl(Url);
}
