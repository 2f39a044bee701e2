#pragma once

#include <QDateTime>

namespace vlm {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// Seconds since midnight with their fraction.
double secondsSinceMidnight(const QDateTime& moment);

} // namespace vlm
