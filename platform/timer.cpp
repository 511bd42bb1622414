#include "platform/timer.h"

#include "platform/application.h"
#include "platform/properties.h"

#include <QTimer>
#include <map>

namespace {
class RealTimers : public ITimerService {
public:
    ~RealTimers() override {
        for (auto& [id, t] : timers_)
            delete t;
    }
    int StartTimer(int IntervalMs, std::function<void()> Fire) override {
        int id = next_++;
        auto* t = new QTimer();
        t->setInterval(IntervalMs);
        QObject::connect(t, &QTimer::timeout, t, [fire = std::move(Fire)] { fire(); });
        t->start();
        timers_[id] = t;
        return id;
    }
    void StopTimer(int Id) override {
        auto it = timers_.find(Id);
        if (it == timers_.end()) return;
        it->second->stop();
        // The timer may be stopped from its own timeout: let Qt finish with it first.
        it->second->deleteLater();
        timers_.erase(it);
    }

private:
    int next_ = 1;
    std::map<int, QTimer*> timers_;
};

std::unique_ptr<ITimerService>& Slot() {
    static std::unique_ptr<ITimerService> s = std::make_unique<RealTimers>();
    return s;
}
} // namespace

std::unique_ptr<ITimerService> SetTimerService(std::unique_ptr<ITimerService> s) {
    if (!s) s = std::make_unique<RealTimers>();
    std::swap(s, Slot());
    return s;
}

ITimerService& TimerService() {
    return *Slot();
}

RAVELDA_DEFINE_CLASS(TTimer) {
    c.Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true);
    c.Property("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000);
    c.Event("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}

TTimer::~TTimer() {
    if (id_) TimerService().StopTimer(id_);
    id_ = 0;
}

void TTimer::SetEnabled(bool Value) {
    if (Value == enabled_) return;
    enabled_ = Value;
    Update();
}

void TTimer::SetInterval(int Value) {
    if (Value < 0) throw EInvalidOperation(QStringLiteral("Invalid timer interval %1").arg(Value));
    if (Value == interval_) return;
    interval_ = Value;
    Update();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
    onTimer_ = std::move(Value);
    Update();
}

void TTimer::Loaded() {
    TComponent::Loaded();
    Update();
}

void TTimer::Timer() {
    Fire(onTimer_, this);
}

void TTimer::Update() {
    if (id_) {
        TimerService().StopTimer(id_);
        id_ = 0;
    }
    if (enabled_ && interval_ > 0 && onTimer_ && !IsDesigning() && !IsLoading())
        id_ = TimerService().StartTimer(interval_,
                                        [this] { GuardedCall(this, [this] { Timer(); }); });
}
