// The page bridge in the real browser engine, offscreen, against pages served on loopback:
// its waits, its answers, the clean-up after a load, a renderer that is gone, shared cookies.

#include "fakes/loopback_server.h"
#include "fakes/recording_shell.h"
#include "platform/web_bridge.h"
#include "support/qt_http.h"

#include <httplib.h>

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkCookie>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEnginePage>
#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using zorvik::platform::WebPageBridge;

namespace {

const char* const kPage = R"html(<!DOCTYPE html><html><head><meta charset="utf-8">
<script src="/js/jquery.js"></script>
<script>jQuery.fn.size = function () { return this.length; };</script></head><body>
<p id="here">  两个 words  </p>
<button id="b" onclick="window.clicked = (window.clicked || 0) + 1">b</button>
<div id="notice"><button id="alert_close_button" onclick="document.getElementById('notice').remove()">x</button></div>
<script>alert = function () { window.alerted = 1; };</script>
</body></html>)html";

class Pages {
public:
    Pages()
    {
        QFile jquery(u"/usr/share/javascript/jquery/jquery.min.js"_s);
        if (jquery.open(QIODevice::ReadOnly))
            jquery_ = jquery.readAll().toStdString();
        site_.server.Get("/js/jquery.js", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(jquery_, "application/javascript");
        });
        site_.server.Get("/page.html", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(kPage, "text/html; charset=utf-8");
        });
        // Every kind of dialog, from the page's first script on and after it has loaded.
        site_.server.Get("/dialogs.html", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(R"html(<!DOCTYPE html><html><head><meta charset="utf-8"><script>
alert('先提示');
window.confirmed = confirm('确定吗');
window.prompted = prompt('输入', 'x');
window.onbeforeunload = function () { return '真的离开吗'; };
window.addEventListener('beforeunload', function (e) { e.preventDefault(); e.returnValue = 'y'; });
window.addEventListener('load', function () { setTimeout(function () { alert('后提示'); }, 0); });
</script></head><body><p id="x">dialogs</p></body></html>)html",
                            "text/html; charset=utf-8");
        });
        site_.server.Get("/plain.html", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><body><p id='x'>no jQuery here</p></body></html>", "text/html");
        });
        site_.server.Get("/slow.html", [this](const httplib::Request&, httplib::Response& res) {
            for (int i = 0; i < 130 && !site_.stopping; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            res.set_content("<html><body>late</body></html>", "text/html");
        });
        site_.server.Get("/set-cookie", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Set-Cookie", "from_page=p1; Path=/");
            res.set_content("<html><body>cookie</body></html>", "text/html");
        });
        site_.server.Get("/echo", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.get_header_value("Cookie"), "text/plain");
        });
        site_.server.Get("/http-cookie", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Set-Cookie", "from_http=h1; Path=/");
            res.set_content("ok", "text/plain");
        });
        site_.start();
    }
    QString url(const char* path) const { return site_.url(path); }
    bool has_jquery() const { return !jquery_.empty(); }

private:
    std::string jquery_;
    zorvik::testing::LoopbackServer site_;
};

class Bridge : public ::testing::Test {
protected:
    static void SetUpTestSuite() { pages_ = new Pages; }
    static void TearDownTestSuite()
    {
        delete pages_;
        pages_ = nullptr;
    }
    void SetUp() override
    {
        if (!pages_->has_jquery())
            GTEST_SKIP() << "Debian's jQuery (libjs-jquery) is not installed";
    }

    static Pages* pages_;
    zorvik::testing::RecordingShell shell_;
    zorvik::support::QtHttpClient http_{[](const QString&) {}};
    int made_ = 0; // pages made: told once, the first time the bridge needs one
    // No view shows the page: it runs as headless mode runs it.
    WebPageBridge bridge_{shell_, http_.cookie_jar(), [this](QWebEnginePage*) { ++made_; }};
};

Pages* Bridge::pages_ = nullptr;

TEST_F(Bridge, AnswersAreWhatTheVariableHoldsAtTheEndOfTheWait)
{
    EXPECT_EQ(made_, 0);
    ASSERT_TRUE(bridge_.page_navigate(pages_->url("/page.html")));
    EXPECT_EQ(made_, 1);
    EXPECT_EQ(bridge_.page_exec(u"window.vemto_val = '  答案 ';"_s, 50).toStdString(), "答案");
    EXPECT_EQ(bridge_.page_exec(u"var nothing = 1;"_s, 50).toStdString(), "vemto_error");
    EXPECT_EQ(bridge_.page_exec(u"this is not a script"_s, 50).toStdString(), "vemto_error");
    EXPECT_EQ(bridge_.page_exec(u"window.vemto_val = 12.5;"_s, 0).toStdString(), "12.5");
    EXPECT_EQ(bridge_.page_exec(u"window.vemto_val = 3;"_s, 0).toStdString(), "3");
    // Stored by a timer before the wait ends: answered; after it: the preset, then page_val.
    EXPECT_EQ(bridge_.page_exec(u"setTimeout(function () { window.vemto_val = 'soon'; }, 50);"_s, 400)
                  .toStdString(),
              "soon");
    QElapsedTimer waited;
    waited.start();
    EXPECT_EQ(bridge_.page_exec(u"setTimeout(function () { window.vemto_val = 'late'; }, 700);"_s, 100)
                  .toStdString(),
              "vemto_error");
    EXPECT_GE(waited.elapsed(), 100);
    EXPECT_LT(waited.elapsed(), 700);
    bridge_.pause(900);
    EXPECT_EQ(bridge_.page_val().toStdString(), "late");
}

TEST_F(Bridge, AnAnswerIsTakenAsSoonAsTheScriptHasStoredIt)
{
    ASSERT_TRUE(bridge_.page_navigate(pages_->url("/page.html")));
    QElapsedTimer waited;
    waited.start();
    EXPECT_EQ(bridge_.page_answer(u"setTimeout(function () { window.vemto_val = 'soon'; }, 50);"_s, 3000)
                  .toStdString(),
              "soon");
    EXPECT_LT(waited.elapsed(), 1500);
    // A script that stores nothing is waited for the whole time, then answered as the preset.
    waited.restart();
    EXPECT_EQ(bridge_.page_answer(u"var nothing = 1;"_s, 300).toStdString(), "vemto_error");
    EXPECT_GE(waited.elapsed(), 300);
    // The probes answer at once.
    waited.restart();
    EXPECT_TRUE(bridge_.page_size(u"jQuery('#here')"_s));
    EXPECT_FALSE(bridge_.page_size(u"jQuery('#nowhere')"_s));
    EXPECT_LT(waited.elapsed(), 2 * zorvik::platform::kProbeWaitMs);
}

TEST_F(Bridge, APagesDialogsAreAnsweredAtOnceAndTold)
{
    QSignalSpy told(&bridge_, &WebPageBridge::dialog);
    QElapsedTimer took;
    took.start();
    ASSERT_TRUE(bridge_.page_navigate(pages_->url("/dialogs.html")));
    QTRY_VERIFY_WITH_TIMEOUT(told.size() >= 4, 5000);
    QStringList texts;
    for (const auto& args : told)
        texts << args.at(0).toString();
    EXPECT_TRUE(texts.contains(u"先提示"_s)) << texts.join(u'|').toStdString();
    EXPECT_TRUE(texts.contains(u"确定吗"_s));
    EXPECT_TRUE(texts.contains(u"输入"_s));
    EXPECT_TRUE(texts.contains(u"后提示"_s));
    // A confirm is cancelled, a prompt left empty.
    EXPECT_EQ(bridge_.page_exec(u"window.vemto_val = String(window.confirmed);"_s, 0).toStdString(), "false");
    EXPECT_EQ(bridge_.page_exec(u"window.vemto_val = String(window.prompted);"_s, 0).toStdString(), "null");
    // A dialog raised from a script the program runs answers too, and the page may be left.
    EXPECT_EQ(bridge_.page_exec(u"window.vemto_val = String(confirm('再确认'));"_s, 0).toStdString(),
              "false");
    QTRY_VERIFY_WITH_TIMEOUT(told.last().at(0).toString() == u"再确认"_s, 2000);
    ASSERT_TRUE(bridge_.page_navigate(pages_->url("/page.html")));
    EXPECT_TRUE(bridge_.page_url().endsWith(u"/page.html"_s));
    QTRY_VERIFY_WITH_TIMEOUT(told.last().at(0).toString() == u"beforeunload"_s, 2000);
    // A page that never asked to be asked is left without a word.
    const qsizetype before = told.size();
    ASSERT_TRUE(bridge_.page_navigate(pages_->url("/plain.html")));
    bridge_.pause(300);
    EXPECT_EQ(told.size(), before);
    EXPECT_LT(took.elapsed(), 8000);
}

TEST_F(Bridge, StoppingEndsEveryWaitAtOnce)
{
    ASSERT_TRUE(bridge_.page_navigate(pages_->url("/page.html")));
    QTimer::singleShot(100, [this] { bridge_.stop_waiting(); });
    QElapsedTimer took;
    took.start();
    EXPECT_EQ(bridge_.page_exec(u"var x = 1;"_s, 5000).toStdString(), "vemto_error");
    EXPECT_LT(took.elapsed(), 1500);
    EXPECT_FALSE(bridge_.page_navigate(pages_->url("/page.html")));
}

TEST_F(Bridge, ElementOperations)
{
    ASSERT_TRUE(bridge_.page_navigate(pages_->url("/page.html")));
    EXPECT_TRUE(bridge_.page_size(u"jQuery('#here')"_s));
    EXPECT_FALSE(bridge_.page_size(u"jQuery('#missing')"_s));
    EXPECT_FALSE(bridge_.page_size(u"jQuery("_s)); // a broken expression reads as none
    EXPECT_EQ(bridge_.page_text(u"jQuery('#here')"_s, 50).toStdString(), "两个 words");
    QElapsedTimer probe;
    probe.start();
    EXPECT_EQ(bridge_.page_text(u"jQuery('#missing')"_s, 2000).toStdString(), "");
    EXPECT_LT(probe.elapsed(), 1500); // one probe, not the caller's wait
    bridge_.page_click(u"jQuery('#b')"_s, 50);
    bridge_.page_click(u"jQuery('#missing')"_s, 50);
    EXPECT_EQ(bridge_.page_exec(u"window.vemto_val = window.clicked;"_s, 0).toStdString(), "1");
}

TEST_F(Bridge, ALoadedPageIsCleanedUp)
{
    ASSERT_TRUE(bridge_.page_navigate(pages_->url("/page.html")));
    // The page's notice was pressed away, and its alert no longer does anything of its own.
    EXPECT_EQ(bridge_.page_exec(u"window.vemto_val = jQuery('#notice').length;"_s, 0).toStdString(), "0");
    EXPECT_EQ(bridge_.page_exec(u"alert('x'); window.vemto_val = String(window.alerted);"_s, 0).toStdString(),
              "undefined");
    // A page without jQuery loads too; the clean-up's clicks just fail there.
    EXPECT_TRUE(bridge_.page_navigate(pages_->url("/plain.html")));
    EXPECT_FALSE(bridge_.page_size(u"jQuery('#x')"_s));
}

TEST_F(Bridge, AddressesThatDoNotLoad)
{
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(bridge_.page_navigate(u"not an address"_s));
    EXPECT_FALSE(bridge_.page_navigate(u"/relative.html"_s));
    EXPECT_LT(t.elapsed(), 100); // refused at once
    EXPECT_FALSE(bridge_.page_navigate(u"http://127.0.0.1:1/"_s)); // nobody listens
    t.restart();
    EXPECT_FALSE(bridge_.page_navigate(pages_->url("/slow.html")));
    EXPECT_GE(t.elapsed(), 9900);
    EXPECT_LT(t.elapsed(), 12500);
}

TEST_F(Bridge, ARendererThatIsGoneIsToldOncePerCallAndThePageLoadsAgain)
{
    ASSERT_TRUE(bridge_.page_navigate(pages_->url("/page.html")));
    QSignalSpy gone(bridge_.page(), &QWebEnginePage::renderProcessTerminated);
    ::kill(bridge_.page()->renderProcessPid(), SIGKILL);
    ASSERT_TRUE(gone.wait(5000));
    EXPECT_EQ(bridge_.page_exec(u"window.vemto_val = 1;"_s, 0).toStdString(), "vemto_error");
    EXPECT_EQ(bridge_.page_exec(u"window.vemto_val = 1;"_s, 0).toStdString(), "vemto_error");
    ASSERT_EQ(shell_.notices.size(), 2);
    EXPECT_TRUE(shell_.notices[0].startsWith(u"致命错误：\r\n"_s));
    EXPECT_EQ(bridge_.page_val().toStdString(), "");
    ASSERT_TRUE(bridge_.page_navigate(pages_->url("/page.html")));
    EXPECT_EQ(bridge_.page_exec(u"window.vemto_val = 'back';"_s, 0).toStdString(), "back");
}

// The engine may freeze or discard a page nobody looks at; the program's page is made active
// again at once (a discarded one loads again), said once, and nothing polls it meanwhile.
TEST_F(Bridge, APageTheEngineDiscardsIsActiveAgainAndLoadedOnce)
{
    ASSERT_TRUE(bridge_.page_navigate(pages_->url("/page.html")));
    QWebEnginePage* page = bridge_.page();
    QSignalSpy revived(&bridge_, &WebPageBridge::page_revived);
    QSignalSpy loads(page, &QWebEnginePage::loadStarted);
    page->setLifecycleState(QWebEnginePage::LifecycleState::Frozen);
    EXPECT_EQ(page->lifecycleState(), QWebEnginePage::LifecycleState::Active);
    ASSERT_EQ(revived.size(), 1);
    EXPECT_EQ(revived.first().at(0).toString(), u"平台页面被浏览器冻结，已恢复"_s);
    page->setLifecycleState(QWebEnginePage::LifecycleState::Discarded);
    EXPECT_EQ(page->lifecycleState(), QWebEnginePage::LifecycleState::Active);
    ASSERT_EQ(revived.size(), 2);
    EXPECT_EQ(revived.last().at(0).toString(), u"平台页面被浏览器丢弃，已重新载入"_s);
    // The next script waits for the page loaded again, and runs in it.
    EXPECT_EQ(bridge_.page_exec(u"window.vemto_val = jQuery('#here').size();"_s, 0).toStdString(), "1");
    EXPECT_EQ(loads.size(), 1);
    EXPECT_EQ(revived.size(), 2);
}

TEST_F(Bridge, CookiesAreSharedBothWaysWithTheHttpClient)
{
    ASSERT_TRUE(bridge_.page_navigate(pages_->url("/set-cookie")));
    // The browser's cookie reaches the HTTP client's requests...
    QTRY_VERIFY_WITH_TIMEOUT(http_.net_get(pages_->url("/echo")).contains(u"from_page=p1"_s), 5000);
    // ...and a cookie an HTTP reply sets reaches the browser's.
    http_.net_get(pages_->url("/http-cookie"));
    QTRY_VERIFY_WITH_TIMEOUT(
        bridge_.page_exec(u"window.vemto_val = document.cookie;"_s, 0).contains(u"from_http=h1"_s), 5000);
}

TEST_F(Bridge, ALoadStartedWithoutWaitingIsAwaitedByTheNextScript)
{
    bridge_.page_load(pages_->url("/page.html"));
    EXPECT_TRUE(bridge_.page_size(u"jQuery('#here')"_s));
    // Cleaned up once loaded, as after a waited load.
    QTRY_COMPARE_WITH_TIMEOUT(bridge_.page_exec(u"window.vemto_val = jQuery('#notice').length;"_s, 0),
                              u"0"_s, 5000);
}

} // namespace
