#include "platform/simulated_placer.h"

#include "support/clock.h"
#include "support/md5.h"

#include <QRandomGenerator>

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

QString made_up_order_digest(const QString& issue, const support::Clock& clock)
{
    // Two orders of one issue differ by the time and the random number in their digest.
    static quint32 calls = 0;
    QRandomGenerator random(quint32(clock.msecs() ^ clock.local_now().toMSecsSinceEpoch()) + ++calls);
    return support::Md5_Calc(issue + clock.local_now().toString(u"yyyy/M/d H:mm:ss"_s) +
                             QString::number(random.generateDouble()));
}

monitor::BetResult SimulatedPlacer::place(const monitor::BetOrder& order)
{
    const QString first = made_up_order_digest(order.issue, clock_);
    return {1, simulated_order_id(order.lottery, first, made_up_order_digest(order.issue, clock_)),
            order.cost, u"ok"_s};
}

} // namespace zorvik::platform
