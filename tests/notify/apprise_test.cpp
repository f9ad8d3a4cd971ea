// The real apprise program delivering to receivers on loopback in the formats of ntfy, Bark,
// Gotify and Apprise's own JSON: titles and bodies arrive, failures are retried, a receiver
// that hangs holds nothing up, and no address is ever told beyond its scheme.

#include "fakes/loopback_server.h"
#include "notify/apprise.h"

#include <httplib.h>

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using zorvik::notify::Apprise;

namespace {

struct Received {
    QString path;
    QJsonObject body;
    QString gotify_key;
};

class Receiver {
public:
    explicit Receiver(int failures = 0, bool hang = false) : failures_left_(failures)
    {
        site_.server.Post(".*", [this, hang](const httplib::Request& req, httplib::Response& res) {
            {
                std::lock_guard lock(mutex_);
                received_.push_back({QString::fromStdString(req.path),
                                     QJsonDocument::fromJson(QByteArray::fromStdString(req.body)).object(),
                                     QString::fromStdString(req.get_header_value("X-Gotify-Key"))});
            }
            for (int i = 0; hang && i < 250 && !site_.stopping; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            res.status = failures_left_.fetch_sub(1) > 0 ? 500 : 200;
            res.set_content(R"({"status":0,"code":200,"id":"1"})", "application/json");
        });
        site_.start();
    }
    // "127.0.0.1:PORT"
    QString host() const { return site_.url("").mid(7); }
    std::vector<Received> received()
    {
        std::lock_guard lock(mutex_);
        return received_;
    }

private:
    std::atomic<int> failures_left_;
    std::mutex mutex_;
    std::vector<Received> received_;
    zorvik::testing::LoopbackServer site_; // last: stopped before what its handlers use
};

bool have_apprise()
{
    return !QStandardPaths::findExecutable(u"apprise"_s).isEmpty();
}

} // namespace

TEST(Apprise, EachServiceGetsTheTitleAndBody)
{
    ASSERT_TRUE(have_apprise()) << "scripts/install-deps installs apprise";
    Receiver receiver;
    const QString h = receiver.host();
    Apprise apprise(nullptr, u"apprise"_s, 1, 100, 15000);
    ASSERT_TRUE(apprise.available());
    apprise.set_urls({u"json://"_s + h + u"/hook"_s, u"ntfy://"_s + h + u"/zorvik"_s, u"bark://"_s + h + u"/devicekey"_s,
                      u"gotify://"_s + h + u"/gotifytoken123"_s});
    QSignalSpy delivered(&apprise, &Apprise::delivered);
    QSignalSpy failed(&apprise, &Apprise::failed);
    QElapsedTimer clock;
    clock.start();
    apprise.send(u"alert"_s, u"报警：前三(直选复式) 遗漏 12"_s, u"U彩平台-欢乐分分彩 20261208-0721期"_s);
    EXPECT_LT(clock.elapsed(), 500); // the runs go on in the background
    EXPECT_EQ(apprise.in_flight(), 4);
    QTRY_COMPARE_WITH_TIMEOUT(delivered.size() + failed.size(), 4, 30000);
    EXPECT_EQ(failed.size(), 0);
    EXPECT_EQ(apprise.in_flight(), 0);
    QStringList schemes;
    for (const QList<QVariant>& d : delivered)
        schemes << d.at(2).toString();
    schemes.sort();
    EXPECT_EQ(schemes, (QStringList{u"bark"_s, u"gotify"_s, u"json"_s, u"ntfy"_s}));

    int seen = 0;
    for (const Received& r : receiver.received()) {
        const QString title = r.body[u"title"_s].toString();
        EXPECT_EQ(title, u"报警：前三(直选复式) 遗漏 12"_s) << r.path.toStdString();
        const QString body = r.body.contains(u"message"_s) ? r.body[u"message"_s].toString() : r.body[u"body"_s].toString();
        EXPECT_EQ(body, u"U彩平台-欢乐分分彩 20261208-0721期"_s) << r.path.toStdString();
        if (r.path == u"/hook")
            ++seen; // json
        else if (r.body[u"topic"_s].toString() == u"zorvik")
            ++seen; // ntfy
        else if (r.path == u"/push" && r.body[u"device_key"_s].toString() == u"devicekey")
            ++seen; // bark
        else if (r.path == u"/message" && r.gotify_key == u"gotifytoken123")
            ++seen; // gotify
    }
    EXPECT_EQ(seen, 4);
}

TEST(Apprise, AReceiverThatFailsTwiceThenAnswersGetsTheMessageOnce)
{
    ASSERT_TRUE(have_apprise());
    Receiver receiver(2);
    Apprise apprise(nullptr, u"apprise"_s, 3, 100, 15000);
    apprise.set_urls({u"json://"_s + receiver.host() + u"/hook"_s});
    QSignalSpy delivered(&apprise, &Apprise::delivered);
    QSignalSpy failed(&apprise, &Apprise::failed);
    apprise.send(u"bet"_s, u"投注成功"_s, u"正文"_s);
    QTRY_COMPARE_WITH_TIMEOUT(delivered.size(), 1, 30000);
    QTest::qWait(300);
    EXPECT_EQ(delivered.size(), 1);
    EXPECT_EQ(failed.size(), 0);
    EXPECT_EQ(receiver.received().size(), 3u); // two refused, the third taken

    // Two tries only: it fails, once, and says why without the address.
    Receiver always(100);
    Apprise twice(nullptr, u"apprise"_s, 2, 100, 15000);
    twice.set_urls({u"json://"_s + always.host() + u"/secret-token-path"_s});
    QSignalSpy gave_up(&twice, &Apprise::failed);
    twice.send(u"bet"_s, u"t"_s, u"b"_s);
    QTRY_COMPARE_WITH_TIMEOUT(gave_up.size(), 1, 30000);
    EXPECT_EQ(always.received().size(), 2u);
    EXPECT_EQ(gave_up.first().at(2).toString(), u"json"_s);
    EXPECT_FALSE(gave_up.first().at(3).toString().contains(u"secret"_s));
    EXPECT_FALSE(gave_up.first().at(3).toString().isEmpty());
    // The reason is apprise's own, not its exit code.
    EXPECT_FALSE(gave_up.first().at(3).toString().startsWith(u"exit "_s)) << gave_up.first().at(3).toString().toStdString();
    EXPECT_FALSE(gave_up.first().at(3).toString().contains(always.host())) << gave_up.first().at(3).toString().toStdString();
}

TEST(Apprise, AFailuresReasonIsTheProgramsFirstWarningWithoutAnyAddress)
{
    using zorvik::notify::failure_reason;
    EXPECT_EQ(failure_reason(u"2026-12-09 08:44:11,150 - ERROR - Unparseable URL nosuch://abc/secret\n"
                             u"2026-12-09 08:44:11,151 - ERROR - There are no service(s) to notify\n"_s, 1),
              u"Unparseable URL …"_s);
    EXPECT_EQ(failure_reason(u"x - WARNING - A Connection error occurred sending ntfy:http://127.0.0.1:1 notification."_s, 1),
              u"A Connection error occurred sending … notification."_s);
    // Nothing said: the exit code.
    EXPECT_EQ(failure_reason(QString(), 3), u"exit 3"_s);
    EXPECT_EQ(failure_reason(u"plain line\n"_s, 2), u"exit 2"_s);
    // A long reason is cut at 160 characters.
    const QString reason = failure_reason(u"t - ERROR - "_s + QString(200, u'e'), 1);
    EXPECT_EQ(reason.size(), 161);
    EXPECT_EQ(failure_reason(u"t - ERROR - "_s + QString(160, u'e'), 1).size(), 160);
}

TEST(Apprise, AReceiverThatHangsHoldsNothingUp)
{
    ASSERT_TRUE(have_apprise());
    Receiver receiver(0, true);
    Apprise apprise(nullptr, u"apprise"_s, 1, 100, 1500);
    apprise.set_urls({u"json://"_s + receiver.host() + u"/hook"_s});
    QSignalSpy failed(&apprise, &Apprise::failed);
    QElapsedTimer clock;
    clock.start();
    apprise.send(u"alert"_s, u"t"_s, u"b"_s);
    EXPECT_LT(clock.elapsed(), 500);
    // The event loop keeps running while the run waits; the run is ended at its limit.
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(50);
    QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 10000);
    EXPECT_GE(ticks, 15);
    EXPECT_EQ(failed.first().at(3).toString(), u"timed out"_s);
}

TEST(Apprise, OnlyTheChosenEventsAndNothingWithoutTheProgram)
{
    Receiver receiver;
    Apprise apprise(nullptr, u"apprise"_s, 1, 100, 15000);
    apprise.set_urls({u"json://"_s + receiver.host() + u"/hook"_s});
    apprise.set_events({u"bet"_s});
    apprise.send(u"alert"_s, u"t"_s, u"b"_s);
    EXPECT_EQ(apprise.in_flight(), 0);
    apprise.send(u"test"_s, u"t"_s, u"b"_s); // a test always goes
    EXPECT_EQ(apprise.in_flight(), have_apprise() ? 1 : 0);
    // The daily summary is not chosen by default.
    Apprise fresh;
    EXPECT_TRUE(fresh.events().contains(u"unconfirmed"_s));
    EXPECT_FALSE(fresh.events().contains(u"summary"_s));
    // Without the program nothing is run.
    Apprise missing(nullptr, u"/nonexistent/apprise"_s);
    EXPECT_FALSE(missing.available());
    missing.set_urls({u"json://"_s + receiver.host() + u"/hook"_s});
    missing.send(u"test"_s, u"t"_s, u"b"_s);
    EXPECT_EQ(missing.in_flight(), 0);
}

TEST(Apprise, AddressesAndSchemes)
{
    using zorvik::notify::split_urls;
    using zorvik::notify::url_scheme;
    EXPECT_EQ(url_scheme(u"tgram://123:abc/456"_s), u"tgram"_s);
    EXPECT_EQ(url_scheme(u"NTFY://host/topic"_s), u"ntfy"_s);
    EXPECT_EQ(url_scheme(u"no scheme"_s), u"?"_s);
    EXPECT_EQ(split_urls(u" a://1 \n\n b://2\r\n c://3 d://4 "_s),
              (QStringList{u"a://1"_s, u"b://2"_s, u"c://3"_s, u"d://4"_s}));
    EXPECT_TRUE(split_urls(u" \n "_s).isEmpty());
}
