#pragma once
// The web dashboard: a page and a JSON API under /api/v1/ served by the running program on the
// core's thread, with live events over a WebSocket. Off until started; every path but the page
// and the login needs a session token; what it may change goes through the core's own calls.

#include "web/web_config.h"
#include "web/web_sessions.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <map>
#include <memory>
#include <vector>

class QHttpServerRequest;
class QHttpServerResponder;
class QFileSystemWatcher;
class QJsonObject;
class QTcpSocket;
class QWebSocket;

namespace zorvik::app {
class AppCore;
class Desk;
class EventTap;
struct Event;
} // namespace zorvik::app

namespace zorvik::support {
class Clock;
}

namespace zorvik::web {

inline constexpr qint64 kBodyLimit = 64 * 1024;
inline constexpr int kMostConnections = 16;
inline constexpr int kIdleMs = 60 * 1000;

class WebServer final : public QObject {
    Q_OBJECT
public:
    WebServer(app::AppCore& core, const support::Clock& clock, QObject* parent = nullptr);
    ~WebServer() override;

    // Listens as configured; empty when it does, else why not (said to the user).
    QString start(const WebConfig& config);
    void stop();
    bool running() const;
    quint16 port() const;
    // Where the page is: "http://127.0.0.1:8686/" (https with TLS).
    QString url() const;
    // A new password's digest: every session ends.
    void set_digest(const QString& digest);
    // How long a connection may stay silent before it is closed (60 s); for connections made
    // from now on.
    void set_idle_ms(int ms);

    // What the server needs of a request: its own parts, so that the routes can be read apart
    // from Qt's request class.
    struct Request {
        QString method;
        QString path;
        QString query_day;
        QByteArray body;
        QString token;
        QString from;
    };
    struct Reply {
        int status = 200;
        QByteArray body;
        QByteArray type = "application/json";
        static Reply json(int status, const QJsonObject& object);
        // {"error": text}
        static Reply error(int status, const QString& text);
    };
    Reply handle(const Request& request);

private:
    class Front;
    class Http;
    struct Client;

    Reply route(const Request& r);
    Reply act(const Request& r, const QStringList& parts);
    app::Desk* desk_of(const QString& number) const;
    void accept_websocket();
    void push(const app::Event& e);
    void note_income(app::Desk& desk);
    QJsonObject desk_json(app::Desk& desk) const;
    Reply monitors(app::Desk& desk);
    // A desk's monitor list is built again only once its rows, its monitoring or its newest
    // draw changed: a page asking often costs the draws nothing.
    void watch(app::Desk& desk);
    Reply bets(app::Desk& desk) const;
    Reply records(const QString& day) const;
    Reply income(app::Desk& desk) const;

    app::AppCore& core_;
    const support::Clock& clock_;
    WebSessions sessions_;
    WebConfig config_;
    std::unique_ptr<Http> http_;
    QPointer<Front> front_;
    std::unique_ptr<app::EventTap> tap_;
    std::unique_ptr<QFileSystemWatcher> watcher_;
    std::vector<std::unique_ptr<Client>> clients_;
    int idle_ms_ = kIdleMs;
    std::map<int, QVector<std::pair<QString, double>>> income_;
    std::map<int, QByteArray> monitors_made_; // desk → its monitor list's answer
    std::unique_ptr<QObject> watching_; // desk → (issue, session income)
};

} // namespace zorvik::web
