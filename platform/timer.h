// TTimer, through the replaceable timer service: the real one runs on QTimer, the test clock fires
// due timers when it is advanced, without sleeping. An exception escaping OnTimer is shown by the
// application and the timer goes on.
#pragma once

#include "platform/component.h"
#include "platform/events.h"

#include <functional>
#include <memory>

class ITimerService {
public:
    virtual ~ITimerService() = default;
    // Starts a periodic timer calling Fire every IntervalMs; returns its id (never 0).
    virtual int StartTimer(int IntervalMs, std::function<void()> Fire) = 0;
    virtual void StopTimer(int Id) = 0;
};

std::unique_ptr<ITimerService> SetTimerService(std::unique_ptr<ITimerService> s); // nullptr: real
ITimerService& TimerService();

class TTimer : public TComponent {
    RAVELDA_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    // Milliseconds, default 1000; 0 stops the timer. Changing it restarts the count.
    int Interval() const { return interval_; }
    void SetInterval(int Value);
    // Assigning restarts the timer when enabled; unassigned timers do not run.
    const TNotifyEvent& OnTimer() const { return onTimer_; }
    void SetOnTimer(TNotifyEvent Value);
    bool Running() const { return id_ != 0; }
    void Loaded() override;

protected:
    virtual void Timer();

private:
    void Update();
    bool enabled_ = true;
    int interval_ = 1000;
    TNotifyEvent onTimer_;
    int id_ = 0;
};
