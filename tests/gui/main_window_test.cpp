// The real main window, offscreen, driven through its widgets as a user would.

#include "core/core.h"
#include "gui/backtest_dialog.h"
#include "gui/main_window.h"
#include "core/options.h"
#include "core/translations.h"
#include "gui/window_shell.h"
#include "fakes/fake_http.h"
#include "fakes/fixed_clock.h"
#include "fakes/recording_shell.h"
#include "feed/draw_feed.h"
#include "support/http.h"
#include "gui/find_child.h"
#include "monitor/engine.h"
#include "qt_printers.h"
#include "support/gbk.h"
#include "support/ini.h"

#include <QApplication>
#include <QFrame>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QScrollBar>
#include <QSplitter>
#include <QScrollArea>
#include <QScopeGuard>
#include <QTableView>
#include <QTreeWidget>
#include <QSessionManager>
#include <QWebEnginePage>
#include <QWebEngineView>
#include "gui/tray.h"
#include <gtest/gtest.h>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using zorvik::app::MainWindow;
using zorvik::support::ini_read;
using zorvik::testing::RecordingShell;

namespace {

class Window : public ::testing::Test {
protected:
    void SetUp() override { open(); }

    void open()
    {
        window_.reset();
        window_ = std::make_unique<MainWindow>(dir_.path(), &shell_);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    template <typename W>
    W* find(const QString& name) const
    {
        return zorvik::testing::find_child<W>(window_.get(), name);
    }
    QCheckBox* box(const QString& name) const { return find<QCheckBox>(name); }
    QComboBox* combo(const QString& name) const { return find<QComboBox>(name); }
    QLineEdit* line(const QString& name) const { return find<QLineEdit>(name); }
    QTableView* alert_list() const { return find<QTableView>(u"alert_list"_s); }
    int rows() const { return alert_list()->model()->rowCount(); }
    QVariant cell(int row, int column, int role = Qt::DisplayRole) const
    {
        return alert_list()->model()->index(row, column).data(role);
    }
    QString text(int row, int column) const { return cell(row, column).toString(); }
    QString label(int index) const { return find<QLabel>(u"tips_label_"_s + QString::number(index))->text(); }

    void click(QWidget* w)
    {
        // A check box reacts to its indicator and caption, not to the free space after them.
        const bool check = qobject_cast<QCheckBox*>(w) != nullptr;
        QTest::mouseClick(w, Qt::LeftButton, {}, check ? QPoint(6, w->height() / 2) : QPoint());
    }
    void click(const QString& name) { click(find<QWidget>(name)); }
    void click_label(int index) { click(u"tips_label_"_s + QString::number(index)); }

    void tick(std::initializer_list<int> positions)
    {
        for (int i : positions)
            click(box(u"alert_cfg_pos_"_s + QString::number(i)));
    }

    void choose(const QString& combo_name, const QString& text)
    {
        QComboBox* c = combo(combo_name);
        const int i = c->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        c->setCurrentIndex(i);
        emit c->activated(i);
    }

    void type_numbers(const QString& text)
    {
        auto* numbers = find<QPlainTextEdit>(u"alert_cfg_numbers"_s);
        numbers->clear();
        numbers->setFocus();
        QTest::keyClicks(numbers, text);
    }

    void type_threshold(const QString& text)
    {
        QLineEdit* t = line(u"alert_cfg_cond_comp"_s);
        t->selectAll();
        QTest::keyClicks(t, text);
    }

    // Ticks the first three positions, types the threshold, picks the play and types the
    // numbers. (A change of positions or threshold reloads the play box, so the play comes
    // after them.)
    void add_monitor(const QString& play, const QString& numbers, const QString& threshold)
    {
        click(u"alert_new"_s);
        for (int i = 0; i < 5; ++i)
            box(u"alert_cfg_pos_"_s + QString::number(i))->setChecked(false);
        tick({0, 1, 2});
        type_threshold(threshold);
        choose(u"alert_cfg_extra_tztype"_s, play);
        type_numbers(numbers);
        click(u"alert_new_do"_s);
    }

    void select_row(int row)
    {
        find<QTabWidget>(u"zorvik_main"_s)->setCurrentIndex(0);
        QTableView* list = alert_list();
        ASSERT_LT(row, rows());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 0)).center());
    }

    QString stored_list() const
    {
        return ini_read(u"alert_cfg"_s, u"list"_s, window_->settings_file());
    }

    QTemporaryDir dir_;
    RecordingShell shell_;
    std::unique_ptr<MainWindow> window_;
};

} // namespace

TEST_F(Window, CaptionListsAndOptionBoxes)
{
    EXPECT_EQ(window_->objectName(), u"zorvik_frm"_s);
    EXPECT_EQ(window_->windowTitle(), u"Zorvik分分彩遗漏监控挂机投注软件{v1.6} "_s);
    QTableView* list = alert_list();
    ASSERT_EQ(list->model()->columnCount(), 7);
    EXPECT_EQ(list->model()->headerData(0, Qt::Horizontal).toString(), u"玩法(带*为自动投注)"_s);
    EXPECT_EQ(list->model()->headerData(6, Qt::Horizontal).toString(), u"统计数据（单位：次）"_s);
    EXPECT_EQ(list->columnWidth(1), 2300 / 15);
    EXPECT_EQ(find<QTreeWidget>(u"awd_list"_s)->headerItem()->text(0), u"期号"_s);
    EXPECT_EQ(find<QTableView>(u"tz_list"_s)->model()->columnCount(), 10);
    EXPECT_EQ(find<QTableView>(u"tz_list"_s)->model()->headerData(9, Qt::Horizontal).toString(), u"备注"_s);
    EXPECT_EQ(combo(u"combox_select_caizhong"_s)->count(), 9);
    EXPECT_EQ(combo(u"combox_select_caizhong"_s)->currentText(), u"--选择彩种--"_s);
    EXPECT_EQ(combo(u"alert_cfg_autotz_zjtype"_s)->currentText(), u"角"_s);
    EXPECT_EQ(combo(u"alert_cfg_cond"_s)->count(), 3);
    EXPECT_EQ(line(u"plt_tz_zs"_s)->text(), u"-1000"_s);
    EXPECT_EQ(line(u"plt_tz_zy"_s)->text(), u"1000"_s);
    for (const char* name : {"frame_awd", "awd_url", "new_iss", "next_iss", "new_award",
                             "next_awd_countdown", "isshowawardtips", "zorvik_main", "begin_plan",
                             "alert_cfg_error_tips", "alert_cfg_status_init", "alert_cfg_autotz",
                             "alert_cfg_autotz_bt", "alert_cfg_autotz_pl", "alert_cfg_id",
                             "alert_sound_file", "alert_sound_test", "tz_plt_pass", "tz_virtual",
                             "tz_virtual_m", "tz_plt_login", "tz_virtual_m_do", "alert_show_tz_number",
                             "alert_show_tz_info", "info_label_0", "info_label_2", "info_label_5", "global_tips"})
        EXPECT_NE(window_->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
}

TEST_F(Window, EditorFollowsPositionsAndCategory)
{
    click(u"alert_new"_s);
    EXPECT_EQ(find<QTabWidget>(u"zorvik_main"_s)->currentIndex(), 1);
    EXPECT_FALSE(combo(u"alert_cfg_extra_tztype"_s)->isVisible()); // nothing ticked
    tick({0, 1, 2});
    EXPECT_EQ(label(3), u"前三"_s);
    EXPECT_TRUE(combo(u"alert_cfg_extra_tztype"_s)->isVisible());
    EXPECT_EQ(combo(u"alert_cfg_extra_tztype"_s)->count(), 9);
    // The example is the box's placeholder, never its value.
    auto* numbers = find<QPlainTextEdit>(u"alert_cfg_numbers"_s);
    EXPECT_EQ(numbers->placeholderText(), u"示例：000 112 345"_s);
    EXPECT_TRUE(numbers->toPlainText().isEmpty());
    choose(u"alert_cfg_extra_tztype"_s, u"组三单式"_s);
    EXPECT_EQ(numbers->placeholderText(), u"示例：112 334 566"_s);
    EXPECT_TRUE(numbers->toPlainText().isEmpty());

    // An empty threshold becomes 10 and the sentence shows it.
    EXPECT_EQ(line(u"alert_cfg_cond_comp"_s)->text(), u"10"_s);
    EXPECT_EQ(label(10), u"当遗漏值大于等于 10时触发报警"_s);
    EXPECT_EQ(label(9), u"手动输入当前遗漏值,默认为0"_s);
    EXPECT_EQ(label(7), u"遗漏"_s);
    EXPECT_EQ(line(u"alert_cfg_status_init"_s)->text(), u"0"_s);

    combo(u"alert_cfg_type"_s)->setCurrentIndex(1);
    EXPECT_EQ(label(10), u"当连中大于等于 10时触发报警"_s);
    combo(u"alert_cfg_cond"_s)->setCurrentIndex(1);
    EXPECT_EQ(label(10), u"当连中小于等于 10时触发报警"_s);

    combo(u"alert_cfg_type"_s)->setCurrentIndex(2);
    EXPECT_EQ(line(u"alert_cfg_cond_comp"_s)->text(), u"挂中中挂"_s);
    EXPECT_EQ(combo(u"alert_cfg_cond"_s)->currentText(), u"＝"_s);
    EXPECT_EQ(label(10), u"当最近4期形态为挂中中挂时触发报警"_s);
    EXPECT_EQ(label(9), u"手动输入当前形态,默认为空"_s);
    EXPECT_EQ(line(u"alert_cfg_status_init"_s)->text(), QString());

    tick({0, 2}); // unticks 万 and 百: 千 only
    EXPECT_EQ(label(3), u"千位"_s);
    EXPECT_EQ(combo(u"alert_cfg_extra_tztype"_s)->count(), 1);
    tick({3});
    EXPECT_EQ(label(3), u"千位,十位"_s);
    EXPECT_EQ(combo(u"alert_cfg_extra_tztype"_s)->count(), 5);
}

TEST_F(Window, TheEditorSaysWhenAHeleLotteryCannotBetThePlay)
{
    const auto lottery = [&](const QString& name) {
        QComboBox* c = combo(u"combox_select_caizhong"_s);
        c->setCurrentIndex(c->findText(name));
        emit c->activated(c->currentIndex());
    };
    auto* warning = find<QLabel>(u"alert_cfg_autotz_warning"_s);
    lottery(u"合乐平台-HI彩分分彩"_s);
    click(u"alert_new"_s);
    tick({2, 3, 4});
    choose(u"alert_cfg_extra_tztype"_s, u"不定位:二码"_s);
    EXPECT_FALSE(warning->isVisible()); // no automatic bets asked for
    click(box(u"alert_cfg_autotz"_s));
    EXPECT_TRUE(warning->isVisible());
    EXPECT_EQ(warning->text(), u"合乐平台没有此玩法，自动投注不会下单"_s);
    choose(u"alert_cfg_extra_tztype"_s, u"直选复式"_s);
    EXPECT_FALSE(warning->isVisible());
    choose(u"alert_cfg_extra_tztype"_s, u"不定位:二码"_s);
    EXPECT_TRUE(warning->isVisible());
    lottery(u"U彩平台-欢乐分分彩"_s); // UCai has the play
    EXPECT_FALSE(warning->isVisible());
}

TEST_F(Window, TheEditorsBoxesAndButtonAreInViewWithoutScrollingOnASmallScreen)
{
    window_->resize(1366, 700);
    click(u"alert_new"_s);
    QCoreApplication::processEvents();
    auto* button = find<QPushButton>(u"alert_new_do"_s);
    QScrollArea* area = nullptr;
    for (QWidget* w = button->parentWidget(); w && !area; w = w->parentWidget())
        area = qobject_cast<QScrollArea*>(w);
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->verticalScrollBar()->maximum(), 0);
    for (const QString& name : {u"alert_new_do"_s, u"alert_cfg_autotz_bt"_s, u"alert_cfg_autotz_zjtype"_s,
                                u"alert_cfg_autotz_pl"_s, u"alert_cfg_numbers"_s, u"alert_cfg_cond_comp"_s}) {
        auto* w = find<QWidget>(name);
        const QRect shown(w->mapTo(area->viewport(), QPoint(0, 0)), w->size());
        EXPECT_TRUE(area->viewport()->rect().contains(shown)) << name.toStdString();
    }
}

TEST_F(Window, TheInitialValueIsOfferedFromTheDrawsKnown)
{
    QComboBox* c = combo(u"combox_select_caizhong"_s);
    c->setCurrentIndex(c->findText(u"U彩平台-欢乐分分彩"_s));
    emit c->activated(c->currentIndex());
    // Oldest first: a hit of 1*2*3 on 前三, then three misses.
    const QString draws[] = {u"1,2,3,0,0"_s, u"9,9,9,0,0"_s, u"8,8,8,0,0"_s, u"7,7,7,0,0"_s};
    for (int i = 0; i < 4; ++i)
        window_->core().records().add_draw(u"U彩平台-欢乐分分彩"_s, u"20261208-000"_s + QString::number(i + 1), draws[i],
                                           u"2026-12-08 10:00:00"_s);
    window_->core().records().flush();
    click(u"alert_new"_s);
    tick({0, 1, 2});
    choose(u"alert_cfg_extra_tztype"_s, u"直选复式"_s);
    auto* error = find<QPlainTextEdit>(u"alert_cfg_error_tips"_s);
    // Without numbers: said, nothing filled in.
    click(u"alert_cfg_status_from_draws"_s);
    EXPECT_TRUE(error->isVisible());
    EXPECT_EQ(error->toPlainText(), u"请先选择位置、玩法并输入有效的投注号码"_s);
    type_numbers(u"1*2*3"_s);
    click(u"alert_cfg_status_from_draws"_s);
    EXPECT_FALSE(error->isVisible());
    EXPECT_EQ(line(u"alert_cfg_status_init"_s)->text(), u"3"_s); // three misses since the hit
    combo(u"alert_cfg_type"_s)->setCurrentIndex(combo(u"alert_cfg_type"_s)->findText(u"连中"_s));
    click(u"alert_cfg_status_from_draws"_s);
    EXPECT_EQ(line(u"alert_cfg_status_init"_s)->text(), u"0"_s);
}

TEST_F(Window, ThePlatformWarningFollowsTheMonitorShownInTheEditor)
{
    QComboBox* c = combo(u"combox_select_caizhong"_s);
    c->setCurrentIndex(c->findText(u"合乐平台-HI彩分分彩"_s));
    emit c->activated(c->currentIndex());
    // A play Hele has no code for, then 前一(定位胆), which it takes; both bet automatically.
    window_->core().engine().load_text(
        u"|CDE~不定位:二码~后三(不定位:二码)~1 2 4~遗漏~≥5~大于等于5~0~待监控~~0~0~0:0~0:0:0:0~1~1~1~false~0~1:0:0:1920~0"
        u"|A~定位胆~前一(定位胆)~123~遗漏~≥5~大于等于5~0~待监控~~0~0~0:0~0:0:0:0~1~1~1~false~0~3:0:0:1920~0"_s);
    auto* warning = find<QLabel>(u"alert_cfg_autotz_warning"_s);
    shell_.answers = {true, true, true};
    select_row(0);
    click_label(14);
    EXPECT_TRUE(warning->isVisible());
    select_row(1);
    click_label(14);
    EXPECT_EQ(combo(u"alert_cfg_extra_tztype"_s)->currentText(), u"定位胆"_s);
    EXPECT_FALSE(warning->isVisible());
    select_row(0);
    click_label(14);
    EXPECT_TRUE(warning->isVisible());
}

TEST_F(Window, TheNumberExampleFollowsThePlayAtOnce)
{
    click(u"alert_new"_s);
    tick({0, 1, 2});
    auto* numbers = find<QPlainTextEdit>(u"alert_cfg_numbers"_s);
    QComboBox* play = combo(u"alert_cfg_extra_tztype"_s);
    const QString first = numbers->placeholderText();
    // Chosen by the program too (a monitor loaded, the list filled), not only by the user.
    play->setCurrentIndex(play->findText(u"组六复式"_s));
    EXPECT_NE(numbers->placeholderText(), first);
    EXPECT_TRUE(numbers->placeholderText().startsWith(u"示例："_s));
}

TEST_F(Window, AFirstStartSaysWhatToDoFirst)
{
    auto* hint = find<QLabel>(u"alert_list_hint"_s);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(hint->text().startsWith(u"第一步：在左侧“彩种”中选择要跟踪的彩种"_s)) << hint->text().toStdString();
    // No lottery yet: the clock ticks from 0, the sale closed.
    window_->core().feed().tick_countdown();
    EXPECT_EQ(find<QLabel>(u"next_awd_countdown"_s)->text(), u"投注已截止,等待开奖..."_s);
    QComboBox* lottery = combo(u"combox_select_caizhong"_s);
    lottery->setCurrentIndex(lottery->findText(u"U彩平台-欢乐分分彩"_s));
    emit lottery->activated(lottery->currentIndex());
    EXPECT_TRUE(hint->text().startsWith(u"还没有监控"_s)) << hint->text().toStdString();
    window_->core().feed().tick_countdown(u"-5"_s);
    EXPECT_EQ(find<QLabel>(u"next_awd_countdown"_s)->text(), u"投注已截止,等待开奖..."_s);
    add_monitor(u"直选复式"_s, u"123"_s, u"5"_s);
    EXPECT_FALSE(hint->isVisible());
}

TEST_F(Window, AddShowsTheRowAndSavesTheList)
{
    add_monitor(u"直选复式"_s, u"0123"_s, u"10"_s);
    EXPECT_EQ(shell_.messages, QStringList{u"添加成功"_s});
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(text(0, 0), u"前三(直选复式)"_s);
    EXPECT_EQ(text(0, 1), u"0123"_s);
    EXPECT_EQ(text(0, 3), u"大于等于10"_s);
    EXPECT_EQ(text(0, 5), u"待监控"_s);
    EXPECT_NE(cell(0, 1, Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_TRUE(alert_list()->selectionModel()->isRowSelected(0));
    EXPECT_EQ(stored_list(), u"|ABC~直选复式~前三(直选复式)~0123~遗漏~≥10~大于等于10~0~待监控~0~0~0~0:0~"
                             u"0:0:0:0~0~1,2,4,8,16,32,64,128~2~false~0~64:0:0:1920~0"_s);

    // The same settings again are refused.
    shell_.clear();
    click(u"alert_new_do"_s);
    EXPECT_EQ(shell_.messages, QStringList{u"已经存在同样的监控记录或投注配置，无法重复添加！"_s});
    EXPECT_EQ(rows(), 1);
}

TEST_F(Window, InvalidNumbersShowTheErrorBox)
{
    add_monitor(u"直选复式"_s, u"01 23"_s, u"10"_s);
    auto* error = find<QPlainTextEdit>(u"alert_cfg_error_tips"_s);
    EXPECT_TRUE(error->isVisible());
    EXPECT_EQ(error->toPlainText(),
              u"号码格式有误，发现有号码不是3星直选复式, 不允许包含空格, 如下：\r\n01 23"_s.replace(u"\r\n"_s, u"\n"_s));
    EXPECT_TRUE(shell_.messages.isEmpty());
    EXPECT_EQ(rows(), 0);
    // Corrected: the error goes at once, before anything is saved; showing it grew nothing.
    const QSize size = window_->size();
    type_numbers(u"0123"_s);
    EXPECT_FALSE(error->isVisible());
    EXPECT_EQ(window_->size(), size);
    click(u"alert_new_do"_s);
    EXPECT_FALSE(error->isVisible());
    EXPECT_EQ(rows(), 1);
}

TEST_F(Window, TheEditorKeepsWhatWasTypedAndNeverSavesItsExample)
{
    click(u"alert_new"_s);
    tick({0, 1, 2});
    choose(u"alert_cfg_extra_tztype"_s, u"组六复式"_s);
    type_numbers(u"01234"_s);
    auto* numbers = find<QPlainTextEdit>(u"alert_cfg_numbers"_s);
    // The threshold, the comparison and the category change nothing typed.
    type_threshold(u"7"_s);
    combo(u"alert_cfg_cond"_s)->setCurrentIndex(1);
    combo(u"alert_cfg_type"_s)->setCurrentIndex(1);
    EXPECT_EQ(numbers->toPlainText(), u"01234"_s);
    EXPECT_EQ(combo(u"alert_cfg_extra_tztype"_s)->currentText(), u"组六复式"_s);
    EXPECT_EQ(line(u"alert_cfg_cond_comp"_s)->text(), u"7"_s);
    // Other positions: another play list, and the numbers go.
    tick({3});
    EXPECT_TRUE(numbers->toPlainText().isEmpty());
    EXPECT_EQ(combo(u"alert_cfg_extra_tztype"_s)->currentIndex(), 0);
    // An empty box is never saved as its example.
    click(u"alert_new_do"_s);
    EXPECT_EQ(shell_.messages, QStringList{u"请输入要监控的投注号码"_s});
    EXPECT_EQ(rows(), 0);
}

TEST_F(Window, EveryKeyPressInTheThresholdArrivesWhenModifying)
{
    add_monitor(u"直选复式"_s, u"0123"_s, u"15"_s);
    select_row(0);
    click_label(14);
    ASSERT_EQ(line(u"alert_cfg_cond_comp"_s)->text(), u"15"_s);
    QLineEdit* threshold = line(u"alert_cfg_cond_comp"_s);
    threshold->setFocus();
    threshold->end(false);
    QTest::keyClick(threshold, Qt::Key_Backspace);
    QTest::keyClick(threshold, Qt::Key_Backspace);
    EXPECT_TRUE(threshold->text().isEmpty()); // no snap back to a default while typing
    QTest::keyClicks(threshold, u"25"_s);
    EXPECT_EQ(threshold->text(), u"25"_s);
    EXPECT_EQ(find<QPlainTextEdit>(u"alert_cfg_numbers"_s)->toPlainText(), u"0123"_s);
    click(u"alert_new_do"_s);
    EXPECT_EQ(text(0, 3), u"大于等于25"_s);
}

TEST_F(Window, AnAlertingMonitorIsRedAndRaisesOneTip)
{
    add_monitor(u"直选复式"_s, u"0123"_s, u"0"_s); // becomes 10: no alert
    EXPECT_TRUE(shell_.tips.isEmpty());
    click(u"alert_new"_s);
    combo(u"alert_cfg_type"_s)->setCurrentIndex(1);   // 连中
    combo(u"alert_cfg_cond"_s)->setCurrentIndex(1);   // ≤
    type_threshold(u"3"_s);
    choose(u"alert_cfg_extra_tztype"_s, u"直选复式"_s);
    type_numbers(u"4567"_s);
    click(u"alert_new_do"_s);
    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(cell(1, 0, Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_EQ(cell(1, 4, Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_TRUE(cell(1, 4, Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(cell(1, 0, Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(shell_.tips, QStringList{QString::fromUtf16(zorvik::monitor::kAlertTip)});
    EXPECT_EQ(shell_.sounds.size(), 1);
}

TEST_F(Window, ModifyKeepsThePosition)
{
    add_monitor(u"直选复式"_s, u"0123"_s, u"10"_s);
    add_monitor(u"直选复式"_s, u"4567"_s, u"10"_s);
    add_monitor(u"直选复式"_s, u"89"_s, u"10"_s);
    shell_.clear();

    select_row(1);
    EXPECT_TRUE(find<QWidget>(u"monitor_detail_panel"_s)->isVisible());
    EXPECT_EQ(line(u"alert_show_tz_number"_s)->text(), u"4567"_s);
    click_label(14);
    ASSERT_EQ(shell_.confirmations.size(), 1);
    EXPECT_EQ(find<QTabWidget>(u"zorvik_main"_s)->currentIndex(), 1);
    EXPECT_EQ(find<QPushButton>(u"alert_new_do"_s)->text(), u"确定修改"_s);
    EXPECT_EQ(line(u"alert_cfg_id"_s)->text(), u"2"_s);
    EXPECT_EQ(find<QPlainTextEdit>(u"alert_cfg_numbers"_s)->toPlainText(), u"4567"_s);
    EXPECT_TRUE(box(u"alert_cfg_pos_2"_s)->isChecked());
    EXPECT_EQ(label(3), u"前三"_s);

    type_numbers(u"45678"_s);
    click(u"alert_new_do"_s);
    EXPECT_EQ(shell_.messages, QStringList{u"修改成功"_s});
    EXPECT_EQ(find<QPushButton>(u"alert_new_do"_s)->text(), u"确定添加"_s);
    EXPECT_EQ(line(u"alert_cfg_id"_s)->text(), u"0"_s);
    ASSERT_EQ(rows(), 3);
    EXPECT_EQ(text(1, 1), u"45678"_s);
    EXPECT_EQ(text(2, 1), u"89"_s);
    EXPECT_TRUE(stored_list().contains(u"~45678~"_s));
    // The modified monitor stays selected.
    const QModelIndexList selected = alert_list()->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().row(), 1);
}

TEST_F(Window, DeleteAndDeleteAll)
{
    add_monitor(u"直选复式"_s, u"0123"_s, u"10"_s);
    add_monitor(u"直选复式"_s, u"4567"_s, u"10"_s);
    shell_.clear();
    zorvik::app::MainWindow* w = window_.get();
    select_row(0);
    shell_.answers = {false};
    click(u"alert_del"_s);
    EXPECT_EQ(rows(), 2);
    select_row(0);
    click(u"alert_del"_s);
    // The question names the monitor.
    EXPECT_EQ(shell_.confirmations.last().text, u"确认删除？\r\n前三(直选复式) 0123"_s);
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(text(0, 1), u"4567"_s);
    EXPECT_TRUE(stored_list().startsWith(u"|ABC~直选复式~前三(直选复式)~4567~"_s));

    click(u"alert_delall"_s);
    EXPECT_EQ(shell_.confirmations.last().text, u"确认清空所有监控项？"_s);
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(stored_list(), u"|"_s);
    shell_.clear();
    click(u"alert_del"_s);
    EXPECT_EQ(shell_.messages, QStringList{u"请选择一条要删除的监控"_s});
    EXPECT_EQ(w->engine().list().positions().size(), 0);
}

TEST_F(Window, DetailPanelCopyAndFold)
{
    click(u"alert_new"_s);
    tick({0, 1, 2});
    choose(u"alert_cfg_extra_tztype"_s, u"直选单式"_s);
    const QString numbers = u"012 345 678 901 234 567 890 123 456 789 111 222 333 444 555"_s;
    type_numbers(numbers);
    click(u"alert_cfg_autotz"_s);
    click(u"alert_new_do"_s);
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(text(0, 0), u"* 前三(直选单式)"_s);
    EXPECT_EQ(text(0, 1), numbers.left(50) + u"..."_s);

    select_row(0);
    EXPECT_EQ(line(u"alert_show_tz_number"_s)->text(), numbers);
    EXPECT_EQ(find<QLabel>(u"alert_show_tz_info"_s)->text(),
              u"注数：15，资金模式：角，赔率：1920,当前已投注：否\n倍投方案：1,2,4,8,16,32,64,128"_s);
    EXPECT_TRUE(find<QLabel>(u"alert_show_tz_info"_s)->isVisible());
    QCoreApplication::processEvents(); // let the layout give the panel its room
    const int with_panel = alert_list()->height();
    click_label(12);
    EXPECT_EQ(shell_.copied, QStringList{numbers});
    EXPECT_EQ(shell_.tips.last(), u"号码已复制到剪切板"_s);
    click_label(11);
    EXPECT_FALSE(find<QWidget>(u"monitor_detail_panel"_s)->isVisible());
    QCoreApplication::processEvents();
    EXPECT_GT(alert_list()->height(), with_panel); // folding gives the room back to the list
}

TEST_F(Window, AlertOptionInterplay)
{
    QCheckBox* award = box(u"isshowawardtips"_s);
    QCheckBox* tips = box(u"alert_type_tips"_s);
    ASSERT_TRUE(tips->isChecked());

    shell_.answers = {false};
    click(award);
    ASSERT_EQ(shell_.confirmations.size(), 1);
    EXPECT_FALSE(award->isChecked());
    EXPECT_EQ(shell_.confirmations.last().text,
              u"如果开启此功能，将会影响弹窗报警功能，仍然继续开启此功能么？"_s);
    EXPECT_EQ(shell_.confirmations.last().title, u"Zorvik分分彩遗漏监控挂机投注软件 - 确认开启"_s);
    EXPECT_EQ(ini_read(u"cai_cfg"_s, u"isshowawardtips"_s, window_->settings_file()), u"0"_s);

    click(award);
    EXPECT_TRUE(award->isChecked());
    EXPECT_EQ(ini_read(u"cai_cfg"_s, u"isshowawardtips"_s, window_->settings_file()), u"1"_s);

    click(tips); // off: nothing else changes
    EXPECT_TRUE(award->isChecked());
    click(tips); // on: the announcements go off
    EXPECT_FALSE(award->isChecked());

    click(tips); // with pop-ups off, switching announcements on asks nothing and writes nothing
    zorvik::support::ini_write(u"cai_cfg"_s, u"isshowawardtips"_s, u"7"_s, window_->settings_file());
    const auto asked = shell_.confirmations.size();
    click(award);
    EXPECT_TRUE(award->isChecked());
    EXPECT_EQ(shell_.confirmations.size(), asked);
    EXPECT_EQ(ini_read(u"cai_cfg"_s, u"isshowawardtips"_s, window_->settings_file()), u"7"_s);
    // Nor does unticking it, with pop-ups on or off.
    click(award);
    EXPECT_FALSE(award->isChecked());
    click(tips);
    click(award);
    click(award);
    EXPECT_FALSE(award->isChecked());
    EXPECT_EQ(shell_.confirmations.size(), asked + 1);
    EXPECT_EQ(ini_read(u"cai_cfg"_s, u"isshowawardtips"_s, window_->settings_file()), u"1"_s);
}

TEST_F(Window, SoundTest)
{
    click(u"alert_sound_test"_s);
    EXPECT_EQ(shell_.messages, QStringList{u"请选择一个声音文件"_s});
    line(u"alert_sound_file"_s)->setText(u"选择文件..."_s);
    click(u"alert_sound_test"_s);
    EXPECT_EQ(shell_.messages.size(), 2);
    EXPECT_TRUE(shell_.sounds.isEmpty());
    line(u"alert_sound_file"_s)->setText(u" /tmp/ring.wav "_s);
    click(u"alert_sound_test"_s);
    EXPECT_EQ(shell_.sounds, QStringList{u"/tmp/ring.wav"_s});
}

TEST_F(Window, TheSoundFileBoxOpensAWaveFileDialog)
{
    QLineEdit* file = line(u"alert_sound_file"_s);
    file->setText(u"/old.wav"_s);
    QString filter;
    QTimer::singleShot(100, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        filter = dialog->nameFilters().join(u';');
        dialog->reject();
    });
    click(file);
    EXPECT_EQ(filter, u"wav 文件(*.wav)"_s);
    EXPECT_EQ(file->text(), QString()); // cancelled: the box is emptied
}

TEST_F(Window, CloseAsksFirst)
{
    shell_.answers = {false};
    window_->close();
    ASSERT_EQ(shell_.confirmations.size(), 1);
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(shell_.confirmations.last().text, u"确认退出?"_s);
    EXPECT_EQ(shell_.confirmations.last().title, u"Zorvik分分彩遗漏监控挂机投注软件 - 关闭提示"_s);
    // While a desk monitors, the question says so.
    window_->core().engine().set_monitoring(true, false);
    shell_.answers = {false};
    window_->close();
    EXPECT_EQ(shell_.confirmations.last().text, u"正在监控，确认退出?"_s);
    EXPECT_TRUE(window_->isVisible());
    window_->core().engine().set_monitoring(false);
    shell_.answers = {true};
    window_->close();
    EXPECT_EQ(shell_.confirmations.last().text, u"确认退出?"_s);
    EXPECT_FALSE(window_->isVisible());
}

// The core drives the platform's page; the window shows that same page in a view of its own,
// on a tab of its own (the second account's on a second one).
TEST_F(Window, APlatformsPageIsShownOnItsTab)
{
    auto* tabs = find<QTabWidget>(u"zorvik_main"_s);
    const int before = tabs->count();
    QWebEnginePage first, second;
    emit window_->core().browser_made(&first);
    emit window_->core().browser_made(&second);
    ASSERT_EQ(tabs->count(), before + 2);
    EXPECT_EQ(tabs->tabText(before), u"平台页面"_s);
    EXPECT_EQ(tabs->tabText(before + 1), u"平台页面2"_s);
    auto* view = qobject_cast<QWebEngineView*>(tabs->widget(before));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->objectName(), u"zorvik_tz_wb"_s);
    EXPECT_EQ(view->page(), &first);
    EXPECT_EQ(qobject_cast<QWebEngineView*>(tabs->widget(before + 1))->page(), &second);
    delete tabs->widget(before + 1); // the views go before their pages
    delete tabs->widget(before);
}

// The end of the desktop session closes the window without the question, monitoring or not.
TEST_F(Window, TheSessionsEndClosesWithoutAsking)
{
    window_->core().engine().set_monitoring(true, false);
    shell_.answers = {false};
    // The session manager's request; the window reads nothing of it.
    alignas(QSessionManager) unsigned char storage[sizeof(QSessionManager)] = {};
    emit qGuiApp->commitDataRequest(*reinterpret_cast<QSessionManager*>(storage));
    window_->close();
    EXPECT_TRUE(shell_.confirmations.isEmpty());
    EXPECT_FALSE(window_->isVisible());
}

// Before the maker's service answered, the start button waits with its first caption; the
// tray icon is the window's, its tooltip the window caption.
TEST_F(Window, TheFirstCaptionAndTheTrayIcon)
{
    auto* begin_plan = find<QPushButton>(u"begin_plan"_s);
    EXPECT_EQ(begin_plan->text(), u"Zorvik即将出笼..."_s);
    EXPECT_FALSE(begin_plan->isEnabled());
    EXPECT_EQ(window_->tray().tooltip(), u"Zorvik分分彩遗漏监控挂机投注软件{v1.6} "_s);
    EXPECT_EQ(window_->tray().tooltip(), window_->windowTitle());
    EXPECT_FALSE(window_->tray().icon().isNull());
    EXPECT_EQ(window_->tray().icon().cacheKey(), window_->windowIcon().cacheKey());
}

TEST_F(Window, RestartRestoresMonitorsAndOptions)
{
    add_monitor(u"直选复式"_s, u"0123"_s, u"10"_s);
    box(u"alert_type_sound"_s)->setChecked(false);
    zorvik::app::Options o;
    o.caizhong = u"U彩平台-欢乐分分彩"_s;
    o.alert_type_sound = false;
    o.plt_pass = u"pw"_s;
    zorvik::app::settings_save(window_->settings_file(), o);
    open();
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(combo(u"combox_select_caizhong"_s)->currentText(), u"U彩平台-欢乐分分彩"_s);
    EXPECT_FALSE(box(u"alert_type_sound"_s)->isChecked());
    EXPECT_EQ(line(u"tz_plt_pass"_s)->text(), u"pw"_s);
}

TEST_F(Window, LoadsASettingsFileWrittenByTheWindowsProgram)
{
    window_.reset();
    QDir().mkpath(dir_.filePath(u"bao"_s));
    QFile f(dir_.filePath(u"bao/cfg.ini"_s));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(zorvik::support::to_gbk(
        u"[cai_cfg]\r\ncombox_select_caizhong=合乐平台-HI彩分分彩\r\nplt_path=0\r\n"
        u"[alert_cfg]\r\nalert_type_tips=0\r\nalert_type_sound=1\r\n"
        u"list=||BCD~组六复式~中三(组六复式)~1234~遗漏~≥5~大于等于5~2~待监控~~0~2~0:0~0:0:0:0~0~1,2,4~2~false~0~4:0:0:1920~0\r\n"
        u"[tz_cfg]\r\nplt_tz_zy=500\r\n"_s));
    f.close();
    open();
    EXPECT_EQ(combo(u"combox_select_caizhong"_s)->currentText(), u"合乐平台-HI彩分分彩"_s);
    EXPECT_FALSE(box(u"alert_type_tips"_s)->isChecked());
    EXPECT_EQ(line(u"plt_tz_zy"_s)->text(), u"500"_s);
    EXPECT_EQ(line(u"plt_tz_zs"_s)->text(), u"-1000"_s);
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(text(0, 0), u"中三(组六复式)"_s);
    EXPECT_EQ(text(0, 4), u"2"_s);
}

TEST(WindowShell, ConfirmationBoxAnsweredBothWays)
{
    QWidget parent;
    zorvik::app::WindowShell shell(&parent, QString(), {});
    for (const bool ok : {false, true}) {
        QString seen;
        QTimer::singleShot(50, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = box->text() + u'|' + box->windowTitle();
            box->button(ok ? QMessageBox::Ok : QMessageBox::Cancel)->click();
        });
        EXPECT_EQ(shell.confirm(u"确认退出?"_s, u"标题"_s), ok);
        EXPECT_EQ(seen, u"确认退出?|标题"_s);
    }
}

TEST_F(Window, LineBreaksInTheNumberBoxReadAsWindowsLineBreaks)
{
    // One bet per line in a 单式 play is valid and stored with blanks.
    add_monitor(u"直选单式"_s, QString(), u"3"_s);
    auto* numbers = find<QPlainTextEdit>(u"alert_cfg_numbers"_s);
    numbers->clear();
    numbers->setFocus();
    QTest::keyClicks(numbers, u"123"_s);
    QTest::keyClick(numbers, Qt::Key_Return);
    QTest::keyClicks(numbers, u"456"_s);
    QTest::keyClick(numbers, Qt::Key_Return);
    QTest::keyClicks(numbers, u"789"_s);
    shell_.clear();
    click(u"alert_new_do"_s);
    EXPECT_FALSE(find<QWidget>(u"alert_cfg_error_tips"_s)->isVisible());
    ASSERT_EQ(shell_.messages, QStringList{u"添加成功"_s});
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(text(0, 1), u"123 456 789"_s);

    // A 复式 play gets its line break as a blank, which it refuses, instead of a set of
    // 343 lines.
    click(u"alert_new"_s);
    choose(u"alert_cfg_extra_tztype"_s, u"直选复式"_s);
    numbers->clear();
    numbers->setFocus();
    QTest::keyClicks(numbers, u"123"_s);
    QTest::keyClick(numbers, Qt::Key_Return);
    QTest::keyClicks(numbers, u"456"_s);
    click(u"alert_new_do"_s);
    EXPECT_TRUE(find<QWidget>(u"alert_cfg_error_tips"_s)->isVisible());
    EXPECT_EQ(find<QPlainTextEdit>(u"alert_cfg_error_tips"_s)->toPlainText(),
              u"号码格式有误，发现有号码不是3星直选复式, 不允许包含空格, 如下：\n123 456"_s);
    EXPECT_EQ(rows(), 1);
}

TEST_F(Window, TheDetailPanelFollowsTheSelection)
{
    add_monitor(u"直选单式"_s, u"111"_s, u"3"_s);
    add_monitor(u"直选单式"_s, u"222"_s, u"3"_s);
    add_monitor(u"直选单式"_s, u"333"_s, u"3"_s);
    select_row(0);
    ASSERT_EQ(line(u"alert_show_tz_number"_s)->text(), u"111"_s);
    // By keyboard.
    alert_list()->setFocus();
    QTest::keyClick(alert_list(), Qt::Key_Down);
    EXPECT_EQ(line(u"alert_show_tz_number"_s)->text(), u"222"_s);
    // An add keeps the selected monitor selected, and the panel on it.
    add_monitor(u"直选单式"_s, u"444"_s, u"3"_s);
    find<QTabWidget>(u"zorvik_main"_s)->setCurrentIndex(0);
    EXPECT_EQ(line(u"alert_show_tz_number"_s)->text(), u"222"_s);
    EXPECT_EQ(alert_list()->selectionModel()->selectedRows().value(0).row(), 1);
    // Copy acts on what the panel shows, which is the selected row.
    select_row(1);
    shell_.clear();
    click_label(12);
    EXPECT_EQ(shell_.copied, QStringList{u"222"_s});
    // After a delete the panel shows the newly selected row.
    click(u"alert_del"_s);
    EXPECT_EQ(rows(), 3);
    const QString shown = line(u"alert_show_tz_number"_s)->text();
    EXPECT_EQ(shown, text(alert_list()->currentIndex().row(), 1));
    EXPECT_NE(shown, u"222"_s);
    // Delete everything: nothing is selected, the panel folds.
    click(u"alert_delall"_s);
    EXPECT_FALSE(find<QWidget>(u"monitor_detail_panel"_s)->isVisible());
}

TEST_F(Window, TheBacktestOffersEveryDrawTheProgramHolds)
{
    // The records hold 250 draws of the lottery; the draw list none.
    QComboBox* c = combo(u"combox_select_caizhong"_s);
    c->setCurrentIndex(c->findText(u"U彩平台-欢乐分分彩"_s));
    emit c->activated(c->currentIndex());
    for (int i = 1; i <= 250; ++i)
        window_->core().records().add_draw(u"U彩平台-欢乐分分彩"_s, u"20261208-"_s + QString::number(i).rightJustified(4, u'0'),
                                           u"1,2,3,4,5"_s, u"2026-12-08 10:00:00"_s);
    window_->core().records().flush();
    click(u"backtest_do"_s);
    auto* dialog = window_->findChild<zorvik::app::BacktestDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(combo(u"backtest_source"_s)->itemText(0), u"程序已获取的开奖（250期）"_s);
    // Every column, the money ones included, is in view without scrolling, in a window that
    // fits a 1366-wide screen.
    dialog->show();
    QCoreApplication::processEvents();
    EXPECT_LE(dialog->width(), 1366);
    auto* table = find<QTableView>(u"backtest_table"_s);
    const int last = table->model()->columnCount() - 1;
    EXPECT_LE(table->horizontalHeader()->sectionViewportPosition(last) + table->columnWidth(last),
              table->viewport()->width());
}

TEST_F(Window, AVariantChosenInTheSweepIsLoadedIntoTheEditorForModifying)
{
    add_monitor(u"直选单式"_s, u"111"_s, u"3"_s);
    add_monitor(u"直选单式"_s, u"222"_s, u"3"_s);
    select_row(0);
    click(u"backtest_do"_s);
    auto* dialog = window_->findChild<zorvik::app::BacktestDialog*>();
    ASSERT_NE(dialog, nullptr);
    // The list changes under the open window: the variant still goes to the monitor swept.
    select_row(1);
    emit dialog->sweep()->variant_chosen({7, u"1,3,9"_s, 3});
    EXPECT_EQ(find<QTabWidget>(u"zorvik_main"_s)->currentIndex(), 1);
    EXPECT_EQ(find<QPushButton>(u"alert_new_do"_s)->text(), u"确定修改"_s);
    EXPECT_EQ(line(u"alert_cfg_id"_s)->text(), u"1"_s);
    EXPECT_EQ(find<QPlainTextEdit>(u"alert_cfg_numbers"_s)->toPlainText(), u"111"_s);
    EXPECT_EQ(line(u"alert_cfg_cond_comp"_s)->text(), u"7"_s);
    EXPECT_EQ(line(u"alert_cfg_autotz_bt"_s)->text(), u"1,3,9"_s);
    EXPECT_EQ(combo(u"alert_cfg_autotz_zjtype"_s)->currentIndex(), 3);
    EXPECT_TRUE(box(u"alert_cfg_autotz"_s)->isChecked());
    // Nothing is saved until the user clicks 确定修改.
    EXPECT_TRUE(stored_list().contains(u"≥3~大于等于3"_s));
    // A monitor deleted meanwhile is said.
    click(u"alert_delall"_s);
    emit dialog->sweep()->variant_chosen({7, u"1"_s, 1});
    EXPECT_EQ(shell_.messages.last(), u"寻优的监控已不在监控列表中"_s);
}

TEST_F(Window, FitsASmallScreenAndShowsEveryColumn)
{
    // With the program's own style sheet, whose paddings take room.
    QFile style(QStringLiteral(ZORVIK_STYLE_SHEET));
    ASSERT_TRUE(style.open(QIODevice::ReadOnly));
    qApp->setStyleSheet(QString::fromUtf8(style.readAll()));
    const auto plain = qScopeGuard([] { qApp->setStyleSheet(QString()); });
    QCoreApplication::processEvents();
    // A long status line (the password's place on a machine without a keyring) wraps: it does
    // not grow the window.
    window_->core().engine().set_line(zorvik::monitor::Line::BetStatus,
                                      u"没有可用的系统密钥环，平台密码保存在设置文件中（仅本用户可读）："_s + window_->settings_file());
    QCoreApplication::processEvents();
    const QSize least = window_->minimumSizeHint().expandedTo(window_->minimumSize());
    EXPECT_LE(least.width(), 1366);
    EXPECT_LE(least.height(), 700) << least.height(); // 768 less a panel and the title bar
    window_->resize(1280, 700);
    QCoreApplication::processEvents();
    EXPECT_LE(window_->height(), 700);
    QTableView* list = alert_list();
    int right = 0;
    for (int c = 0; c < list->model()->columnCount(); ++c) {
        EXPECT_GT(list->columnWidth(c), 0);
        right = std::max(right, list->horizontalHeader()->sectionViewportPosition(c) + list->columnWidth(c));
    }
    EXPECT_LE(right, list->viewport()->width()); // no column cut off at the right
    // The statistics column gets the room left; the others keep their widths.
    EXPECT_EQ(list->columnWidth(1), 2300 / 15);
    EXPECT_GE(list->columnWidth(6), 4700 / 15 - 60);
    // A monitor's detail panel with its trend chart takes its room from the list: the window
    // still fits, and gets its ten rows back when the panel folds.
    add_monitor(u"直选单式"_s, u"111"_s, u"3"_s);
    select_row(0);
    ASSERT_TRUE(find<QWidget>(u"monitor_detail_panel"_s)->isVisible());
    EXPECT_FALSE(find<QLabel>(u"alert_show_tz_info"_s)->isVisible()); // it does not bet: no blank band
    window_->resize(1366, 700);
    QCoreApplication::processEvents();
    EXPECT_LE(window_->minimumSizeHint().expandedTo(window_->minimumSize()).height(), 700);
    EXPECT_LE(window_->height(), 700);
    click_label(11); // fold
    EXPECT_FALSE(find<QWidget>(u"monitor_detail_panel"_s)->isVisible());
    EXPECT_GE(alert_list()->minimumHeight(), 10 * alert_list()->verticalHeader()->defaultSectionSize());
    auto* bets = find<QTableView>(u"tz_list"_s);
    EXPECT_GE(bets->minimumHeight(), 8 * bets->verticalHeader()->defaultSectionSize());
}

TEST_F(Window, AtASmallScreenTheListsShowTenMonitorsAndEightBetsAndTheSplitIsKept)
{
    window_->resize(1366, 700);
    QCoreApplication::processEvents();
    const auto visible_rows = [](QTableView* list) {
        return list->viewport()->height() / std::max(1, list->verticalHeader()->defaultSectionSize());
    };
    auto* bets = find<QTableView>(u"tz_list"_s);
    EXPECT_GE(visible_rows(alert_list()), 10) << alert_list()->viewport()->height();
    EXPECT_GE(visible_rows(bets), 8) << bets->viewport()->height();
    // The user moves the split: it is kept, and a new window opens with it.
    auto* split = find<QSplitter>(u"main_split"_s);
    const QList<int> sizes = split->sizes();
    ASSERT_EQ(sizes.size(), 2);
    split->setSizes({sizes[0] - 40, sizes[1] + 40});
    emit split->splitterMoved(sizes[0] - 40, 1);
    const QList<int> moved = split->sizes();
    EXPECT_EQ(ini_read(u"ui_cfg"_s, u"main_split"_s, window_->settings_file()),
              QString::number(moved[0]) + u',' + QString::number(moved[1]));
    window_.reset();
    window_ = std::make_unique<MainWindow>(dir_.path(), &shell_);
    window_->resize(1366, 700);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    EXPECT_EQ(find<QSplitter>(u"main_split"_s)->sizes(), moved);
}

TEST(WindowShell, TheSlowNetworkNoticeNeverHoldsUpTheDrawCycle)
{
    QWidget parent;
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    QTemporaryDir dir;
    zorvik::app::WindowShell shell(&parent, dir.path(), {});
    zorvik::testing::FakeHttp http;
    zorvik::testing::FixedClock clock;
    zorvik::feed::DrawFeed feed(http, clock, shell);
    feed.endpoints().datacenter_base = u"http://dc/"_s;
    feed.set_lottery(u"U彩平台-欢乐分分彩"_s);
    QStringList handled;
    QObject::connect(&feed, &zorvik::feed::DrawFeed::new_draw,
                     [&](const QString& issue, const QString&) { handled << issue; });
    // Every request fails slowly: the client raises the notice inside its wait.
    http.during_wait = [&] { shell.notice(zorvik::support::slow_network_notice()); };
    // Should the notice wait for OK, a watchdog answers it after a while and says so.
    bool held_up = false;
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
            held_up = true;
            modal->close();
        }
    });
    watchdog.start(2000);
    for (int issue = 123; issue < 127; ++issue) {
        http.route(u"beforeinfo"_s, u"{\"ret\":0,\"information\":[{\"peroid\":\"20151112-0"_s +
                                         QString::number(issue) + u"\",\"prize\":\"1,2,3,4,5\","
                                         u"\"nexeId\":\"20151112-0999\",\"nextsec\":40}]}"_s);
        feed.poll_awd();
    }
    EXPECT_FALSE(held_up);
    EXPECT_EQ(handled.size(), 4);
    const auto boxes = parent.findChildren<QMessageBox*>(u"slow_network_notice"_s);
    ASSERT_EQ(boxes.size(), 1); // one at a time
    EXPECT_EQ(boxes.first()->text(), zorvik::support::slow_network_notice());
    // Once it is answered, the next failure may tell again.
    QTest::mouseClick(boxes.first()->button(QMessageBox::Ok), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(parent.findChildren<QMessageBox*>(u"slow_network_notice"_s).isEmpty());
    shell.notice(zorvik::support::slow_network_notice());
    EXPECT_EQ(parent.findChildren<QMessageBox*>(u"slow_network_notice"_s).size(), 1);
}

TEST(Translations, QtsOwnTextsSpeakChinese)
{
    ASSERT_TRUE(zorvik::app::install_chinese_translations());
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"取消"_s);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Open"), u"打开"_s);
}

// Without a tray or a notification service, a tip shows in the window itself.
TEST(WindowTips, WithoutATrayOrANotificationServiceTheWindowShowsTheTip)
{
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/zorvik-bus");
    QTemporaryDir dir;
    zorvik::testing::FakeHttp http;
    MainWindow window(dir.path(), nullptr, zorvik::app::NetConfig{}, &http);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* banner = zorvik::testing::find_child<QFrame>(&window, u"tip_banner"_s);
    EXPECT_FALSE(banner->isVisible());
    // An alerting monitor (遗漏 ≥ 0) raises the alert tip at its rebuild.
    window.core().engine().load_text(
        u"|A~定位胆~前一(定位胆)~1~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~0~1~1~false~0~1:0:0:1920~0"_s);
    ASSERT_TRUE(banner->isVisible());
    const auto text = [&] { return zorvik::testing::find_child<QLabel>(&window, u"tip_banner_text"_s)->text(); };
    EXPECT_EQ(text(), QString::fromUtf16(zorvik::monitor::kAlertTip));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr); // never a box that holds the window
    // The next tip replaces it; the user closes it.
    zorvik::testing::find_child<QLabel>(&window, u"tips_label_12"_s); // the copy link exists
    window.core().engine().refresh();
    EXPECT_EQ(text(), QString::fromUtf16(zorvik::monitor::kAlertTip));
    QTest::mouseClick(zorvik::testing::find_child<QPushButton>(&window, u"tip_banner_close"_s), Qt::LeftButton);
    EXPECT_FALSE(banner->isVisible());
    window.core().engine().refresh();
    EXPECT_TRUE(banner->isVisible());
}
