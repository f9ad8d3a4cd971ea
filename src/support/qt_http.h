#pragma once
// HttpClient over QNetworkAccessManager. A request waits in a local event loop, so the window
// stays responsive and timers keep ticking while it waits.

#include "support/http.h"

#include <QList>
#include <QObject>
#include <functional>

#include <QNetworkCookie>
#include <QNetworkCookieJar>

class QNetworkAccessManager;
class QNetworkReply;
class QEventLoop;

namespace zorvik::support {

inline constexpr int kHttpTimeoutMs = 9999;
// A reply or page longer than this is not read: nothing the program asks for comes near it.
inline constexpr qint64 kMaxReplyBytes = 8 * 1024 * 1024;

// The program's cookie jar. Cookies the HTTP replies set are announced, so the embedded browser
// can take them; cookies the browser sets are adopted without being announced back.
class SharedCookieJar final : public QNetworkCookieJar {
    Q_OBJECT
public:
    using QNetworkCookieJar::QNetworkCookieJar;
    bool insertCookie(const QNetworkCookie& cookie) override;
    bool deleteCookie(const QNetworkCookie& cookie) override;
    // Takes the browser's cookie; false when the jar held it already, unchanged.
    bool adopt(const QNetworkCookie& cookie);
    void forget(const QNetworkCookie& cookie);
    QList<QNetworkCookie> cookies() const { return allCookies(); }

signals:
    void cookie_set(const QNetworkCookie& cookie);
    void cookie_deleted(const QNetworkCookie& cookie);

private:
    bool quiet_ = false;
};

class QtHttpClient final : public QObject, public HttpClient {
    Q_OBJECT
public:
    // `notice` shows the slow-network notice; it is never open twice at a time.
    explicit QtHttpClient(std::function<void(const QString&)> notice, int timeout_ms = kHttpTimeoutMs,
                          QObject* parent = nullptr, qint64 max_bytes = kMaxReplyBytes);
    ~QtHttpClient() override;

    QString net_get(const QString& url) override;
    QString net_post(const QString& url, const QString& body) override;
    bool net_fire(const QString& url) override;

    // The program's one cookie jar, shared with the embedded browser.
    SharedCookieJar* cookie_jar() const { return jar_; }

    // The program is ending: waiting requests give up at once, new ones are not sent, and no
    // notice is shown for them.
    void stop();
    // Requests sent with net_fire that have neither been answered nor timed out yet.
    int fires_waiting() const { return fires_waiting_; }

private:
    struct Answer {
        int status = 0; // 0: no answer
        QString body;
    };
    Answer wait_for(QNetworkReply* reply);
    void notify_slow();

    std::function<void(const QString&)> notice_;
    int timeout_ms_;
    qint64 max_bytes_;
    QNetworkAccessManager* manager_;
    SharedCookieJar* jar_;
    bool notice_open_ = false;
    bool stopping_ = false;
    QList<QEventLoop*> waiting_;
    int fires_waiting_ = 0;
};

} // namespace zorvik::support
