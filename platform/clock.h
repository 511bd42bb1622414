// The clock service: the current date and time and a millisecond tick count. Tests install the
// test clock (testseams.h), which also drives timers.
#pragma once

#include <QDate>
#include <QDateTime>
#include <memory>

class IClock {
public:
    virtual ~IClock() = default;
    virtual QDateTime Now() = 0;
    // Milliseconds of a monotonic clock.
    virtual qint64 TickCount() = 0;
};

std::unique_ptr<IClock> SetClock(std::unique_ptr<IClock> clock); // nullptr: the real clock
IClock& Clock();

QDateTime Now();
QDate Date();
qint64 GetTickCount();
