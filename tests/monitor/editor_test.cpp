#include "monitor/editor.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::monitor;

namespace {

EditorRecord front_three(const QString& numbers)
{
    EditorRecord e;
    e.ticked = {true, true, true, false, false};
    e.play = u"直选复式"_s;
    e.numbers = numbers;
    e.category = u"遗漏"_s;
    e.comparison = u"≥"_s;
    e.threshold = u"10"_s;
    e.initial_status = u"0"_s;
    return e;
}

} // namespace

TEST(BuildMonitor, TheRecordAsStored)
{
    EditorRecord e = front_three(u"0123"_s);
    e.odds = u"1,950"_s;
    e.unit_index = 3;
    e.auto_bet = true;
    const Monitor m = std::get<Monitor>(build_monitor(e, false));
    EXPECT_EQ(m.text(), u"ABC~直选复式~前三(直选复式)~0123~遗漏~≥10~大于等于10~0~待监控~0~0~0~0:0~"
                        u"0:0:0:0~1~1,2,4,8,16,32,64,128~3~false~0~64:0:0:1950~0"_s);
    EXPECT_EQ(std::get<Monitor>(build_monitor(e, true)).field(kStatus), u"监控中"_s);
    e.odds = u"19.5"_s;
    EXPECT_EQ(std::get<Monitor>(build_monitor(e, false)).part(kBetInfo, 3), u"195"_s);
}

TEST(BuildMonitor, NumbersAreCleanedAndNormalised)
{
    EditorRecord e = front_three(u"示例：123  456\r\n789"_s);
    e.play = u"直选单式"_s;
    const Monitor m = std::get<Monitor>(build_monitor(e, false));
    EXPECT_EQ(m.field(kNumbers), u"123 456 789"_s);
    EXPECT_EQ(m.part(kBetInfo, 0), u"3"_s);
}

TEST(BuildMonitor, PatternCategory)
{
    EditorRecord e = front_three(u"0123"_s);
    e.category = u"形态"_s;
    e.comparison = u"＝"_s;
    e.threshold = u"挂中中挂"_s;
    e.initial_status = u"挂中"_s;
    const Monitor m = std::get<Monitor>(build_monitor(e, false));
    EXPECT_EQ(m.field(kCondition), u"＝挂中中挂"_s);
    EXPECT_EQ(m.field(kConditionText), u"等于挂中中挂"_s);
    EXPECT_EQ(m.field(kCurrent), u"挂中"_s);
    EXPECT_EQ(m.field(kHistory), u"挂中"_s);
    EXPECT_EQ(m.field(kInitial), u"挂中"_s);
}

TEST(BuildMonitor, Refusals)
{
    EditorRecord e = front_three(u"0123"_s);
    e.ticked = {};
    EXPECT_EQ(std::get<MessageBox>(build_monitor(e, false)).text, u"请勾选要监控的位置"_s);
    e = front_three(u"示例：abc"_s);
    EXPECT_EQ(std::get<MessageBox>(build_monitor(e, false)).text, u"请输入要监控的投注号码"_s);
    e = front_three(u"01 23"_s);
    EXPECT_EQ(std::get<ErrorBox>(build_monitor(e, false)).text,
              u"号码格式有误，发现有号码不是3星直选复式, 不允许包含空格, 如下：\r\n01 23"_s);
}

TEST(BuildMonitor, AMonitorThatBetsNeedsAPlanOfPositiveMultipliers)
{
    EditorRecord e = front_three(u"0123"_s);
    e.auto_bet = true;
    const QString said = u"倍投方案有误：自动投注的倍投方案须是用英文逗号分开的正整数倍数，如 1,2,4"_s;
    for (const QString& plan : {u""_s, u"  "_s, u"0"_s, u"1,0"_s, u"1,-2"_s, u"1,,2"_s, u"1,x"_s, u"1.5"_s, u"1，2"_s}) {
        e.plan = plan;
        const BuildResult built = build_monitor(e, false);
        ASSERT_TRUE(std::holds_alternative<ErrorBox>(built)) << plan.toStdString();
        EXPECT_EQ(std::get<ErrorBox>(built).text, said);
    }
    // The smallest positive plan, with blanks around its entries, is taken.
    for (const QString& plan : {u"1"_s, u" 1 , 2 "_s, u"1,2,4,8"_s}) {
        e.plan = plan;
        EXPECT_TRUE(std::holds_alternative<Monitor>(build_monitor(e, false))) << plan.toStdString();
    }
    // A monitor that does not bet keeps whatever its plan box holds.
    e.auto_bet = false;
    e.plan = u"0"_s;
    EXPECT_TRUE(std::holds_alternative<Monitor>(build_monitor(e, false)));
}

TEST(EditorFromMonitor, FillsEveryBoxFromTheRecord)
{
    EditorRecord e = front_three(u"0123"_s);
    e.ticked = {false, false, true, true, true};
    e.comparison = u"≤"_s;
    e.threshold = u"7"_s;
    e.auto_bet = true;
    e.plan = u"1,3,9"_s;
    e.unit_index = 1;
    e.odds = u"1950"_s;
    Monitor m = std::get<Monitor>(build_monitor(e, false));
    m.set(kCurrent, u"5"_s);

    const EditorRecord loaded = editor_from_monitor(3, m, EditorRecord());
    EXPECT_EQ(loaded.id, 3);
    EXPECT_EQ(loaded.original, m.text());
    EXPECT_EQ(loaded.ticked, (std::array<bool, 5>{false, false, true, true, true}));
    EXPECT_EQ(loaded.play, u"直选复式"_s);
    EXPECT_EQ(loaded.numbers, u"0123"_s);
    EXPECT_EQ(loaded.comparison, u"≤"_s);
    EXPECT_EQ(loaded.threshold, u"7"_s);
    EXPECT_EQ(loaded.initial_status, u"5"_s); // the current value
    EXPECT_TRUE(loaded.auto_bet);
    EXPECT_EQ(loaded.plan, u"1,3,9"_s);
    EXPECT_EQ(loaded.unit_index, 1);
    EXPECT_EQ(loaded.odds, u"1950"_s);
}

TEST(EditorFromMonitor, ConditionWithoutAKnownSign)
{
    Monitor m;
    m.set(kCondition, u"=5"_s);
    EXPECT_EQ(editor_from_monitor(1, m, EditorRecord()).comparison, u"="_s);
    EXPECT_EQ(editor_from_monitor(1, m, EditorRecord()).threshold, u"5"_s);
    m.set(kCondition, u"5"_s);
    EXPECT_EQ(editor_from_monitor(1, m, EditorRecord()).comparison, QString());
    EXPECT_EQ(editor_from_monitor(1, m, EditorRecord()).threshold, u"5"_s);
}
