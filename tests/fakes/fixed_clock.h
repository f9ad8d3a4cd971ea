#pragma once
// A Clock that stands still unless a test moves it.

#include "support/clock.h"

namespace zorvik::testing {

class FixedClock final : public support::Clock {
public:
    explicit FixedClock(QDateTime at = QDateTime(QDate(2015, 11, 12), QTime(10, 30, 0)))
        : at_(std::move(at))
    {
    }
    QDateTime local_now() const override { return at_; }
    qint64 msecs() const override { return msecs_; }
    void advance(qint64 ms)
    {
        msecs_ += ms;
        at_ = at_.addMSecs(ms);
    }

private:
    QDateTime at_;
    qint64 msecs_ = 0;
};

} // namespace zorvik::testing
