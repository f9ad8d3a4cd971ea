// The 倍投计算器 window opened from the editor: its table for the editor's play, and 应用, whose
// multipliers a saved monitor then bets, step by step.

#include "core/core.h"
#include "fakes/fake_http.h"
#include "fakes/recording_shell.h"
#include "gui/find_child.h"
#include "gui/main_window.h"
#include "gui/plan_dialog.h"
#include "monitor/engine.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::app;
using zorvik::testing::find_child;

TEST(PlanWindow, TheCalculatorsPlanFillsThePlanBoxAndIsBetStepByStep)
{
    QTemporaryDir dir;
    zorvik::testing::RecordingShell shell;
    zorvik::testing::FakeHttp http;
    MainWindow window(dir.path(), &shell, {}, &http);
    zorvik::monitor::EditorRecord r;
    r.ticked = {true, false, false, false, false};
    r.play = u"定位胆"_s;
    r.numbers = u"01234"_s;
    r.category = u"遗漏"_s;
    r.comparison = u"≥"_s;
    r.threshold = u"1"_s;
    r.initial_status = u"0"_s;
    r.auto_bet = true;
    r.unit_index = 1; // 元
    r.odds = u"1920"_s;
    window.show_editor(r);

    find_child<QPushButton>(&window, u"alert_cfg_plan_calc"_s)->click();
    auto* dialog = find_child<PlanDialog>(&window, u"plan_dialog"_s);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(find_child<QLabel>(dialog, u"plan_play"_s)->text().startsWith(u"前一(定位胆)　号码：01234　共 5 注"_s));
    find_child<QSpinBox>(dialog, u"plan_steps"_s)->setValue(3);
    find_child<QDoubleSpinBox>(dialog, u"plan_profit"_s)->setValue(10);
    auto* table = find_child<QTableWidget>(dialog, u"plan_table"_s);
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->item(2, 1)->text(), u"8"_s);
    EXPECT_EQ(table->item(2, 3)->text(), u"140"_s);
    EXPECT_EQ(table->item(2, 5)->text(), u"13.6"_s);
    EXPECT_TRUE(find_child<QLabel>(dialog, u"plan_summary"_s)->text().contains(u"资金需求：140"_s));
    // A cap shows in the table at once.
    find_child<QSpinBox>(dialog, u"plan_max_multiplier"_s)->setValue(4);
    EXPECT_EQ(table->rowCount(), 2);
    EXPECT_TRUE(find_child<QLabel>(dialog, u"plan_summary"_s)->text().contains(u"超过最大倍数 4"_s));
    find_child<QSpinBox>(dialog, u"plan_max_multiplier"_s)->setValue(0);
    find_child<QPushButton>(dialog, u"plan_apply"_s)->click();
    EXPECT_EQ(find_child<QLineEdit>(&window, u"alert_cfg_autotz_bt"_s)->text(), u"2,4,8"_s);

    // Saved with the monitor, and bet: each losing draw takes the next step.
    find_child<QPushButton>(&window, u"alert_new_do"_s)->click();
    ASSERT_EQ(shell.messages.last(), u"添加成功"_s);
    zorvik::monitor::MonitorEngine& engine = window.engine();
    ASSERT_EQ(engine.list().records().size(), 1);
    EXPECT_EQ(engine.list().records()[0].second.field(zorvik::monitor::kBetPlan), u"2,4,8"_s);
    window.core().desk().choose_lottery(u"U彩平台-欢乐分分彩"_s);
    window.core().set_virtual(true);
    zorvik::monitor::DrawState state;
    QHash<QString, QString> lookup;
    state.lookup = &lookup;
    engine.set_draw_source([&state] { return state; });
    engine.set_monitoring(true, false);
    for (int n = 1; n <= 4; ++n) {
        const QString issue = u"20261209-"_s + QString::number(n).rightJustified(4, u'0');
        state.awd_iss = issue;
        state.awd_nums = u"9,1,1,1,1"_s; // 万 9: every bet loses
        state.bet_iss = state.next_iss_no = u"20261209-"_s + QString::number(n + 1).rightJustified(4, u'0');
        lookup.insert(QString(issue).remove(u'-'), state.awd_nums);
        engine.evaluate_draw();
        QTest::qWait(50);
    }
    QStringList bet;
    for (const auto& row : engine.bet_log())
        bet << row.columns[zorvik::monitor::kBetMultiplier];
    EXPECT_EQ(bet.mid(0, 3), (QStringList{u"2"_s, u"4"_s, u"8"_s}))
        << engine.line(zorvik::monitor::Line::BetStatus).toStdString() << " | " << shell.messages.join(u'|').toStdString()
        << " | " << engine.list().text().toStdString();
}
