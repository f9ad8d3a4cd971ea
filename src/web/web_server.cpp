#include "web/web_server.h"

#include "core/core.h"
#include "core/events.h"
#include "support/clock.h"

#include <QAbstractHttpServer>
#include <QFile>
#include <QFileSystemWatcher>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaEnum>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>
#include <QWebSocket>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::web {

namespace {

constexpr qint64 kHeadLimit = 16 * 1024; // a request's line and headers
constexpr int kAuthWaitMs = 10000;       // a WebSocket must show its token by then
constexpr int kPingMs = 25000;           // live WebSockets answer, and so stay open

QByteArray error_body(const QString& text)
{
    return QJsonDocument(QJsonObject{{u"error"_s, text}}).toJson(QJsonDocument::Compact);
}


QByteArray status_text(int status)
{
    switch (status) {
    case 413: return "Payload Too Large";
    case 503: return "Service Unavailable";
    default: return "Error";
    }
}

// A whole response written straight to the socket, for what is refused before the HTTP server
// reads it; the connection then closes.
void refuse_raw(QTcpSocket* socket, int status, const QString& text)
{
    const QByteArray body = error_body(text);
    socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + status_text(status) +
                  "\r\nContent-Type: application/json; charset=utf-8\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}

QString bearer(const QByteArray& header)
{
    const QByteArray value = header.trimmed();
    return value.startsWith("Bearer ") ? QString::fromLatin1(value.mid(7).trimmed()) : QString();
}

QString address_text(const QHostAddress& address)
{
    bool ok = false;
    const QHostAddress v4(address.toIPv4Address(&ok));
    return ok ? v4.toString() : address.toString();
}

} // namespace

// Accepts the connections: at most 16 at once, each closed after 60 s without traffic, a request
// larger than the cap refused before it is read whole, and TLS where configured.
class WebServer::Front final : public QTcpServer {
public:
    Front(QAbstractHttpServer& http, QObject* parent) : QTcpServer(parent), http_(http) {}

    void set_idle_ms(int ms) { idle_ms_ = ms; }
    int idle_ms() const { return idle_ms_; }

    QString use_tls(const QString& cert_file, const QString& key_file)
    {
        QFile cert(cert_file), key(key_file);
        if (!cert.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly))
            return u"无法读取 TLS 证书或私钥文件"_s;
        const QList<QSslCertificate> certs = QSslCertificate::fromData(cert.readAll(), QSsl::Pem);
        const QByteArray key_text = key.readAll();
        QSslKey private_key(key_text, QSsl::Rsa, QSsl::Pem);
        if (private_key.isNull())
            private_key = QSslKey(key_text, QSsl::Ec, QSsl::Pem);
        if (certs.isEmpty() || private_key.isNull())
            return u"TLS 证书或私钥无效"_s;
        tls_ = QSslConfiguration::defaultConfiguration();
        tls_.setLocalCertificateChain(certs);
        tls_.setPrivateKey(private_key);
        tls_.setPeerVerifyMode(QSslSocket::VerifyNone);
        secure_ = true;
        return QString();
    }

    // The idle timer of the connection a WebSocket came on, found by its peer.
    QTimer* idle_timer(const QHostAddress& peer, quint16 port) const
    {
        for (const QPointer<QTcpSocket>& s : live_)
            if (s && s->peerPort() == port && s->peerAddress() == peer)
                return s->findChild<QTimer*>(u"idle"_s, Qt::FindDirectChildrenOnly);
        return nullptr;
    }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        live_.removeIf([](const QPointer<QTcpSocket>& s) {
            return !s || s->state() == QAbstractSocket::UnconnectedState;
        });
        QTcpSocket* socket = secure_ ? new QSslSocket(this) : new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        if (live_.size() >= kMostConnections) {
            refuse_raw(socket, 503, u"连接太多，请稍后再试"_s);
            return;
        }
        live_ << socket;
        guard(socket);
        if (secure_) {
            auto* tls = static_cast<QSslSocket*>(socket);
            tls->setSslConfiguration(tls_);
            tls->startServerEncryption();
        }
        addPendingConnection(socket);
    }

private:
    void guard(QTcpSocket* socket)
    {
        auto* idle = new QTimer(socket);
        idle->setObjectName(u"idle"_s);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, socket, [socket] { socket->abort(); });
        idle->setInterval(idle_ms_);
        idle->start();
        // The bytes a request has sent since the last response; the HTTP server reads all that
        // came at every read, so what is there now is new.
        auto pending = std::make_shared<qint64>(0);
        auto refused = std::make_shared<bool>(false);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, idle, pending, refused] {
            idle->start();
            if (*refused) {
                socket->readAll();
                return;
            }
            *pending += socket->bytesAvailable();
            if (*pending > kBodyLimit + kHeadLimit) {
                *refused = true;
                QObject::disconnect(socket, nullptr, &http_, nullptr);
                socket->readAll();
                refuse_raw(socket, 413, u"请求内容超过 64 KB"_s);
            }
        });
        connect(socket, &QTcpSocket::bytesWritten, socket, [idle, pending] {
            idle->start();
            *pending = 0;
        });
    }

    QAbstractHttpServer& http_;
    int idle_ms_ = kIdleMs;
    bool secure_ = false;
    QSslConfiguration tls_;
    QList<QPointer<QTcpSocket>> live_;
};

class WebServer::Http final : public QAbstractHttpServer {
public:
    explicit Http(WebServer& owner) : owner_(owner) {}

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override
    {
        // An upgrade is asked of this first: true without a word hands the connection to the
        // WebSocket server, false closes it. Only the events take one.
        if (request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0)
            return request.url().path() == u"/api/v1/events";
        Request r;
        r.method = QString::fromLatin1(QMetaEnum::fromType<QHttpServerRequest::Method>().valueToKey(int(request.method())))
                       .toUpper();
        r.path = request.url().path();
        r.query_day = request.query().queryItemValue(u"day"_s, QUrl::FullyDecoded);
        r.body = request.body();
        for (const auto& [name, value] : request.headers())
            if (name.compare("authorization", Qt::CaseInsensitive) == 0)
                r.token = bearer(value);
        r.from = address_text(request.remoteAddress());
        const Reply reply = owner_.handle(r);
        QHttpServerResponder responder = makeResponder(request, socket);
        responder.write(reply.body,
                        {{"Content-Type", reply.type + "; charset=utf-8"},
                         {"Cache-Control", "no-store"},
                         {"X-Content-Type-Options", "nosniff"},
                         {"X-Frame-Options", "DENY"},
                         {"Referrer-Policy", "no-referrer"},
                         {"Content-Security-Policy",
                          "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
                          "connect-src 'self'; img-src 'self' data:; base-uri 'none'; form-action 'none'; "
                          "frame-ancestors 'none'"}},
                        QHttpServerResponder::StatusCode(reply.status));
        return true;
    }
    void missingHandler(const QHttpServerRequest&, QTcpSocket*) override {}

private:
    WebServer& owner_;
};

struct WebServer::Client {
    std::unique_ptr<QWebSocket> socket;
    QString token; // empty until the client showed a valid one
    QPointer<QTimer> idle;
    QTimer ping;
};

WebServer::Reply WebServer::Reply::json(int status, const QJsonObject& object)
{
    return {status, QJsonDocument(object).toJson(QJsonDocument::Compact), "application/json"};
}

WebServer::Reply WebServer::Reply::error(int status, const QString& text)
{
    return {status, error_body(text), "application/json"};
}

WebServer::WebServer(app::AppCore& core, const support::Clock& clock, QObject* parent)
    : QObject(parent), core_(core), clock_(clock), sessions_(clock)
{
}

WebServer::~WebServer()
{
    stop();
}

QString WebServer::start(const WebConfig& config)
{
    stop();
    if (const QString refusal = listen_refusal(config); !refusal.isEmpty())
        return refusal;
    config_ = config;
    http_ = std::make_unique<Http>(*this);
    auto* front = new Front(*http_, http_.get());
    front->set_idle_ms(idle_ms_);
    front_ = front;
    if (!config.cert.isEmpty() && !config.key.isEmpty()) {
        if (const QString failed = front->use_tls(config.cert, config.key); !failed.isEmpty()) {
            stop();
            return failed;
        }
    }
    if (!front->listen(QHostAddress(config.address), quint16(config.port))) {
        const QString failed = u"远程访问无法在 "_s + config.address + u':' + QString::number(config.port) +
                               u" 上开启："_s + front->errorString();
        stop();
        return failed;
    }
    http_->bind(front);
    connect(http_.get(), &QAbstractHttpServer::newWebSocketConnection, this, &WebServer::accept_websocket);
    tap_ = std::make_unique<app::EventTap>(core_);
    connect(tap_.get(), &app::EventTap::event, this, &WebServer::push);
    watching_ = std::make_unique<QObject>();
    monitors_made_.clear();
    for (const auto& d : core_.desks())
        watch(*d);
    connect(&core_, &app::AppCore::desk_added, watching_.get(), [this](app::Desk& d) { watch(d); });
    connect(&core_, &app::AppCore::desk_removed, watching_.get(), [this](int n) { monitors_made_.erase(n); });
    // A password set meanwhile (zorvik-cli web-password, another window) ends every session.
    watcher_ = std::make_unique<QFileSystemWatcher>(QStringList{core_.settings_file()});
    connect(watcher_.get(), &QFileSystemWatcher::fileChanged, this, [this](const QString& file) {
        if (!watcher_->files().contains(file))
            watcher_->addPath(file); // a file written anew is watched again
        const QString digest = load_web_config(file).digest;
        if (digest != config_.digest)
            set_digest(digest);
    });
    return QString();
}

void WebServer::stop()
{
    watcher_.reset();
    watching_.reset();
    clients_.clear();
    tap_.reset();
    http_.reset(); // with its listening socket and connections
    sessions_.end_all();
}

bool WebServer::running() const
{
    return front_ && front_->isListening();
}

quint16 WebServer::port() const
{
    return front_ ? front_->serverPort() : 0;
}

void WebServer::set_idle_ms(int ms)
{
    idle_ms_ = ms;
    if (front_)
        front_->set_idle_ms(ms);
}

QString WebServer::url() const
{
    const bool tls = !config_.cert.isEmpty() && !config_.key.isEmpty();
    const QString host = config_.address.contains(u':') ? u'[' + config_.address + u']' : config_.address;
    return (tls ? u"https://"_s : u"http://"_s) + host + u':' + QString::number(port()) + u'/';
}

void WebServer::set_digest(const QString& digest)
{
    config_.digest = digest;
    sessions_.end_all();
    for (const auto& c : clients_)
        c->socket->close(QWebSocketProtocol::CloseCodePolicyViolated, u"password changed"_s);
}

WebServer::Reply WebServer::handle(const Request& request)
{
    if (request.body.size() > kBodyLimit)
        return Reply::error(413, u"请求内容超过 64 KB"_s);
    return route(request);
}

WebServer::Reply WebServer::route(const Request& r)
{
    if (r.path == u"/" || r.path == u"/index.html") {
        if (r.method != u"GET")
            return Reply::error(405, u"只能用 GET 读取这个页面"_s);
        QFile page(u":/web/index.html"_s);
        if (!page.open(QIODevice::ReadOnly))
            return Reply::error(500, u"页面缺失"_s);
        return {200, page.readAll(), "text/html"};
    }
    if (!r.path.startsWith(u"/api/v1/"))
        return Reply::error(404, u"没有这个地址"_s);
    const QStringList parts = r.path.mid(8).split(u'/', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return Reply::error(404, u"没有这个地址"_s);
    if (parts == QStringList{u"login"_s}) {
        if (r.method != u"POST")
            return Reply::error(405, u"登录请用 POST"_s);
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(r.body, &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject())
            return Reply::error(400, u"请求内容不是 JSON 对象"_s);
        const QJsonValue password = doc.object().value(u"password"_s);
        if (password.isUndefined())
            return Reply::error(400, u"缺少字段 password"_s);
        if (!password.isString())
            return Reply::error(400, u"字段 password 应为文字"_s);
        QString token;
        switch (sessions_.login(r.from, config_.digest, password.toString(), token)) {
        case WebSessions::Login::Ok:
            return Reply::json(200, {{u"token"_s, token}, {u"expires_in"_s, int(kTokenLifeMs / 1000)}});
        case WebSessions::Login::Throttled:
            return Reply::error(429, u"登录失败次数太多，请一分钟后再试"_s);
        case WebSessions::Login::Wrong:
            break;
        }
        return Reply::error(401, u"密码错误"_s);
    }
    if (!sessions_.valid(r.token))
        return Reply::error(401, u"请先登录"_s);
    const bool get = r.method == u"GET";
    const QString& top = parts[0];
    if (top == u"logout" && parts.size() == 1) {
        if (r.method != u"POST")
            return Reply::error(405, u"退出请用 POST"_s);
        sessions_.end(r.token);
        return Reply::json(200, {{u"ok"_s, true}});
    }
    if (top == u"desks" && parts.size() == 1) {
        if (!get)
            return Reply::error(405, u"只能用 GET 读取"_s);
        QJsonArray desks;
        QJsonArray balances;
        QStringList platforms;
        for (const auto& d : core_.desks()) {
            desks.append(desk_json(*d));
            const QString platform = app::platform_of(d->lottery());
            if (!platform.isEmpty() && !platforms.contains(platform)) {
                platforms << platform;
                balances.append(QJsonObject{{u"platform"_s, platform},
                                            {u"line"_s, d->engine().line(monitor::Line::Balance)}});
            }
        }
        return Reply::json(200, {{u"desks"_s, desks},
                                {u"balances"_s, balances},
                                {u"money"_s, core_.virtual_betting() ? u"simulated"_s : u"real"_s}});
    }
    if (top == u"records" && parts.size() == 1) {
        if (!get)
            return Reply::error(405, u"只能用 GET 读取"_s);
        return records(r.query_day);
    }
    if (top == u"stop_all" && parts.size() == 1) {
        if (r.method != u"POST")
            return Reply::error(405, u"操作请用 POST"_s);
        return act(r, parts);
    }
    if (top == u"events" && parts.size() == 1)
        return Reply::error(400, u"实时事件请用 WebSocket 连接"_s);
    if (top != u"desks")
        return Reply::error(404, u"没有这个地址"_s);
    app::Desk* desk = desk_of(parts[1]);
    if (!desk)
        return Reply::error(404, u"没有第 "_s + parts[1] + u" 号彩种"_s);
    const QString what = parts.value(2);
    if (parts.size() == 3 && (what == u"monitors" || what == u"bets" || what == u"income")) {
        if (!get)
            return Reply::error(405, u"只能用 GET 读取"_s);
        return what == u"monitors" ? monitors(*desk) : what == u"bets" ? bets(*desk) : income(*desk);
    }
    const bool action = (parts.size() == 3 && (what == u"start" || what == u"stop" || what == u"stops")) ||
                        (parts.size() == 5 && what == u"monitors" && parts[4] == u"auto_bet");
    if (!action)
        return Reply::error(404, u"没有这个地址"_s);
    if (r.method != u"POST")
        return Reply::error(405, u"操作请用 POST"_s);
    return act(r, parts);
}

app::Desk* WebServer::desk_of(const QString& number) const
{
    bool ok = false;
    const int n = number.toInt(&ok);
    if (!ok)
        return nullptr;
    for (const auto& d : core_.desks())
        if (d->number() == n)
            return d.get();
    return nullptr;
}

void WebServer::accept_websocket()
{
    while (http_ && http_->hasPendingWebSocketConnections()) {
        auto client = std::make_unique<Client>();
        client->socket = http_->nextPendingWebSocketConnection();
        QWebSocket* ws = client->socket.get();
        ws->setMaxAllowedIncomingMessageSize(quint64(kBodyLimit));
        ws->setMaxAllowedIncomingFrameSize(quint64(kBodyLimit));
        client->idle = front_ ? front_->idle_timer(ws->peerAddress(), ws->peerPort()) : nullptr;
        const QString header = bearer(ws->request().rawHeader("Authorization"));
        if (sessions_.valid(header))
            client->token = header;
        Client* c = client.get();
        const auto alive = [c] {
            if (c->idle)
                c->idle->start();
        };
        connect(ws, &QWebSocket::pong, this, alive);
        connect(ws, &QWebSocket::textMessageReceived, this, [this, c, alive](const QString& text) {
            alive();
            if (!c->token.isEmpty())
                return;
            const QString token = QJsonDocument::fromJson(text.toUtf8()).object().value(u"token"_s).toString();
            if (!sessions_.valid(token)) {
                c->socket->close(QWebSocketProtocol::CloseCodePolicyViolated, u"unauthorized"_s);
                return;
            }
            c->token = token;
            c->socket->sendTextMessage(u"{\"type\":\"hello\"}"_s);
        });
        connect(ws, &QWebSocket::disconnected, this, [this, c] {
            // Dropped later: this runs inside the socket's own signal.
            QTimer::singleShot(0, this, [this, c] {
                std::erase_if(clients_, [c](const std::unique_ptr<Client>& k) { return k.get() == c; });
            });
        });
        c->ping.setInterval(std::min(kPingMs, idle_ms_ / 2));
        connect(&c->ping, &QTimer::timeout, ws, [ws] { ws->ping(); });
        c->ping.start();
        QTimer::singleShot(kAuthWaitMs, ws, [c] {
            if (c->token.isEmpty())
                c->socket->close(QWebSocketProtocol::CloseCodePolicyViolated, u"unauthorized"_s);
        });
        if (!c->token.isEmpty())
            ws->sendTextMessage(u"{\"type\":\"hello\"}"_s);
        clients_.push_back(std::move(client));
    }
}

void WebServer::push(const app::Event& e)
{
    if (e.desk != 0) {
        if (e.kind == u"monitoring on")
            income_[e.desk].clear();
        if (e.kind == u"label income_line")
            if (app::Desk* d = desk_of(QString::number(e.desk)))
                note_income(*d);
    }
    const QByteArray text = QJsonDocument(QJsonObject{{u"type"_s, u"event"_s},
                                                      {u"desk"_s, e.desk},
                                                      {u"lottery"_s, e.lottery},
                                                      {u"kind"_s, e.kind},
                                                      {u"text"_s, e.text}})
                                .toJson(QJsonDocument::Compact);
    const QString message = QString::fromUtf8(text);
    for (const auto& c : clients_) {
        if (c->token.isEmpty())
            continue;
        // A session that ended (its token expired, the password changed) hears nothing more.
        if (!sessions_.valid(c->token)) {
            c->socket->close(QWebSocketProtocol::CloseCodePolicyViolated, u"unauthorized"_s);
            continue;
        }
        c->socket->sendTextMessage(message);
    }
}

} // namespace zorvik::web
