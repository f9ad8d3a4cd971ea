// The 走势图 tab follows the desk's draws as they come: each new draw is a new row, its digits
// marked and every other digit's misses counted on; the choice of draws and hidden bands apply.

#include "core/core.h"
#include "core/desk.h"
#include "fakes/fake_http.h"
#include "fakes/recording_shell.h"
#include "gui/draw_trend_panel.h"
#include "gui/find_child.h"
#include "gui/main_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::app;
using zorvik::testing::find_child;

TEST(TrendWindow, TheGridFollowsNewDraws)
{
    QTemporaryDir dir;
    zorvik::testing::RecordingShell shell;
    zorvik::testing::FakeHttp http;
    MainWindow window(dir.path(), &shell, {}, &http);
    Desk& desk = window.core().desk();
    desk.choose_lottery(u"U彩平台-欢乐分分彩"_s);
    auto* panel = find_child<DrawTrendPanel>(&window, u"trend_panel"_s);
    ASSERT_TRUE(panel);
    panel->refresh();
    const DrawTrendModel& grid = panel->grid();
    EXPECT_EQ(grid.rowCount(), 0);
    EXPECT_EQ(grid.columnCount(), 52);

    const QString numbers[] = {u"1,2,3,4,5"_s, u"1,0,0,0,0"_s, u"2,0,0,0,0"_s};
    for (int n = 0; n < 3; ++n)
        emit desk.feed().new_draw(u"20261209-000"_s + QString::number(n + 1), numbers[n]);
    QTRY_COMPARE(grid.rowCount(), 3);
    const auto cell = [&](int row, int position, int digit, int role = Qt::DisplayRole) {
        return grid.data(grid.index(row, 2 + position * 10 + digit), role);
    };
    EXPECT_EQ(grid.data(grid.index(2, 0), Qt::DisplayRole).toString(), u"20261209-0003"_s);
    // 万 of the third draw: 2 drawn (marked), 1 missed once, 0 three times.
    EXPECT_TRUE(cell(2, 0, 2, Qt::UserRole).toBool());
    EXPECT_EQ(cell(2, 0, 2).toString(), u"2"_s);
    EXPECT_EQ(cell(2, 0, 1).toString(), u"1"_s);
    EXPECT_FALSE(cell(2, 0, 1, Qt::UserRole).toBool());
    EXPECT_EQ(cell(2, 0, 0).toString(), u"3"_s);
    // 个: 0 drawn twice running, 5 missed twice since the first draw.
    EXPECT_TRUE(cell(2, 4, 0, Qt::UserRole).toBool());
    EXPECT_EQ(cell(2, 4, 5).toString(), u"2"_s);

    // A new draw is a new row at the bottom, counted on.
    emit desk.feed().new_draw(u"20261209-0004"_s, u"9,9,9,9,9"_s);
    QTRY_COMPARE(grid.rowCount(), 4);
    EXPECT_EQ(cell(3, 0, 2).toString(), u"1"_s);
    EXPECT_EQ(cell(3, 0, 0).toString(), u"4"_s);
    EXPECT_TRUE(cell(3, 0, 9, Qt::UserRole).toBool());

    // A hidden band, and fewer draws shown.
    auto* view = find_child<QTableView>(panel, u"trend_grid"_s);
    find_child<QCheckBox>(panel, u"trend_band_1"_s)->setChecked(false);
    EXPECT_TRUE(view->isColumnHidden(2 + 10));
    EXPECT_TRUE(view->isColumnHidden(2 + 19));
    EXPECT_FALSE(view->isColumnHidden(2 + 20));
    EXPECT_FALSE(view->isColumnHidden(2 + 9));
    auto* last = find_child<QComboBox>(panel, u"trend_last"_s);
    for (int n = 5; n <= 40; ++n)
        emit desk.feed().new_draw(u"20261209-00"_s + QString::number(n).rightJustified(2, u'0'), u"1,2,3,4,5"_s);
    QTRY_COMPARE(grid.rowCount(), 40);
    last->setCurrentIndex(0); // 30
    EXPECT_EQ(grid.rowCount(), 30);
    EXPECT_EQ(grid.data(grid.index(29, 0), Qt::DisplayRole).toString(), u"20261209-0040"_s);
}
