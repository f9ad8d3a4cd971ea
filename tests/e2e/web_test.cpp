// The web dashboard of zorvik-headless --web against zorvik-sim: the password set with
// zorvik-cli, two desks seen with their draws, a draw pushed live, a desk started and stopped
// from afar (and told as "web" lines), and no secret in anything it served or printed.

#include "e2e/e2e_support.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebSocket>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::e2e;

namespace {

const QString kWebPassword = u"web-pass-31"_s;
const QString kPlatformPassword = u"plat-pass-77"_s;

struct Dashboard {
    explicit Dashboard(const Sim& sim)
    {
        write_settings(dir_, u"[cai_cfg]\r\ncombox_select_caizhong=U彩平台-欢乐分分彩\r\n[alert_cfg]\r\nlist="
                             u"|A~定位胆~前一(定位胆)~0123456789~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~1~1~false~0~"
                             u"0:0:0:1920~0\r\n[tz_cfg]\r\nplt_user=ann\r\nplt_pass="_s + kPlatformPassword +
                                 u"\r\n[desk_2]\r\nlottery=合乐平台-HI彩分分彩\r\n"_s);
        QProcess cli;
        cli.start(QStringLiteral(ZORVIK_CLI_PATH), {u"web-password"_s, dir_.filePath(u"bao/cfg.ini"_s)});
        EXPECT_TRUE(cli.waitForStarted());
        cli.write((kWebPassword + u'\n').toUtf8());
        cli.closeWriteChannel();
        EXPECT_TRUE(cli.waitForFinished(10000));
        EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
        process_.start(QStringLiteral(ZORVIK_PATH),
                       {u"--headless"_s, u"--virtual"_s, u"--data-dir"_s, dir_.path(), u"--web"_s, u"127.0.0.1:0"_s,
                        u"--service-base"_s, sim.url(u"service"_s), u"--public-base"_s, sim.url(u"public"_s),
                        u"--trend-base"_s, sim.url(u"trend"_s)});
        EXPECT_TRUE(process_.waitForStarted());
        const QString listening = wait_for(u"web listening http://127.0.0.1:"_s, 15000);
        port_ = QRegularExpression(u":(\\d+)/$"_s).match(listening).captured(1).toInt();
    }
    ~Dashboard()
    {
        process_.terminate();
        process_.waitForFinished(15000);
    }

    QString wait_for(const QString& text, int ms)
    {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < ms) {
            for (qsizetype i = seen_; i < lines_.size(); ++i)
                if (lines_[i].contains(text)) {
                    seen_ = i + 1;
                    return lines_[i];
                }
            QTest::qWait(50);
            while (process_.canReadLine())
                lines_ << QString::fromUtf8(process_.readLine()).trimmed();
        }
        return QString();
    }

    // An API call; every answer is kept for the search for secrets.
    std::pair<int, QJsonObject> call(const char* method, const std::string& path, const QString& token = {},
                                     const std::string& body = {})
    {
        httplib::Client client("127.0.0.1", port_);
        httplib::Headers headers;
        if (!token.isEmpty())
            headers.emplace("Authorization", "Bearer " + token.toStdString());
        const auto res = std::string(method) == "GET" ? client.Get(path.c_str(), headers)
                                                      : client.Post(path.c_str(), headers, body, "application/json");
        if (!res)
            return {0, {}};
        served_ += QString::fromStdString(res->body);
        return {res->status, QJsonDocument::fromJson(QByteArray::fromStdString(res->body)).object()};
    }

    QTemporaryDir dir_;
    QProcess process_;
    QStringList lines_;
    qsizetype seen_ = 0;
    int port_ = 0;
    QString served_;
};

} // namespace

TEST(Web, ADashboardWatchesTwoDesksLiveAndStartsAndStopsOne)
{
    Sim sim(4);
    ASSERT_EQ(sim.urls_.size(), 6);
    Dashboard d(sim);
    ASSERT_GT(d.port_, 0) << d.lines_.join(u'\n').toStdString();
    EXPECT_EQ(d.call("GET", "/api/v1/desks").first, 401);
    const auto [status, login] = d.call("POST", "/api/v1/login", {}, "{\"password\":\"" + kWebPassword.toStdString() + "\"}");
    ASSERT_EQ(status, 200);
    const QString token = login[u"token"_s].toString();
    d.served_.remove(token); // the caller's own token is the one thing it may be told

    QWebSocket ws;
    QStringList events;
    QObject::connect(&ws, &QWebSocket::textMessageReceived, [&events](const QString& m) { events << m; });
    QSignalSpy connected(&ws, &QWebSocket::connected);
    ws.open(QUrl(u"ws://127.0.0.1:"_s + QString::number(d.port_) + u"/api/v1/events"_s));
    ASSERT_TRUE(connected.wait(5000));
    ws.sendTextMessage(u"{\"token\":\""_s + token + u"\"}"_s);

    // Both desks with their draws; a new draw reaches the socket within a second of its line.
    ASSERT_FALSE(d.wait_for(u"[合乐平台-HI彩分分彩] draw "_s, 30000).isEmpty());
    ASSERT_FALSE(d.wait_for(u"[U彩平台-欢乐分分彩] draw "_s, 30000).isEmpty());
    const QString next = d.wait_for(u"[U彩平台-欢乐分分彩] draw "_s, 30000);
    ASSERT_FALSE(next.isEmpty());
    const QString issue = next.section(u' ', 4, 4);
    const auto pushed = [&] {
        return std::any_of(events.cbegin(), events.cend(), [&](const QString& e) {
            return e.contains(u"\"kind\":\"draw\""_s) && e.contains(issue);
        });
    };
    for (int i = 0; i < 20 && !pushed(); ++i)
        QTest::qWait(50);
    EXPECT_TRUE(pushed()) << events.join(u'\n').toStdString();
    const auto [listed, desks] = d.call("GET", "/api/v1/desks", token);
    ASSERT_EQ(listed, 200);
    const QJsonArray list = desks[u"desks"_s].toArray();
    ASSERT_EQ(list.size(), 2);
    for (const QJsonValue& desk : list) {
        EXPECT_FALSE(desk[u"issue"_s].toString().isEmpty());
        EXPECT_EQ(desk[u"numbers"_s].toString().size(), 9);
    }

    // Started and stopped from afar, through the desk's own calls, and told.
    EXPECT_EQ(d.call("POST", "/api/v1/desks/1/start", token).first, 200);
    EXPECT_FALSE(d.wait_for(u"[U彩平台-欢乐分分彩] monitoring on"_s, 5000).isEmpty());
    EXPECT_FALSE(d.wait_for(u"[*] web start 1 - 127.0.0.1"_s, 5000).isEmpty());
    ASSERT_FALSE(d.wait_for(u"[U彩平台-欢乐分分彩] bet "_s, 30000).isEmpty()) << d.lines_.join(u'\n').toStdString();
    EXPECT_EQ(d.call("POST", "/api/v1/desks/1/stop", token).first, 200);
    EXPECT_FALSE(d.wait_for(u"[U彩平台-欢乐分分彩] monitoring off"_s, 5000).isEmpty());
    EXPECT_FALSE(d.wait_for(u"[*] web stop 1 - 127.0.0.1"_s, 5000).isEmpty());
    EXPECT_EQ(d.call("POST", "/api/v1/desks/1/stop", token).first, 409);
    d.call("GET", "/api/v1/desks/1/bets", token);
    d.call("GET", "/api/v1/records", token);
    d.call("GET", "/", token);
    QTest::qWait(200);

    const QString digest = QString::fromUtf8([&] {
        QFile f(d.dir_.filePath(u"bao/cfg.ini"_s));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }()).section(u"password="_s, 1).section(u'\r', 0, 0);
    ASSERT_TRUE(digest.startsWith(u"pbkdf2-sha256$"_s));
    const QString heard = d.served_ + events.join(u'\n') + d.lines_.join(u'\n');
    for (const QString& secret : {kWebPassword, kPlatformPassword, digest, digest.section(u'$', 3, 3), token})
        EXPECT_FALSE(heard.contains(secret)) << secret.toStdString();
}
