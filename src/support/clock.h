#pragma once
// The local date-time and a millisecond clock behind one seam, so countdowns, time stamps and
// waits can be tested without sleeping.

#include <QDateTime>

namespace zorvik::support {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime local_now() const = 0;
    // Milliseconds from an arbitrary fixed start; only differences are meaningful.
    virtual qint64 msecs() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime local_now() const override;
    qint64 msecs() const override;
};

// Seconds since 1970-01-01 00:00:00 of the clock's local time read as if it were UTC.
qint64 epoch_seconds(const Clock& clock);

} // namespace zorvik::support
