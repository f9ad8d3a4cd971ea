// Where the platform password is kept: in a real keyring (a gnome-keyring-daemon of the test's
// own, in a private session bus) or, with none answering, in the settings file. The same tests
// run both ways; ZORVIK_KEYRING=1 says a keyring is there.

#include "core/password_store.h"
#include "support/ini.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <csignal>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using zorvik::app::PasswordStore;

namespace {

class Passwords : public ::testing::Test {
protected:
    QString file() const { return dir_.filePath(u"bao/cfg.ini"_s); }
    QString in_file() const { return zorvik::support::ini_read(u"tz_cfg"_s, u"plt_pass"_s, file()); }
    bool has_key() const
    {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) && f.readAll().contains("plt_pass=");
    }
    static bool keyring() { return qgetenv("ZORVIK_KEYRING") == "1"; }

    QTemporaryDir dir_;
};

TEST_F(Passwords, AnOlderFilesPasswordIsKeptWhereItBelongs)
{
    // Each run starts from a keyring without our entry.
    PasswordStore(file(), 3000).save(QString());
    zorvik::support::ini_write(u"tz_cfg"_s, u"plt_pass"_s, u"old-secret"_s, file());
    zorvik::support::ini_write(u"tz_cfg"_s, u"plt_user"_s, u"ann"_s, file());
    PasswordStore store(file(), 3000);
    EXPECT_EQ(store.load(), u"old-secret"_s);
    ASSERT_TRUE(store.in_keyring().has_value());
    EXPECT_EQ(*store.in_keyring(), keyring());
    if (keyring()) {
        // Moved: the file holds no password any more, the keyring does.
        EXPECT_FALSE(has_key());
        EXPECT_EQ(PasswordStore(file(), 3000).load(), u"old-secret"_s);
    } else {
        EXPECT_EQ(in_file(), u"old-secret"_s);
        EXPECT_TRUE(store.file_text().contains(file()));
    }
    EXPECT_EQ(zorvik::support::ini_read(u"tz_cfg"_s, u"plt_user"_s, file()), u"ann"_s);
}

TEST_F(Passwords, SavedPasswordsComeBackUnchangedAndAnEmptyOneClearsIt)
{
    PasswordStore store(file(), 3000);
    store.load();
    for (const QString& password : {u"p'w\\1"_s, u"\"quoted\""_s, u"'single'"_s, u"\"x"_s, u" spaced "_s}) {
        ASSERT_TRUE(store.save(password));
        // The keyring keeps it exactly; the file, as before, without blanks around it.
        EXPECT_EQ(PasswordStore(file(), 3000).load(), keyring() ? password : password.trimmed())
            << password.toStdString();
        EXPECT_EQ(has_key(), !keyring()) << password.toStdString();
    }
    ASSERT_TRUE(store.save(QString()));
    EXPECT_TRUE(PasswordStore(file(), 3000).load().isEmpty());
    EXPECT_TRUE(in_file().isEmpty());
}

// The keyring's daemon, found by its name on the session bus.
qint64 keyring_daemon()
{
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    const QDBusReply<uint> pid = bus ? bus->servicePid(u"org.freedesktop.secrets"_s) : QDBusReply<uint>();
    return pid.isValid() ? qint64(pid.value()) : 0;
}

// Lets `ms` pass with the event loop running.
void run_events(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST_F(Passwords, AKeyringThatAnswersLateCountsAsNoneForTheRunAndItsLateAnswerEndsNothing)
{
    if (!keyring())
        GTEST_SKIP() << "needs the test's own keyring daemon";
    PasswordStore::forget_keyring_answer();
    PasswordStore first(file(), 5000);
    ASSERT_TRUE(first.save(u"kept"_s));
    ASSERT_TRUE(*first.in_keyring());
    const qint64 daemon = keyring_daemon();
    ASSERT_GT(daemon, 0);
    // The daemon stops answering for six seconds: the store waits five, then takes the file.
    ::kill(pid_t(daemon), SIGSTOP);
    zorvik::support::ini_write(u"tz_cfg"_s, u"plt_pass"_s, u"from-file"_s, file());
    QElapsedTimer waited;
    waited.start();
    PasswordStore late(file(), 5000);
    EXPECT_EQ(late.load(), u"from-file"_s);
    EXPECT_FALSE(*late.in_keyring());
    EXPECT_GE(waited.elapsed(), 4000); // a coarse timer may end a little early
    QTimer::singleShot(1000, [daemon] { ::kill(pid_t(daemon), SIGCONT); });
    // Its answer comes after all, to a job that is still there.
    run_events(2500);
    // For the rest of the run no keyring is asked: nothing waits.
    waited.restart();
    PasswordStore after(file(), 5000);
    EXPECT_EQ(after.load(), u"from-file"_s);
    EXPECT_FALSE(*after.in_keyring());
    EXPECT_LT(waited.elapsed(), 1000);
    ::kill(pid_t(daemon), SIGCONT);
    PasswordStore::forget_keyring_answer();
}

// Run last: the keyring stays locked.
TEST_F(Passwords, ALockedKeyringIsNotUsedAndNothingAsksTheUser)
{
    if (!keyring())
        GTEST_SKIP() << "needs the test's own keyring daemon";
    QDBusMessage alias = QDBusMessage::createMethodCall(u"org.freedesktop.secrets"_s, u"/org/freedesktop/secrets"_s,
                                                        u"org.freedesktop.Secret.Service"_s, u"ReadAlias"_s);
    alias << u"default"_s;
    const QDBusMessage path = QDBusConnection::sessionBus().call(alias);
    ASSERT_EQ(path.type(), QDBusMessage::ReplyMessage);
    QDBusMessage lock = QDBusMessage::createMethodCall(u"org.freedesktop.secrets"_s, u"/org/freedesktop/secrets"_s,
                                                       u"org.freedesktop.Secret.Service"_s, u"Lock"_s);
    lock << QVariant::fromValue(QList<QDBusObjectPath>{qvariant_cast<QDBusObjectPath>(path.arguments().first())});
    ASSERT_EQ(QDBusConnection::sessionBus().call(lock).type(), QDBusMessage::ReplyMessage);
    PasswordStore::forget_keyring_answer();
    zorvik::support::ini_write(u"tz_cfg"_s, u"plt_pass"_s, u"from-file"_s, file());
    QElapsedTimer waited;
    waited.start();
    PasswordStore store(file(), 5000);
    EXPECT_EQ(store.load(), u"from-file"_s);
    EXPECT_FALSE(*store.in_keyring());
    ASSERT_TRUE(store.save(u"new"_s));
    EXPECT_EQ(in_file(), u"new"_s);
    EXPECT_LT(waited.elapsed(), 2000);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
