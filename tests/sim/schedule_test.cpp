#include "qt_printers.h"
#include "schedule.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::sim;

TEST(SimSchedule, IssuesInEachSourcesForm)
{
    const Schedule s(1, 60, QDate(2015, 11, 12), 10 * 3600); // 10:00
    EXPECT_EQ(s.draw(*game_by_code(u"chongqing"_s), 0).issue, u"151112051"_s);
    EXPECT_EQ(s.draw(*game_by_code(u"hele_fenfen"_s), 0).issue, u"201511120601"_s);
    EXPECT_EQ(s.draw(*game_by_code(u"ucai_60s"_s), 0).issue, u"20151112-0601"_s);
    EXPECT_EQ(s.next_issue(*game_by_code(u"ucai_60s"_s), 0), u"20151112-0602"_s);
    EXPECT_EQ(game_by_site(u"HELSSC"_s)->code, u"hele_5fen"_s);
    EXPECT_EQ(game_by_site(QString()), nullptr);
}

TEST(SimSchedule, DaysRollOverBothWays)
{
    const Schedule s(1, 60, QDate(2015, 11, 12), 86399); // the day's last draw
    const Game& cq = *game_by_code(u"chongqing"_s);
    EXPECT_EQ(s.draw(cq, 0).issue, u"151112120"_s);
    EXPECT_EQ(s.draw(cq, 1).issue, u"151113001"_s);
    EXPECT_EQ(s.draw(cq, -120).issue, u"151111120"_s);
    EXPECT_EQ(s.draw(cq, -119).issue, u"151112001"_s);
}

TEST(SimSchedule, NumbersFollowTheSeedAndTheIssue)
{
    const Schedule a(7, 60, QDate(2015, 11, 12), 3600);
    const Schedule b(7, 5, QDate(2015, 11, 12), 3600);
    const Schedule c(8, 60, QDate(2015, 11, 12), 3600);
    const Game& g = *game_by_code(u"jw_60s"_s);
    static const QRegularExpression five(u"^\\d,\\d,\\d,\\d,\\d$"_s);
    int differ = 0;
    for (int i = -50; i < 50; ++i) {
        EXPECT_TRUE(five.match(a.draw(g, i).numbers).hasMatch());
        EXPECT_EQ(a.draw(g, i).numbers, b.draw(g, i).numbers);
        differ += a.draw(g, i).numbers != c.draw(g, i).numbers;
    }
    EXPECT_GT(differ, 80);
}

TEST(SimSchedule, ScheduleAndForcedDraws)
{
    Schedule s(1, 1.5, QDate(2015, 11, 12), 0);
    const Game& g = *game_by_code(u"ucai_60s"_s);
    EXPECT_EQ(s.newest(0, g), 0);
    EXPECT_EQ(s.newest(1.4, g), 0);
    EXPECT_EQ(s.newest(3.1, g), 2);
    EXPECT_DOUBLE_EQ(s.seconds_left(3.0, g), 1.5);
    s.force();
    EXPECT_EQ(s.newest(3.1, g), 3);
}

TEST(SimSchedule, AGameWithItsOwnPeriodDrawsAtIt)
{
    Schedule s(1, 2, QDate(2015, 11, 12), 0);
    const Game& own = *game_by_code(u"ucai_300s"_s);
    const Game& other = *game_by_code(u"ucai_60s"_s);
    s.set_period(own.code, 5);
    EXPECT_EQ(s.newest(4.9, own), 0);
    EXPECT_EQ(s.newest(5.0, own), 1);
    EXPECT_EQ(s.newest(4.9, other), 2); // the others keep the schedule's period
    EXPECT_DOUBLE_EQ(s.seconds_left(6.0, own), 4.0);
    EXPECT_DOUBLE_EQ(s.seconds_left(6.0, other), 2.0);
    s.force(); // a forced draw is one more of every game
    EXPECT_EQ(s.newest(5.0, own), 2);
    EXPECT_EQ(s.newest(5.0, other), 3);
}
