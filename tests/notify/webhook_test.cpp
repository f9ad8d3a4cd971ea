// Webhook notifications against a receiver on loopback that answers, fails, and hangs: sending
// never waits, failures are retried with growing pauses and then reported.

#include "fakes/loopback_server.h"
#include "notify/webhook.h"

#include <httplib.h>

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using zorvik::notify::Webhook;
using zorvik::notify::WebhookEvent;

namespace {

class Receiver {
public:
    Receiver()
    {
        site_.server.Post("/hook", [this](const httplib::Request& req, httplib::Response& res) {
            {
                std::lock_guard lock(mutex_);
                bodies_.push_back(req.body);
                content_type_ = req.get_header_value("Content-Type");
            }
            const int fail = failures_left_.fetch_sub(1);
            if (hang_) {
                for (int i = 0; i < 50 && !site_.stopping; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            res.status = fail > 0 ? 500 : 200;
            res.set_content("ok", "text/plain");
        });
        site_.start();
    }
    QString url() const { return site_.url("/hook"); }
    int received()
    {
        std::lock_guard lock(mutex_);
        return int(bodies_.size());
    }
    QJsonObject body(int i)
    {
        std::lock_guard lock(mutex_);
        return QJsonDocument::fromJson(QByteArray::fromStdString(bodies_.at(size_t(i)))).object();
    }
    std::string content_type()
    {
        std::lock_guard lock(mutex_);
        return content_type_;
    }

    std::atomic<int> failures_left_{0};
    std::atomic<bool> hang_{false};

private:
    std::mutex mutex_;
    std::vector<std::string> bodies_;
    std::string content_type_;
    zorvik::testing::LoopbackServer site_; // last: stopped before what its handlers use
};

const WebhookEvent kEvent{u"bet"_s, u"U彩平台-欢乐分分彩"_s, u"20261208-0431"_s, u"前一(定位胆)"_s, u"投注成功"_s,
                          u"2026-12-08 10:00:00"_s};

TEST(Webhook, DeliversTheEventAsJson)
{
    Receiver receiver;
    Webhook hook(nullptr, 3, 50, 300);
    hook.set_url(receiver.url());
    QSignalSpy delivered(&hook, &Webhook::delivered);
    hook.send(kEvent);
    ASSERT_TRUE(delivered.wait(3000));
    EXPECT_EQ(delivered[0][0].toString(), u"bet"_s);
    EXPECT_EQ(delivered[0][1].toInt(), 200);
    const QJsonObject body = receiver.body(0);
    EXPECT_EQ(body[u"event"_s].toString(), u"bet"_s);
    EXPECT_EQ(body[u"lottery"_s].toString(), u"U彩平台-欢乐分分彩"_s);
    EXPECT_EQ(body[u"issue"_s].toString(), u"20261208-0431"_s);
    EXPECT_EQ(body[u"monitor"_s].toString(), u"前一(定位胆)"_s);
    EXPECT_EQ(body[u"text"_s].toString(), u"投注成功"_s);
    EXPECT_EQ(body[u"time"_s].toString(), u"2026-12-08 10:00:00"_s);
    EXPECT_EQ(receiver.content_type(), "application/json; charset=utf-8");
    EXPECT_EQ(hook.in_flight(), 0);
}

TEST(Webhook, RetriesUpToItsAttemptsThenReports)
{
    Receiver receiver;
    Webhook hook(nullptr, 3, 50, 300);
    hook.set_url(receiver.url());
    QSignalSpy delivered(&hook, &Webhook::delivered);
    QSignalSpy failed(&hook, &Webhook::failed);
    receiver.failures_left_ = 2; // the third attempt gets through
    hook.send(kEvent);
    ASSERT_TRUE(delivered.wait(3000));
    EXPECT_EQ(receiver.received(), 3);
    EXPECT_EQ(failed.size(), 0);

    receiver.failures_left_ = 3; // all three fail
    hook.send(kEvent);
    ASSERT_TRUE(failed.wait(3000));
    EXPECT_EQ(failed[0][1].toString(), u"HTTP 500"_s);
    EXPECT_EQ(receiver.received(), 6);
    EXPECT_EQ(delivered.size(), 1);
}

TEST(Webhook, AHangingReceiverNeverHoldsUpTheSender)
{
    Receiver receiver;
    receiver.hang_ = true;
    Webhook hook(nullptr, 2, 50, 200);
    hook.set_url(receiver.url());
    QSignalSpy failed(&hook, &Webhook::failed);
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 20; ++i)
        hook.send(kEvent);
    EXPECT_LT(t.elapsed(), 100); // queued, not awaited
    EXPECT_EQ(hook.in_flight(), 20);
    QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 20, 5000);
    EXPECT_EQ(hook.in_flight(), 0);
}

TEST(Webhook, NoAddressSendsNothingAndABadOneIsReportedAtOnce)
{
    Webhook hook;
    QSignalSpy failed(&hook, &Webhook::failed);
    hook.send(kEvent);
    EXPECT_EQ(failed.size(), 0);
    EXPECT_EQ(hook.in_flight(), 0);
    hook.set_url(u"ftp://example.invalid/x"_s);
    hook.send(kEvent);
    EXPECT_EQ(failed.size(), 1);
    Webhook quick(nullptr, 1, 10, 200);
    quick.set_url(u"http://127.0.0.1:1/closed"_s); // nobody listens
    QSignalSpy quick_failed(&quick, &Webhook::failed);
    quick.send(kEvent);
    EXPECT_TRUE(quick_failed.wait(3000));
}

} // namespace
