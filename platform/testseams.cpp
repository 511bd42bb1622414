#include "platform/testseams.h"

#include "platform/settings.h"

#include <cstdio>
#include <stdexcept>

// ---- message boxes

namespace {
TModalResult DefaultResult(const TMessageBoxRequest& r) {
    if (r.Buttons.Contains(r.DefaultButton)) {
        switch (r.DefaultButton) {
        case mbYes:
            return mrYes;
        case mbNo:
            return mrNo;
        case mbCancel:
            return mrCancel;
        case mbAbort:
            return mrAbort;
        case mbRetry:
            return mrRetry;
        case mbIgnore:
            return mrIgnore;
        default:
            return mrOk;
        }
    }
    return mrOk;
}

class UnattendedMessageBoxes : public IMessageBoxService {
public:
    TModalResult Show(const TMessageBoxRequest& r) override {
        std::fprintf(stderr, "[message box] %s: %s [%s]\n", r.Caption.toLocal8Bit().constData(),
                     r.Text.toLocal8Bit().constData(),
                     ButtonsText(r.Buttons).toLocal8Bit().constData());
        return DefaultResult(r);
    }
};
} // namespace

std::unique_ptr<IMessageBoxService> NewUnattendedMessageBoxes() {
    return std::make_unique<UnattendedMessageBoxes>();
}

class TTestMessageBoxes::Service : public IMessageBoxService {
public:
    explicit Service(TTestMessageBoxes& owner) : owner_(owner) {}
    TModalResult Show(const TMessageBoxRequest& r) override {
        owner_.shown_.push_back(r);
        if (owner_.OnShow) owner_.OnShow(r);
        if (!owner_.answers_.empty()) {
            TModalResult a = owner_.answers_.front();
            owner_.answers_.pop_front();
            return a;
        }
        if (r.Buttons.Contains(r.DefaultButton)) {
            switch (r.DefaultButton) {
            case mbYes:
                return mrYes;
            case mbNo:
                return mrNo;
            case mbCancel:
                return mrCancel;
            case mbAbort:
                return mrAbort;
            case mbRetry:
                return mrRetry;
            case mbIgnore:
                return mrIgnore;
            default:
                return mrOk;
            }
        }
        return mrOk;
    }

private:
    TTestMessageBoxes& owner_;
};

TTestMessageBoxes::TTestMessageBoxes()
    : previous_(SetMessageBoxService(std::make_unique<Service>(*this))) {}

TTestMessageBoxes::~TTestMessageBoxes() {
    SetMessageBoxService(std::move(previous_));
}

void TTestMessageBoxes::Answer(TModalResult result) {
    answers_.push_back(result);
}

const TMessageBoxRequest& TTestMessageBoxes::Last() const {
    if (shown_.empty()) throw std::logic_error("no message box was shown");
    return shown_.back();
}

// ---- clock and timers

class TTestClock::ClockService : public IClock {
public:
    explicit ClockService(TTestClock& c) : c_(c) {}
    QDateTime Now() override { return c_.now_; }
    qint64 TickCount() override { return c_.ticks_; }

private:
    TTestClock& c_;
};

class TTestClock::TimerService : public ITimerService {
public:
    explicit TimerService(TTestClock& c) : c_(c) {}
    int StartTimer(int IntervalMs, std::function<void()> Fire) override {
        int id = c_.nextId_++;
        int interval = IntervalMs > 0 ? IntervalMs : 1;
        c_.timers_[id] = Timer{interval, c_.ticks_ + interval, c_.order_++, std::move(Fire)};
        return id;
    }
    void StopTimer(int Id) override { c_.timers_.erase(Id); }

private:
    TTestClock& c_;
};

TTestClock::TTestClock(QDateTime start)
    : now_(std::move(start)), previousClock_(SetClock(std::make_unique<ClockService>(*this))),
      previousTimers_(SetTimerService(std::make_unique<TimerService>(*this))) {}

TTestClock::~TTestClock() {
    SetTimerService(std::move(previousTimers_));
    SetClock(std::move(previousClock_));
}

qint64 TTestClock::NextDue() const {
    qint64 best = -1;
    for (const auto& [id, t] : timers_)
        if (best < 0 || t.due < best) best = t.due;
    return best < 0 ? -1 : best - ticks_;
}

void TTestClock::Advance(qint64 ms) {
    const qint64 end = ticks_ + (ms > 0 ? ms : 0);
    for (;;) {
        int nextId = 0;
        const Timer* next = nullptr;
        for (const auto& [id, t] : timers_)
            if (t.due <= end &&
                (!next || t.due < next->due || (t.due == next->due && t.order < next->order))) {
                next = &t;
                nextId = id;
            }
        if (!next) break;
        now_ = now_.addMSecs(next->due - ticks_);
        ticks_ = next->due;
        Timer& t = timers_[nextId];
        t.due += t.interval;
        t.order = order_++;
        // A copy: the handler may stop or restart its own timer.
        std::function<void()> fire = t.fire;
        fire();
    }
    now_ = now_.addMSecs(end - ticks_);
    ticks_ = end;
}

// ---- beep, shell and cursor

class TTestShell::Services : public IBeepService, public IShellService, public ICursorService {
public:
    enum Kind { Beep_, Shell_, Cursor_ };
    Services(TTestShell& s, Kind k) : s_(s), kind_(k) {}
    void Beep(unsigned) override { ++s_.beeps_; }
    bool OpenUrl(const QString& Url) override {
        s_.urls_ << Url;
        return s_.OpenResult;
    }
    void SetScreenCursor(int Cursor) override { s_.cursors_.push_back(Cursor); }

private:
    TTestShell& s_;
    [[maybe_unused]] Kind kind_;
};

TTestShell::TTestShell()
    : previousBeep_(SetBeepService(std::make_unique<Services>(*this, Services::Beep_))),
      previousShell_(SetShellService(std::make_unique<Services>(*this, Services::Shell_))),
      previousCursor_(SetCursorService(std::make_unique<Services>(*this, Services::Cursor_))) {}

TTestShell::~TTestShell() {
    SetBeepService(std::move(previousBeep_));
    SetShellService(std::move(previousShell_));
    SetCursorService(std::move(previousCursor_));
}

// ---- settings

TTestSettingsRoot::TTestSettingsRoot(const QString& folder) : previous_(SetSettingsRoot(folder)) {}

TTestSettingsRoot::~TTestSettingsRoot() {
    SetSettingsRoot(previous_);
}
