#include "platform/clock.h"

#include <chrono>

namespace {
class RealClock : public IClock {
public:
    QDateTime Now() override { return QDateTime::currentDateTime(); }
    qint64 TickCount() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};

std::unique_ptr<IClock>& Slot() {
    static std::unique_ptr<IClock> clock = std::make_unique<RealClock>();
    return clock;
}
} // namespace

std::unique_ptr<IClock> SetClock(std::unique_ptr<IClock> clock) {
    if (!clock) clock = std::make_unique<RealClock>();
    std::swap(clock, Slot());
    return clock;
}

IClock& Clock() {
    return *Slot();
}

QDateTime Now() {
    return Clock().Now();
}
QDate Date() {
    return Clock().Now().date();
}
qint64 GetTickCount() {
    return Clock().TickCount();
}
