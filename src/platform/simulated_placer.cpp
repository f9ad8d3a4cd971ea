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

monitor::BetResult SimulatedPlacer::place(const monitor::BetOrder& order)
{
    // Seeded from the clock, as each order is: two orders of one issue differ by the time and
    // the random number in their digest.
    QRandomGenerator random(quint32(clock_.msecs() ^ clock_.local_now().toMSecsSinceEpoch()));
    const auto digest = [&] {
        return support::Md5_Calc(order.issue +
                                 clock_.local_now().toString(u"yyyy/M/d H:mm:ss"_s) +
                                 QString::number(random.generateDouble()));
    };
    const QString first = digest();
    return {1, simulated_order_id(order.lottery, first, digest()), order.cost, u"ok"_s};
}

} // namespace zorvik::platform
