// Where the platform password is kept: in a real keyring (a gnome-keyring-daemon of the test's
// own, in a private session bus) or, with none answering, in the settings file. The same tests
// run both ways; ZORVIK_KEYRING=1 says a keyring is there.

#include "app/password_store.h"
#include "support/ini.h"

#include <QCoreApplication>
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
