#include "monitor/monitor.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::monitor;

namespace {

// A record as the editor builds it, with a marker to tell records apart.
QString record(const QString& numbers, const QString& runs = u"0:0"_s,
               const QString& totals = u"0:0:0:0"_s, const QString& pending = u"false"_s,
               const QString& step = u"0"_s)
{
    return u"ABC~直选复式~前三(直选复式)~"_s + numbers + u"~遗漏~≥10~大于等于10~3~待监控~中挂挂~5~0~"_s +
           runs + u'~' + totals + u"~1~1,2,4~2~"_s + pending + u'~' + step + u"~1000:2:1.92:1920~88"_s;
}

} // namespace

TEST(MonitorRecord, TextRoundTripsAndFieldsAreNamed)
{
    const QString text = record(u"0123456789"_s);
    const Monitor m = Monitor::from_text(text);
    EXPECT_EQ(m.text(), text);
    EXPECT_EQ(m.field(kPositions), u"ABC"_s);
    EXPECT_EQ(m.field(kTitle), u"前三(直选复式)"_s);
    EXPECT_EQ(m.field(kCurrent), u"3"_s);
    EXPECT_EQ(m.field(kDrawCount), u"5"_s);
    EXPECT_EQ(m.field(kOrderId), u"88"_s);
    EXPECT_EQ(m.part(kBetInfo, 3), u"1920"_s);
    EXPECT_EQ(m.part(kBetInfo, 9), QString());
    EXPECT_EQ(Monitor().text().count(u'~'), kFieldCount - 1);
}

TEST(MonitorRecord, MalformedRecordsKeepTheirText)
{
    const Monitor short_one = Monitor::from_text(u"AB~定位胆"_s);
    EXPECT_EQ(short_one.text(), u"AB~定位胆"_s);
    EXPECT_EQ(short_one.field(kNumbers), QString());
    const Monitor long_one = Monitor::from_text(record(u"1"_s) + u"~extra"_s);
    EXPECT_EQ(long_one.text(), record(u"1"_s) + u"~extra"_s);
}

TEST(MonitorList, AppendToEmptyAndBarOnlyLists)
{
    for (const QString& start : {QString(), u"|"_s, u"||"_s}) {
        MonitorList list(start);
        EXPECT_TRUE(list.empty());
        list.append(Monitor::from_text(record(u"1"_s)));
        EXPECT_EQ(list.text(), u"|"_s + record(u"1"_s));
        EXPECT_EQ(list.positions(), QVector<int>{1});
    }
    MonitorList list(u"|"_s + record(u"1"_s));
    list.append(Monitor::from_text(record(u"2"_s)));
    EXPECT_EQ(list.text(), u"|"_s + record(u"1"_s) + u"|"_s + record(u"2"_s));
}

TEST(MonitorList, PositionsSkipEmptyElements)
{
    const MonitorList list(u"|"_s + record(u"1"_s) + u"||"_s + record(u"2"_s));
    EXPECT_EQ(list.positions(), (QVector<int>{1, 3}));
    EXPECT_EQ(list.at(3)->field(kNumbers), u"2"_s);
    EXPECT_FALSE(list.at(2).has_value());
    EXPECT_FALSE(list.at(0).has_value());
    EXPECT_FALSE(list.at(9).has_value());
}

TEST(MonitorList, ReplaceKeepsThePosition)
{
    MonitorList list(u"|"_s + record(u"1"_s) + u"|"_s + record(u"2"_s) + u"|"_s + record(u"3"_s));
    EXPECT_TRUE(list.replace(2, Monitor::from_text(record(u"9"_s))));
    EXPECT_EQ(list.at(2)->field(kNumbers), u"9"_s);
    EXPECT_EQ(list.at(3)->field(kNumbers), u"3"_s);
    EXPECT_FALSE(list.replace(4, Monitor::from_text(record(u"9"_s))));
    EXPECT_FALSE(list.replace(0, Monitor::from_text(record(u"9"_s))));
}

TEST(MonitorList, RemoveRebuildsFromTheRemainingRecords)
{
    MonitorList list(u"|"_s + record(u"1"_s) + u"|"_s + record(u"2"_s) + u"|"_s + record(u"3"_s));
    list.remove(2);
    EXPECT_EQ(list.text(), u"|"_s + record(u"1"_s) + u"|"_s + record(u"3"_s));
    list.remove(1);
    list.remove(1);
    EXPECT_EQ(list.text(), QString());
    EXPECT_EQ(list.stored_form(), u"|"_s);
}

TEST(MonitorList, DuplicateTestAndSettingsIdentity)
{
    const MonitorList list(u"|"_s + record(u"12"_s));
    EXPECT_TRUE(list.contains_text(record(u"12"_s)));
    EXPECT_FALSE(list.contains_text(record(u"13"_s)));
    // Statistics differ, settings are the same.
    const Monitor later = Monitor::from_text(record(u"12"_s, u"3:0"_s, u"9:9:9:9"_s));
    EXPECT_EQ(list.find_same(later), 1);
    EXPECT_EQ(list.find_same(Monitor::from_text(record(u"13"_s))), 0);
}

TEST(MonitorList, StoredFormResetsRunsTotalsAndOpenBets)
{
    const MonitorList list(u"|"_s + record(u"1"_s, u"2:0"_s, u"5:7:3:4"_s, u"true"_s, u"3"_s) +
                           u"||"_s + record(u"2"_s));
    const QString stored = list.stored_form();
    EXPECT_EQ(stored, u"|"_s + record(u"1"_s) + u"|"_s + record(u"2"_s));
    // Current value, history, draw count, last bet and order number are kept.
    EXPECT_TRUE(stored.contains(u"~3~待监控~中挂挂~5~"_s));
    EXPECT_TRUE(stored.contains(u"~1000:2:1.92:1920~88"_s));
    // The list in memory is not changed.
    EXPECT_TRUE(list.text().contains(u"5:7:3:4"_s));
}

TEST(MonitorList, LoadingReducesDoubleBars)
{
    const MonitorList list = MonitorList::from_stored(u"||"_s + record(u"1"_s) + u"||"_s + record(u"2"_s));
    EXPECT_EQ(list.text(), u"|"_s + record(u"1"_s) + u"|"_s + record(u"2"_s));
    EXPECT_TRUE(MonitorList::from_stored(u"|"_s).empty());
}
