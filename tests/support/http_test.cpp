// The Qt HTTP client against a real server on loopback.

#include "qt_printers.h"
#include "support/qt_http.h"

#include <httplib.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using zorvik::support::QtHttpClient;
using zorvik::support::slow_network_notice;

namespace {

class Http : public ::testing::Test {
protected:
    void SetUp() override
    {
        server_.Get("/ok", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("{\"ret\":0,\"text\":\"中文\"}", "application/json; charset=utf-8");
        });
        server_.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("not here", "text/plain");
        });
        server_.Post("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("not here", "text/plain");
        });
        server_.Post("/echo", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.get_header_value("Content-Type") + "|" + req.body, "text/plain");
        });
        server_.Post("/size", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(std::string(size_t(std::stoll(req.get_param_value("n"))), 'x'), "text/plain");
        });
        server_.Post("/empty", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("", "text/plain");
        });
        server_.Get("/slow", [this](const httplib::Request&, httplib::Response& res) {
            for (int i = 0; i < 40 && !stopping_; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            res.set_content("late", "text/plain");
        });
        server_.Get("/after", [this](const httplib::Request& req, httplib::Response& res) {
            const auto until = std::chrono::steady_clock::now() +
                               std::chrono::milliseconds(std::stoll(req.get_param_value("ms")));
            while (!stopping_ && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            res.set_content("answer", "text/plain");
        });
        server_.Get("/size", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(std::string(size_t(std::stoll(req.get_param_value("n"))), 'x'), "text/plain");
        });
        server_.Get("/fired", [this](const httplib::Request&, httplib::Response& res) {
            ++fired_;
            res.set_content("ignored", "text/plain");
        });
        server_.set_keep_alive_max_count(1); // no connection outlives its request
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    void TearDown() override
    {
        stopping_ = true;
        server_.stop();
        thread_.join();
    }

    QString url(const char* path) const
    {
        return u"http://127.0.0.1:"_s + QString::number(port_) + QString::fromLatin1(path);
    }

    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> fired_{0};
    QStringList notices_;
    QtHttpClient http_{[this](const QString& text) { notices_ << text; }, 500};
};

} // namespace

TEST_F(Http, GetReturnsTheBodyAsUtf8Text)
{
    EXPECT_EQ(http_.net_get(url("/ok")), u"{\"ret\":0,\"text\":\"中文\"}"_s);
    EXPECT_TRUE(notices_.isEmpty());
}

TEST_F(Http, AnErrorStatusStillReturnsItsBody)
{
    EXPECT_EQ(http_.net_get(url("/missing")), u"not here"_s);
    EXPECT_EQ(notices_, QStringList{slow_network_notice()}); // GET looks at the status
    notices_.clear();
    EXPECT_EQ(http_.net_post(url("/missing"), u"a=1"_s), u"not here"_s);
    EXPECT_TRUE(notices_.isEmpty()); // POST only at the text
}

TEST_F(Http, PostSendsAFormBody)
{
    EXPECT_EQ(http_.net_post(url("/echo"), u"siteCode=HELSSC1&noOfD=_100"_s),
              u"application/x-www-form-urlencoded|siteCode=HELSSC1&noOfD=_100"_s);
    EXPECT_EQ(http_.net_post(url("/empty"), u"x"_s), QString());
    EXPECT_EQ(notices_.size(), 1);
}

TEST_F(Http, ASilentServerTimesOutAndTheEventsKeepRunning)
{
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(http_.net_get(url("/slow")), QString());
    EXPECT_GE(clock.elapsed(), 450);
    EXPECT_LT(clock.elapsed(), 1900);
    EXPECT_GT(ticks, 5); // the wait let the timer run
    EXPECT_EQ(notices_.size(), 1);
}

// The program's own client waits 9999 ms: an answer a little before is read, one a little after
// is not (and tells the slow network once).
TEST_F(Http, TheProgramsClientWaits9999Ms)
{
    QStringList told;
    QtHttpClient program([&told](const QString& text) { told << text; });
    EXPECT_EQ(program.net_get(url("/after?ms=9600")), u"answer"_s);
    EXPECT_TRUE(told.isEmpty());
    EXPECT_EQ(program.net_get(url("/after?ms=10400")), QString());
    EXPECT_EQ(told.size(), 1);
}

TEST_F(Http, ARepliesBodyIsReadUpToItsLimit)
{
    EXPECT_EQ(zorvik::support::kMaxReplyBytes, 8 * 1024 * 1024);
    QtHttpClient capped([](const QString&) {}, 5000, nullptr, 100000);
    const auto get = [&](qint64 n) { return capped.net_get(url("/size?n=") + QString::number(n)); };
    EXPECT_EQ(get(100000).size(), 100000);
    EXPECT_TRUE(get(100001).isEmpty());
    EXPECT_TRUE(capped.net_post(url("/size?n=100001"), u"a"_s).isEmpty());
    EXPECT_EQ(capped.net_post(url("/size?n=99999"), u"a"_s).size(), 99999);
    // The default limit reads a large page whole.
    QtHttpClient patient([](const QString&) {}, 20000);
    EXPECT_EQ(patient.net_get(url("/size?n=3000000")).size(), 3000000);
}

TEST_F(Http, OnlyOneNoticeIsOpenAtATime)
{
    int nested_notices = 0;
    QStringList* notices = &notices_;
    QtHttpClient* self = nullptr;
    QtHttpClient http([&](const QString& text) {
        notices->append(text);
        // While the notice is open, the window's timers go on polling.
        const int before = int(notices->size());
        self->net_get(url("/missing"));
        nested_notices += int(notices->size()) - before;
    });
    self = &http;
    http.net_get(url("/missing"));
    EXPECT_EQ(notices_.size(), 1);
    EXPECT_EQ(nested_notices, 0);
    http.net_get(url("/missing")); // closed again: the next failure shows it
    EXPECT_EQ(notices_.size(), 2);
}

TEST_F(Http, AddressesThatCannotBeRequestedFailAtOnce)
{
    EXPECT_EQ(http_.net_get(u"spcenter/x.php"_s), QString());
    EXPECT_EQ(http_.net_get(u"请手动输入地址并回车cp/loadSiteInfo.do?"_s), QString());
    EXPECT_EQ(http_.net_post(QString(), u"x"_s), QString());
    EXPECT_FALSE(http_.net_fire(u"ftp://x/"_s));
    EXPECT_TRUE(notices_.isEmpty());
}

TEST_F(Http, FireSendsWithoutWaiting)
{
    EXPECT_TRUE(http_.net_fire(url("/fired?list=[{\"issue\": \"1\"}]")));
    QElapsedTimer clock;
    clock.start();
    while (fired_ == 0 && clock.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(fired_, 1);
}

TEST_F(Http, AFiredRequestToAHungHostGivesUp)
{
    ASSERT_TRUE(http_.net_fire(url("/slow")));
    ASSERT_TRUE(http_.net_fire(url("/slow")));
    EXPECT_EQ(http_.fires_waiting(), 2);
    QElapsedTimer clock;
    clock.start();
    while (http_.fires_waiting() > 0 && clock.elapsed() < 1800)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(http_.fires_waiting(), 0); // let go after the time-out, long before the answer
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_TRUE(notices_.isEmpty());
}

TEST_F(Http, StoppingEndsAWaitWithoutANotice)
{
    QTimer::singleShot(100, [this] { http_.stop(); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(http_.net_get(url("/slow")), QString());
    EXPECT_LT(clock.elapsed(), 450); // well before the time-out
    EXPECT_TRUE(notices_.isEmpty());
    // Nothing more is sent once stopped.
    EXPECT_EQ(http_.net_get(url("/ok")), QString());
    EXPECT_EQ(http_.net_post(url("/echo"), u"a"_s), QString());
    EXPECT_FALSE(http_.net_fire(url("/fired")));
    EXPECT_TRUE(notices_.isEmpty());
}
