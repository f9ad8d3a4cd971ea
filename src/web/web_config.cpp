#include "web/web_config.h"

#include "support/ini.h"

#include <QCryptographicHash>
#include <QHostAddress>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::web {

namespace {

constexpr int kSaltBytes = 16;
constexpr int kKeyBytes = 32;

QByteArray derive(const QString& password, const QByteArray& salt, int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt,
                                              iterations, kKeyBytes);
}

QString section()
{
    return QString::fromUtf16(kWebSection);
}

} // namespace

WebConfig load_web_config(const QString& file)
{
    WebConfig c;
    const auto read = [&](const char16_t* key) { return support::ini_read(section(), QString::fromUtf16(key), file); };
    c.enabled = read(u"enabled") == u"1";
    if (const QString address = read(u"address").trimmed(); !address.isEmpty())
        c.address = address;
    bool ok = false;
    const int port = read(u"port").toInt(&ok);
    if (ok && port > 0 && port <= 65535)
        c.port = port;
    c.digest = read(u"password");
    c.cert = read(u"cert");
    c.key = read(u"key");
    return c;
}

bool save_web_config(const QString& file, const WebConfig& c)
{
    bool ok = true;
    // An empty value is no key at all (the file keeps no empty values).
    const auto write = [&](const char16_t* key, const QString& value) {
        const QString name = QString::fromUtf16(key);
        ok = (value.isEmpty() ? support::ini_delete(section(), name, file) : support::ini_write(section(), name, value, file)) != 0 &&
             ok;
    };
    write(u"enabled", c.enabled ? u"1"_s : u"0"_s);
    write(u"address", c.address);
    write(u"port", QString::number(c.port));
    write(u"cert", c.cert);
    write(u"key", c.key);
    return ok;
}

bool save_web_digest(const QString& file, const QString& digest)
{
    return support::ini_write(section(), u"password"_s, digest, file) != 0;
}

QString password_digest(const QString& password, int iterations)
{
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    return u"pbkdf2-sha256$"_s + QString::number(iterations) + u'$' + QString::fromLatin1(salt.toBase64()) +
           u'$' + QString::fromLatin1(derive(password, salt, iterations).toBase64());
}

bool password_matches(const QString& digest, const QString& password)
{
    const QStringList parts = digest.split(u'$');
    if (parts.size() != 4 || parts[0] != u"pbkdf2-sha256")
        return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray wanted = QByteArray::fromBase64(parts[3].toLatin1());
    if (!ok || iterations < 1 || salt.isEmpty() || wanted.size() != kKeyBytes)
        return false;
    const QByteArray got = derive(password, salt, iterations);
    unsigned char differ = 0;
    for (int i = 0; i < kKeyBytes; ++i)
        differ |= static_cast<unsigned char>(got[i] ^ wanted[i]);
    return differ == 0;
}

bool parse_listen(const QString& text, WebConfig& config)
{
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0)
        return false;
    QString address = text.left(colon);
    if (address.startsWith(u'[') && address.endsWith(u']'))
        address = address.mid(1, address.size() - 2);
    bool ok = false;
    const int port = text.mid(colon + 1).toInt(&ok);
    if (!ok || port < 0 || port > 65535 || QHostAddress(address).isNull())
        return false;
    config.address = address;
    config.port = port;
    return true;
}

QString listen_refusal(const WebConfig& config)
{
    const QHostAddress address(config.address);
    if (address.isNull())
        return u"远程访问的地址无效："_s + config.address;
    if (config.digest.isEmpty())
        return u"还没有设置远程访问的密码"_s;
    if (!address.isLoopback() && (config.cert.isEmpty() || config.key.isEmpty()))
        return u"只有配置了 TLS 证书和私钥（web_cfg 的 cert 和 key）才能在本机以外的地址 "_s + config.address +
               u" 上开启远程访问"_s;
    return QString();
}

} // namespace zorvik::web
