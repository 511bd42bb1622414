// Test doubles of the replaceable services, for tests of every folder. Each one installs itself
// for its lifetime and puts the previous service back when it goes:
//     TTestMessageBoxes boxes;          // boxes.Answer(mrYes); ... boxes.Shown()[0].Text
//     TTestClock clock(QDateTime(...)); // clock.Advance(250) fires due timers in order
#pragma once

#include "platform/clock.h"
#include "platform/messagebox.h"
#include "platform/services.h"
#include "platform/timer.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

// Message boxes for unattended runs (the test main installs it): every box is written to stderr and
// answered with its default button.
std::unique_ptr<IMessageBoxService> NewUnattendedMessageBoxes();

// Scripted message boxes: answers are taken in order; without one, the default button answers.
class TTestMessageBoxes {
public:
    TTestMessageBoxes();
    ~TTestMessageBoxes();
    TTestMessageBoxes(const TTestMessageBoxes&) = delete;
    TTestMessageBoxes& operator=(const TTestMessageBoxes&) = delete;

    void Answer(TModalResult result);
    // Called for every box before the answer is taken (e.g. to check state during the box).
    std::function<void(const TMessageBoxRequest&)> OnShow;
    const std::vector<TMessageBoxRequest>& Shown() const { return shown_; }
    int Count() const { return static_cast<int>(shown_.size()); }
    const TMessageBoxRequest& Last() const;
    void Clear() { shown_.clear(); }

private:
    class Service;
    std::vector<TMessageBoxRequest> shown_;
    std::deque<TModalResult> answers_;
    std::unique_ptr<IMessageBoxService> previous_;
};

// A clock that stands still until advanced, and the timer service behind TTimer: Advance moves
// the time forward and fires every timer that falls due on the way, in time order (a timer due at
// the same moment as another fires in the order it was started), with Now() at the due time.
class TTestClock {
public:
    explicit TTestClock(QDateTime start = QDateTime(QDate(2026, 1, 15), QTime(10, 0)));
    ~TTestClock();
    TTestClock(const TTestClock&) = delete;
    TTestClock& operator=(const TTestClock&) = delete;

    QDateTime Now() const { return now_; }
    qint64 Ticks() const { return ticks_; }
    void SetNow(const QDateTime& value) { now_ = value; }
    void Advance(qint64 ms);
    // Time to the next due timer; -1 when none runs.
    qint64 NextDue() const;
    int RunningTimers() const { return static_cast<int>(timers_.size()); }

private:
    class ClockService;
    class TimerService;
    struct Timer {
        int interval;
        qint64 due;
        qint64 order;
        std::function<void()> fire;
    };
    QDateTime now_;
    qint64 ticks_ = 0;
    qint64 order_ = 0;
    int nextId_ = 1;
    std::map<int, Timer> timers_;
    std::unique_ptr<IClock> previousClock_;
    std::unique_ptr<ITimerService> previousTimers_;
};

// Records beeps, URLs opened and screen cursor changes instead of acting on them.
class TTestShell {
public:
    TTestShell();
    ~TTestShell();
    TTestShell(const TTestShell&) = delete;
    TTestShell& operator=(const TTestShell&) = delete;

    int Beeps() const { return beeps_; }
    const QStringList& OpenedUrls() const { return urls_; }
    const std::vector<int>& Cursors() const { return cursors_; }
    bool OpenResult = true;

private:
    class Services;
    int beeps_ = 0;
    QStringList urls_;
    std::vector<int> cursors_;
    std::unique_ptr<IBeepService> previousBeep_;
    std::unique_ptr<IShellService> previousShell_;
    std::unique_ptr<ICursorService> previousCursor_;
};

// Roots the settings stores in a folder (a test's temporary folder) for its lifetime.
class TTestSettingsRoot {
public:
    explicit TTestSettingsRoot(const QString& folder);
    ~TTestSettingsRoot();
    TTestSettingsRoot(const TTestSettingsRoot&) = delete;
    TTestSettingsRoot& operator=(const TTestSettingsRoot&) = delete;

private:
    QString previous_;
};
