// Several lotteries in the window: the desk tabs add, switch and remove desks, each with its own
// draw area, monitor list, bet log and stop amounts, and a settings file of one lottery is read
// and written back as it was.

#include "core/core.h"
#include "core/desk.h"
#include "gui/main_window.h"
#include "core/options.h"
#include "feed/catalogue.h"
#include "fakes/recording_shell.h"
#include "gui/find_child.h"
#include "monitor/engine.h"
#include "service/service_link.h"
#include "support/gbk.h"
#include "support/ini.h"

#include <QAction>
#include <QCoreApplication>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using zorvik::app::MainWindow;
using zorvik::support::ini_read;
using zorvik::testing::find_child;
using zorvik::testing::RecordingShell;

namespace {

// A file as the program wrote it before it followed several lotteries.
const QString kOneLottery =
    u"[cai_cfg]\r\ncombox_select_caizhong=U彩平台-欢乐分分彩\r\nplt_path=0\r\nisshowawardtips=0\r\n"
    u"[alert_cfg]\r\nalert_type_tips=1\r\nalert_type_sound=0\r\nalert_sound_file=\r\n"
    u"list=||BCD~组六复式~中三(组六复式)~1234~遗漏~≥5~大于等于5~2~待监控~~0~2~0:0~0:0:0:0~0~1,2,4~2~false~0~4:0:0:1920~0\r\n"
    u"[tz_cfg]\r\nplt_user=ann\r\nplt_tz_zs=-300\r\nplt_tz_zy=500\r\n"_s;

class Desks : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(dir_.filePath(u"bao"_s));
        write(kOneLottery);
        open();
    }

    void open()
    {
        window_.reset();
        window_ = std::make_unique<MainWindow>(dir_.path(), &shell_);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }
    void write(const QString& text)
    {
        QFile f(dir_.filePath(u"bao/cfg.ini"_s));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(zorvik::support::to_gbk(text));
    }
    QByteArray file_bytes() const
    {
        QFile f(window_->settings_file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTabBar* tabs() const { return find_child<QTabBar>(window_.get(), u"desk_tabs"_s); }
    int desks() const { return tabs()->count() - 1; } // the last is "+"
    // A control of the desk shown.
    template <typename W>
    W* shown(const QString& name) const
    {
        for (const char* stack : {"draw_stack", "main_stack", "log_stack"}) {
            QWidget* page = find_child<QStackedWidget>(window_.get(), QString::fromLatin1(stack))->currentWidget();
            if (W* w = page->findChild<W*>(name))
                return w;
        }
        ADD_FAILURE() << name.toStdString();
        return nullptr;
    }
    QLineEdit* line(const QString& name) const { return find_child<QLineEdit>(window_.get(), name); }
    // The menu a click on "+" or a right click on a tab opens.
    QMenu* menu(const QString& name) const
    {
        QCoreApplication::processEvents();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == name && w->isVisible())
                return qobject_cast<QMenu*>(w);
        return nullptr;
    }
    QStringList entries(QMenu* m) const
    {
        QStringList out;
        for (QAction* a : m->actions())
            out << a->text();
        return out;
    }

    QTemporaryDir dir_;
    RecordingShell shell_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(Desks, AFileOfOneLotteryLoadsAsOneDeskAndIsWrittenBackAsItWas)
{
    const QByteArray before = file_bytes();
    ASSERT_EQ(desks(), 1);
    EXPECT_TRUE(tabs()->tabText(0).contains(u"U彩平台-欢乐分分彩"_s)) << tabs()->tabText(0).toStdString();
    EXPECT_EQ(tabs()->tabText(1), u"+"_s);
    EXPECT_EQ(line(u"plt_tz_zy"_s)->text(), u"500"_s);
    EXPECT_EQ(line(u"plt_tz_zs"_s)->text(), u"-300"_s);
    EXPECT_EQ(line(u"total_zy"_s)->text(), QString());
    // The options saved at a start of monitoring are the file's own, byte for byte.
    ASSERT_TRUE(zorvik::app::settings_save(window_->settings_file(), window_->options()));
    EXPECT_EQ(file_bytes(), before);
}

TEST_F(Desks, AddSwitchAndRemoveDesksEachWithItsOwnListAndStopAmounts)
{
    // "+" offers the lotteries no desk follows.
    tabs()->setCurrentIndex(1);
    QMenu* offered = menu(u"add_desk_menu"_s);
    ASSERT_NE(offered, nullptr);
    EXPECT_EQ(tabs()->currentIndex(), 0); // "+" is never the tab shown
    const QStringList names = entries(offered);
    EXPECT_EQ(names.size(), 7);
    EXPECT_FALSE(names.contains(u"U彩平台-欢乐分分彩"_s));
    const QList<QAction*> actions = offered->actions();
    const auto hele = std::find_if(actions.begin(), actions.end(),
                                   [](QAction* a) { return a->text() == u"合乐平台-HI彩分分彩"_s; });
    ASSERT_NE(hele, actions.end());
    (*hele)->trigger();
    offered->close();

    ASSERT_EQ(desks(), 2);
    EXPECT_EQ(tabs()->currentIndex(), 1);
    EXPECT_TRUE(tabs()->tabText(1).contains(u"合乐平台-HI彩分分彩"_s));
    EXPECT_EQ(ini_read(u"desk_2"_s, u"lottery"_s, window_->settings_file()), u"合乐平台-HI彩分分彩"_s);
    EXPECT_EQ(shown<QComboBox>(u"combox_select_caizhong"_s)->currentText(), u"合乐平台-HI彩分分彩"_s);
    zorvik::app::Desk& second = window_->selected_desk();
    EXPECT_EQ(second.number(), 2);
    EXPECT_EQ(second.lottery(), u"合乐平台-HI彩分分彩"_s);
    // An alert tip of the second desk names its lottery.
    shell_.clear();
    zorvik::monitor::EditorRecord alerting;
    alerting.ticked = {true, true, true, false, false};
    alerting.play = u"直选复式"_s;
    alerting.numbers = u"0123"_s;
    alerting.threshold = u"0"_s; // ≥0 from a current 0: at once
    alerting.initial_status = u"0"_s;
    ASSERT_EQ(second.engine().save_monitor(alerting), QString());
    ASSERT_FALSE(shell_.tips.isEmpty());
    EXPECT_TRUE(shell_.tips.first().startsWith(u"【合乐平台-HI彩分分彩】"_s)) << shell_.tips.first().toStdString();
    second.engine().delete_all();
    // A lottery followed already is no second desk.
    EXPECT_FALSE(window_->add_desk(u"合乐平台-HI彩分分彩"_s));
    EXPECT_FALSE(window_->add_desk(u"U彩平台-欢乐分分彩"_s));
    // Nor is it taken in another desk's lottery box.
    QComboBox* lottery = shown<QComboBox>(u"combox_select_caizhong"_s);
    lottery->setCurrentIndex(lottery->findText(u"U彩平台-欢乐分分彩"_s));
    emit lottery->activated(lottery->currentIndex());
    EXPECT_EQ(second.lottery(), u"合乐平台-HI彩分分彩"_s);
    EXPECT_EQ(lottery->currentText(), u"合乐平台-HI彩分分彩"_s);
    EXPECT_TRUE(shell_.messages.last().contains(u"已在另一个彩种页签中"_s));

    // The second desk shows its own stop amounts (the initial ones) and keeps an edit in its
    // section; the first desk's stay as they were.
    EXPECT_EQ(line(u"plt_tz_zy"_s)->text(), u"1000"_s);
    EXPECT_EQ(line(u"plt_tz_zs"_s)->text(), u"-1000"_s);
    line(u"plt_tz_zs"_s)->setText(u"-50"_s);
    emit line(u"plt_tz_zs"_s)->editingFinished();
    EXPECT_EQ(ini_read(u"desk_2"_s, u"stop_loss"_s, window_->settings_file()), u"-50"_s);
    EXPECT_EQ(second.kept_stops().second, u"-50"_s);
    EXPECT_EQ(window_->options().plt_tz_zs, u"-300"_s);
    tabs()->setCurrentIndex(0);
    EXPECT_EQ(&window_->selected_desk(), &window_->core().desk());
    EXPECT_EQ(line(u"plt_tz_zs"_s)->text(), u"-300"_s);
    EXPECT_EQ(shown<QComboBox>(u"combox_select_caizhong"_s)->currentText(), u"U彩平台-欢乐分分彩"_s);
    EXPECT_EQ(ini_read(u"tz_cfg"_s, u"plt_tz_zs"_s, window_->settings_file()), u"-300"_s);

    // Each desk has its own monitor list, kept in its own place (a list's size counts its empty
    // element 0).
    EXPECT_EQ(window_->core().engine().list().size(), 2);
    EXPECT_EQ(second.engine().list().size(), 1);
    zorvik::monitor::EditorRecord r;
    r.ticked = {true, true, true, false, false};
    r.play = u"直选复式"_s;
    r.numbers = u"123"_s;
    r.threshold = u"3"_s;
    ASSERT_EQ(second.engine().save_monitor(r), QString());
    EXPECT_EQ(second.engine().list().size(), 2);
    EXPECT_EQ(window_->core().engine().list().size(), 2);
    EXPECT_FALSE(ini_read(u"desk_2"_s, u"list"_s, window_->settings_file()).isEmpty());
    EXPECT_TRUE(ini_read(u"alert_cfg"_s, u"list"_s, window_->settings_file()).contains(u"1234"_s));

    // The tab marks a desk that monitors; 全部停止 asks once and stops every desk.
    second.engine().set_monitoring(true, false);
    EXPECT_TRUE(tabs()->tabText(1).startsWith(u"● "_s)) << tabs()->tabText(1).toStdString();
    EXPECT_FALSE(tabs()->tabText(0).startsWith(u"● "_s));
    shell_.answers = {false};
    find_child<QPushButton>(window_.get(), u"stop_all"_s)->click();
    EXPECT_TRUE(second.engine().monitoring());
    find_child<QPushButton>(window_.get(), u"stop_all"_s)->click();
    EXPECT_FALSE(second.engine().monitoring());
    EXPECT_FALSE(tabs()->tabText(1).startsWith(u"● "_s));

    // The desks come back with the window.
    open();
    ASSERT_EQ(desks(), 2);
    EXPECT_TRUE(tabs()->tabText(1).contains(u"合乐平台-HI彩分分彩"_s));
    tabs()->setCurrentIndex(1);
    EXPECT_EQ(window_->selected_desk().engine().list().size(), 2);
    EXPECT_EQ(line(u"plt_tz_zs"_s)->text(), u"-50"_s);

    // Removing: the first desk never; a desk that monitors not; otherwise after a yes.
    shell_.clear();
    EXPECT_FALSE(window_->remove_desk(0));
    EXPECT_TRUE(shell_.messages.last().contains(u"不能删除"_s));
    window_->selected_desk().engine().set_monitoring(true, false);
    EXPECT_FALSE(window_->remove_desk(1));
    EXPECT_TRUE(shell_.messages.last().contains(u"正在监控"_s));
    window_->selected_desk().engine().set_monitoring(false, false);
    // The tab's menu asks; a no keeps it.
    emit tabs()->customContextMenuRequested(tabs()->tabRect(1).center());
    QMenu* tab_menu = menu(u"desk_menu"_s);
    ASSERT_NE(tab_menu, nullptr);
    ASSERT_EQ(entries(tab_menu), QStringList{u"删除此彩种"_s});
    shell_.answers = {false};
    tab_menu->actions().first()->trigger();
    tab_menu->close();
    EXPECT_EQ(desks(), 2);
    ASSERT_FALSE(shell_.confirmations.isEmpty());
    EXPECT_TRUE(shell_.confirmations.last().text.contains(u"合乐平台-HI彩分分彩"_s));
    EXPECT_TRUE(window_->remove_desk(1));
    EXPECT_EQ(desks(), 1);
    EXPECT_EQ(tabs()->currentIndex(), 0);
    EXPECT_EQ(window_->core().desks().size(), 1u);
    EXPECT_FALSE(file_bytes().contains("desk_2"));
    // Its number is free again, and the lottery may be followed anew, with nothing of before;
    // its start button is ready as the others are once the service has answered.
    zorvik::service::Announcement answered;
    answered.reached = true;
    answered.begin_plan = u"点击此处启动监控"_s;
    emit window_->core().announced(answered);
    ASSERT_TRUE(window_->add_desk(u"合乐平台-HI彩分分彩"_s));
    EXPECT_EQ(window_->selected_desk().number(), 2);
    EXPECT_EQ(window_->selected_desk().engine().list().size(), 1);
    EXPECT_EQ(line(u"plt_tz_zs"_s)->text(), u"-1000"_s);
    EXPECT_TRUE(shown<QPushButton>(u"begin_plan"_s)->isEnabled());
    EXPECT_EQ(shown<QPushButton>(u"begin_plan"_s)->text(), u"点击此处启动监控"_s);
}

TEST_F(Desks, TheAccountBoxesFollowTheShownDesksPlatformAndTheTotalsAreKept)
{
    ASSERT_TRUE(window_->add_desk(u"合乐平台-HI彩分分彩"_s));
    ASSERT_TRUE(window_->add_desk(u"U彩平台-欢乐五分彩"_s));
    ASSERT_EQ(desks(), 3);
    zorvik::app::AppCore& core = window_->core();
    // The U彩 desks share the first account; the 合乐 one has its own.
    tabs()->setCurrentIndex(2);
    EXPECT_EQ(line(u"tz_plt_user"_s)->text(), u"ann"_s);
    tabs()->setCurrentIndex(1);
    EXPECT_EQ(line(u"tz_plt_user"_s)->text(), QString());
    EXPECT_EQ(core.account_of(window_->selected_desk().lottery()), 1);
    line(u"tz_plt_user"_s)->setText(u"bob"_s);
    tabs()->setCurrentIndex(0);
    EXPECT_EQ(line(u"tz_plt_user"_s)->text(), u"ann"_s);
    EXPECT_EQ(window_->options().plt_user, u"ann"_s);
    tabs()->setCurrentIndex(1);
    EXPECT_EQ(line(u"tz_plt_user"_s)->text(), u"bob"_s);

    // The totals are keys of ours, removed when emptied.
    line(u"total_zs"_s)->setText(u"-200"_s);
    emit line(u"total_zs"_s)->editingFinished();
    EXPECT_EQ(ini_read(u"tz_cfg"_s, u"total_zs"_s, window_->settings_file()), u"-200"_s);
    line(u"total_zs"_s)->clear();
    emit line(u"total_zs"_s)->editingFinished();
    EXPECT_FALSE(file_bytes().contains("total_zs"));
    // Removing a desk not shown leaves the shown one in view.
    tabs()->setCurrentIndex(2);
    zorvik::app::Desk* shown_desk = &window_->selected_desk();
    EXPECT_TRUE(window_->remove_desk(1));
    EXPECT_EQ(&window_->selected_desk(), shown_desk);
    EXPECT_EQ(tabs()->currentIndex(), 1);
    // Every lottery is followed at most once: with all eight, "+" offers nothing.
    for (const zorvik::feed::Lottery& lottery : zorvik::feed::catalogue())
        window_->add_desk(lottery.name);
    EXPECT_EQ(desks(), 8);
    EXPECT_EQ(core.free_desk_number(), 0);
    shell_.clear();
    tabs()->setCurrentIndex(tabs()->count() - 1);
    EXPECT_EQ(menu(u"add_desk_menu"_s), nullptr);
    EXPECT_EQ(shell_.messages.value(0), u"所有彩种都已在监控页签中"_s);
}

// Closing while every desk monitors: each desk stops as the core goes, after the window's pages
// (run under the sanitizers, a page used after it went fails), and the desks are kept.
TEST_F(Desks, TheWindowClosesWhileEveryDeskMonitorsAndKeepsTheDesks)
{
    ASSERT_TRUE(window_->add_desk(u"合乐平台-HI彩分分彩"_s));
    for (const auto& desk : window_->core().desks())
        desk->engine().set_monitoring(true, false);
    window_.reset();
    open();
    ASSERT_EQ(desks(), 2);
    for (const auto& desk : window_->core().desks())
        EXPECT_FALSE(desk->engine().monitoring());
    EXPECT_FALSE(tabs()->tabText(1).startsWith(u"● "_s));
    EXPECT_EQ(ini_read(u"desk_2"_s, u"lottery"_s, window_->settings_file()), u"合乐平台-HI彩分分彩"_s);
}

TEST_F(Desks, TheFirstAccountIsOnTheFirstPlatformADeskBetsOn)
{
    write(QString(kOneLottery).replace(u"U彩平台-欢乐分分彩"_s, u"经纬平台-幸运分分彩"_s));
    open();
    zorvik::app::AppCore& core = window_->core();
    // A Jingwei lottery bets on no platform: the first account stays with its desk.
    EXPECT_EQ(core.home_desk(0), &core.desk());
    EXPECT_EQ(core.home_desk(1), nullptr);
    ASSERT_TRUE(window_->add_desk(u"合乐平台-HI彩分分彩"_s));
    ASSERT_TRUE(window_->add_desk(u"U彩平台-欢乐分分彩"_s));
    const auto& desks = core.desks();
    ASSERT_EQ(desks.size(), 3u);
    // The first platform a desk bets on is the first account's, the other the second's: never
    // both platforms through one session.
    EXPECT_EQ(core.account_platform(0), u"hele"_s);
    EXPECT_EQ(core.account_platform(1), u"ucai"_s);
    EXPECT_EQ(core.account_of(u"合乐平台-HI彩分分彩"_s), 0);
    EXPECT_EQ(core.account_of(u"U彩平台-欢乐分分彩"_s), 1);
    EXPECT_EQ(core.home_desk(0), desks[1].get());
    EXPECT_EQ(core.home_desk(1), desks[2].get());
    EXPECT_EQ(core.platform(0).lottery(), u"合乐平台-HI彩分分彩"_s);
    EXPECT_EQ(core.platform(1).lottery(), u"U彩平台-欢乐分分彩"_s);
}

} // namespace
