// Webhook events from a headless session reach a receiver on loopback, and a receiver that
// never answers costs the draw cycle nothing.

#include "e2e_support.h"
#include "fakes/loopback_server.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTest>
#include <memory>
#include <vector>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::e2e;

namespace {

class Receiver {
public:
    explicit Receiver(bool hang)
    {
        site_.server.Post("/hook", [this, hang](const httplib::Request& req, httplib::Response& res) {
            {
                std::lock_guard lock(mutex_);
                events_ << QJsonDocument::fromJson(QByteArray::fromStdString(req.body))[u"event"_s].toString();
            }
            for (int i = 0; hang && i < 1000 && !site_.stopping; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            res.set_content("ok", "text/plain");
        });
        site_.start();
    }
    QString url() const { return site_.url("/hook"); }
    QStringList events()
    {
        std::lock_guard lock(mutex_);
        return events_;
    }

private:
    std::mutex mutex_;
    QStringList events_;
    zorvik::testing::LoopbackServer site_; // last: stopped before what its handlers use
};

// Headless sessions betting with simulated money, one per webhook address, run side by side.
QStringList run_with_webhooks(const Sim& sim, const QStringList& urls, int ms)
{
    std::vector<std::unique_ptr<QTemporaryDir>> dirs;
    std::vector<std::unique_ptr<QProcess>> programs;
    for (const QString& url : urls) {
        dirs.push_back(std::make_unique<QTemporaryDir>());
        const QTemporaryDir& dir = *dirs.back();
        write_settings(dir, u"[alert_cfg]\r\nwebhook_url="_s + url +
                                u"\r\nlist=|A~定位胆~前一(定位胆)~01234~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~"
                                u"1,2,4~2~false~0~5:0:0:1920~0\r\n[tz_cfg]\r\nplt_tz_zy=100000\r\n"_s);
        programs.push_back(std::make_unique<QProcess>());
        start_simulated(*programs.back(), dir, sim, u"U彩平台-欢乐分分彩"_s);
        EXPECT_TRUE(programs.back()->waitForStarted());
    }
    QTest::qWait(ms);
    QStringList outs;
    for (auto& program : programs) {
        program->terminate();
        EXPECT_TRUE(program->waitForFinished(15000));
        outs << QString::fromUtf8(program->readAllStandardOutput());
    }
    return outs;
}

} // namespace

TEST(Webhooks, EventsReachTheReceiverAndAreTold)
{
    Sim sim(4);
    ASSERT_EQ(sim.urls_.size(), 6);
    Receiver receiver(false);
    const QString out = run_with_webhooks(sim, {receiver.url()}, 11000).first();
    EXPECT_GE(out.count(u" webhook bet 200"_s), 2) << out.toStdString();
    EXPECT_GE(out.count(u" webhook alert 200"_s), 2) << out.toStdString();
    EXPECT_TRUE(receiver.events().contains(u"bet"_s));
    EXPECT_TRUE(receiver.events().contains(u"alert"_s));
}

TEST(Webhooks, AReceiverThatNeverAnswersCostsTheDrawCycleNothing)
{
    Sim sim(4);
    ASSERT_EQ(sim.urls_.size(), 6);
    Receiver receiver(true);
    // Side by side with a session without notifications: the one whose deliveries all wait for
    // their time-out handles the same draws, bets and settlements.
    const QStringList outs = run_with_webhooks(sim, {receiver.url(), QString()}, 16000);
    const QString& hanging = outs[0];
    const QString& quiet = outs[1];
    EXPECT_GE(hanging.count(u" draw "_s), 3) << hanging.toStdString();
    EXPECT_GE(hanging.count(u" draw "_s), quiet.count(u" draw "_s) - 1) << hanging.toStdString();
    EXPECT_GE(hanging.count(u" settled "_s), quiet.count(u" settled "_s) - 1) << hanging.toStdString();
    EXPECT_GE(receiver.events().size(), 3);
}
