// The small outside-world services: the beep, the shell "open" of a URL and the screen cursor.
// Real implementations by default; tests replace them (testseams.h).
#pragma once

#include <QString>
#include <memory>

class IBeepService {
public:
    virtual ~IBeepService() = default;
    virtual void Beep(unsigned Type) = 0;
};
class IShellService {
public:
    virtual ~IShellService() = default;
    // Returns false when nothing could open it.
    virtual bool OpenUrl(const QString& Url) = 0;
};
class ICursorService {
public:
    virtual ~ICursorService() = default;
    // The screen cursor (TCursor of screen.h); crDefault restores each control's own.
    virtual void SetScreenCursor(int Cursor) = 0;
};

std::unique_ptr<IBeepService> SetBeepService(std::unique_ptr<IBeepService> s);
std::unique_ptr<IShellService> SetShellService(std::unique_ptr<IShellService> s);
std::unique_ptr<ICursorService> SetCursorService(std::unique_ptr<ICursorService> s);
IBeepService& BeepService();
IShellService& ShellService();
ICursorService& CursorService();

enum : unsigned { MB_BEEP_DEFAULT = 0xFFFFFFFFu };
void MessageBeep(unsigned Type = 0);
// The shell's "open" of a document or URL.
bool ShellOpen(const QString& Url);
