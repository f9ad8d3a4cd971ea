#include "core/password_store.h"

#include "core/options.h"
#include "support/ini.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QEventLoop>
#include <QTimer>
#include <memory>
#include <qt6keychain/keychain.h>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

namespace {

const QString kService = u"zorvik"_s;
const QString kSecrets = u"org.freedesktop.secrets"_s;

// Whether this run uses the keyring: not known yet, yes, or no (none, one that would ask the
// user something, or one that did not answer in time). Once no, no keyring is asked again.
std::optional<bool> g_keyring_usable;

// A D-Bus call's reply within `ms`, the event loop running meanwhile; nothing after an error
// or the time.
std::optional<QDBusMessage> dbus_answer(const QDBusMessage& call, int ms)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return std::nullopt;
    QDBusPendingCallWatcher watcher(bus.asyncCall(call, ms));
    if (!watcher.isFinished()) {
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!watcher.isFinished() || watcher.isError())
        return std::nullopt;
    return watcher.reply();
}

// True when the Secret Service has a default collection that is open: using it then asks the
// user nothing. Creating a first collection or unlocking one opens a desktop prompt, which on an
// unattended program nobody answers (or which sits under the window and takes every click).
bool keyring_opens_without_asking(int ms)
{
    QDBusMessage alias = QDBusMessage::createMethodCall(kSecrets, u"/org/freedesktop/secrets"_s,
                                                        u"org.freedesktop.Secret.Service"_s, u"ReadAlias"_s);
    alias << u"default"_s;
    const std::optional<QDBusMessage> path = dbus_answer(alias, ms);
    if (!path || path->arguments().isEmpty())
        return false;
    const QString collection = qvariant_cast<QDBusObjectPath>(path->arguments().first()).path();
    if (collection.isEmpty() || collection == u"/")
        return false;
    QDBusMessage locked = QDBusMessage::createMethodCall(kSecrets, collection, u"org.freedesktop.DBus.Properties"_s,
                                                         u"Get"_s);
    locked << u"org.freedesktop.Secret.Collection"_s << u"Locked"_s;
    const std::optional<QDBusMessage> reply = dbus_answer(locked, ms);
    if (!reply || reply->arguments().isEmpty())
        return false;
    const QVariant value = qvariant_cast<QDBusVariant>(reply->arguments().first()).variant();
    return value.isValid() && !value.toBool();
}

bool keyring_usable(int ms)
{
    if (!g_keyring_usable)
        g_keyring_usable = keyring_opens_without_asking(ms);
    return *g_keyring_usable;
}

// Runs a keyring job (made with new) to its end, or gives up after `ms`: a keyring that does
// not answer in time counts as none for the rest of the run. The job is deleted here when it
// finished; one given up on lives until its late answer comes and then deletes itself, so
// that the answer never reaches a freed job.
bool finished(QKeychain::Job* job, int ms)
{
    bool done = false;
    {
        QEventLoop loop;
        QObject::connect(job, &QKeychain::Job::finished, &loop, [&] {
            done = true;
            loop.quit();
        });
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        job->setAutoDelete(false);
        job->start();
        if (!done)
            loop.exec();
    } // the loop's connection goes with it
    if (!done) {
        g_keyring_usable = false;
        job->setAutoDelete(true);
    }
    return done;
}

bool quoted(const QString& text)
{
    return text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'') && text.back() == text.front();
}

} // namespace

PasswordStore::PasswordStore(QString settings_file, int wait_ms, QString section, QString key)
    : settings_file_(std::move(settings_file)), wait_ms_(wait_ms),
      section_(section.isEmpty() ? QString::fromUtf16(keys::kTzSection) : std::move(section)),
      key_(key.isEmpty() ? QString::fromUtf16(keys::kPltPass) : std::move(key))
{
}

QString PasswordStore::file_text() const
{
    return u"没有可用的系统密钥环，平台密码保存在设置文件中（仅本用户可读）："_s + settings_file_;
}

QString PasswordStore::read_file() const
{
    return support::ini_read(section_, key_, settings_file_);
}

bool PasswordStore::write_file(const QString& password) const
{
    if (password.isEmpty())
        return support::ini_delete(section_, key_, settings_file_) != 0;
    // The file's reader takes one pair of quotes off a value: a password in quotes gets another.
    const QString stored = quoted(password) ? password.front() + password + password.front() : password;
    return support::ini_write(section_, key_, stored, settings_file_) != 0;
}

PasswordStore::Answer PasswordStore::read(QString& password)
{
    if (!keyring_usable(wait_ms_))
        return Answer::NoKeyring;
    auto* job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(key_);
    job->setInsecureFallback(false);
    if (!finished(job, wait_ms_))
        return Answer::NoKeyring;
    const std::unique_ptr<QKeychain::Job> done(job);
    if (job->error() == QKeychain::NoError) {
        password = job->textData();
        return Answer::Done;
    }
    return job->error() == QKeychain::EntryNotFound ? Answer::NotFound : Answer::NoKeyring;
}

PasswordStore::Answer PasswordStore::write(const QString& password)
{
    if (!keyring_usable(wait_ms_))
        return Answer::NoKeyring;
    auto* job = new QKeychain::WritePasswordJob(kService);
    job->setKey(key_);
    job->setInsecureFallback(false);
    job->setTextData(password);
    if (!finished(job, wait_ms_))
        return Answer::NoKeyring;
    const std::unique_ptr<QKeychain::Job> done(job);
    return job->error() == QKeychain::NoError ? Answer::Done : Answer::NoKeyring;
}

PasswordStore::Answer PasswordStore::remove()
{
    if (!keyring_usable(wait_ms_))
        return Answer::NoKeyring;
    auto* job = new QKeychain::DeletePasswordJob(kService);
    job->setKey(key_);
    job->setInsecureFallback(false);
    if (!finished(job, wait_ms_))
        return Answer::NoKeyring;
    const std::unique_ptr<QKeychain::Job> done(job);
    return job->error() == QKeychain::NoError || job->error() == QKeychain::EntryNotFound ? Answer::Done
                                                                                         : Answer::NoKeyring;
}

void PasswordStore::forget_keyring_answer()
{
    g_keyring_usable.reset();
}

QString PasswordStore::load()
{
    QString password;
    const Answer answer = read(password);
    keyring_ = answer != Answer::NoKeyring;
    const QString in_file = read_file();
    if (!*keyring_)
        return in_file;
    if (answer == Answer::NotFound && !in_file.isEmpty()) {
        // An older file's password moves into the keyring, and out of the file once it is there.
        if (write(in_file) != Answer::Done) {
            keyring_ = false;
            return in_file;
        }
        password = in_file;
    }
    if (!in_file.isEmpty())
        write_file(QString());
    return password;
}

bool PasswordStore::save(const QString& password)
{
    if (keyring_.value_or(true)) {
        const Answer answer = password.isEmpty() ? remove() : write(password);
        keyring_ = answer == Answer::Done;
        if (*keyring_)
            return read_file().isEmpty() || write_file(QString());
    }
    return write_file(password);
}

} // namespace zorvik::app
