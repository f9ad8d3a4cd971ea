#include "core/data_dir.h"
#include "qt_printers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::app;

namespace {

DataDirInputs inputs(const QString& program, bool writable)
{
    DataDirInputs in;
    in.program_dir = program;
    in.user_dir = u"/home/user/.local/share/zorvik"_s;
    in.writable = [writable](const QString&) { return writable; };
    return in;
}

} // namespace

TEST(DataDir, TheGivenFolderWins)
{
    DataDirInputs in = inputs(u"/opt/zorvik"_s, true);
    in.given = u"/srv/z"_s;
    EXPECT_EQ(choose_data_dir(in), u"/srv/z"_s);
    in.given = u"relative"_s;
    EXPECT_EQ(choose_data_dir(in), QDir(u"relative"_s).absolutePath());
}

TEST(DataDir, TheProgramsFolderWhenItHasBaoOrCanBeWritten)
{
    QTemporaryDir build;
    // A build tree or a portable copy the user can write into.
    EXPECT_EQ(choose_data_dir(inputs(build.path(), true)), build.path());
    // Read-only, without a bao folder: the user's data location.
    EXPECT_EQ(choose_data_dir(inputs(build.path(), false)), u"/home/user/.local/share/zorvik"_s);
    // Read-only, but a settings folder is already there (brought over from Windows).
    ASSERT_TRUE(QDir(build.path()).mkdir(u"bao"_s));
    EXPECT_EQ(choose_data_dir(inputs(build.path(), false)), build.path());
}

TEST(DataDir, AnInstalledProgramNeverWritesBesideItself)
{
    // Even where the system folder can be written (by root), an installed program uses the
    // user's location; /usr/local is the administrator's own and counts as a copy.
    EXPECT_EQ(choose_data_dir(inputs(u"/usr/bin"_s, true)), u"/home/user/.local/share/zorvik"_s);
    EXPECT_EQ(choose_data_dir(inputs(u"/usr/lib/zorvik/"_s, true)), u"/home/user/.local/share/zorvik"_s);
    EXPECT_EQ(choose_data_dir(inputs(u"/usr/local/bin"_s, true)), u"/usr/local/bin"_s);
    EXPECT_EQ(choose_data_dir(inputs(u"/usrx/bin"_s, true)), u"/usrx/bin"_s);
}

TEST(DataDir, PreparingMakesAnOwnerOnlyFolderOrSaysItCannot)
{
    QTemporaryDir home;
    const QString dir = home.filePath(u".local/share/zorvik"_s);
    ASSERT_TRUE(prepare_data_dir(dir));
    EXPECT_TRUE(QFileInfo(dir + u"/bao"_s).isDir());
    const auto perms = QFile(dir).permissions();
    EXPECT_TRUE(perms & QFileDevice::WriteOwner);
    EXPECT_FALSE(perms & (QFileDevice::ReadGroup | QFileDevice::ReadOther));
    EXPECT_EQ(QDir(dir + u"/bao"_s).entryList(QDir::Files | QDir::Hidden), QStringList()); // no probe left
    // A file where the folder should be cannot hold settings.
    QFile blocker(home.filePath(u"blocked"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(prepare_data_dir(home.filePath(u"blocked"_s)));
    EXPECT_FALSE(prepare_data_dir(home.filePath(u"blocked/inside"_s)));
    EXPECT_TRUE(unwritable_data_text(u"/x"_s).contains(u"/x"_s));
}
