// A headless session with two notification services (through the real apprise program):
// alerts, bets and the stop reach both receivers, every delivery is told by its scheme, and no
// address ever appears in the output.

#include "e2e_support.h"
#include "fakes/loopback_server.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTest>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::e2e;

namespace {

class Receiver {
public:
    explicit Receiver(bool hang = false)
    {
        site_.server.Post(".*", [this, hang](const httplib::Request& req, httplib::Response& res) {
            for (int i = 0; hang && i < 1500 && !site_.stopping; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            const QJsonObject body = QJsonDocument::fromJson(QByteArray::fromStdString(req.body)).object();
            {
                std::lock_guard lock(mutex_);
                // json:// posts to its path, ntfy:// to the root with its topic.
                const QString service = body.contains(u"topic"_s) ? u"ntfy"_s : u"json"_s;
                titles_[service] << body[u"title"_s].toString();
            }
            res.set_content("{}", "application/json");
        });
        site_.start();
    }
    QString host() const { return site_.url("").mid(7); }
    QStringList titles(const QString& service)
    {
        std::lock_guard lock(mutex_);
        return titles_.value(service);
    }

private:
    std::mutex mutex_;
    QHash<QString, QStringList> titles_;
    zorvik::testing::LoopbackServer site_; // last: stopped before what its handlers use
};

// A headless session betting with simulated money on every draw, with these addresses. Every
// digit of 前一 is bet (ten lines, 2.00 a bet), so each bet wins one line back (1.92): the
// session loses exactly 0.08 a draw.
void start_session(QProcess& program, const QTemporaryDir& dir, const Sim& sim, const QString& urls,
                   const QString& stop_loss)
{
    write_settings(dir, u"[alert_cfg]\r\nnotify_urls="_s + urls +
                            u"\r\nlist=|A~定位胆~前一(定位胆)~0123456789~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~"
                            u"1,2,4,8~2~false~0~10:0:0:1920~0\r\n[tz_cfg]\r\nplt_tz_zy=100000\r\nplt_tz_zs="_s +
                            stop_loss + u"\r\n"_s);
    start_simulated(program, dir, sim, u"U彩平台-欢乐分分彩"_s);
}

bool any_starts(const QStringList& titles, const QString& start)
{
    return std::any_of(titles.cbegin(), titles.cend(), [&](const QString& t) { return t.startsWith(start); });
}

} // namespace

TEST(Notifications, AlertsBetsAndTheStopReachBothServices)
{
    ASSERT_FALSE(QStandardPaths::findExecutable(u"apprise"_s).isEmpty()) << "scripts/install-deps installs apprise";
    Sim sim(4);
    ASSERT_EQ(sim.urls_.size(), 6);
    Receiver receiver;
    const QString json = u"json://"_s + receiver.host() + u"/secret-json-token"_s;
    const QString ntfy = u"ntfy://"_s + receiver.host() + u"/secret-ntfy-topic"_s;
    QTemporaryDir dir;
    // Bets on every draw; the second settlement passes the stop-loss of -0.1 and stops the
    // session.
    QProcess program;
    start_session(program, dir, sim, json + u' ' + ntfy, u"-0.1"_s);
    ASSERT_TRUE(program.waitForStarted());
    QString out;
    for (int waited = 0; waited < 60000 && !out.contains(u" notify stop ntfy OK"_s); waited += 250) {
        QTest::qWait(250);
        out += QString::fromUtf8(program.readAllStandardOutput());
    }
    QTest::qWait(1500); // the other service's stop delivery
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(15000));
    out += QString::fromUtf8(program.readAllStandardOutput()) + QString::fromUtf8(program.readAllStandardError());

    for (const QString& scheme : {u"json"_s, u"ntfy"_s}) {
        for (const QString& event : {u"alert"_s, u"bet"_s, u"stop"_s})
            EXPECT_TRUE(out.contains(u" notify "_s + event + u' ' + scheme + u" OK"_s))
                << event.toStdString() << ' ' << scheme.toStdString() << '\n' << out.toStdString();
        const QStringList titles = receiver.titles(scheme);
        EXPECT_TRUE(any_starts(titles, u"报警：前一(定位胆) 遗漏 "_s)) << titles.join(u" / "_s).toStdString();
        EXPECT_TRUE(any_starts(titles, u"投注成功："_s)) << titles.join(u" / "_s).toStdString();
        EXPECT_TRUE(titles.contains(u"停止监控：达到止盈或止损额"_s)) << titles.join(u" / "_s).toStdString();
    }
    // Only the schemes are told: the rest of an address may be a token.
    EXPECT_FALSE(out.contains(u"secret"_s)) << out.toStdString();
}

// A service that never answers: every draw is still judged, bet and settled on time.
TEST(Notifications, AServiceThatHangsNeverHoldsUpADraw)
{
    ASSERT_FALSE(QStandardPaths::findExecutable(u"apprise"_s).isEmpty());
    Sim sim(4);
    ASSERT_EQ(sim.urls_.size(), 6);
    Receiver hanging(true);
    QTemporaryDir dir;
    QProcess program;
    start_session(program, dir, sim, u"json://"_s + hanging.host() + u"/hook"_s, u"-100000"_s);
    ASSERT_TRUE(program.waitForStarted());
    QTest::qWait(16000);
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(15000));
    const QString out = QString::fromUtf8(program.readAllStandardOutput());
    EXPECT_GE(out.count(u" draw "_s), 3) << out.toStdString();
    EXPECT_GE(out.count(u" settled "_s), 2) << out.toStdString();
    EXPECT_GE(out.count(u" bet "_s), 3) << out.toStdString();
    EXPECT_EQ(out.count(u" notify alert json OK"_s), 0);
}
