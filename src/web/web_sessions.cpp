#include "web/web_sessions.h"

#include "support/clock.h"
#include "web/web_config.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

namespace zorvik::web {

namespace {

// Tokens are looked up by their hash: what a lookup's time could tell is of the hash, never of a
// token.
QByteArray key_of(const QString& token)
{
    return QCryptographicHash::hash(token.toLatin1(), QCryptographicHash::Sha256);
}

} // namespace

bool WebSessions::throttled(const QString& address)
{
    const auto until = blocked_until_.constFind(address);
    if (until == blocked_until_.cend())
        return false;
    if (clock_.msecs() < *until)
        return true;
    blocked_until_.remove(address);
    return false;
}

WebSessions::Login WebSessions::login(const QString& address, const QString& digest, const QString& password,
                                      QString& token)
{
    if (throttled(address))
        return Login::Throttled;
    const qint64 now = clock_.msecs();
    if (!password_matches(digest, password)) {
        QVector<qint64>& times = failures_[address];
        times.removeIf([now](qint64 t) { return now - t >= kFailureWindowMs; });
        times << now;
        if (times.size() >= kFailuresAllowed) {
            blocked_until_[address] = now + kFailureWindowMs;
            failures_.remove(address);
        }
        return Login::Wrong;
    }
    failures_.remove(address);
    // Expired tokens go at each login, so that the table never grows without bound.
    tokens_.removeIf([now](const auto& it) { return it.value() <= now; });
    QByteArray bytes(32, Qt::Uninitialized);
    QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
    token = QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
    tokens_.insert(key_of(token), now + kTokenLifeMs);
    return Login::Ok;
}

bool WebSessions::valid(const QString& token)
{
    if (token.isEmpty())
        return false;
    const QByteArray key = key_of(token);
    const auto it = tokens_.constFind(key);
    if (it == tokens_.cend())
        return false;
    if (clock_.msecs() < *it)
        return true;
    tokens_.remove(key);
    return false;
}

void WebSessions::end(const QString& token)
{
    tokens_.remove(key_of(token));
}

} // namespace zorvik::web
