#include "platform/web_bridge.h"

#include "support/qt_http.h"
#include "support/shell.h"
#include "support/text.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QNetworkCookie>
#include <QElapsedTimer>
#include <QTimer>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::platform {

namespace {

constexpr int kReadLimitMs = 3000; // a read the renderer never answers gives up here

// The platforms' pages log freely, and probes on pages without jQuery fail by design: none of
// it is the program's business but the dialogs the guard script reports. A dialog the engine
// itself would open (one the guard missed) is answered here, never shown: a modal box would
// hold the whole program.
class QuietPage final : public QWebEnginePage {
public:
    QuietPage(std::function<void(const QString&)> told, QObject* parent)
        : QWebEnginePage(parent), told_(std::move(told))
    {
    }

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                  const QString&) override
    {
        if (message.startsWith(QStringView(kDialogMark)))
            told_(message.mid(QStringView(kDialogMark).size()));
    }
    void javaScriptAlert(const QUrl&, const QString& msg) override { told_(msg); }
    bool javaScriptConfirm(const QUrl&, const QString& msg) override
    {
        told_(msg);
        // Leaving a page is allowed; any other question is answered "cancel".
        return msg == leave_text();
    }
    bool javaScriptPrompt(const QUrl&, const QString& msg, const QString&, QString*) override
    {
        told_(msg);
        return false;
    }

private:
    // What the engine asks before a page with a "beforeunload" handler is left.
    static QString leave_text()
    {
        return QCoreApplication::translate(
            "QWebEnginePage",
            "Are you sure you want to leave this page? Changes that you made may not be saved.");
    }
    std::function<void(const QString&)> told_;
};

} // namespace

QString dialog_guard_script()
{
    return uR"((function () {
  var tell = function (text) {
    try { console.log('zorvik-dialog:' + (text === undefined ? '' : String(text))); } catch (e) {}
  };
  // Kept writable: a page (or the clean-up script) may declare its own silent one.
  var fixed = function (name, fn) {
    try {
      Object.defineProperty(window, name, {value: fn, writable: true, enumerable: true,
                                           configurable: false});
    } catch (e) { window[name] = fn; }
  };
  fixed('alert', function (text) { tell(text); });
  fixed('confirm', function (text) { tell(text); return false; });
  fixed('prompt', function (text) { tell(text); return null; });
  // A page's wish to ask before it is left is noted, never asked; told when it is left.
  var asks = false;
  window.addEventListener('beforeunload', function (event) {
    event.stopImmediatePropagation();
    if (asks)
      tell('beforeunload');
  }, true);
  var listen = window.addEventListener;
  window.addEventListener = function (type) {
    if (String(type).toLowerCase() === 'beforeunload') { asks = true; return; }
    return listen.apply(this, arguments);
  };
  try {
    Object.defineProperty(window, 'onbeforeunload', {get: function () { return null; },
                                                     set: function (f) { asks = asks || !!f; },
                                                     configurable: false});
  } catch (e) {}
})();)"_s;
}

QString page_value_text(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QString();
    case QMetaType::Bool:
        return value.toBool() ? u"True"_s : u"False"_s;
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong: {
        const double d = value.toDouble();
        if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', 15);
    }
    case QMetaType::QVariantMap:
    case QMetaType::QVariantList:
        return QString::fromUtf8(QJsonDocument::fromVariant(value).toJson(QJsonDocument::Compact));
    default:
        return value.toString();
    }
}

WebPageBridge::WebPageBridge(support::Shell& shell, support::SharedCookieJar* jar,
                             std::function<void(QWebEnginePage*)> made, QObject* parent)
    : QObject(parent), shell_(shell), jar_(jar), made_(std::move(made))
{
}

WebPageBridge::~WebPageBridge()
{
    delete page_; // a view showing it (the window's) lets go of it first
}

QWebEnginePage* WebPageBridge::page()
{
    if (page_)
        return page_;
    page_ = new QuietPage([this](const QString& text) { emit dialog(text); }, nullptr);
    page_->setObjectName(u"zorvik_tz_wb"_s);
    // The platform's pages must not open dialogs of their own on an unattended program.
    page_->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    QWebEnginePage* page = page_;
    // Before the page's first byte runs, its dialogs are disarmed, in every frame.
    QWebEngineScript guard;
    guard.setName(u"zorvik-dialog-guard"_s);
    guard.setSourceCode(dialog_guard_script());
    guard.setInjectionPoint(QWebEngineScript::DocumentCreation);
    guard.setWorldId(QWebEngineScript::MainWorld);
    guard.setRunsOnSubFrames(true);
    page->scripts().insert(guard);
    connect(page, &QWebEnginePage::loadStarted, this, [this] {
        loading_ = true;
        renderer_gone_ = false;
    });
    connect(page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        loading_ = false;
        load_ok_ = ok;
        if (cleanup_after_load_ && ok && page_)
            page_->runJavaScript(cleanup_script());
        cleanup_after_load_ = false;
    });
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            [this] { renderer_gone_ = true; });
    // Without a view the page is still as a shown one: its timers run at full pace.
    page->setVisible(true);
    // The program drives this page unattended: the engine must never freeze or discard it.
    page->setLifecycleState(QWebEnginePage::LifecycleState::Active);
    connect(page, &QWebEnginePage::lifecycleStateChanged, this, [this](QWebEnginePage::LifecycleState) {
        if (!stopping_)
            page_alive();
    });
    share_cookies();
    if (made_)
        made_(page_);
    return page_;
}

void WebPageBridge::share_cookies()
{
    if (!jar_)
        return;
    QWebEngineCookieStore* store = page_->profile()->cookieStore();
    support::SharedCookieJar* jar = jar_;
    connect(store, &QWebEngineCookieStore::cookieAdded, jar,
            [jar](const QNetworkCookie& cookie) { jar->adopt(cookie); });
    connect(store, &QWebEngineCookieStore::cookieRemoved, jar,
            [jar](const QNetworkCookie& cookie) { jar->forget(cookie); });
    connect(jar, &support::SharedCookieJar::cookie_set, store,
            [store](const QNetworkCookie& cookie) { store->setCookie(cookie); });
    connect(jar, &support::SharedCookieJar::cookie_deleted, store,
            [store](const QNetworkCookie& cookie) { store->deleteCookie(cookie); });
    for (const QNetworkCookie& cookie : jar->cookies())
        store->setCookie(cookie);
    store->loadAllCookies();
}

bool WebPageBridge::wait_until(const std::function<bool()>& done, int ms)
{
    return wait_with_events(done, ms, stopping_);
}

void WebPageBridge::pause(int ms)
{
    wait_until([] { return false; }, ms);
}

bool WebPageBridge::page_navigate(const QString& url)
{
    if (stopping_)
        return false;
    const QUrl address(url);
    if (!address.isValid() || address.isRelative() || address.host().isEmpty())
        return false; // refused: no load, no clean-up
    QWebEnginePage* browser = page();
    bool finished = false;
    const auto connection =
        connect(browser, &QWebEnginePage::loadFinished, this, [&finished] { finished = true; });
    cleanup_after_load_ = false;
    loading_ = true;
    browser->load(address);
    wait_until([&] { return finished; }, kNavTimeoutMs);
    disconnect(connection);
    if (!page_ || (!finished && loading_) || !load_ok_)
        return false;
    page_exec(cleanup_script(), kCleanupWaitMs);
    return true;
}

void WebPageBridge::page_load(const QString& url)
{
    const QUrl address(url);
    if (!address.isValid() || address.isRelative() || address.host().isEmpty())
        return;
    cleanup_after_load_ = true;
    loading_ = true;
    page()->load(address);
}

void WebPageBridge::wait_for_load()
{
    if (loading_)
        wait_until([this] { return !loading_ || !page_; }, kNavTimeoutMs);
}

bool WebPageBridge::page_alive()
{
    if (!page_)
        return true;
    QWebEnginePage* page = page_;
    const QWebEnginePage::LifecycleState state = page->lifecycleState();
    if (state == QWebEnginePage::LifecycleState::Active)
        return true;
    if (stopping_)
        return false;
    const bool discarded = state == QWebEnginePage::LifecycleState::Discarded;
    page->setLifecycleState(QWebEnginePage::LifecycleState::Active);
    emit page_revived(discarded ? u"平台页面被浏览器丢弃，已重新载入"_s : u"平台页面被浏览器冻结，已恢复"_s);
    if (discarded) {
        // The page loads again: the next script waits for it, and it is cleaned up once loaded.
        loading_ = true;
        cleanup_after_load_ = true;
    }
    return page->lifecycleState() == QWebEnginePage::LifecycleState::Active;
}

std::shared_ptr<WebPageBridge::Reading> WebPageBridge::read_async()
{
    auto reading = std::make_shared<Reading>();
    if (!page_alive()) {
        reading->done = true; // nothing runs in a page that is not active
        return reading;
    }
    page()->runJavaScript(u"window.vemto_val"_s, [reading](const QVariant& value) {
        reading->value = value;
        reading->done = true;
    });
    return reading;
}

bool WebPageBridge::start_script(const QString& script)
{
    if (stopping_)
        return false;
    QWebEnginePage* browser = page();
    if (!page_alive())
        return false;
    wait_for_load();
    if (renderer_gone_) {
        // The engine cannot run scripts at all: said once per call; later calls try again.
        shell_.notice(fatal_message());
        return false;
    }
    browser->runJavaScript(u"window.vemto_val = 'vemto_error';"_s);
    browser->runJavaScript(script);
    return true;
}

std::optional<QString> WebPageBridge::read_now()
{
    if (!page_)
        return std::nullopt;
    const auto reading = read_async();
    wait_until([&] { return reading->done || !page_; }, kReadLimitMs);
    if (!reading->done)
        return std::nullopt;
    return support::trim_blanks(page_value_text(reading->value));
}

QString WebPageBridge::page_exec(const QString& script, int wait_ms)
{
    if (!start_script(script))
        return QString::fromUtf16(kVemtoError);
    const auto first = read_async();
    pause(wait_ms);
    if (!page_)
        return QString::fromUtf16(kVemtoError);
    if (const std::optional<QString> last = read_now())
        return *last;
    if (first->done)
        return support::trim_blanks(page_value_text(first->value));
    return QString::fromUtf16(kVemtoError);
}

QString WebPageBridge::page_answer(const QString& script, int wait_ms)
{
    if (!start_script(script))
        return QString::fromUtf16(kVemtoError);
    QElapsedTimer started;
    started.start();
    QString value = QString::fromUtf16(kVemtoError);
    // Read until the script has stored something, a few milliseconds apart.
    while (const std::optional<QString> now = read_now()) {
        value = *now;
        if (value != QStringView(kVemtoError) || stopping_ || started.elapsed() >= wait_ms)
            break;
        pause(int(std::min<qint64>(10, wait_ms - started.elapsed())));
    }
    return value;
}

QString WebPageBridge::page_url()
{
    return page_ ? page_->url().toString() : QString();
}

QString WebPageBridge::page_val()
{
    if (stopping_ || !page_ || renderer_gone_ || !page_alive())
        return QString();
    const auto reading = read_async();
    wait_until([&] { return reading->done || !page_; }, kReadLimitMs);
    return reading->done ? page_value_text(reading->value) : QString();
}

} // namespace zorvik::platform
