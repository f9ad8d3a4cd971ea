// The eight lotteries, each with the codes its sources and platform pages are reached by, in
// the order the lottery box lists them.

#include "feed/catalogue.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::feed;

namespace {

TEST(Catalogue, EveryRowAndTheBoxOrder)
{
    struct Row {
        QString name, plt;
        SourceKind kind;
        QString cz, site, page;
        int game;
    };
    const Row rows[] = {
        {u"合乐平台-HI彩分分彩"_s, u"hele"_s, SourceKind::Hele, u"hele_fenfen"_s, u"siteCode=HELSSC1"_s,
         u"cp.html?g=HELSSC1"_s, 0},
        {u"合乐平台-HI彩时时彩"_s, u"hele"_s, SourceKind::Hele, u"hele_5fen"_s, u"siteCode=HELSSC"_s,
         u"cp.html?g=HELSSC"_s, 0},
        {u"合乐平台-重庆时时彩"_s, u"hele"_s, SourceKind::Public, u"chongqing"_s, QString(), u"cp.html?g=CQSSC"_s, 0},
        {u"U彩平台-欢乐分分彩"_s, u"ucai"_s, SourceKind::Datacenter, u"ucai_60s"_s, QString(), u"bet/ffc"_s, 16},
        {u"U彩平台-欢乐五分彩"_s, u"ucai"_s, SourceKind::Datacenter, u"ucai_300s"_s, QString(), u"bet/wfc"_s, 15},
        {u"U彩平台-重庆时时彩"_s, u"ucai"_s, SourceKind::Public, u"chongqing"_s, QString(), u"bet/cqssc"_s, 1},
        {u"经纬平台-幸运分分彩"_s, u"jw"_s, SourceKind::Datacenter, u"jw_60s"_s, QString(), QString(), 0},
        {u"经纬平台-欢乐三分彩"_s, u"jw"_s, SourceKind::Datacenter, u"jw_180s"_s, QString(), QString(), 0},
    };
    ASSERT_EQ(catalogue().size(), 8);
    QStringList names{u"--选择彩种--"_s};
    for (int i = 0; i < 8; ++i) {
        const Lottery& l = catalogue()[i];
        const Row& r = rows[i];
        EXPECT_EQ(l.name, r.name) << i;
        EXPECT_EQ(l.plt, r.plt) << i;
        EXPECT_EQ(l.source_kind, r.kind) << i;
        EXPECT_EQ(l.cz_code, r.cz) << i;
        EXPECT_EQ(l.site_code, r.site) << i;
        EXPECT_EQ(l.plt_page, r.page) << i;
        EXPECT_EQ(l.ucai_game, r.game) << i;
        EXPECT_EQ(find_lottery(r.name), &l);
        names << r.name;
    }
    EXPECT_EQ(lottery_list(), names.join(u'|'));
    EXPECT_EQ(find_lottery(u"--选择彩种--"_s), nullptr);
    EXPECT_EQ(find_lottery(u"经纬平台-欢乐三分"_s), nullptr); // the whole name, not a part
}

} // namespace
