// The window's draw area, lottery choice and announcements, with the network played by a fake.

#include "gui/backtest_dialog.h"
#include "core/core.h"
#include "gui/main_window.h"
#include "fakes/fake_http.h"
#include "feed/catalogue.h"
#include "fakes/recording_shell.h"
#include "gui/find_child.h"
#include "monitor/sweep.h"
#include "qt_printers.h"
#include "service/service_link.h"
#include "support/ini.h"

#include <QAbstractItemModelTester>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using zorvik::app::MainWindow;
using zorvik::testing::FakeHttp;
using zorvik::testing::RecordingShell;

namespace {

class DrawArea : public ::testing::Test {
protected:
    void SetUp() override
    {
        http_.route(u"act=vemto_datacenter_url"_s, u"http://dc/"_s);
        http_.route(u"act=vemto_dataheartbeat_url"_s, u"http://up/"_s);
        http_.route(u"act=vemto_zt_pturl&pt=ucai"_s, u"http://u1/|http://u2/"_s);
        http_.route(u"act=vemto_zt_pturl&pt=hele"_s, u"http://h1/"_s);
        zorvik::app::NetConfig net;
        net.service_base = u"http://svc/"_s;
        window_ = std::make_unique<MainWindow>(dir_.path(), &shell_, net, &http_);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    template <typename W>
    W* find(const QString& name) const
    {
        return zorvik::testing::find_child<W>(window_.get(), name);
    }
    QString text(const QString& label) const { return find<QLabel>(label)->text(); }

    void choose_lottery(const QString& name)
    {
        auto* box = find<QComboBox>(u"combox_select_caizhong"_s);
        const int i = box->findText(name);
        ASSERT_GE(i, 0);
        box->setCurrentIndex(i);
        emit box->activated(i);
    }

    // U彩 欢乐分分彩 chosen, and a poll that finds draw 0123 and the six before it.
    void follow_six_draws();

    QTemporaryDir dir_;
    FakeHttp http_;
    RecordingShell shell_;
    std::unique_ptr<MainWindow> window_;
};

QString datacenter_reply(const QString& issue)
{
    return u"{\"ret\":0,\"information\":[{\"peroid\":\"20151112-"_s + issue +
           u"\",\"prize\":\"3,1,4,1,5\",\"nexeId\":\"20151112-0124\",\"nextsec\":125}]}"_s;
}

void DrawArea::follow_six_draws()
{
    choose_lottery(u"U彩平台-欢乐分分彩"_s);
    http_.route(u"beforeinfo"_s, datacenter_reply(u"0123"_s));
    QStringList history;
    for (int i = 122; i > 116; --i)
        history << u"20151112-0"_s + QString::number(i) + u":1,2,3,4,5"_s;
    http_.route(u"&before=100"_s, history.join(u'|'));
    window_->core().feed().poll_awd();
}

} // namespace

TEST_F(DrawArea, ChoosingALotterySetsUpItsPlatform)
{
    auto* box = find<QComboBox>(u"combox_select_caizhong"_s);
    QStringList listed;
    for (int i = 0; i < box->count(); ++i)
        listed << box->itemText(i);
    EXPECT_EQ(listed.join(u'|'), zorvik::feed::lottery_list());
    EXPECT_EQ(box->currentIndex(), 0);
    choose_lottery(u"U彩平台-欢乐分分彩"_s);
    auto* url = find<QComboBox>(u"awd_url"_s);
    ASSERT_EQ(url->count(), 2);
    EXPECT_EQ(url->currentText(), u"http://u1/"_s);
    EXPECT_EQ(window_->core().feed().endpoints().platform_base, u"http://u1/"_s);
    EXPECT_EQ(window_->core().feed().endpoints().datacenter_base, u"http://dc/"_s);
    auto* units = find<QComboBox>(u"alert_cfg_autotz_zjtype"_s);
    EXPECT_EQ(units->count(), 5);
    EXPECT_EQ(units->currentText(), u"角"_s);
    auto* autotz = find<QCheckBox>(u"alert_cfg_autotz"_s);
    EXPECT_TRUE(autotz->isEnabled());

    choose_lottery(u"经纬平台-幸运分分彩"_s);
    EXPECT_FALSE(autotz->isEnabled());
    EXPECT_EQ(autotz->text(), u"报警后，自动投注(仅限合乐/U彩平台)："_s);
    EXPECT_EQ(units->count(), 4);
    EXPECT_EQ(url->currentText(), u"请手动输入地址并回车"_s);

    choose_lottery(u"合乐平台-HI彩分分彩"_s);
    EXPECT_TRUE(autotz->isEnabled());
    EXPECT_EQ(autotz->text(), u"报警后，自动投注："_s);
}

TEST_F(DrawArea, DrawsAppearInTheLabelsAndTheList)
{
    follow_six_draws();
    EXPECT_EQ(text(u"new_iss"_s), u"20151112-0123"_s);
    EXPECT_EQ(text(u"next_iss"_s), u"投注期：0124"_s);
    EXPECT_EQ(text(u"new_award"_s), u"3,1,4,1,5"_s);
    EXPECT_EQ(text(u"next_awd_countdown"_s), u"投注截止 02:04"_s);
    auto* list = find<QTreeWidget>(u"awd_list"_s);
    ASSERT_EQ(list->topLevelItemCount(), 6);
    EXPECT_EQ(list->topLevelItem(0)->text(0), u"201511120123"_s);
    EXPECT_EQ(list->topLevelItem(1)->text(0), u"20151112-0122"_s);
    EXPECT_EQ(list->topLevelItem(1)->text(1), u"1,2,3,4,5"_s);

    // A click shows the list large in place of the tabs, a second click puts it back.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(0)).center());
    EXPECT_EQ(text(u"tips_label_2"_s), u"收起"_s);
    EXPECT_FALSE(find<QTabWidget>(u"zorvik_main"_s)->isVisible());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(0)).center());
    EXPECT_EQ(text(u"tips_label_2"_s), u"↑奖号异常时点击刷新，双击展开"_s);
    EXPECT_TRUE(find<QTabWidget>(u"zorvik_main"_s)->isVisible());
}

// The list toggles at a click anywhere in it (an empty list, below the last row); a double click
// toggles once and reads the list again; the start button stays in view and usable while the
// list is large.
TEST_F(DrawArea, AClickAnywhereInTheListTogglesItAndTheStartButtonStaysInView)
{
    auto* list = find<QTreeWidget>(u"awd_list"_s);
    auto* tabs = find<QTabWidget>(u"zorvik_main"_s);
    auto* begin_plan = find<QPushButton>(u"begin_plan"_s);
    ASSERT_EQ(list->topLevelItemCount(), 0);
    const QPoint inside = list->viewport()->rect().center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, inside);
    EXPECT_EQ(text(u"tips_label_2"_s), u"收起"_s);
    EXPECT_FALSE(tabs->isVisible());
    EXPECT_TRUE(begin_plan->isVisible());
    EXPECT_TRUE(begin_plan->isVisibleTo(window_.get()));
    EXPECT_GT(begin_plan->width(), 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, inside);
    EXPECT_EQ(text(u"tips_label_2"_s), u"↑奖号异常时点击刷新，双击展开"_s);
    EXPECT_TRUE(tabs->isVisible());
    EXPECT_TRUE(begin_plan->isVisible());
    EXPECT_TRUE(tabs->isAncestorOf(begin_plan)); // back in its row

    // A double click: one toggle, and the list read again (the newest draw first).
    follow_six_draws();
    ASSERT_EQ(list->topLevelItemCount(), 6);
    const QPoint below(inside.x(), list->visualItemRect(list->topLevelItem(5)).bottom() + 20);
    ASSERT_TRUE(list->viewport()->rect().contains(below));
    ASSERT_EQ(list->itemAt(below), nullptr);
    // As the window system delivers one: press, release, double click, release. The list is
    // emptied by hand first: the double click fills it again from the feed.
    list->clear();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, below);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, below);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(text(u"tips_label_2"_s), u"收起"_s);
    EXPECT_EQ(list->topLevelItemCount(), 6);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(text(u"tips_label_2"_s), u"↑奖号异常时点击刷新，双击展开"_s);
    // A right click toggles nothing.
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, below);
    EXPECT_EQ(text(u"tips_label_2"_s), u"↑奖号异常时点击刷新，双击展开"_s);
}

// The saved line is restored when a lottery is chosen: its index, none beyond the list (and
// no address), the first for a value that is not a number.
TEST_F(DrawArea, TheSavedDrawLineIsRestored)
{
    auto* url = find<QComboBox>(u"awd_url"_s);
    const auto restored = [&](const QString& saved) {
        zorvik::support::ini_write(u"cai_cfg"_s, u"plt_path"_s, saved, window_->settings_file());
        choose_lottery(u"U彩平台-欢乐分分彩"_s);
        return std::pair{url->currentText(), window_->core().feed().endpoints().platform_base};
    };
    EXPECT_EQ(restored(u"1"_s), (std::pair{u"http://u2/"_s, u"http://u2/"_s}));
    EXPECT_EQ(restored(u"0"_s), (std::pair{u"http://u1/"_s, u"http://u1/"_s}));
    EXPECT_EQ(restored(u"2"_s), (std::pair{QString(), QString()}));
    EXPECT_EQ(url->currentIndex(), -1);
    EXPECT_EQ(restored(u"x"_s), (std::pair{u"http://u1/"_s, u"http://u1/"_s}));
}

TEST_F(DrawArea, PickingADrawLineReloadsAndRemembersIt)
{
    choose_lottery(u"U彩平台-欢乐分分彩"_s);
    http_.route(u"beforeinfo"_s, datacenter_reply(u"0123"_s));
    auto* url = find<QComboBox>(u"awd_url"_s);
    url->setCurrentIndex(1);
    const int before = http_.count(u"beforeinfo"_s);
    emit url->activated(1);
    EXPECT_EQ(window_->core().feed().endpoints().platform_base, u"http://u2/"_s);
    EXPECT_EQ(http_.count(u"beforeinfo"_s), before + 1);
    EXPECT_EQ(zorvik::support::ini_read(u"cai_cfg"_s, u"plt_path"_s, window_->settings_file()), u"1"_s);

    // Typed and confirmed with Enter: used, not remembered.
    url->setEditText(u"http://typed/"_s);
    QTest::keyClick(url->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(window_->core().feed().endpoints().platform_base, u"http://typed/"_s);
    EXPECT_EQ(zorvik::support::ini_read(u"cai_cfg"_s, u"plt_path"_s, window_->settings_file()), u"1"_s);
}

TEST_F(DrawArea, AnnouncementsAndLinks)
{
    http_.route(u"zorviksso.php"_s,
                u"{\"qq\":\"客服QQ：1\",\"tips\":\"公告\",\"ver\":\"v1.7\",\"build\":\"20160101\","
                u"\"jc\":\"http://jc/\",\"reg\":{\"hele\":\"http://reg-hele/\"}}"_s);
    emit window_->core().feed().started_up();
    EXPECT_EQ(find<QPushButton>(u"begin_plan"_s)->text(), u"点击此处启动监控"_s);
    EXPECT_EQ(text(u"info_label_2"_s), u"客服QQ：1"_s);
    EXPECT_EQ(text(u"info_label_5"_s), u"公告"_s);
    auto* download = find<QLabel>(u"tips_label_38"_s);
    EXPECT_TRUE(download->isVisible());
    EXPECT_EQ(download->text(), u"有新版 v1.7(20160101)，点击下载"_s);
    QTest::mouseClick(find<QLabel>(u"tips_label_39"_s), Qt::LeftButton);
    QTest::mouseClick(find<QLabel>(u"tips_label_37"_s), Qt::LeftButton);
    EXPECT_EQ(shell_.links, (QStringList{u"http://reg-hele/"_s, u"http://jc/"_s}));
    // reg.ucai is not in the reply: nothing opens, and the window says why.
    auto* tip = find<QLabel>(u"tip_banner_text"_s);
    QTest::mouseClick(find<QLabel>(u"tips_label_40"_s), Qt::LeftButton);
    EXPECT_EQ(shell_.links.size(), 2);
    EXPECT_TRUE(tip->isVisible());
    EXPECT_EQ(tip->text(), QString::fromUtf16(zorvik::app::kNoLinkAddress));

    http_.route(u"zorviksso.php"_s, QString());
    emit window_->core().feed().started_up();
    EXPECT_EQ(find<QPushButton>(u"begin_plan"_s)->text(), u"网络连接失败,请重开软件再试试..."_s);
}

TEST_F(DrawArea, TheAnnouncementOptionReachesTheFeed)
{
    choose_lottery(u"U彩平台-欢乐分分彩"_s);
    find<QCheckBox>(u"alert_type_tips"_s)->setChecked(false);
    find<QCheckBox>(u"isshowawardtips"_s)->setChecked(true);
    http_.route(u"beforeinfo"_s, datacenter_reply(u"0123"_s));
    window_->core().feed().poll_awd();
    EXPECT_EQ(shell_.tips.last(), u"U彩平台-欢乐分分彩最新开奖\r\n20151112-0123：3,1,4,1,5"_s);
}

TEST_F(DrawArea, OneEnterInTheDrawLineReloadsOnceAndSavesNothing)
{
    choose_lottery(u"U彩平台-欢乐分分彩"_s);
    http_.route(u"beforeinfo"_s, datacenter_reply(u"0123"_s));
    auto* url = find<QComboBox>(u"awd_url"_s);
    url->lineEdit()->setFocus();
    const QString settings = window_->settings_file();
    for (const QString& typed : {u"http://typed/"_s, u"http://u2/"_s}) { // the second is an item
        url->setEditText(typed);
        const int before = http_.count(u"beforeinfo"_s);
        QTest::keyClick(url->lineEdit(), Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_EQ(http_.count(u"beforeinfo"_s), before + 1) << typed.toStdString();
        EXPECT_EQ(window_->core().feed().endpoints().platform_base, typed);
        EXPECT_EQ(zorvik::support::ini_read(u"cai_cfg"_s, u"plt_path"_s, settings), QString());
    }
    // The keypad's Enter is Enter too; other keys change nothing.
    int before = http_.count(u"beforeinfo"_s);
    QTest::keyClick(url->lineEdit(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(http_.count(u"beforeinfo"_s), before + 1);
    before = http_.count(u"beforeinfo"_s);
    QTest::keyClick(url->lineEdit(), Qt::Key_A);
    QTest::keyClick(url->lineEdit(), Qt::Key_Backspace);
    QTest::keyClick(url->lineEdit(), Qt::Key_Tab); // leaving the box with an item's text in it
    QCoreApplication::processEvents();
    EXPECT_EQ(http_.count(u"beforeinfo"_s), before);
    EXPECT_EQ(zorvik::support::ini_read(u"cai_cfg"_s, u"plt_path"_s, settings), QString());
    // A pick from the list is still a pick: one reload, index saved.
    before = http_.count(u"beforeinfo"_s);
    url->showPopup();
    QAbstractItemView* popup = url->view();
    const QModelIndex item = popup->model()->index(1, 0);
    QTest::mouseClick(popup->viewport(), Qt::LeftButton, {}, popup->visualRect(item).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(http_.count(u"beforeinfo"_s), before + 1);
    EXPECT_EQ(zorvik::support::ini_read(u"cai_cfg"_s, u"plt_path"_s, settings), u"1"_s);
}

TEST_F(DrawArea, AWriteThatFailsIsToldOnceAsATip)
{
    choose_lottery(u"U彩平台-欢乐分分彩"_s);
    // The settings file cannot be replaced: a folder stands where its temporary file would go.
    const QString settings = window_->settings_file();
    QFile::remove(settings);
    ASSERT_TRUE(QDir().mkpath(settings));
    auto* url = find<QComboBox>(u"awd_url"_s);
    shell_.clear();
    emit url->activated(1);
    emit url->activated(0);
    EXPECT_TRUE(shell_.messages.isEmpty()); // never a box in the draw cycle
    ASSERT_EQ(shell_.tips.size(), 1);
    EXPECT_EQ(shell_.tips.first(), zorvik::app::write_failure_text(settings));
    // Once the file can be written again, a later failure is told again.
    ASSERT_TRUE(QDir().rmdir(settings));
    emit url->activated(1);
    EXPECT_EQ(zorvik::support::ini_read(u"cai_cfg"_s, u"plt_path"_s, settings), u"1"_s);
    QFile::remove(settings);
    ASSERT_TRUE(QDir().mkpath(settings));
    emit url->activated(0);
    EXPECT_EQ(shell_.tips.size(), 2);
}

// The monitor the user picked stays picked, and the list where it was scrolled, while draws
// rebuild the rows and other monitors come and go.
TEST_F(DrawArea, TheSelectedMonitorStaysAcrossDrawsAddsAndDeletes)
{
    choose_lottery(u"U彩平台-欢乐分分彩"_s);
    zorvik::service::Announcement a;
    a.reached = true;
    a.begin_plan = QString::fromUtf16(zorvik::service::kBeginPlanReady);
    emit window_->core().announced(a);
    http_.route(u"beforeinfo"_s, datacenter_reply(u"0123"_s));
    http_.route(u"&before=100"_s, u"20151112-0122:1,1,1,1,1|20151112-0121:2,2,2,2,2"_s);
    window_->core().feed().poll_awd();
    const auto add = [this](int n) {
        zorvik::monitor::EditorRecord e;
        e.ticked = {true, true, true, false, false};
        e.play = u"直选单式"_s;
        e.numbers = QStringLiteral("%1").arg(n, 3, 10, QChar(u'0'));
        e.threshold = u"3"_s;
        e.initial_status = u"0"_s;
        ASSERT_EQ(window_->engine().save_monitor(e), QString());
    };
    for (int n = 0; n < 16; ++n)
        add(n);
    auto* list = find<QTableView>(u"alert_list"_s);
    const auto numbers_at = [list](int row) { return list->model()->index(row, 1).data().toString(); };
    const auto selected = [list, &numbers_at] {
        const QModelIndexList rows = list->selectionModel()->selectedRows();
        return rows.isEmpty() ? QString() : numbers_at(rows.first().row());
    };
    const QModelIndex pick = list->model()->index(9, 0);
    list->scrollTo(pick, QAbstractItemView::PositionAtCenter);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(pick).center());
    ASSERT_EQ(selected(), u"009"_s);
    const int scrolled = list->verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);

    QTest::mouseClick(find<QPushButton>(u"begin_plan"_s), Qt::LeftButton);
    ASSERT_TRUE(window_->engine().monitoring());
    for (const char16_t* issue : {u"0124", u"0125", u"0126"}) {
        http_.route(u"beforeinfo"_s, datacenter_reply(QString::fromUtf16(issue)));
        window_->core().feed().poll_awd();
        const QString wanted = u"20151112-"_s + QString::fromUtf16(issue);
        EXPECT_EQ(window_->core().feed().awd_iss(), wanted);
        EXPECT_EQ(selected(), u"009"_s) << wanted.toStdString();
        EXPECT_EQ(list->verticalScrollBar()->value(), scrolled) << wanted.toStdString();
    }
    // Another monitor added, and one above it deleted: the same monitor, one row up.
    add(99);
    EXPECT_EQ(selected(), u"009"_s);
    window_->engine().delete_monitor(1);
    EXPECT_EQ(selected(), u"009"_s);
    EXPECT_EQ(list->selectionModel()->selectedRows().value(0).row(), 8);
}

TEST_F(DrawArea, StartAndStopMonitoringWithSimulatedBets)
{
    choose_lottery(u"U彩平台-欢乐分分彩"_s);
    auto* begin_plan = find<QPushButton>(u"begin_plan"_s);
    EXPECT_FALSE(begin_plan->isEnabled()); // until the service answered
    zorvik::service::Announcement a;
    a.reached = true;
    a.begin_plan = QString::fromUtf16(zorvik::service::kBeginPlanReady);
    emit window_->core().announced(a);
    ASSERT_TRUE(begin_plan->isEnabled());

    // No draw history yet.
    shell_.clear();
    QTest::mouseClick(begin_plan, Qt::LeftButton);
    EXPECT_EQ(shell_.messages, QStringList{u"还未获取到历史开奖号，无法开启监控"_s});
    EXPECT_FALSE(window_->engine().monitoring());

    http_.route(u"beforeinfo"_s, datacenter_reply(u"0123"_s));
    http_.route(u"&before=100"_s, u"20151112-0122:1,1,1,1,1|20151112-0121:2,2,2,2,2|"
                                  u"20151112-0120:3,3,3,3,3|20151112-0119:4,4,4,4,4"_s);
    window_->core().feed().poll_awd();
    zorvik::monitor::EditorRecord e;
    e.ticked = {true, true, true, false, false};
    e.play = u"直选复式"_s;
    e.numbers = u"0*0*0"_s;
    e.threshold = u"0"_s;
    e.initial_status = u"0"_s;
    e.auto_bet = true;
    ASSERT_EQ(window_->engine().save_monitor(e), QString());
    auto* stop_profit = find<QLineEdit>(u"plt_tz_zy"_s);
    stop_profit->setText(u"500"_s);
    auto* virtual_box = find<QCheckBox>(u"tz_virtual"_s);
    EXPECT_EQ(virtual_box->text(), u"我要装逼"_s);
    virtual_box->setChecked(true);

    QTest::mouseClick(begin_plan, Qt::LeftButton);
    ASSERT_TRUE(window_->engine().monitoring());
    EXPECT_EQ(begin_plan->text(), u"预警监控中...（点击停止）"_s);
    EXPECT_FALSE(find<QComboBox>(u"combox_select_caizhong"_s)->isEnabled());
    // The options were saved at the start, the stop amount with them.
    EXPECT_EQ(zorvik::support::ini_read(u"tz_cfg"_s, u"plt_tz_zy"_s, window_->settings_file()), u"500"_s);
    // The alerting monitor bet at once, with simulated money, for the next issue.
    auto* log = find<QTableView>(u"tz_list"_s);
    ASSERT_EQ(log->model()->rowCount(), 1);
    EXPECT_EQ(log->model()->index(0, 0).data().toString(), u"20151112-0124"_s);
    EXPECT_EQ(log->model()->index(0, 7).data().toString().size(), 32); // a UCai order number
    EXPECT_EQ(text(u"tips_label_22"_s), u"20151112-0124期投注成功！"_s);
    EXPECT_EQ(text(u"tips_label_36"_s), u"投注1次，中奖0次\n最大盈利0，最小收益0"_s);
    EXPECT_EQ(text(u"tips_label_33"_s), u"当前收入：0"_s);

    // Stopping asks first; Cancel keeps monitoring on.
    shell_.answers = {false};
    QTest::mouseClick(begin_plan, Qt::LeftButton);
    EXPECT_TRUE(window_->engine().monitoring());
    EXPECT_EQ(shell_.confirmations.last().text, u"确认要停止监控？"_s);
    EXPECT_EQ(shell_.confirmations.last().title, u"Zorvik分分彩遗漏监控挂机投注软件 - 确认停止"_s);
    shell_.answers = {true};
    QTest::mouseClick(begin_plan, Qt::LeftButton);
    EXPECT_FALSE(window_->engine().monitoring());
    EXPECT_EQ(begin_plan->text(), u"点击此处启动监控"_s);
    EXPECT_TRUE(find<QComboBox>(u"combox_select_caizhong"_s)->isEnabled());
    EXPECT_EQ(text(u"tips_label_22"_s), u"停止投注..."_s);
    EXPECT_EQ(log->model()->rowCount(), 1); // the log stays until the next start

    // The simulated balance.
    shell_.clear();
    QTest::mouseClick(find<QPushButton>(u"tz_virtual_m_do"_s), Qt::LeftButton);
    EXPECT_EQ(text(u"tips_label_21"_s), u"当前余额: 1024.04"_s);
    EXPECT_EQ(shell_.messages, QStringList{u"装逼成功"_s});
}

TEST_F(DrawArea, TheMonitorAndBetLogModelsKeepTheirContracts)
{
    QAbstractItemModel* monitors = find<QTableView>(u"alert_list"_s)->model();
    QAbstractItemModel* bets = find<QTableView>(u"tz_list"_s)->model();
    QAbstractItemModelTester check_monitors(monitors, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester check_bets(bets, QAbstractItemModelTester::FailureReportingMode::Fatal);
    choose_lottery(u"U彩平台-欢乐分分彩"_s);
    http_.route(u"beforeinfo"_s, datacenter_reply(u"0123"_s));
    http_.route(u"&before=100"_s, u"20151112-0122:1,1,1,1,1|20151112-0121:2,2,2,2,2|"
                                  u"20151112-0120:3,3,3,3,3|20151112-0119:4,4,4,4,4"_s);
    window_->core().feed().poll_awd();
    window_->core().set_virtual(true);
    for (const QString& numbers : {u"0*0*0"_s, u"1*1*1"_s, u"3*1*4"_s}) {
        zorvik::monitor::EditorRecord e;
        e.ticked = {true, true, true, false, false};
        e.play = u"直选复式"_s;
        e.numbers = numbers;
        e.threshold = u"0"_s;
        e.initial_status = u"0"_s;
        e.auto_bet = true;
        ASSERT_EQ(window_->engine().save_monitor(e), QString());
    }
    EXPECT_EQ(monitors->rowCount(), 3);
    ASSERT_TRUE(window_->core().start_monitoring());
    EXPECT_EQ(bets->rowCount(), 3);
    // The next draw settles them: 3,1,4 hits.
    http_.route(u"beforeinfo"_s, u"{\"ret\":0,\"information\":[{\"peroid\":\"20151112-0124\",\"prize\":"
                                 u"\"3,1,4,1,5\",\"nexeId\":\"20151112-0125\",\"nextsec\":50}]}"_s);
    window_->core().feed().poll_awd();
    EXPECT_EQ(bets->rowCount(), 6);
    EXPECT_EQ(bets->index(2, 5).data().toString(), u"中"_s);
    EXPECT_EQ(bets->index(0, 5).data().toString(), u"挂"_s);
    EXPECT_EQ(monitors->index(2, 4).data().toString(), u"0"_s);
    EXPECT_EQ(monitors->index(0, 5).data().toString(), u"监控到0124期"_s);
    window_->engine().delete_all();
    EXPECT_EQ(monitors->rowCount(), 0);
}

TEST(BacktestWindow, ReplaysOffTheWindowsThreadWithProgressAndCancel)
{
    RecordingShell shell;
    QStringList history;
    for (int i = 0; i < 6; ++i)
        history << u"2015111200%1:%2,1,2,3,4"_s.arg(10 + i).arg(i % 10);
    const QString monitors =
        u"|A~定位胆~前一(定位胆)~123~遗漏~≥1~大于等于1~0~待监控~~0~0~0:0~0:0:0:0~1~1,2,4~1~false~0~3:0:0:1920~0"
        u"|B~定位胆~前一(定位胆)~0~遗漏~≥9~大于等于9~0~待监控~~0~0~0:0~0:0:0:0~0~1~1~false~0~1:0:0:1920~0"_s;
    zorvik::app::BacktestDialog dialog(shell, history.join(u'|'), monitors, QString());
    dialog.show();
    QSignalSpy finished(&dialog, &zorvik::app::BacktestDialog::finished_replay);
    QTest::mouseClick(dialog.findChild<QPushButton*>(u"backtest_start"_s), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(10000));
    QStandardItemModel* results = dialog.results();
    ASSERT_EQ(results->rowCount(), 2);
    EXPECT_EQ(results->item(0, 2)->text(), u"6"_s); // draws judged
    EXPECT_EQ(results->item(1, 2)->text(), u"6"_s);
    EXPECT_TRUE(dialog.findChild<QLabel*>(u"backtest_totals"_s)->text().startsWith(u"回测6期"_s));
    EXPECT_EQ(dialog.findChild<QProgressBar*>(u"backtest_progress"_s)->value(), 6);
    // Sorted by a column of numbers, through the view's header.
    auto* table = dialog.findChild<QTableView*>(u"backtest_table"_s);
    table->sortByColumn(7, Qt::DescendingOrder);
    EXPECT_GE(table->model()->index(0, 7).data().toInt(), table->model()->index(1, 7).data().toInt());

    // A long replay cancelled at once stops early and says so.
    QVector<zorvik::monitor::HistoryDraw> many;
    for (int i = 0; i < 200000; ++i)
        many.append({QString::number(1000000 + i), u"1,2,3,4,5"_s});
    dialog.start(many);
    QTest::mouseClick(dialog.findChild<QPushButton*>(u"backtest_cancel"_s), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_TRUE(dialog.findChild<QLabel*>(u"backtest_totals"_s)->text().contains(u"已取消"_s));
    EXPECT_LT(dialog.findChild<QProgressBar*>(u"backtest_progress"_s)->value(), 200000);
}

TEST(BacktestWindow, AHistoryFileIsReadOnTheWorkerAndTheStopAmountsApply)
{
    RecordingShell shell;
    QTemporaryDir dir;
    const QString file = dir.filePath(u"history.txt"_s);
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (int i = 0; i < 6; ++i)
            f.write(QStringLiteral("2015111200%1:%2,1,2,3,4\n").arg(10 + i).arg(i % 10).toUtf8());
    }
    const QString monitors =
        u"|A~定位胆~前一(定位胆)~9~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~1~1~false~0~1:0:0:1920~0"_s;
    // The window's stop-loss of 0 ends the replay at its first settlement.
    zorvik::app::BacktestDialog dialog(shell, QString(), monitors, QString(), nullptr, u"1000"_s, u"0"_s);
    dialog.show();
    QSignalSpy finished(&dialog, &zorvik::app::BacktestDialog::finished_replay);
    dialog.start_file(file);
    ASSERT_TRUE(finished.wait(10000));
    ASSERT_EQ(dialog.results()->rowCount(), 1);
    EXPECT_LT(dialog.results()->item(0, 2)->text().toInt(), 6);
    // Typed away for the run: the whole file is replayed.
    dialog.findChild<QLineEdit*>(u"backtest_stop_loss"_s)->clear();
    dialog.start_file(file);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(dialog.results()->item(0, 2)->text(), u"6"_s);
    EXPECT_TRUE(shell.messages.isEmpty());
    // A bad line or a missing file is said, naming the file and the line.
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("bad line\n");
    }
    dialog.start_file(file);
    ASSERT_TRUE(finished.wait(10000));
    ASSERT_EQ(shell.messages.size(), 1);
    EXPECT_TRUE(shell.messages.first().startsWith(file + u" 第7行格式有误："_s)) << shell.messages.first().toStdString();
    dialog.start_file(dir.filePath(u"missing.txt"_s));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(shell.messages.last(), u"无法读取文件："_s + dir.filePath(u"missing.txt"_s));
}

TEST(BacktestWindow, TheSweepTabRanksTheVariantsAndHandsTheChosenOneOn)
{
    RecordingShell shell;
    QStringList history;
    for (int i = 0; i < 200; ++i)
        history << u"20151112%1:%2,%3,1,2,3"_s.arg(1000 + i).arg((i * 7) % 10).arg((i * 3) % 10);
    const QString record =
        u"A~定位胆~前一(定位胆)~123~遗漏~≥2~大于等于2~0~待监控~~0~0~0:0~0:0:0:0~1~1,2,4~1~false~0~3:0:0:1920~0"_s;
    zorvik::app::BacktestDialog dialog(shell, history.join(u'|'), u'|' + record, u'|' + record);
    dialog.show();
    dialog.findChild<QTabWidget*>(u"backtest_tabs"_s)->setCurrentIndex(1);
    zorvik::app::SweepPanel* sweep = dialog.sweep();
    ASSERT_TRUE(sweep->isVisible());
    sweep->findChild<QSpinBox*>(u"sweep_threshold_from"_s)->setValue(0);
    sweep->findChild<QSpinBox*>(u"sweep_threshold_to"_s)->setValue(4);
    sweep->findChild<QSpinBox*>(u"sweep_threshold_step"_s)->setValue(2);
    sweep->findChild<QLineEdit*>(u"sweep_plans"_s)->setText(u"1,2|1,3"_s);
    sweep->findChild<QLineEdit*>(u"sweep_units"_s)->setText(u"元，角"_s);
    QSignalSpy finished(sweep, &zorvik::app::SweepPanel::finished_sweep);
    QTest::mouseClick(sweep->findChild<QPushButton*>(u"sweep_start"_s), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_TRUE(shell.messages.isEmpty()) << shell.messages.join(u' ').toStdString();
    ASSERT_EQ(sweep->results()->rowCount(), 12);

    // Best income first, and what the engine gives for the best variant alone.
    auto* table = sweep->findChild<QTableView*>(u"sweep_table"_s);
    for (int row = 1; row < 12; ++row)
        EXPECT_GE(table->model()->index(row - 1, 7).data(Qt::UserRole).toDouble(),
                  table->model()->index(row, 7).data(Qt::UserRole).toDouble());
    const zorvik::monitor::SweepVariant best{table->model()->index(0, 0).data().toInt(),
                                             table->model()->index(0, 1).data().toString(),
                                             table->model()->index(0, 2).data().toString() == u"元" ? 1 : 2};
    QStringList lines = history;
    lines.replaceInStrings(u"|"_s, u"\n"_s);
    const auto draws = zorvik::monitor::parse_history(lines.join(u'\n'), nullptr);
    ASSERT_TRUE(draws.has_value());
    const auto alone = zorvik::monitor::run_backtest(u'|' + zorvik::monitor::variant_record(record, best), *draws);
    EXPECT_EQ(table->model()->index(0, 7).data().toString(), zorvik::monitor::report_money(alone.monitors.value(0).income()));
    EXPECT_EQ(table->model()->index(0, 3).data().toInt(), alone.monitors.value(0).bets);

    // The chosen row goes to the editor.
    auto* apply = sweep->findChild<QPushButton*>(u"sweep_apply"_s);
    EXPECT_FALSE(apply->isEnabled());
    table->selectRow(0);
    ASSERT_TRUE(apply->isEnabled());
    QSignalSpy chosen(sweep, &zorvik::app::SweepPanel::variant_chosen);
    QTest::mouseClick(apply, Qt::LeftButton);
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen.first().first().value<zorvik::monitor::SweepVariant>(), best);

    // A range backwards is said and nothing runs.
    sweep->findChild<QSpinBox*>(u"sweep_threshold_from"_s)->setValue(9);
    QTest::mouseClick(sweep->findChild<QPushButton*>(u"sweep_start"_s), Qt::LeftButton);
    EXPECT_FALSE(sweep->running());
    EXPECT_EQ(shell.messages, QStringList{u"阈值范围有误：起点大于终点"_s});
}
