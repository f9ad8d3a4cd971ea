#include "platform/simulated_placer.h"

#include "support/clock.h"
#include "support/md5.h"

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::platform {

QString simulated_order_id(const QString& lottery, const QString& digest, const QString& second)
{
    QString prefix;
    if (lottery == u"合乐平台-HI彩分分彩")
        prefix = u"HEL15BAGMK"_s;
    else if (lottery == u"合乐平台-HI彩时时彩")
        prefix = u"HEL5BBAMQ"_s;
    else if (lottery == u"合乐平台-重庆时时彩")
        prefix = u"CQ5BBAMQ"_s;
    else
        return second;
    return prefix + digest.left(3) + u'/' + digest.right(8);
}

namespace {

// The local time's text, read again at most every 100 ms: reading it looks the time zone up,
// which would cost more than the rest of a simulated bet.
QString time_text(const support::Clock& clock)
{
    static std::optional<qint64> read_at;
    static QString text;
    const qint64 now = clock.msecs();
    if (!read_at || now - *read_at >= 100 || now < *read_at) {
        read_at = now;
        text = clock.local_now().toString(u"yyyy/M/d H:mm:ss"_s);
    }
    return text;
}

// A number in [0, 1) from a seed (SplitMix64).
double random_fraction(quint64 seed)
{
    quint64 z = seed + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return double(z >> 11) * 0x1.0p-53;
}

} // namespace

QString made_up_order_digest(const QString& issue, const support::Clock& clock)
{
    // Two orders of one issue differ by the time and the random number in their digest.
    static quint32 calls = 0;
    const quint64 seed = quint64(clock.msecs()) ^ (quint64(QDateTime::currentMSecsSinceEpoch()) << 16);
    return support::Md5_Calc(issue + time_text(clock) + QString::number(random_fraction(seed + ++calls)));
}

monitor::BetResult SimulatedPlacer::place(const monitor::BetOrder& order)
{
    // One digest: the Hele lotteries' numbers are made from it, the others are it.
    const QString digest = made_up_order_digest(order.issue, clock_);
    return {1, simulated_order_id(order.lottery, digest, digest), order.cost, u"ok"_s};
}

} // namespace zorvik::platform
