#pragma once
// Notifications for a user away from the screen: each event is POSTed as JSON to the webhook
// address in the background, retried a few times with growing pauses. Sending never waits.

#include <QObject>
#include <QString>

class QNetworkAccessManager;

namespace zorvik::notify {

struct WebhookEvent {
    QString event;   // "alert", "bet", "refused", "stop" or "test"
    QString lottery;
    QString issue;
    QString monitor;
    QString text;
    QString time;    // "yyyy-MM-dd HH:mm:ss", local time
};

// The JSON body of an event.
QByteArray webhook_body(const WebhookEvent& e);

class Webhook : public QObject {
    Q_OBJECT
public:
    // `attempts` tries in all, the pause doubling from `first_pause_ms`; each try gives up after
    // `timeout_ms`.
    explicit Webhook(QObject* parent = nullptr, int attempts = 3, int first_pause_ms = 1000,
                     int timeout_ms = 5000);

    void set_url(const QString& url) { url_ = url.trimmed(); }
    QString url() const { return url_; }
    // Queues the event; nothing when no address is set.
    void send(const WebhookEvent& event);
    int in_flight() const { return in_flight_; }

signals:
    // The receiver answered 2xx (status is the HTTP status).
    void delivered(const QString& event, int status);
    // Every attempt failed; the reason of the last.
    void failed(const QString& event, const QString& reason);

private:
    void attempt(const WebhookEvent& event, const QByteArray& body, int left, int pause_ms);

    QNetworkAccessManager* manager_;
    QString url_;
    int attempts_;
    int first_pause_ms_;
    int timeout_ms_;
    int in_flight_ = 0;
};

} // namespace zorvik::notify
