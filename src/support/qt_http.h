#pragma once
// HttpClient over QNetworkAccessManager. A request waits in a local event loop, so the window
// stays responsive and timers keep ticking while it waits.

#include "support/http.h"

#include <QList>
#include <QObject>
#include <functional>

class QNetworkAccessManager;
class QNetworkCookieJar;
class QNetworkReply;
class QEventLoop;

namespace zorvik::support {

inline constexpr int kHttpTimeoutMs = 9999;

class QtHttpClient final : public QObject, public HttpClient {
    Q_OBJECT
public:
    // `notice` shows the slow-network notice; it is never open twice at a time.
    explicit QtHttpClient(std::function<void(const QString&)> notice, int timeout_ms = kHttpTimeoutMs,
                          QObject* parent = nullptr);
    ~QtHttpClient() override;

    QString net_get(const QString& url) override;
    QString net_post(const QString& url, const QString& body) override;
    bool net_fire(const QString& url) override;

    // The program's one cookie jar, shared with the embedded browser.
    QNetworkCookieJar* cookie_jar() const;

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
    QNetworkAccessManager* manager_;
    bool notice_open_ = false;
    bool stopping_ = false;
    QList<QEventLoop*> waiting_;
    int fires_waiting_ = 0;
};

} // namespace zorvik::support
