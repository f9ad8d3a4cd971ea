#include "support/clock.h"

#include <QElapsedTimer>
#include <QTimeZone>

namespace zorvik::support {

QDateTime SystemClock::local_now() const { return QDateTime::currentDateTime(); }

qint64 SystemClock::msecs() const
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

qint64 epoch_seconds(const Clock& clock)
{
    const QDateTime local = clock.local_now();
    return QDateTime(local.date(), local.time(), QTimeZone::utc()).toSecsSinceEpoch();
}

} // namespace zorvik::support
