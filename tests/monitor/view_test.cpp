#include "monitor/view.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::monitor;

namespace {

Monitor monitor(const QString& category, const QString& condition, const QString& current)
{
    Monitor m;
    m.set(kPositions, u"ABC"_s);
    m.set(kPlay, u"直选复式"_s);
    m.set(kTitle, u"前三(直选复式)"_s);
    m.set(kNumbers, u"0123"_s);
    m.set(kCategory, category);
    m.set(kCondition, condition);
    m.set(kConditionText, u"大于等于10"_s);
    m.set(kCurrent, current);
    m.set(kStatus, u"待监控"_s);
    m.set(kDrawCount, u"7"_s);
    m.set(kTotals, u"2:5:1:4"_s);
    m.set(kAutoBet, u"0"_s);
    m.set(kPlanStep, u"0"_s);
    m.set(kBetInfo, u"64:0:0:1920"_s);
    return m;
}

} // namespace

TEST(AlertTest, Comparisons)
{
    EXPECT_TRUE(alert_test(monitor(u"遗漏"_s, u"≥10"_s, u"10"_s)));
    EXPECT_FALSE(alert_test(monitor(u"遗漏"_s, u"≥10"_s, u"9"_s)));
    EXPECT_FALSE(alert_test(monitor(u"连中"_s, u"≤3"_s, u"4"_s)));
    EXPECT_TRUE(alert_test(monitor(u"连中"_s, u"≤3"_s, u"3"_s)));
    EXPECT_TRUE(alert_test(monitor(u"遗漏"_s, u"＝0"_s, u"0"_s)));
    EXPECT_FALSE(alert_test(monitor(u"遗漏"_s, u"=0"_s, u"0"_s))); // no full-width sign
    EXPECT_TRUE(alert_test(monitor(u"遗漏"_s, u"≥abc"_s, u"0"_s))); // no digits: threshold 0
    // The ends of the 16-bit range, on both sides of each threshold.
    EXPECT_TRUE(alert_test(monitor(u"连中"_s, u"≤3"_s, u"-32768"_s)));
    EXPECT_TRUE(alert_test(monitor(u"遗漏"_s, u"≥32767"_s, u"32767"_s)));
    EXPECT_FALSE(alert_test(monitor(u"遗漏"_s, u"≥32767"_s, u"32766"_s)));
    EXPECT_TRUE(alert_test(monitor(u"遗漏"_s, u"≥0"_s, u"32767"_s)));
    EXPECT_FALSE(alert_test(monitor(u"遗漏"_s, u"≥0"_s, u"-1"_s)));
    EXPECT_TRUE(alert_test(monitor(u"遗漏"_s, u"＝32767"_s, u"32767"_s)));
    for (const QString& current : {u"-32768"_s, u"0"_s, u"32767"_s}) // no sign: never
        EXPECT_FALSE(alert_test(monitor(u"遗漏"_s, u"10"_s, current)));
}

TEST(AlertTest, CurrentValuesThatAreNoSmallIntegerNeverAlert)
{
    EXPECT_FALSE(alert_test(monitor(u"遗漏"_s, u"≥0"_s, QString())));
    EXPECT_FALSE(alert_test(monitor(u"遗漏"_s, u"≥0"_s, u"中挂"_s)));
    EXPECT_FALSE(alert_test(monitor(u"遗漏"_s, u"≥0"_s, u"40000"_s)));
    EXPECT_TRUE(alert_test(monitor(u"遗漏"_s, u"≥0"_s, u" 32767 "_s)));
}

TEST(AlertTest, PatternsCompareTheText)
{
    EXPECT_TRUE(alert_test(monitor(u"形态"_s, u"＝挂中中挂"_s, u"挂中中挂"_s)));
    EXPECT_TRUE(alert_test(monitor(u"形态"_s, u"＝ 挂中 "_s, u"挂中"_s)));
    EXPECT_FALSE(alert_test(monitor(u"形态"_s, u"＝挂中中挂"_s, u"中挂"_s)));
    EXPECT_FALSE(alert_test(monitor(u"形态"_s, u"＝挂中"_s, u"挂中 "_s)));
}

TEST(MonitorRows, Columns)
{
    Monitor m = monitor(u"遗漏"_s, u"≥10"_s, u"3"_s);
    EXPECT_EQ(row_columns(m, false, QString()),
              (QStringList{u"前三(直选复式)"_s, u"0123"_s, u"遗漏"_s, u"大于等于10"_s, u"3"_s,
                           u"待监控"_s, u"共：7, 中：2, 挂：5, 最大连中：1, 最大遗漏：4"_s}));
    const MonitorRow row = make_row(4, m);
    EXPECT_EQ(row.position, 4);
    EXPECT_EQ(row.uid, m.uid());
    EXPECT_FALSE(row.marked);

    m.set(kAutoBet, u"1"_s);
    m.set(kNumbers, QString(60, u'7'));
    const QStringList columns = row_columns(m, true, u"20151112-023"_s);
    EXPECT_EQ(columns[0], u"* 前三(直选复式)"_s);
    EXPECT_EQ(columns[1], QString(50, u'7') + u"..."_s);
    EXPECT_EQ(columns[5], u"监控到023期"_s);
    EXPECT_EQ(row_columns(m, true, u"201511122123"_s)[5], u"监控到2123期"_s);
    m.set(kNumbers, QString(50, u'7')); // the other side of the cut
    EXPECT_EQ(row_columns(m, true, QString())[1], QString(50, u'7'));
}

TEST(MonitorRows, MarkedWhenAlertingOrChasing)
{
    Monitor m = monitor(u"遗漏"_s, u"≥10"_s, u"3"_s);
    m.set(kPlanStep, u"2"_s);
    const MonitorRow chasing = make_row(1, m);
    EXPECT_TRUE(chasing.marked);
    EXPECT_FALSE(chasing.alerts);
    m.set(kPlanStep, u"00"_s); // a step of 0 however written does not chase
    EXPECT_FALSE(make_row(1, m).marked);
    const MonitorRow alerting = make_row(1, monitor(u"遗漏"_s, u"≥3"_s, u"3"_s));
    EXPECT_TRUE(alerting.marked);
    EXPECT_TRUE(alerting.alerts);
}

TEST(IssueTail, LastFourOrAfterTheDash)
{
    EXPECT_EQ(issue_tail(u"20151112-023"_s), u"023"_s);
    EXPECT_EQ(issue_tail(u"201511122123"_s), u"2123"_s);
    EXPECT_EQ(issue_tail(u"12"_s), u"12"_s);
    EXPECT_EQ(issue_tail(QString()), QString());
}

TEST(DetailText, OnlyForAutomaticBetting)
{
    Monitor m = monitor(u"遗漏"_s, u"≥10"_s, u"3"_s);
    EXPECT_EQ(detail_text(m), QString());
    m.set(kAutoBet, u"1"_s);
    m.set(kMoneyUnit, u"2"_s);
    m.set(kBetPlan, u"1,2,4"_s);
    m.set(kBetPending, u"true"_s);
    EXPECT_EQ(detail_text(m), u"注数：64，资金模式：角，赔率：1920,当前已投注：是\n倍投方案：1,2,4"_s);
    m.set(kBetInfo, u"0:0:0:1950"_s);
    m.set(kBetPending, u"false"_s);
    m.set(kMoneyUnit, u"0"_s);
    EXPECT_EQ(detail_text(m), u"资金模式：元，赔率：1950,当前已投注：否\n倍投方案：1,2,4"_s);
}
