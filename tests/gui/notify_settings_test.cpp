// What the notification services show, which events go to them, and the 通知服务 window.

#include "core/core.h"
#include "gui/main_window.h"
#include "gui/notify_dialog.h"
#include "core/notify_texts.h"
#include "core/options.h"
#include "fakes/fake_http.h"
#include "fakes/fixed_clock.h"
#include "fakes/loopback_server.h"
#include "fakes/recording_shell.h"
#include "gui/find_child.h"
#include "qt_printers.h"
#include "support/ini.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QJsonDocument>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <gtest/gtest.h>
#include <mutex>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::app;

TEST(NotifyTexts, ReadAtAGlance)
{
    const NotifyMessage alert =
        alert_message(u"U彩平台-欢乐分分彩"_s, u"20261208-0721"_s, {{u"前三(直选复式)"_s, u"遗漏"_s, u"12"_s}});
    EXPECT_EQ(alert.title, u"报警：前三(直选复式) 遗漏 12"_s);
    EXPECT_EQ(alert.body, u"U彩平台-欢乐分分彩 20261208-0721期\n前三(直选复式) 遗漏 12"_s);
    const NotifyMessage two = alert_message(u"L"_s, u"1"_s, {{u"A"_s, u"遗漏"_s, u"3"_s}, {u"B"_s, u"连中"_s, u"2"_s}});
    EXPECT_EQ(two.title, u"报警：A 遗漏 3 等2项"_s);
    EXPECT_TRUE(alert_message(u"L"_s, u"1"_s, {}).title.isEmpty());

    EXPECT_EQ(bet_message(u"L"_s, u"20261208-0721"_s, u"前三(直选复式)"_s, 4, 8, u"N1"_s).title,
              u"投注成功：20261208-0721 前三(直选复式) ×4 成本 8.00"_s);
    EXPECT_EQ(bet_message(u"L"_s, u"1"_s, u"T"_s, 1, 0.2, u"N1"_s).title, u"投注成功：1 T ×1 成本 0.20"_s);
    EXPECT_EQ(unconfirmed_message(u"L"_s, u"1"_s, u"T"_s, 2, 1.5).title, u"订单未确认：1 T ×2 成本 1.50"_s);
    EXPECT_EQ(refused_message(u"L"_s, u"1"_s, u"T"_s, u"户头余额不足"_s).title, u"投注失败：1 T"_s);
    EXPECT_EQ(stop_message(u"L"_s, u"stop rule"_s).title, u"停止监控：达到止盈或止损额"_s);
    EXPECT_EQ(stop_message(u"L"_s, u"button"_s).title, u"停止监控：手动停止"_s);
    EXPECT_EQ(stop_message(u"L"_s, u"total stop"_s).title, u"停止监控：达到总止盈或总止损额"_s);
    EXPECT_EQ(stop_message(u"L"_s, u"exit"_s).title, u"停止监控：程序退出"_s);
    EXPECT_EQ(stop_reason(u"total stop"_s), u"达到总止盈或总止损额"_s);
}

TEST(NotifyTexts, TheDailySummaryCountsConfirmedOrdersPerLotteryAndKind)
{
    const auto bet = [](const char16_t* lottery, bool simulated, double cost, double returned, bool confirmed) {
        zorvik::records::BetRecord b;
        b.lottery = QString::fromUtf16(lottery);
        b.simulated = simulated;
        b.cost = cost;
        b.returned = returned;
        b.result = returned > 0 ? u"中"_s : u"挂"_s;
        if (!confirmed)
            b.state = u"unconfirmed"_s;
        return b;
    };
    const NotifyMessage m = summary_message(QDate(2026, 12, 8), {bet(u"甲", false, 2, 3.84, true), bet(u"甲", false, 1, 0, true),
                                                                 bet(u"甲", true, 5, 0, true), bet(u"乙", false, 9, 0, false)});
    EXPECT_EQ(m.title, u"每日汇总：2026-12-08"_s);
    EXPECT_EQ(m.body, u"甲：投注2次，中奖1次，成本3，返奖3.84，收入0.84\n甲（模拟）：投注1次，中奖0次，成本5，返奖0，收入-5"_s);
    EXPECT_EQ(summary_message(QDate(2026, 12, 8), {}).body, u"当天没有投注"_s);
}

TEST(NotifyChoiceFile, EventsAndTheSummaryTimeAreKept)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"cfg.ini"_s);
    // Nothing kept: the defaults, no summary.
    EXPECT_EQ(load_notify_choice(file), NotifyChoice{});
    NotifyChoice c;
    c.events = {u"bet"_s, u"summary"_s};
    c.summary_at = u"22:30"_s;
    ASSERT_TRUE(save_notify_choice(file, c));
    EXPECT_EQ(load_notify_choice(file), c);
    EXPECT_EQ(zorvik::support::ini_read(u"alert_cfg"_s, u"notify_events"_s, file), u"bet,summary"_s);
    // None chosen is kept as none, not as the defaults; no summary time removes the key.
    c.events.clear();
    c.summary_at.clear();
    ASSERT_TRUE(save_notify_choice(file, c));
    EXPECT_EQ(load_notify_choice(file), c);
    EXPECT_TRUE(zorvik::support::ini_read(u"alert_cfg"_s, u"notify_summary_at"_s, file).isEmpty());
}

TEST(NotifyWindow, KeepsTheAddressesAndEventsAndSaysWhenApprisIsMissing)
{
    QTemporaryDir dir;
    zorvik::testing::RecordingShell shell;
    {
        MainWindow window(dir.path(), &shell);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(zorvik::testing::find_child<QPushButton>(&window, u"alert_notify_services"_s), Qt::LeftButton);
        auto* dialog = window.findChild<NotifyDialog*>();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(dialog->isVisible());
        auto* missing = dialog->findChild<QLabel*>(u"alert_cfg_notify_missing"_s);
        EXPECT_EQ(missing->isVisible(), !window.core().apprise().available());
        EXPECT_TRUE(missing->text().contains(u"apprise 软件包"_s));
        dialog->findChild<QPlainTextEdit*>(u"alert_cfg_notify_urls"_s)
            ->setPlainText(u"ntfy://ntfy.sh/zorvik-topic\n\n  tgram://123:abc/456  \n"_s);
        dialog->findChild<QCheckBox*>(u"alert_cfg_notify_event_alert"_s)->setChecked(false);
        dialog->findChild<QCheckBox*>(u"alert_cfg_notify_event_summary"_s)->setChecked(true);
        dialog->findChild<QTimeEdit*>(u"alert_cfg_notify_summary_at"_s)->setTime(QTime(21, 15));
        QTest::mouseClick(dialog->findChild<QPushButton*>(u"alert_cfg_notify_save"_s), Qt::LeftButton);
        EXPECT_EQ(window.core().apprise().urls(), (QStringList{u"ntfy://ntfy.sh/zorvik-topic"_s, u"tgram://123:abc/456"_s}));
        // The save is confirmed in the window.
        auto* results = dialog->findChild<QListWidget*>();
        ASSERT_NE(results, nullptr);
        ASSERT_EQ(results->count(), 1);
        EXPECT_EQ(results->item(0)->text(), u"已保存：2个通知服务地址"_s);
        EXPECT_FALSE(window.core().apprise().events().contains(u"alert"_s));
        EXPECT_TRUE(window.core().apprise().events().contains(u"summary"_s));
        const QString file = window.settings_file();
        EXPECT_EQ(load_notify_choice(file).summary_at, u"21:15"_s);
        // Without a keyring the addresses are in the settings file, on one line.
        EXPECT_EQ(zorvik::support::ini_read(u"alert_cfg"_s, u"notify_urls"_s, file),
                  u"ntfy://ntfy.sh/zorvik-topic tgram://123:abc/456"_s);
    }
    // A new window has them again.
    MainWindow again(dir.path(), &shell);
    EXPECT_EQ(again.core().apprise().urls(), (QStringList{u"ntfy://ntfy.sh/zorvik-topic"_s, u"tgram://123:abc/456"_s}));
    EXPECT_FALSE(again.core().apprise().events().contains(u"alert"_s));
}

// A failing service is told once in the status line, and again only after a delivery went out
// in between.
TEST(NotifyWindow, AFailureIsToldOnceUntilADeliverySucceeds)
{
    if (QStandardPaths::findExecutable(u"apprise"_s).isEmpty())
        GTEST_FAIL() << "scripts/install-deps installs apprise";
    QTemporaryDir dir;
    zorvik::testing::RecordingShell shell;
    MainWindow window(dir.path(), &shell);
    AppCore& core = window.core();
    int told = 0;
    QObject::connect(&core.engine(), &zorvik::monitor::MonitorEngine::line_changed,
                     [&](zorvik::monitor::Line, const QString& text) { told += text.startsWith(u"通知服务发送失败"_s); });
    QSignalSpy results(&core, &AppCore::notify_result);
    // Nothing listens on port 1.
    core.keep_notify_urls(u"json://127.0.0.1:1/secret"_s);
    core.send_test_notification();
    QTRY_COMPARE_WITH_TIMEOUT(results.size(), 1, 30000);
    EXPECT_TRUE(results.at(0).at(3).toString().startsWith(u"failed "_s));
    EXPECT_EQ(results.at(0).at(2).toString(), u"json"_s);
    EXPECT_EQ(told, 1);
    // Other news takes the line; the next failure is not told again.
    core.engine().set_line(zorvik::monitor::Line::BetStatus, u"其他消息"_s);
    core.send_test_notification();
    QTRY_COMPARE_WITH_TIMEOUT(results.size(), 2, 30000);
    EXPECT_EQ(told, 1);

    zorvik::testing::LoopbackServer receiver;
    receiver.server.Post(".*", [](const httplib::Request&, httplib::Response& res) { res.set_content("{}", "application/json"); });
    receiver.start();
    core.keep_notify_urls(u"json://"_s + receiver.url("/hook").mid(7));
    core.send_test_notification();
    QTRY_COMPARE_WITH_TIMEOUT(results.size(), 3, 30000);
    EXPECT_EQ(results.at(2).at(3).toString(), u"OK"_s);
    core.engine().set_line(zorvik::monitor::Line::BetStatus, u"其他消息"_s);
    core.keep_notify_urls(u"json://127.0.0.1:1/secret"_s);
    core.send_test_notification();
    QTRY_COMPARE_WITH_TIMEOUT(results.size(), 4, 30000);
    EXPECT_EQ(told, 2);
}

TEST(NotifyWindow, TheTestButtonTestsTheServicesWithoutAWebhookAndSaysWhatWentOut)
{
    if (QStandardPaths::findExecutable(u"apprise"_s).isEmpty())
        GTEST_FAIL() << "scripts/install-deps installs apprise";
    QTemporaryDir dir;
    zorvik::testing::RecordingShell shell;
    MainWindow window(dir.path(), &shell);
    AppCore& core = window.core();
    auto* test = zorvik::testing::find_child<QPushButton>(&window, u"alert_webhook_test"_s);
    // No address anywhere: said, nothing sent.
    test->click();
    EXPECT_EQ(shell.messages.last(), u"请先填写通知地址（或在“通知服务”中添加地址）"_s);
    zorvik::testing::LoopbackServer receiver;
    int received = 0;
    receiver.server.Post(".*", [&received](const httplib::Request&, httplib::Response& res) {
        ++received;
        res.set_content("{}", "application/json");
    });
    receiver.start();
    core.keep_notify_urls(u"json://"_s + receiver.url("/hook").mid(7));
    QSignalSpy results(&core, &AppCore::notify_result);
    test->click();
    EXPECT_EQ(core.engine().line(zorvik::monitor::Line::BetStatus), u"测试通知已发出：1个通知服务"_s);
    QTRY_COMPARE_WITH_TIMEOUT(results.size(), 1, 30000);
    EXPECT_EQ(results.at(0).at(3).toString(), u"OK"_s);
    EXPECT_EQ(received, 1);
}

TEST(NotifyWindow, TheDailySummaryGoesOnceADayAtTheTimeChosen)
{
    if (QStandardPaths::findExecutable(u"apprise"_s).isEmpty())
        GTEST_FAIL() << "scripts/install-deps installs apprise";
    QTemporaryDir dir;
    zorvik::testing::RecordingShell shell;
    zorvik::testing::FakeHttp http;
    zorvik::testing::FixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(20, 59, 0)));
    AppCore core(dir.path(), shell, clock, http, NetConfig{});
    QStringList titles;
    std::mutex mutex;
    zorvik::testing::LoopbackServer receiver;
    receiver.server.Post(".*", [&](const httplib::Request& req, httplib::Response& res) {
        std::lock_guard lock(mutex);
        titles << QJsonDocument::fromJson(QByteArray::fromStdString(req.body))[u"title"_s].toString();
        res.set_content("{}", "application/json");
    });
    receiver.start();
    core.keep_notify_urls(u"json://"_s + receiver.url("/hook").mid(7));
    NotifyChoice choice;
    choice.events = {u"summary"_s};
    choice.summary_at = u"21:00"_s;
    core.set_notify_choice(choice);
    QSignalSpy results(&core, &AppCore::notify_result);

    core.summary_due(); // a minute early
    EXPECT_EQ(core.apprise().in_flight(), 0);
    clock.advance(60 * 1000);
    core.summary_due();
    EXPECT_EQ(core.apprise().in_flight(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(results.size(), 1, 30000);
    EXPECT_EQ(results.first().at(0).toString(), u"summary"_s);
    core.summary_due(); // once a day
    clock.advance(3 * 3600 * 1000);
    core.summary_due();
    EXPECT_EQ(core.apprise().in_flight(), 0);
    clock.advance(21 * 3600 * 1000); // the next day, past the time
    core.summary_due();
    QTRY_COMPARE_WITH_TIMEOUT(results.size(), 2, 30000);
    std::lock_guard lock(mutex);
    EXPECT_EQ(titles, (QStringList{u"每日汇总：2026-12-08"_s, u"每日汇总：2026-12-09"_s}));
}
