#pragma once
// The web dashboard's settings, kept in section web_cfg of the settings file, and its password,
// of which only a salted PBKDF2-SHA256 digest is ever kept.

#include <QString>

namespace zorvik::web {

inline constexpr char16_t kWebSection[] = u"web_cfg";
inline constexpr char16_t kDefaultAddress[] = u"127.0.0.1";
inline constexpr int kDefaultPort = 8686;
inline constexpr int kDigestIterations = 120000;

struct WebConfig {
    bool enabled = false;
    QString address = QString::fromUtf16(kDefaultAddress);
    int port = kDefaultPort;
    QString digest; // "pbkdf2-sha256$ITERATIONS$SALT$KEY", base64; empty: no password set
    QString cert;   // TLS certificate and key files (PEM); both needed for an outside address
    QString key;
};

WebConfig load_web_config(const QString& file);
// Writes every key but the digest; false when the file could not be written.
bool save_web_config(const QString& file, const WebConfig& config);
bool save_web_digest(const QString& file, const QString& digest);

// A new digest of the password with a random salt.
QString password_digest(const QString& password, int iterations = kDigestIterations);
// True when the password gives the digest; the comparison takes the same time wherever the
// keys differ. A malformed digest matches nothing.
bool password_matches(const QString& digest, const QString& password);

// "ADDRESS:PORT" (an IPv6 address in brackets) read into the config; false when malformed.
bool parse_listen(const QString& text, WebConfig& config);

// Empty when the server may listen as configured, else why not: a password is needed, and an
// address other than loopback needs TLS.
QString listen_refusal(const WebConfig& config);

} // namespace zorvik::web
