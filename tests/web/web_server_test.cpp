// The web dashboard through its real server on loopback: logins and their throttle, sessions,
// every path's answers and refusals, the caps on bodies, connections and idle time, the live
// events, and no secret in anything it says.

#include "core/core.h"
#include "core/desk.h"
#include "core/options.h"
#include "fakes/fake_http.h"
#include "fakes/fixed_clock.h"
#include "fakes/recording_shell.h"
#include "monitor/engine.h"
#include "support/gbk.h"
#include "support/ini.h"
#include "web/web_config.h"
#include "web/web_server.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebSocket>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using zorvik::app::AppCore;
using zorvik::app::NetConfig;
using zorvik::web::WebConfig;
using zorvik::web::WebServer;

namespace {

const QString kWebPassword = u"门-open-sesame-42"_s;
const QString kPlatformPassword = u"PLATFORM-SECRET-9"_s;
const QString kHookToken = u"HOOK-TOKEN-77"_s;

QString monitor(const QString& digits, bool auto_bet)
{
    return u"|A~定位胆~前一(定位胆)~"_s + digits + u"~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~"_s +
           (auto_bet ? u"1"_s : u"0"_s) + u"~1~1~false~0~0:0:0:1920~0"_s;
}

struct Answer {
    int status = 0;
    QJsonObject json;
    QByteArray body;
    QByteArray type;
};

class WebServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(dir_.filePath(u"bao"_s));
        QFile f(dir_.filePath(u"bao/cfg.ini"_s));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(zorvik::support::to_gbk(
            u"[cai_cfg]\r\ncombox_select_caizhong=U彩平台-欢乐分分彩\r\n[alert_cfg]\r\nlist="_s + monitor(u"0123456789"_s, true) +
            monitor(u"13579"_s, false) + u"\r\n[tz_cfg]\r\nplt_tz_zy=1000\r\nplt_tz_zs=-1000\r\n[desk_2]\r\nlottery=合乐平台-HI彩分分彩\r\n"
            u"stop_profit=500\r\nstop_loss=-500\r\n"_s));
        f.close();
        core_ = std::make_unique<AppCore>(dir_.path(), shell_, clock_, http_, NetConfig{});
        core_->add_desk(2);
        core_->set_virtual(true);
        core_->set_credentials(u"ann"_s, kPlatformPassword);
        core_->set_webhook_url(u"http://hook.example/"_s + kHookToken);
        const QString lotteries[] = {u"U彩平台-欢乐分分彩"_s, u"合乐平台-HI彩分分彩"_s};
        for (size_t i = 0; i < 2; ++i) {
            zorvik::app::Desk& d = *core_->desks()[i];
            d.engine().load();
            d.choose_lottery(lotteries[i]);
            d.engine().set_draw_source([this] { return state_; });
        }
        core_->engine().set_stop_source([] { return std::pair<QString, QString>(u"1000"_s, u"-1000"_s); });
        state_.lookup = &lookup_;
        config_.digest = zorvik::web::password_digest(kWebPassword, 1000);
        config_.port = 0;
        ASSERT_TRUE(zorvik::web::save_web_digest(core_->settings_file(), config_.digest));
        server_ = std::make_unique<WebServer>(*core_, clock_);
        ASSERT_EQ(server_->start(config_), QString());
        ASSERT_TRUE(server_->running());
        base_ = u"http://127.0.0.1:"_s + QString::number(server_->port());
    }

    // A draw comes and the first desk judges it.
    void draw(int n)
    {
        const QString issue = u"20261209-"_s + QString::number(n).rightJustified(4, u'0');
        state_.awd_iss = issue;
        state_.awd_nums = u"1,2,3,4,5"_s;
        state_.bet_iss = state_.next_iss_no = u"20261209-"_s + QString::number(n + 1).rightJustified(4, u'0');
        lookup_.insert(QString(issue).remove(u'-'), state_.awd_nums);
        core_->engine().evaluate_draw();
    }

    Answer call(const QString& method, const QString& path, const QByteArray& body = {}, const QString& token = {})
    {
        QNetworkRequest request(QUrl(base_ + path));
        if (!token.isEmpty())
            request.setRawHeader("Authorization", "Bearer " + token.toLatin1());
        request.setHeader(QNetworkRequest::ContentTypeHeader, u"application/json"_s);
        QNetworkReply* reply = net_.sendCustomRequest(request, method.toLatin1(), body);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        Answer a;
        a.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        a.body = reply->readAll();
        a.json = QJsonDocument::fromJson(a.body).object();
        a.type = reply->rawHeader("Content-Type");
        said_ += a.body;
        for (const auto& [name, value] : reply->rawHeaderPairs())
            said_ += name + ": " + value + "\n";
        reply->deleteLater();
        return a;
    }
    Answer get(const QString& path, const QString& token) { return call(u"GET"_s, path, {}, token); }
    Answer post(const QString& path, const QJsonObject& body, const QString& token)
    {
        return call(u"POST"_s, path, QJsonDocument(body).toJson(QJsonDocument::Compact), token);
    }
    QString login(const QString& password = kWebPassword)
    {
        const Answer a = post(u"/api/v1/login"_s, {{u"password"_s, password}}, {});
        return a.status == 200 ? a.json.value(u"token"_s).toString() : QString();
    }

    QTemporaryDir dir_;
    zorvik::testing::RecordingShell shell_;
    zorvik::testing::FakeHttp http_;
    zorvik::testing::FixedClock clock_;
    std::unique_ptr<AppCore> core_;
    zorvik::monitor::DrawState state_;
    QHash<QString, QString> lookup_;
    WebConfig config_;
    std::unique_ptr<WebServer> server_;
    QString base_;
    QNetworkAccessManager net_;
    QByteArray said_; // every response's headers and body, for the search for secrets
};

TEST_F(WebServerTest, EveryPathButThePageAndTheLoginNeedsAToken)
{
    const Answer page = get(u"/"_s, {});
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(page.body.contains("<title>Zorvik 远程监控</title>"));
    for (const QString& path : {u"/api/v1/desks"_s, u"/api/v1/desks/1/monitors"_s, u"/api/v1/desks/1/bets"_s,
                                u"/api/v1/desks/1/income"_s, u"/api/v1/records?day=2026-12-09"_s}) {
        EXPECT_EQ(get(path, {}).status, 401) << path.toStdString();
        EXPECT_EQ(get(path, u"not-a-token"_s).status, 401) << path.toStdString();
    }
    EXPECT_EQ(post(u"/api/v1/desks/1/stop"_s, {}, {}).status, 401);
    EXPECT_EQ(post(u"/api/v1/stop_all"_s, {}, {}).status, 401);
    const QString token = login();
    ASSERT_FALSE(token.isEmpty());
    // 256 random bits, URL-safe.
    EXPECT_EQ(QByteArray::fromBase64(token.toLatin1(), QByteArray::Base64UrlEncoding).size(), 32);
    EXPECT_EQ(get(u"/api/v1/desks"_s, token).status, 200);
    EXPECT_NE(login(), token);
}

TEST_F(WebServerTest, FiveFailedLoginsWithinAMinuteTurnTheAddressAwayForAMinute)
{
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(post(u"/api/v1/login"_s, {{u"password"_s, u"wrong"_s}}, {}).status, 401);
    // Four failures: the right password still opens.
    EXPECT_FALSE(login().isEmpty());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(post(u"/api/v1/login"_s, {{u"password"_s, u"wrong"_s}}, {}).status, 401);
    // Five: even the right password is turned away, for a minute.
    const Answer held = post(u"/api/v1/login"_s, {{u"password"_s, kWebPassword}}, {});
    EXPECT_EQ(held.status, 429);
    EXPECT_EQ(held.json.value(u"error"_s).toString(), u"登录失败次数太多，请一分钟后再试"_s);
    clock_.advance(59999);
    EXPECT_EQ(post(u"/api/v1/login"_s, {{u"password"_s, kWebPassword}}, {}).status, 429);
    clock_.advance(1);
    EXPECT_FALSE(login().isEmpty());
}

TEST_F(WebServerTest, FailuresOlderThanAMinuteDoNotCount)
{
    for (int i = 0; i < 4; ++i)
        post(u"/api/v1/login"_s, {{u"password"_s, u"wrong"_s}}, {});
    clock_.advance(60000);
    post(u"/api/v1/login"_s, {{u"password"_s, u"wrong"_s}}, {});
    EXPECT_FALSE(login().isEmpty());
}

TEST_F(WebServerTest, ASessionLastsTwelveHoursAndEndsWithALogoutOrANewPassword)
{
    const QString token = login();
    clock_.advance(12LL * 3600 * 1000 - 1);
    EXPECT_EQ(get(u"/api/v1/desks"_s, token).status, 200);
    clock_.advance(1);
    EXPECT_EQ(get(u"/api/v1/desks"_s, token).status, 401);

    const QString a = login();
    const QString b = login();
    EXPECT_EQ(post(u"/api/v1/logout"_s, {}, a).status, 200);
    EXPECT_EQ(get(u"/api/v1/desks"_s, a).status, 401);
    EXPECT_EQ(get(u"/api/v1/desks"_s, b).status, 200);

    // A new password, set from the window: every session ends, the old password opens nothing.
    server_->set_digest(zorvik::web::password_digest(u"new-one"_s, 1000));
    EXPECT_EQ(get(u"/api/v1/desks"_s, b).status, 401);
    EXPECT_TRUE(login().isEmpty());
    const QString c = login(u"new-one"_s);
    ASSERT_FALSE(c.isEmpty());
    // Set in the settings file by zorvik-cli web-password while the program runs.
    ASSERT_TRUE(zorvik::web::save_web_digest(core_->settings_file(), zorvik::web::password_digest(u"third"_s, 1000)));
    for (int i = 0; i < 50 && get(u"/api/v1/desks"_s, c).status == 200; ++i)
        QTest::qWait(100);
    EXPECT_EQ(get(u"/api/v1/desks"_s, c).status, 401);
    EXPECT_FALSE(login(u"third"_s).isEmpty());
}

TEST_F(WebServerTest, TheDesksTheirMonitorsBetsAndIncomeAreShown)
{
    draw(1);
    const QString token = login();
    const Answer desks = get(u"/api/v1/desks"_s, token);
    ASSERT_EQ(desks.status, 200);
    const QJsonArray list = desks.json.value(u"desks"_s).toArray();
    ASSERT_EQ(list.size(), 2);
    const QJsonObject first = list[0].toObject();
    EXPECT_EQ(first.value(u"number"_s).toInt(), 1);
    EXPECT_EQ(first.value(u"lottery"_s).toString(), u"U彩平台-欢乐分分彩"_s);
    EXPECT_EQ(first.value(u"stop_profit"_s).toString(), u"1000"_s);
    EXPECT_FALSE(first.value(u"monitoring"_s).toBool());
    EXPECT_TRUE(first.value(u"lines"_s).toObject().contains(u"income_line"_s));
    EXPECT_EQ(list[1].toObject().value(u"stop_loss"_s).toString(), u"-500"_s);
    EXPECT_EQ(desks.json.value(u"money"_s).toString(), u"simulated"_s);

    const Answer monitors = get(u"/api/v1/desks/1/monitors"_s, token);
    ASSERT_EQ(monitors.status, 200);
    const QString before = QString::fromUtf8(monitors.body);
    EXPECT_EQ(monitors.json.value(u"headers"_s).toArray().size(), 7);
    const QJsonArray rows = monitors.json.value(u"monitors"_s).toArray();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[0].toObject().value(u"auto_bet"_s).toBool());
    EXPECT_FALSE(rows[1].toObject().value(u"auto_bet"_s).toBool());
    EXPECT_EQ(rows[1].toObject().value(u"cells"_s).toArray()[1].toString(), u"13579"_s);

    // Monitoring: the auto-bet monitor bets every draw; the settled ones make the income line.
    core_->engine().set_monitoring(true);
    draw(2);
    draw(3);
    // Each draw shows the list anew: its states and statistics moved.
    EXPECT_NE(QString::fromUtf8(get(u"/api/v1/desks/1/monitors"_s, token).body), before);
    const Answer bets = get(u"/api/v1/desks/1/bets"_s, token);
    ASSERT_EQ(bets.status, 200);
    EXPECT_EQ(bets.json.value(u"headers"_s).toArray()[0].toString(), u"期号"_s);
    EXPECT_GE(bets.json.value(u"bets"_s).toArray().size(), 1);
    const Answer income = get(u"/api/v1/desks/1/income"_s, token);
    EXPECT_DOUBLE_EQ(income.json.value(u"income"_s).toDouble(), core_->engine().session().income);
    EXPECT_EQ(get(u"/api/v1/desks/2/bets"_s, token).json.value(u"bets"_s).toArray().size(), 0);
}

TEST_F(WebServerTest, RecordsComeByDayWithRealAndSimulatedMoneyApart)
{
    const QString token = login();
    core_->engine().set_monitoring(true);
    draw(1);
    draw(2);
    const QString today = clock_.local_now().date().toString(Qt::ISODate);
    const Answer records = get(u"/api/v1/records?day="_s + today, token);
    ASSERT_EQ(records.status, 200) << records.body.toStdString();
    EXPECT_EQ(records.json.value(u"day"_s).toString(), today);
    EXPECT_TRUE(records.json.value(u"real"_s).toObject().value(u"bets"_s).toArray().isEmpty());
    const QJsonObject simulated = records.json.value(u"simulated"_s).toObject();
    EXPECT_GE(simulated.value(u"bets"_s).toArray().size(), 1);
    EXPECT_EQ(simulated.value(u"totals"_s).toObject().value(u"bets"_s).toInt(), simulated.value(u"bets"_s).toArray().size());
    EXPECT_EQ(get(u"/api/v1/records?day=2026-13-40"_s, token).status, 400);
    EXPECT_EQ(get(u"/api/v1/records?day=2000-01-01"_s, token).json.value(u"simulated"_s).toObject()
                  .value(u"bets"_s).toArray().size(), 0);
}

TEST_F(WebServerTest, ActionsGoThroughTheCoreAndAreTold)
{
    QSignalSpy told(core_.get(), &AppCore::web_action);
    const QString token = login();
    // No draw history yet: the desk cannot start, and says so.
    const Answer start = post(u"/api/v1/desks/1/start"_s, {}, token);
    EXPECT_EQ(start.status, 409);
    EXPECT_EQ(start.json.value(u"error"_s).toString(), u"还未获取到历史开奖号，无法开启监控"_s);
    EXPECT_FALSE(core_->engine().monitoring());
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0][0].toString(), u"start 1 refused:还未获取到历史开奖号，无法开启监控 127.0.0.1"_s);
    EXPECT_TRUE(shell_.messages.isEmpty()) << "a remote action opens no box in the window";
    EXPECT_EQ(post(u"/api/v1/desks/1/stop"_s, {}, token).status, 409);

    core_->engine().set_monitoring(true);
    core_->desks()[1]->engine().set_monitoring(true);
    const Answer stop = post(u"/api/v1/desks/2/stop"_s, {}, token);
    EXPECT_EQ(stop.status, 200);
    EXPECT_FALSE(core_->desks()[1]->engine().monitoring());
    EXPECT_TRUE(core_->engine().monitoring());
    EXPECT_EQ(told.last()[0].toString(), u"stop 2 - 127.0.0.1"_s);
    EXPECT_EQ(core_->desks()[1]->engine().line(zorvik::monitor::Line::BetStatus), u"远程操作（127.0.0.1）：停止监控"_s);

    const Answer all = post(u"/api/v1/stop_all"_s, {}, token);
    EXPECT_EQ(all.status, 200);
    EXPECT_EQ(all.json.value(u"stopped"_s).toArray(), QJsonArray{1});
    EXPECT_FALSE(core_->engine().monitoring());
    EXPECT_EQ(told.last()[0].toString(), u"stop_all * 1 127.0.0.1"_s);
    EXPECT_EQ(post(u"/api/v1/stop_all"_s, {}, token).status, 409);
}

TEST_F(WebServerTest, AMonitorsAutomaticBettingAndADesksStopsAreChangedAndKept)
{
    const QString token = login();
    const auto shown_auto_bet = [&](int row) {
        return get(u"/api/v1/desks/1/monitors"_s, token).json.value(u"monitors"_s).toArray()[row].toObject()
            .value(u"auto_bet"_s).toBool();
    };
    EXPECT_TRUE(shown_auto_bet(0));
    const Answer off = post(u"/api/v1/desks/1/monitors/1/auto_bet"_s, {{u"on"_s, false}}, token);
    EXPECT_EQ(off.status, 200);
    EXPECT_FALSE(shown_auto_bet(0)); // the list is shown anew once it changed
    EXPECT_EQ(core_->engine().list().at(1)->field(zorvik::monitor::kAutoBet), u"0"_s);
    // Kept in the settings file, and nothing else of the monitor changed.
    const QString kept = zorvik::support::ini_read(u"alert_cfg"_s, u"list"_s, core_->settings_file());
    EXPECT_TRUE(kept.contains(u"0:0:0:0~0~1~1~false"_s)) << kept.toStdString();
    EXPECT_TRUE(kept.contains(u"~13579~"_s));
    EXPECT_EQ(post(u"/api/v1/desks/1/monitors/2/auto_bet"_s, {{u"on"_s, true}}, token).status, 200);
    EXPECT_EQ(core_->engine().list().at(2)->field(zorvik::monitor::kAutoBet), u"1"_s);
    EXPECT_EQ(post(u"/api/v1/desks/1/monitors/3/auto_bet"_s, {{u"on"_s, true}}, token).status, 404);
    EXPECT_EQ(post(u"/api/v1/desks/1/monitors/0/auto_bet"_s, {{u"on"_s, true}}, token).status, 404);

    QSignalSpy stops(core_.get(), &AppCore::stops_changed);
    const Answer set = post(u"/api/v1/desks/2/stops"_s, {{u"stop_profit"_s, 800}, {u"stop_loss"_s, u"-300"_s}}, token);
    EXPECT_EQ(set.status, 200) << set.body.toStdString();
    EXPECT_EQ(core_->desks()[1]->kept_stops(), (std::pair<QString, QString>(u"800"_s, u"-300"_s)));
    const Answer first = post(u"/api/v1/desks/1/stops"_s, {{u"stop_profit"_s, 50.5}, {u"stop_loss"_s, -20}}, token);
    EXPECT_EQ(first.status, 200);
    EXPECT_EQ(zorvik::support::ini_read(u"tz_cfg"_s, u"plt_tz_zy"_s, core_->settings_file()), u"50.5"_s);
    EXPECT_EQ(zorvik::support::ini_read(u"tz_cfg"_s, u"plt_tz_zs"_s, core_->settings_file()), u"-20"_s);
    ASSERT_EQ(stops.size(), 2);
    EXPECT_EQ(stops[1][0].toInt(), 1);
    EXPECT_EQ(stops[1][1].toString(), u"50.5"_s);
}

TEST_F(WebServerTest, BadRequestsAreRefusedWithTheFieldNamed)
{
    const QString token = login();
    const auto error = [](const Answer& a) { return a.json.value(u"error"_s).toString(); };
    EXPECT_EQ(error(call(u"POST"_s, u"/api/v1/login"_s, "{not json", {})), u"请求内容不是 JSON 对象"_s);
    EXPECT_EQ(error(post(u"/api/v1/login"_s, {}, {})), u"缺少字段 password"_s);
    EXPECT_EQ(error(post(u"/api/v1/login"_s, {{u"password"_s, 5}}, {})), u"字段 password 应为文字"_s);
    EXPECT_EQ(error(post(u"/api/v1/desks/1/stops"_s, {{u"stop_profit"_s, 1}}, token)), u"缺少字段 stop_loss"_s);
    EXPECT_EQ(error(post(u"/api/v1/desks/1/stops"_s, {{u"stop_profit"_s, u"很多"_s}, {u"stop_loss"_s, 1}}, token)),
              u"字段 stop_profit 应为数字"_s);
    EXPECT_EQ(error(post(u"/api/v1/desks/1/monitors/1/auto_bet"_s, {}, token)), u"缺少字段 on"_s);
    EXPECT_EQ(error(post(u"/api/v1/desks/1/monitors/1/auto_bet"_s, {{u"on"_s, u"yes"_s}}, token)),
              u"字段 on 应为 true 或 false"_s);
    EXPECT_EQ(call(u"POST"_s, u"/api/v1/desks/1/stops"_s, "[1,2]", token).status, 400);

    EXPECT_EQ(get(u"/nothing"_s, token).status, 404);
    EXPECT_EQ(get(u"/api/v1/nothing"_s, token).status, 404);
    EXPECT_EQ(get(u"/api/v1/desks/3/monitors"_s, token).status, 404);
    EXPECT_EQ(error(get(u"/api/v1/desks/x/bets"_s, token)), u"没有第 x 号彩种"_s);
    EXPECT_EQ(get(u"/api/v1/desks/1/nothing"_s, token).status, 404);
    // What a request sends comes back as JSON only, never as a page a browser would run.
    const Answer markup = get(u"/api/v1/desks/%3Cscript%3Ealert(1)%3C%2Fscript%3E/bets"_s, token);
    EXPECT_EQ(markup.status, 404);
    EXPECT_EQ(markup.type, "application/json; charset=utf-8");
    EXPECT_TRUE(said_.contains("X-Content-Type-Options: nosniff"));
    EXPECT_EQ(post(u"/api/v1/desks"_s, {}, token).status, 405);
    EXPECT_EQ(get(u"/api/v1/desks/1/stop"_s, token).status, 405);
    EXPECT_EQ(get(u"/api/v1/login"_s, token).status, 405);
    // Nothing was changed by any of them.
    EXPECT_EQ(core_->engine().list().at(1)->field(zorvik::monitor::kAutoBet), u"1"_s);
}

TEST_F(WebServerTest, BodiesOverSixtyFourKilobytesAreRefused)
{
    const QString token = login();
    const QByteArray at_limit(64 * 1024, ' ');
    EXPECT_EQ(call(u"POST"_s, u"/api/v1/desks/1/stops"_s, at_limit, token).status, 400);
    const QByteArray over(64 * 1024 + 1, ' ');
    const Answer refused = call(u"POST"_s, u"/api/v1/desks/1/stops"_s, over, token);
    EXPECT_EQ(refused.status, 413);
    EXPECT_EQ(refused.json.value(u"error"_s).toString(), u"请求内容超过 64 KB"_s);

    // A huge body is refused as it comes, before it is all read, and the connection closes.
    QTcpSocket raw;
    raw.connectToHost(QHostAddress::LocalHost, server_->port());
    ASSERT_TRUE(raw.waitForConnected(3000));
    raw.write("POST /api/v1/login HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\nContent-Length: 50000000\r\n\r\n");
    const QByteArray chunk(256 * 1024, 'x');
    // The server runs on this thread: every wait here runs the event loop.
    QByteArray answer;
    qint64 sent = 0;
    for (int i = 0; i < 40 && raw.state() == QAbstractSocket::ConnectedState && answer.isEmpty(); ++i) {
        if (raw.bytesToWrite() == 0) {
            raw.write(chunk);
            sent += chunk.size();
        }
        QTest::qWait(50);
        answer += raw.readAll();
    }
    for (int i = 0; i < 20 && raw.state() == QAbstractSocket::ConnectedState; ++i) {
        QTest::qWait(50);
        answer += raw.readAll();
    }
    EXPECT_LT(sent, 50000000);
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 413")) << answer.left(200).toStdString();
    EXPECT_NE(raw.state(), QAbstractSocket::ConnectedState);
    // The server goes on serving.
    EXPECT_EQ(get(u"/api/v1/desks"_s, token).status, 200);
}

TEST_F(WebServerTest, AtMostSixteenConnectionsAtOnce)
{
    std::vector<std::unique_ptr<QTcpSocket>> open;
    for (int i = 0; i < 16; ++i) {
        auto s = std::make_unique<QTcpSocket>();
        s->connectToHost(QHostAddress::LocalHost, server_->port());
        ASSERT_TRUE(s->waitForConnected(3000));
        open.push_back(std::move(s));
    }
    QTest::qWait(200); // the server has taken them all
    QTcpSocket extra;
    extra.connectToHost(QHostAddress::LocalHost, server_->port());
    ASSERT_TRUE(extra.waitForConnected(3000));
    QByteArray answer;
    for (int i = 0; i < 30 && !answer.contains("\r\n\r\n"); ++i) {
        QTest::qWait(50);
        answer += extra.readAll();
    }
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 503")) << answer.toStdString();
    // One goes: the next is served.
    open.back()->disconnectFromHost();
    open.pop_back();
    QTest::qWait(200);
    const Answer page = get(u"/"_s, {});
    EXPECT_EQ(page.status, 200);
}

TEST_F(WebServerTest, LiveEventsNeedATokenAndCarryTheDesksEvents)
{
    const QString token = login();
    QWebSocket ws;
    QStringList heard;
    QObject::connect(&ws, &QWebSocket::textMessageReceived, [&heard](const QString& m) { heard << m; });
    ws.open(QUrl(u"ws://127.0.0.1:"_s + QString::number(server_->port()) + u"/api/v1/events"_s));
    QSignalSpy connected(&ws, &QWebSocket::connected);
    ASSERT_TRUE(connected.wait(5000));
    draw(1); // before the token: nothing is heard
    ws.sendTextMessage(QString::fromUtf8(QJsonDocument(QJsonObject{{u"token"_s, token}}).toJson(QJsonDocument::Compact)));
    for (int i = 0; i < 50 && heard.isEmpty(); ++i)
        QTest::qWait(20);
    ASSERT_EQ(heard.size(), 1);
    EXPECT_EQ(heard[0], u"{\"type\":\"hello\"}"_s);
    core_->engine().set_monitoring(true);
    draw(2);
    for (int i = 0; i < 50 && heard.size() < 3; ++i)
        QTest::qWait(20);
    const QString all = heard.join(u'\n');
    EXPECT_TRUE(all.contains(u"\"kind\":\"monitoring on\""_s)) << all.toStdString();
    EXPECT_TRUE(all.contains(u"\"kind\":\"alert\""_s)) << all.toStdString();
    EXPECT_TRUE(all.contains(u"\"desk\":1"_s));
    said_ += all.toUtf8();

    // A wrong token: closed without a word.
    QWebSocket stranger;
    QStringList heard_by_stranger;
    QObject::connect(&stranger, &QWebSocket::textMessageReceived,
                     [&heard_by_stranger](const QString& m) { heard_by_stranger << m; });
    QSignalSpy closed(&stranger, &QWebSocket::disconnected);
    stranger.open(QUrl(u"ws://127.0.0.1:"_s + QString::number(server_->port()) + u"/api/v1/events"_s));
    QSignalSpy stranger_in(&stranger, &QWebSocket::connected);
    ASSERT_TRUE(stranger_in.wait(5000));
    stranger.sendTextMessage(u"{\"token\":\"guess\"}"_s);
    ASSERT_TRUE(closed.wait(5000));
    EXPECT_EQ(stranger.closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);
    draw(3);
    QTest::qWait(100);
    EXPECT_TRUE(heard_by_stranger.isEmpty());

    // The password changes: the live session ends too.
    QSignalSpy ended(&ws, &QWebSocket::disconnected);
    server_->set_digest(zorvik::web::password_digest(u"other"_s, 1000));
    EXPECT_TRUE(ended.wait(5000));
}

TEST_F(WebServerTest, NoResponseOrEventHoldsASecret)
{
    const QString mine = login();
    const QString other = login();
    said_.clear(); // each login's answer holds its own token; what follows holds none but mine
    get(u"/"_s, {});
    get(u"/api/v1/desks"_s, mine);
    get(u"/api/v1/desks/1/monitors"_s, mine);
    get(u"/api/v1/desks/1/bets"_s, mine);
    get(u"/api/v1/desks/1/income"_s, mine);
    get(u"/api/v1/records"_s, mine);
    EXPECT_EQ(get(u"/api/v1/records"_s, mine).json.value(u"day"_s).toString(), u"2015-11-12"_s);
    post(u"/api/v1/desks/1/start"_s, {}, mine);
    post(u"/api/v1/desks/1/stops"_s, {{u"stop_profit"_s, 1}, {u"stop_loss"_s, -1}}, mine);
    post(u"/api/v1/login"_s, {{u"password"_s, kWebPassword + u"x"_s}}, {});
    const QString digest = zorvik::web::load_web_config(core_->settings_file()).digest;
    ASSERT_FALSE(digest.isEmpty());
    const QString text = QString::fromUtf8(said_);
    for (const QString& secret : {kWebPassword, kPlatformPassword, kHookToken, digest, digest.section(u'$', 2, 2),
                                  digest.section(u'$', 3, 3), other})
        EXPECT_FALSE(text.contains(secret)) << secret.toStdString();
    EXPECT_FALSE(said_.contains("Set-Cookie"));
}

TEST_F(WebServerTest, ASilentConnectionIsClosedAndABusyOneIsNot)
{
    server_->set_idle_ms(400);
    QTcpSocket silent, busy;
    for (QTcpSocket* s : {&silent, &busy}) {
        s->connectToHost(QHostAddress::LocalHost, server_->port());
        ASSERT_TRUE(s->waitForConnected(3000));
    }
    for (int i = 0; i < 6; ++i) {
        busy.write("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
        busy.flush();
        QTest::qWait(150);
        busy.readAll();
    }
    EXPECT_EQ(silent.state(), QAbstractSocket::UnconnectedState);
    EXPECT_EQ(busy.state(), QAbstractSocket::ConnectedState);
}

TEST(WebConfig, ThePasswordIsKeptAsASaltedDigest)
{
    const QString a = zorvik::web::password_digest(u"pw-秘"_s);
    const QString b = zorvik::web::password_digest(u"pw-秘"_s);
    EXPECT_NE(a, b); // salted
    EXPECT_TRUE(a.startsWith(u"pbkdf2-sha256$120000$"_s));
    EXPECT_FALSE(a.contains(u"pw-秘"_s));
    EXPECT_TRUE(zorvik::web::password_matches(a, u"pw-秘"_s));
    EXPECT_FALSE(zorvik::web::password_matches(a, u"pW-秘"_s));
    EXPECT_FALSE(zorvik::web::password_matches(QString(), QString()));
    EXPECT_FALSE(zorvik::web::password_matches(u"pbkdf2-sha256$0$AAAA$AAAA"_s, u"pw"_s));
    EXPECT_FALSE(zorvik::web::password_matches(a.left(a.size() - 4), u"pw-秘"_s));
}

TEST(WebConfig, AnAddressBeyondLoopbackNeedsTlsAndEveryServerAPassword)
{
    WebConfig c;
    EXPECT_EQ(zorvik::web::listen_refusal(c), u"还没有设置远程访问的密码"_s);
    c.digest = u"x"_s;
    EXPECT_EQ(zorvik::web::listen_refusal(c), QString());
    ASSERT_TRUE(zorvik::web::parse_listen(u"0.0.0.0:9000"_s, c));
    EXPECT_EQ(c.port, 9000);
    EXPECT_TRUE(zorvik::web::listen_refusal(c).contains(u"TLS"_s));
    c.cert = u"/c.pem"_s;
    EXPECT_TRUE(zorvik::web::listen_refusal(c).contains(u"TLS"_s));
    c.key = u"/k.pem"_s;
    EXPECT_EQ(zorvik::web::listen_refusal(c), QString());
    ASSERT_TRUE(zorvik::web::parse_listen(u"[::1]:65535"_s, c));
    EXPECT_EQ(c.address, u"::1"_s);
    EXPECT_EQ(c.port, 65535);
    EXPECT_FALSE(zorvik::web::parse_listen(u"127.0.0.1:65536"_s, c));
    EXPECT_FALSE(zorvik::web::parse_listen(u"127.0.0.1"_s, c));
    EXPECT_FALSE(zorvik::web::parse_listen(u"localhost:80"_s, c));
}

} // namespace

namespace {

TEST(WebTls, WithACertificateThePageAndTheApiAreServedOverTls)
{
    QTemporaryDir dir;
    const QString cert = dir.filePath(u"cert.pem"_s), key = dir.filePath(u"key.pem"_s);
    QProcess openssl;
    openssl.start(u"openssl"_s, {u"req"_s, u"-x509"_s, u"-newkey"_s, u"rsa:2048"_s, u"-nodes"_s, u"-days"_s, u"2"_s,
                                u"-subj"_s, u"/CN=127.0.0.1"_s, u"-keyout"_s, key, u"-out"_s, cert});
    ASSERT_TRUE(openssl.waitForFinished(30000));
    ASSERT_EQ(openssl.exitCode(), 0) << openssl.readAllStandardError().toStdString();
    QDir().mkpath(dir.filePath(u"bao"_s));
    zorvik::testing::RecordingShell shell;
    zorvik::testing::FakeHttp http;
    zorvik::testing::FixedClock clock;
    AppCore core(dir.path(), shell, clock, http, NetConfig{});
    WebServer server(core, clock);
    WebConfig config;
    config.port = 0;
    config.digest = zorvik::web::password_digest(u"pw"_s, 1000);
    config.cert = cert;
    config.key = dir.filePath(u"missing.pem"_s);
    EXPECT_EQ(server.start(config), u"无法读取 TLS 证书或私钥文件"_s);
    config.key = cert; // a certificate is no key
    EXPECT_EQ(server.start(config), u"TLS 证书或私钥无效"_s);
    config.key = key;
    ASSERT_EQ(server.start(config), QString());
    EXPECT_TRUE(server.url().startsWith(u"https://127.0.0.1:"_s));
    QNetworkAccessManager net;
    QNetworkRequest request(QUrl(server.url()));
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    request.setSslConfiguration(tls);
    QNetworkReply* reply = net.get(request);
    QSignalSpy done(reply, &QNetworkReply::finished);
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(reply->error(), QNetworkReply::NoError) << reply->errorString().toStdString();
    EXPECT_TRUE(reply->readAll().contains("Zorvik 远程监控"));
    delete reply;
}

} // namespace
