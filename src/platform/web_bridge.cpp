#include "platform/web_bridge.h"

#include "support/qt_http.h"
#include "support/shell.h"
#include "support/text.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkCookie>
#include <QTimer>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::platform {

namespace {

constexpr int kReadLimitMs = 3000; // a read the renderer never answers gives up here

// The platforms' pages log freely, and probes on pages without jQuery fail by design: none of
// it is the program's business.
class QuietPage final : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                  const QString&) override
    {
    }
};

} // namespace

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
                             std::function<bool(QWidget*)> place, QObject* parent)
    : QObject(parent), shell_(shell), jar_(jar), place_(std::move(place))
{
}

WebPageBridge::~WebPageBridge()
{
    if (view_ && !view_->parent())
        delete view_;
}

QWebEngineView* WebPageBridge::view()
{
    if (view_)
        return view_;
    view_ = new QWebEngineView;
    view_->setObjectName(u"zorvik_tz_wb"_s);
    view_->setPage(new QuietPage(view_));
    // The platform's pages must not open dialogs of their own on an unattended program.
    view_->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    QWebEnginePage* page = view_->page();
    connect(page, &QWebEnginePage::loadStarted, this, [this] {
        loading_ = true;
        renderer_gone_ = false;
    });
    connect(page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        loading_ = false;
        load_ok_ = ok;
        if (cleanup_after_load_ && ok && view_)
            view_->page()->runJavaScript(cleanup_script());
        cleanup_after_load_ = false;
    });
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            [this] { renderer_gone_ = true; });
    share_cookies();
    if (!place_ || !place_(view_)) {
        view_->resize(1280, 800);
        view_->show();
    }
    return view_;
}

void WebPageBridge::share_cookies()
{
    if (!jar_)
        return;
    QWebEngineCookieStore* store = view_->page()->profile()->cookieStore();
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
    QElapsedTimer started;
    started.start();
    while (!done()) {
        const qint64 left = ms - started.elapsed();
        if (left <= 0)
            return false;
        QEventLoop loop;
        QTimer::singleShot(int(std::min<qint64>(left, 10)), &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void WebPageBridge::pause(int ms)
{
    wait_until([] { return false; }, ms);
}

bool WebPageBridge::page_navigate(const QString& url)
{
    const QUrl address(url);
    if (!address.isValid() || address.isRelative() || address.host().isEmpty())
        return false; // refused: no load, no clean-up
    QWebEngineView* browser = view();
    bool finished = false;
    const auto connection =
        connect(browser->page(), &QWebEnginePage::loadFinished, this, [&finished] { finished = true; });
    cleanup_after_load_ = false;
    loading_ = true;
    browser->load(address);
    wait_until([&] { return finished; }, kNavTimeoutMs);
    disconnect(connection);
    if (!view_ || (!finished && loading_) || !load_ok_)
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
    view()->load(address);
}

void WebPageBridge::wait_for_load()
{
    if (loading_)
        wait_until([this] { return !loading_ || !view_; }, kNavTimeoutMs);
}

std::shared_ptr<WebPageBridge::Reading> WebPageBridge::read_async()
{
    auto reading = std::make_shared<Reading>();
    view()->page()->runJavaScript(u"window.vemto_val"_s, [reading](const QVariant& value) {
        reading->value = value;
        reading->done = true;
    });
    return reading;
}

QString WebPageBridge::page_exec(const QString& script, int wait_ms)
{
    wait_for_load();
    QWebEngineView* browser = view();
    if (renderer_gone_) {
        // The engine cannot run scripts at all: said once per call; later calls try again.
        shell_.notice(fatal_message());
        return QString::fromUtf16(kVemtoError);
    }
    browser->page()->runJavaScript(u"window.vemto_val = 'vemto_error';"_s);
    browser->page()->runJavaScript(script);
    const auto first = read_async();
    pause(wait_ms);
    if (!view_)
        return QString::fromUtf16(kVemtoError);
    const auto last = read_async();
    wait_until([&] { return last->done || !view_; }, kReadLimitMs);
    if (last->done)
        return support::trim_blanks(page_value_text(last->value));
    if (first->done)
        return support::trim_blanks(page_value_text(first->value));
    return QString::fromUtf16(kVemtoError);
}

QString WebPageBridge::page_val()
{
    if (!view_ || renderer_gone_)
        return QString();
    const auto reading = read_async();
    wait_until([&] { return reading->done || !view_; }, kReadLimitMs);
    return reading->done ? page_value_text(reading->value) : QString();
}

} // namespace zorvik::platform
