#include "app/password_store.h"

#include "app/options.h"
#include "support/ini.h"

#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

namespace {

const QString kService = u"zorvik"_s;

// Runs a keyring job to its end, or gives up after `ms` (a keyring that never answers is none).
bool finished(QKeychain::Job& job, int ms)
{
    QEventLoop loop;
    bool done = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        done = true;
        loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    job.setAutoDelete(false);
    job.start();
    if (!done)
        loop.exec();
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
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(key_);
    job.setInsecureFallback(false);
    if (!finished(job, wait_ms_))
        return Answer::NoKeyring;
    if (job.error() == QKeychain::NoError) {
        password = job.textData();
        return Answer::Done;
    }
    return job.error() == QKeychain::EntryNotFound ? Answer::NotFound : Answer::NoKeyring;
}

PasswordStore::Answer PasswordStore::write(const QString& password)
{
    QKeychain::WritePasswordJob job(kService);
    job.setKey(key_);
    job.setInsecureFallback(false);
    job.setTextData(password);
    return finished(job, wait_ms_) && job.error() == QKeychain::NoError ? Answer::Done : Answer::NoKeyring;
}

PasswordStore::Answer PasswordStore::remove()
{
    QKeychain::DeletePasswordJob job(kService);
    job.setKey(key_);
    job.setInsecureFallback(false);
    if (!finished(job, wait_ms_))
        return Answer::NoKeyring;
    return job.error() == QKeychain::NoError || job.error() == QKeychain::EntryNotFound ? Answer::Done
                                                                                       : Answer::NoKeyring;
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
