// A monitor's trend over a known history, by the live rules from its initial value.

#include "monitor/trend.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::monitor;

namespace {

Monitor record(const QString& category, const QString& condition, const QString& initial)
{
    return Monitor::from_text(u"A~定位胆~前一(定位胆)~01~"_s + category + u'~' + condition +
                              u"~条件~9~监控中~中中~7~"_s + initial + u"~3:0~3:0:3:0~0~1~1~false~0~0:0:0:1920~0"_s);
}

QVector<HistoryDraw> draws(std::initializer_list<const char*> leading)
{
    QVector<HistoryDraw> out;
    int issue = 1;
    for (const char* d : leading)
        out.append({QString::number(issue++), QString::fromUtf8(d) + u",5,5,5,5"_s});
    return out;
}

TEST(Trend, MissValuesThresholdAndAlertsFromTheInitialValue)
{
    // 遗漏 ≥ 2 from 1: 0 and 1 hit, anything else misses.
    const Trend t = compute_trend(record(u"遗漏"_s, u"≥2"_s, u"1"_s), draws({"9", "9", "0", "8", "8", "8"}));
    EXPECT_FALSE(t.pattern);
    EXPECT_EQ(t.threshold, 2);
    EXPECT_EQ(t.values, (QVector<int>{2, 3, 0, 1, 2, 3}));
    EXPECT_EQ(t.hits, (QVector<bool>{false, false, true, false, false, false}));
    EXPECT_EQ(t.alerts, (QVector<bool>{true, true, false, false, true, true}));
    EXPECT_EQ(t.issues.first(), u"1"_s);
    EXPECT_EQ(t.issues.size(), 6);
}

TEST(Trend, RunValues)
{
    const Trend t = compute_trend(record(u"连中"_s, u"≥2"_s, u"0"_s), draws({"0", "1", "5", "1"}));
    EXPECT_EQ(t.values, (QVector<int>{1, 2, 0, 1}));
    EXPECT_EQ(t.alerts, (QVector<bool>{false, true, false, false}));
}

TEST(Trend, APatternIsItsStripOfHitsAndMisses)
{
    const Trend t = compute_trend(record(u"形态"_s, u"＝挂中"_s, QString()), draws({"9", "0", "9", "9"}));
    EXPECT_TRUE(t.pattern);
    EXPECT_FALSE(t.threshold);
    EXPECT_TRUE(t.values.isEmpty());
    EXPECT_EQ(t.hits, (QVector<bool>{false, true, false, false}));
    EXPECT_EQ(t.alerts, (QVector<bool>{false, true, false, false}));
}

TEST(Trend, AValuePast32767EndsTheCourse)
{
    const Trend t = compute_trend(record(u"遗漏"_s, u"≥2"_s, u"32766"_s), draws({"9", "9", "9"}));
    EXPECT_EQ(t.values, (QVector<int>{32767}));
}

TEST(MergeHistories, OldestFirstOnceEachWhateverTheForm)
{
    const QVector<HistoryDraw> d =
        merge_histories({u"20261208-0003:3,3,3,3,3|20261208-0002:2,2,2,2,2|bad|x:1"_s,
                         u"202612080002:9,9,9,9,9|202612080001:1,1,1,1,1|99:0,0,0,0,0"_s});
    ASSERT_EQ(d.size(), 4);
    EXPECT_EQ(d[0].issue, u"99"_s); // shorter numbers are older
    EXPECT_EQ(d[1].issue, u"202612080001"_s);
    EXPECT_EQ(d[2].numbers, u"2,2,2,2,2"_s); // the first text's entry wins
    EXPECT_EQ(d[3].issue, u"20261208-0003"_s);
    EXPECT_TRUE(merge_histories({QString()}).isEmpty());
}

} // namespace
