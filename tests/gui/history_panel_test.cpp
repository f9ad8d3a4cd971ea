// The 投注历史 tab over a records file: its rows, filters, running income and day totals.

#include "core/core.h"
#include "gui/history_panel.h"
#include "gui/main_window.h"
#include "fakes/fake_http.h"
#include "fakes/recording_shell.h"
#include "gui/find_child.h"
#include "records/records.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

zorvik::records::BetRecord bet(const QString& lottery, const QString& monitor, const QString& at,
                               const QString& order)
{
    zorvik::records::BetRecord b;
    b.lottery = lottery;
    b.monitor = monitor;
    b.positions = u"A"_s;
    b.play = u"定位胆"_s;
    b.numbers = u"01234"_s;
    b.issue = u"20261208-0001"_s;
    b.multiplier = 1;
    b.cost = 1;
    b.prize = 1.92;
    b.order_no = order;
    b.placed_at = at;
    return b;
}

class History : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_ = std::make_unique<zorvik::app::MainWindow>(dir_.path(), &shell_, zorvik::app::NetConfig{}, &http_);
        {
            zorvik::records::RecordStore store;
            ASSERT_TRUE(store.open(window_->core().records_file()));
            ASSERT_TRUE(store.add_bet(bet(u"U彩平台-欢乐分分彩"_s, u"前一(定位胆)"_s, u"2026-12-07 23:59:59"_s, u"A"_s)));
            ASSERT_TRUE(store.add_bet(bet(u"U彩平台-欢乐分分彩"_s, u"后三(组六复式)"_s, u"2026-12-08 00:00:00"_s, u"B"_s)));
            auto simulated = bet(u"合乐平台-HI彩分分彩"_s, u"前一(定位胆)"_s, u"2026-12-08 09:00:00"_s, u"C"_s);
            simulated.simulated = true;
            ASSERT_TRUE(store.add_bet(simulated));
            ASSERT_TRUE(store.settle(u"U彩平台-欢乐分分彩"_s, u"20261208-0001"_s, u"A"_s, u"0,1,2,3,4"_s, u"中"_s,
                                     1.92, u"t"_s));
            ASSERT_TRUE(store.settle(u"U彩平台-欢乐分分彩"_s, u"20261208-0001"_s, u"B"_s, u"9,9,9,9,9"_s, u"挂"_s, 0,
                                     u"t"_s));
        }
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        auto* tabs = zorvik::testing::find_child<QTabWidget>(window_.get(), u"zorvik_main"_s);
        tabs->setCurrentWidget(zorvik::testing::find_child<QWidget>(window_.get(), u"records_tab"_s));
        list_ = zorvik::testing::find_child<QTableView>(window_.get(), u"records_list"_s);
        tester_ = std::make_unique<QAbstractItemModelTester>(list_->model());
    }

    QString cell(int row, int column) const { return list_->model()->index(row, column).data().toString(); }
    void choose(const QString& name, const QString& text)
    {
        auto* box = zorvik::testing::find_child<QComboBox>(window_.get(), name);
        box->setCurrentIndex(box->findText(text));
    }

    QTemporaryDir dir_;
    zorvik::testing::RecordingShell shell_;
    zorvik::testing::FakeHttp http_;
    std::unique_ptr<zorvik::app::MainWindow> window_;
    QTableView* list_ = nullptr;
    std::unique_ptr<QAbstractItemModelTester> tester_;
};

TEST_F(History, ShowsEveryBetWithTheRunningIncomeAndDayTotals)
{
    ASSERT_EQ(list_->model()->rowCount(), 3);
    EXPECT_EQ(cell(0, 0), u"2026-12-07 23:59:59"_s);
    EXPECT_EQ(cell(0, 7), u"中"_s);
    EXPECT_EQ(cell(0, 9), u"0.92"_s);  // running income after the first bet
    EXPECT_EQ(cell(1, 9), u"-0.08"_s);
    EXPECT_EQ(cell(2, 7), u"---"_s);   // open: counts once settled
    EXPECT_EQ(cell(2, 9), u"0"_s);     // simulated money runs apart from real money
    EXPECT_EQ(cell(2, 2), u"前一(定位胆)（模拟）"_s);
    const QString totals = zorvik::testing::find_child<QLabel>(window_.get(), u"records_totals"_s)->text();
    EXPECT_TRUE(totals.contains(u"2026-12-07（真实）：投注1次，成本1，返奖1.92，收入0.92"_s)) << totals.toStdString();
    EXPECT_TRUE(totals.contains(u"2026-12-08（真实）：投注1次，成本1，返奖0，收入-1"_s)) << totals.toStdString();
    EXPECT_TRUE(totals.contains(u"2026-12-08（模拟）：投注1次，成本1，返奖0，收入-1"_s)) << totals.toStdString();
}

TEST_F(History, SimulatedAndRealMoneyAreShownApart)
{
    choose(u"records_kind"_s, u"模拟投注"_s);
    ASSERT_EQ(list_->model()->rowCount(), 1);
    EXPECT_EQ(cell(0, 10), u"C"_s);
    choose(u"records_kind"_s, u"真实投注"_s);
    ASSERT_EQ(list_->model()->rowCount(), 2);
    const QString totals = zorvik::testing::find_child<QLabel>(window_.get(), u"records_totals"_s)->text();
    EXPECT_FALSE(totals.contains(u"模拟"_s)) << totals.toStdString();
    // An order whose placement is not known says so.
    {
        zorvik::records::RecordStore store;
        ASSERT_TRUE(store.open(window_->core().records_file()));
        auto sent = bet(u"U彩平台-欢乐分分彩"_s, u"前一(定位胆)"_s, u"2026-12-08 10:00:00"_s, QString());
        sent.state = QString::fromUtf16(zorvik::records::kUnconfirmedState);
        sent.ref = u"r"_s;
        ASSERT_TRUE(store.add_bet(sent));
    }
    zorvik::testing::find_child<QPushButton>(window_.get(), u"records_refresh"_s)->click();
    ASSERT_EQ(list_->model()->rowCount(), 3);
    EXPECT_EQ(cell(2, 7), u"未确认"_s);
}

TEST_F(History, FiltersByDayLotteryAndMonitor)
{
    choose(u"records_day"_s, u"2026-12-08"_s);
    EXPECT_EQ(list_->model()->rowCount(), 2);
    choose(u"records_lottery"_s, u"合乐平台-HI彩分分彩"_s);
    ASSERT_EQ(list_->model()->rowCount(), 1);
    EXPECT_EQ(cell(0, 10), u"C"_s);
    // The 玩法 filter lists that lottery's monitors only.
    auto* monitors = zorvik::testing::find_child<QComboBox>(window_.get(), u"records_monitor"_s);
    QStringList listed;
    for (int i = 0; i < monitors->count(); ++i)
        listed << monitors->itemText(i);
    EXPECT_EQ(listed, (QStringList{u"全部"_s, u"前一(定位胆)"_s}));
    choose(u"records_lottery"_s, u"U彩平台-欢乐分分彩"_s);
    EXPECT_EQ(monitors->count(), 3);
    choose(u"records_day"_s, u"全部"_s);
    choose(u"records_lottery"_s, u"全部"_s);
    choose(u"records_monitor"_s, u"前一(定位胆)"_s);
    EXPECT_EQ(list_->model()->rowCount(), 2);
    choose(u"records_day"_s, u"2026-12-07"_s);
    choose(u"records_lottery"_s, u"合乐平台-HI彩分分彩"_s);
    EXPECT_EQ(list_->model()->rowCount(), 0);
    EXPECT_EQ(zorvik::testing::find_child<QLabel>(window_.get(), u"records_totals"_s)->text(), u"没有投注记录"_s);
}

} // namespace
