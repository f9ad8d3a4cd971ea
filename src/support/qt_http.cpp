#include "support/qt_http.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::support {

QString slow_network_notice()
{
    return u"网速太慢了，影响软件工作。请考虑以下解决方法："_s + u"\r\n"_s +
           u"1、换一个更优质的网络环境使用本软件"_s + u"\r\n"_s +
           u"2、切换平台网址，请自行测速并更换平台网址"_s;
}

namespace {

QNetworkRequest request_for(const QString& url)
{
    QNetworkRequest request{QUrl(url)};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    return request;
}

// Only absolute http and https addresses are requested; anything else fails at once.
bool requestable(const QString& url)
{
    const QUrl u(url);
    return u.isValid() && (u.scheme() == u"http" || u.scheme() == u"https") && !u.host().isEmpty();
}

} // namespace

QtHttpClient::QtHttpClient(std::function<void(const QString&)> notice, int timeout_ms,
                           QObject* parent, qint64 max_bytes)
    : QObject(parent), notice_(std::move(notice)), timeout_ms_(timeout_ms), max_bytes_(max_bytes),
      manager_(new QNetworkAccessManager(this)), jar_(new SharedCookieJar)
{
    manager_->setCookieJar(jar_); // the manager owns it
}

QtHttpClient::~QtHttpClient() = default;

bool SharedCookieJar::insertCookie(const QNetworkCookie& cookie)
{
    const bool inserted = QNetworkCookieJar::insertCookie(cookie);
    if (!quiet_)
        emit cookie_set(cookie); // an expired cookie deletes the browser's copy too
    return inserted;
}

bool SharedCookieJar::deleteCookie(const QNetworkCookie& cookie)
{
    const bool deleted = QNetworkCookieJar::deleteCookie(cookie);
    if (deleted && !quiet_)
        emit cookie_deleted(cookie);
    return deleted;
}

bool SharedCookieJar::adopt(const QNetworkCookie& cookie)
{
    for (const QNetworkCookie& held : allCookies()) {
        if (held.hasSameIdentifier(cookie) && held.value() == cookie.value() &&
            held.expirationDate() == cookie.expirationDate())
            return false;
    }
    quiet_ = true;
    insertCookie(cookie);
    quiet_ = false;
    return true;
}

void SharedCookieJar::forget(const QNetworkCookie& cookie)
{
    quiet_ = true;
    deleteCookie(cookie);
    quiet_ = false;
}

QtHttpClient::Answer QtHttpClient::wait_for(QNetworkReply* reply)
{
    Answer answer;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    // To the millisecond: a coarse timer may end a 9999 ms wait half a second late.
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // The whole request has one deadline (the timer), and its body one size limit.
    bool too_large = false;
    QByteArray body;
    const auto take = [&] {
        if (too_large)
            return;
        body += reply->readAll();
        if (body.size() > max_bytes_) {
            too_large = true;
            body.clear();
            loop.quit();
        }
    };
    connect(reply, &QNetworkReply::readyRead, &loop, take);
    connect(reply, &QNetworkReply::downloadProgress, &loop, [&](qint64, qint64 total) {
        if (total > max_bytes_) {
            too_large = true;
            loop.quit();
        }
    });
    timer.start(timeout_ms_);
    if (!reply->isFinished() && !stopping_) {
        waiting_.append(&loop);
        loop.exec();
        waiting_.removeOne(&loop);
    }
    if (reply->isFinished())
        take();
    if (reply->isFinished() && !too_large) {
        answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        answer.body = QString::fromUtf8(body);
    } else {
        reply->abort();
    }
    reply->deleteLater();
    return answer;
}

void QtHttpClient::stop()
{
    stopping_ = true;
    for (QEventLoop* loop : waiting_)
        loop->quit();
}

void QtHttpClient::notify_slow()
{
    // A dead network must not pile up one box per poll; a request cut short by the program's
    // own end is no news to the user.
    if (notice_open_ || !notice_ || stopping_)
        return;
    notice_open_ = true;
    notice_(slow_network_notice());
    notice_open_ = false;
}

QString QtHttpClient::net_get(const QString& url)
{
    if (stopping_ || !requestable(url))
        return QString(); // the request could not even be made: no wait, no notice
    const Answer answer = wait_for(manager_->get(request_for(url)));
    if (answer.status != 200)
        notify_slow();
    return answer.body;
}

QString QtHttpClient::net_post(const QString& url, const QString& body)
{
    if (stopping_ || !requestable(url))
        return QString();
    QNetworkRequest request = request_for(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, u"application/x-www-form-urlencoded"_s);
    const QString text = wait_for(manager_->post(request, body.toUtf8())).body;
    if (text.isEmpty())
        notify_slow();
    return text;
}

bool QtHttpClient::net_fire(const QString& url)
{
    if (stopping_ || !requestable(url))
        return false;
    QNetworkReply* reply = manager_->get(request_for(url));
    ++fires_waiting_;
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        --fires_waiting_;
        reply->deleteLater();
    });
    // A hung host must not hold a request (and its connection) for ever: uploads would pile up.
    QTimer::singleShot(timeout_ms_, reply, [reply] {
        if (!reply->isFinished())
            reply->abort();
    });
    return true;
}

} // namespace zorvik::support
