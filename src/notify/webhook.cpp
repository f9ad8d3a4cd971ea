#include "notify/webhook.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::notify {

QByteArray webhook_body(const WebhookEvent& e)
{
    return QJsonDocument(QJsonObject{{u"event"_s, e.event},
                                     {u"lottery"_s, e.lottery},
                                     {u"issue"_s, e.issue},
                                     {u"monitor"_s, e.monitor},
                                     {u"text"_s, e.text},
                                     {u"time"_s, e.time}})
        .toJson(QJsonDocument::Compact);
}

Webhook::Webhook(QObject* parent, int attempts, int first_pause_ms, int timeout_ms)
    : QObject(parent), manager_(new QNetworkAccessManager(this)), attempts_(attempts),
      first_pause_ms_(first_pause_ms), timeout_ms_(timeout_ms)
{
}

void Webhook::send(const WebhookEvent& event)
{
    const QUrl url(url_);
    if (url_.isEmpty())
        return;
    if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https")) {
        emit failed(event.event, u"不是 http 或 https 地址"_s);
        return;
    }
    ++in_flight_;
    attempt(event, webhook_body(event), attempts_, first_pause_ms_);
}

void Webhook::attempt(const WebhookEvent& event, const QByteArray& body, int left, int pause_ms)
{
    QNetworkRequest request{QUrl(url_)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, u"application/json; charset=utf-8"_s);
    request.setTransferTimeout(timeout_ms_);
    QNetworkReply* reply = manager_->post(request, body);
    connect(reply, &QNetworkReply::finished, this, [=, this] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() == QNetworkReply::NoError && status >= 200 && status < 300) {
            --in_flight_;
            emit delivered(event.event, status);
            return;
        }
        const QString reason = status > 0 ? u"HTTP "_s + QString::number(status) : reply->errorString();
        if (left <= 1) {
            --in_flight_;
            emit failed(event.event, reason);
            return;
        }
        QTimer::singleShot(pause_ms, this, [=, this] { attempt(event, body, left - 1, pause_ms * 2); });
    });
}

} // namespace zorvik::notify
