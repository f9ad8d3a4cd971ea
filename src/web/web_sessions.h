#pragma once
// The dashboard's logins: random session tokens valid for 12 hours, and the throttle that turns
// an address away for a minute after 5 failed logins within a minute.

#include <QHash>
#include <QString>
#include <QVector>

namespace zorvik::support {
class Clock;
}

namespace zorvik::web {

inline constexpr qint64 kTokenLifeMs = 12LL * 3600 * 1000;
inline constexpr int kFailuresAllowed = 5;
inline constexpr qint64 kFailureWindowMs = 60 * 1000;

class WebSessions {
public:
    explicit WebSessions(const support::Clock& clock) : clock_(clock) {}

    enum class Login { Ok, Wrong, Throttled };
    // Checks the password against the digest; a new token in `token` when it matches.
    Login login(const QString& address, const QString& digest, const QString& password, QString& token);
    // True for a token given out and not expired nor ended.
    bool valid(const QString& token);
    // The session of this token ends (a logout), or every one (the password changed).
    void end(const QString& token);
    void end_all() { tokens_.clear(); }

private:
    bool throttled(const QString& address);

    const support::Clock& clock_;
    QHash<QByteArray, qint64> tokens_; // the token's SHA-256 → when it expires
    QHash<QString, QVector<qint64>> failures_; // address → times of recent failures
    QHash<QString, qint64> blocked_until_;
};

} // namespace zorvik::web
