#include "feed/catalogue.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::feed {

const QVector<Lottery>& catalogue()
{
    static const QVector<Lottery> table = {
        {u"合乐平台-HI彩分分彩"_s, u"hele"_s, SourceKind::Hele, u"hele_fenfen"_s,
         u"siteCode=HELSSC1"_s, u"cp.html?g=HELSSC1"_s, 0},
        {u"合乐平台-HI彩时时彩"_s, u"hele"_s, SourceKind::Hele, u"hele_5fen"_s,
         u"siteCode=HELSSC"_s, u"cp.html?g=HELSSC"_s, 0},
        {u"合乐平台-重庆时时彩"_s, u"hele"_s, SourceKind::Public, u"chongqing"_s, QString(),
         u"cp.html?g=CQSSC"_s, 0},
        {u"U彩平台-欢乐分分彩"_s, u"ucai"_s, SourceKind::Datacenter, u"ucai_60s"_s, QString(),
         u"bet/ffc"_s, 16},
        {u"U彩平台-欢乐五分彩"_s, u"ucai"_s, SourceKind::Datacenter, u"ucai_300s"_s, QString(),
         u"bet/wfc"_s, 15},
        {u"U彩平台-重庆时时彩"_s, u"ucai"_s, SourceKind::Public, u"chongqing"_s, QString(),
         u"bet/cqssc"_s, 1},
        {u"经纬平台-幸运分分彩"_s, u"jw"_s, SourceKind::Datacenter, u"jw_60s"_s, QString(),
         QString(), 0},
        {u"经纬平台-欢乐三分彩"_s, u"jw"_s, SourceKind::Datacenter, u"jw_180s"_s, QString(),
         QString(), 0},
    };
    return table;
}

const Lottery* find_lottery(const QString& name)
{
    for (const Lottery& lottery : catalogue()) {
        if (lottery.name == name)
            return &lottery;
    }
    return nullptr;
}

QString lottery_list()
{
    QStringList names{QString::fromUtf16(kNoLottery)};
    for (const Lottery& lottery : catalogue())
        names << lottery.name;
    return names.join(u'|');
}

} // namespace zorvik::feed
