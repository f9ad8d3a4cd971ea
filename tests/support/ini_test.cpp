#include "support/gbk.h"
#include "support/ini.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include "qt_printers.h"

#include <gtest/gtest.h>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::support;

namespace {

class IniFile : public ::testing::Test {
protected:
    QString path(const QString& name = u"cfg.ini"_s) const { return dir_.filePath(name); }

    void write_bytes(const QByteArray& bytes) const
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QByteArray bytes() const
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
};

// A file as the Windows program leaves it: GBK, CRLF, comments and sections of its own.
const QByteArray kWindowsFile = "; Zorvik settings\r\n"
                                "[cai_cfg]\r\n"
                                "combox_select_caizhong=\xBA\xCF\xC0\xD6\xB7\xD6\xB7\xD6\xB2\xCA\r\n"
                                "plt_path=1\r\n"
                                "\r\n"
                                "[alert_cfg]\r\n"
                                "alert_type_tips=1\r\n"
                                "list=|A~B\r\n"
                                "\r\n"
                                "[other]\r\n"
                                "; keep me\r\n"
                                "x = \"quoted value\" \r\n"_ba;

} // namespace

TEST_F(IniFile, ReadsAFileWrittenByTheWindowsProgram)
{
    write_bytes(kWindowsFile);
    EXPECT_EQ(ini_read(u"cai_cfg"_s, u"combox_select_caizhong"_s, path()), u"合乐分分彩"_s);
    EXPECT_EQ(ini_read(u"cai_cfg"_s, u"plt_path"_s, path()), u"1"_s);
    EXPECT_EQ(ini_read(u"alert_cfg"_s, u"list"_s, path()), u"|A~B"_s);
    EXPECT_EQ(ini_read(u"other"_s, u"x"_s, path()), u"quoted value"_s);
}

TEST_F(IniFile, NamesMatchWithoutRegardToCase)
{
    write_bytes(kWindowsFile);
    EXPECT_EQ(ini_read(u"CAI_CFG"_s, u"Plt_Path"_s, path()), u"1"_s);
    ASSERT_EQ(ini_write(u"Alert_Cfg"_s, u"ALERT_TYPE_TIPS"_s, u"0"_s, path()), 1);
    EXPECT_EQ(ini_read(u"alert_cfg"_s, u"alert_type_tips"_s, path()), u"0"_s);
    EXPECT_EQ(bytes().count("alert_type_tips"), 1); // replaced in place, not added
}

TEST_F(IniFile, MissingThingsReadEmpty)
{
    EXPECT_EQ(ini_read(u"cai_cfg"_s, u"plt_path"_s, path()), QString()); // no file
    write_bytes(kWindowsFile);
    EXPECT_EQ(ini_read(u"cai_cfg"_s, u"nothing"_s, path()), QString());
    EXPECT_EQ(ini_read(u"nothing"_s, u"plt_path"_s, path()), QString());
    EXPECT_EQ(ini_read(u"cai_cfg"_s, QString(), path()), QString());
    EXPECT_EQ(ini_read(u"cai_cfg"_s, u"plt_path"_s, QString()), QString());
    // A key of another section is not found in this one.
    EXPECT_EQ(ini_read(u"cai_cfg"_s, u"alert_type_tips"_s, path()), QString());
    // Comments are not keys.
    EXPECT_EQ(ini_read(u"other"_s, u"; keep me"_s, path()), QString());
}

TEST_F(IniFile, ChangingOneKeyKeepsEveryOtherByte)
{
    write_bytes(kWindowsFile);
    ASSERT_EQ(ini_write(u"cai_cfg"_s, u"plt_path"_s, u"3"_s, path()), 1);
    QByteArray expected = kWindowsFile;
    expected.replace("plt_path=1", "plt_path=3");
    EXPECT_EQ(bytes(), expected);
}

TEST_F(IniFile, DeletingOneKeyKeepsEveryOtherByte)
{
    write_bytes(kWindowsFile);
    ASSERT_NE(ini_delete(u"CAI_CFG"_s, u"plt_path"_s, path()), 0);
    QByteArray expected = kWindowsFile;
    expected.replace("plt_path=1\r\n", "");
    EXPECT_EQ(bytes(), expected);
    // A key or a file that is not there is gone already.
    EXPECT_NE(ini_delete(u"cai_cfg"_s, u"plt_path"_s, path()), 0);
    EXPECT_EQ(bytes(), expected);
    EXPECT_NE(ini_delete(u"cai_cfg"_s, u"x"_s, path(u"none.ini"_s)), 0);
    EXPECT_FALSE(QFile::exists(path(u"none.ini"_s)));
}

TEST_F(IniFile, DeletingASectionTakesItsLinesUpToTheNextAndKeepsEveryOtherByte)
{
    const QByteArray file = "[a]\r\nx=1\r\n[desk_2]\r\nlottery=L\r\n; note\r\n\r\nlist=|A\r\n[b]\r\ny=2\r\n[desk_3]\r\nz=3";
    write_bytes(file);
    ASSERT_NE(ini_delete_section(u"DESK_2"_s, path()), 0);
    EXPECT_EQ(bytes(), QByteArray("[a]\r\nx=1\r\n[b]\r\ny=2\r\n[desk_3]\r\nz=3"));
    // The last section goes to the file's end; one that is not there is gone already.
    ASSERT_NE(ini_delete_section(u"desk_3"_s, path()), 0);
    EXPECT_EQ(bytes(), QByteArray("[a]\r\nx=1\r\n[b]\r\ny=2\r\n"));
    ASSERT_NE(ini_delete_section(u"desk_9"_s, path()), 0);
    EXPECT_EQ(bytes(), QByteArray("[a]\r\nx=1\r\n[b]\r\ny=2\r\n"));
    EXPECT_NE(ini_delete_section(u"a"_s, path(u"none.ini"_s)), 0);
    EXPECT_FALSE(QFile::exists(path(u"none.ini"_s)));
}

TEST_F(IniFile, NewKeysJoinTheirSectionAndNewSectionsGoAtTheEnd)
{
    write_bytes(kWindowsFile);
    ASSERT_EQ(ini_write(u"cai_cfg"_s, u"isshowawardtips"_s, u"1"_s, path()), 1);
    ASSERT_EQ(ini_write(u"tz_cfg"_s, u"plt_pass"_s, u"密码"_s, path()), 1);
    QByteArray expected = kWindowsFile;
    expected.replace("plt_path=1\r\n", "plt_path=1\r\nisshowawardtips=1\r\n");
    expected += "[tz_cfg]\r\nplt_pass=\xC3\xDC\xC2\xEB\r\n"_ba;
    EXPECT_EQ(bytes(), expected);
    EXPECT_EQ(ini_read(u"tz_cfg"_s, u"plt_pass"_s, path()), u"密码"_s);
}

TEST_F(IniFile, KeepsUnixLineEndsAndALastLineWithoutOne)
{
    write_bytes("[a]\nk=1"_ba);
    ASSERT_EQ(ini_write(u"a"_s, u"j"_s, u"2"_s, path()), 1);
    EXPECT_EQ(bytes(), "[a]\nk=1\nj=2\n"_ba);
}

TEST_F(IniFile, FirstOfTwoEqualSectionsAndKeysWins)
{
    write_bytes("[a]\r\nk=1\r\nk=2\r\n[A]\r\nk=3\r\n"_ba);
    EXPECT_EQ(ini_read(u"a"_s, u"k"_s, path()), u"1"_s);
    ASSERT_EQ(ini_write(u"a"_s, u"k"_s, u"9"_s, path()), 1);
    EXPECT_EQ(bytes(), "[a]\r\nk=9\r\nk=2\r\n[A]\r\nk=3\r\n"_ba);
}

TEST_F(IniFile, EmptySectionIsBoot)
{
    ASSERT_EQ(ini_write(QString(), u"k"_s, u"v"_s, path()), 1);
    EXPECT_EQ(bytes(), "[Boot]\r\nk=v\r\n"_ba);
    EXPECT_EQ(ini_read(QString(), u"k"_s, path()), u"v"_s);
    EXPECT_EQ(ini_read(u"boot"_s, u"k"_s, path()), u"v"_s);
}

TEST_F(IniFile, EmptyValuesAreNeverWritten)
{
    ASSERT_EQ(ini_write(u"tz_cfg"_s, u"plt_pass"_s, u"secret"_s, path()), 1);
    EXPECT_EQ(ini_write(u"tz_cfg"_s, u"plt_pass"_s, QString(), path()), 0);
    EXPECT_EQ(ini_read(u"tz_cfg"_s, u"plt_pass"_s, path()), u"secret"_s);
    EXPECT_EQ(ini_write(u"tz_cfg"_s, QString(), u"x"_s, path()), 0);
    EXPECT_EQ(ini_write(u"tz_cfg"_s, u"k"_s, u"x"_s, QString()), 0);
}

TEST_F(IniFile, LineBreaksInAValueCannotForgeKeys)
{
    ASSERT_EQ(ini_write(u"a"_s, u"k"_s, u"1\r\n[b]\r\nk=2"_s, path()), 1);
    EXPECT_EQ(ini_read(u"b"_s, u"k"_s, path()), QString());
    EXPECT_EQ(bytes().count('\n'), 2);
    // Names that would not read back are refused.
    EXPECT_EQ(ini_write(u"a]b"_s, u"k"_s, u"1"_s, path()), 0);
    EXPECT_EQ(ini_write(u"a"_s, u"k=j"_s, u"1"_s, path()), 0);
    EXPECT_EQ(ini_write(u"a"_s, u"k\nj"_s, u"1"_s, path()), 0);
}

TEST_F(IniFile, NamesGbkCannotHoldAreRefused)
{
    // Written as "?", such a name would never be found again and every write would add a
    // section.
    EXPECT_EQ(ini_write(u"cfg😀"_s, u"k"_s, u"1"_s, path()), 0);
    EXPECT_EQ(ini_write(u"cai_cfg"_s, u"键😀"_s, u"1"_s, path()), 0);
    EXPECT_EQ(ini_write(u"cai_cfg"_s, u"k\u00e9\u0301"_s, u"1"_s, path()), 0);
    EXPECT_TRUE(bytes().isEmpty());
    // Chinese names GBK holds are kept and read back, every time into the same line.
    ASSERT_EQ(ini_write(u"彩票"_s, u"键"_s, u"1"_s, path()), 1);
    ASSERT_EQ(ini_write(u"彩票"_s, u"键"_s, u"2"_s, path()), 1);
    EXPECT_EQ(ini_read(u"彩票"_s, u"键"_s, path()), u"2"_s);
    EXPECT_EQ(bytes().count('\n'), 2);
}

TEST_F(IniFile, ReadStopsAtTheBufferLimit)
{
    // The buffer holds 40980 characters with its NUL: 40979 bytes come back whole, one more
    // is cut.
    ASSERT_EQ(ini_write(u"alert_cfg"_s, u"list"_s, QString(40979, u'x'), path()), 1);
    EXPECT_EQ(ini_read(u"alert_cfg"_s, u"list"_s, path()).size(), 40979);
    ASSERT_EQ(ini_write(u"alert_cfg"_s, u"list"_s, QString(40980, u'x'), path()), 1);
    EXPECT_EQ(ini_read(u"alert_cfg"_s, u"list"_s, path()).size(), 40979);
    EXPECT_EQ(ini_read_whole(u"alert_cfg"_s, u"list"_s, path()).size(), 40980);
    const QString value = QString(50000, u'x');
    ASSERT_EQ(ini_write(u"alert_cfg"_s, u"list"_s, value, path()), 1);
    EXPECT_EQ(ini_read(u"alert_cfg"_s, u"list"_s, path()).size(), 40979);
    // A double-byte character at the cut is not split.
    const QString chinese = u"a"_s + QString(30000, u'中');
    ASSERT_EQ(ini_write(u"alert_cfg"_s, u"list"_s, chinese, path()), 1);
    const QString read = ini_read(u"alert_cfg"_s, u"list"_s, path());
    EXPECT_EQ(read.size(), 1 + (kIniReadLimit - 1) / 2);
    EXPECT_FALSE(read.contains(QChar::ReplacementCharacter));
}

TEST_F(IniFile, WriteCreatesTheFolderAndAnOwnerOnlyFile)
{
    const QString file = dir_.filePath(u"bao/cfg.ini"_s);
    ASSERT_EQ(ini_write(u"tz_cfg"_s, u"plt_pass"_s, u"pw"_s, file), 1);
    const QFileDevice::Permissions perms = QFile(file).permissions();
    EXPECT_TRUE(perms & QFileDevice::ReadOwner);
    EXPECT_FALSE(perms & (QFileDevice::ReadGroup | QFileDevice::ReadOther));
    // Nothing is left beside it.
    EXPECT_EQ(QDir(dir_.filePath(u"bao"_s)).entryList(QDir::Files), QStringList{u"cfg.ini"_s});
}

TEST_F(IniFile, AFailedWriteLeavesTheFileAsItWas)
{
    write_bytes(kWindowsFile);
    // The folder cannot take the temporary file: the write fails and nothing is lost.
    QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const int written = ini_write(u"cai_cfg"_s, u"plt_path"_s, u"5"_s, path());
    QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
    if (written != 0)
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    EXPECT_EQ(bytes(), kWindowsFile);
}

namespace {

// Holds the file-size limit of this process at `bytes` (writes past it fail with EFBIG, the way
// a full disk fails them) for the life of the object.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

private:
    rlimit old_{};
};

} // namespace

TEST_F(IniFile, AWriteThatFailsWhenFlushedLeavesTheFileAndReportsFailure)
{
    write_bytes(kWindowsFile); // well under the write buffer, so nothing fails before the flush
    {
        const FileSizeLimit limit(64);
        EXPECT_EQ(ini_write(u"alert_cfg"_s, u"list"_s, u"|A~B~C"_s, path()), 0);
    }
    EXPECT_EQ(bytes(), kWindowsFile);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{u"cfg.ini"_s});
    // A file that fits under the limit is still written.
    {
        const FileSizeLimit limit(4096);
        EXPECT_EQ(ini_write(u"cai_cfg"_s, u"plt_path"_s, u"2"_s, path()), 1);
    }
    EXPECT_EQ(ini_read(u"cai_cfg"_s, u"plt_path"_s, path()), u"2"_s);
}

TEST_F(IniFile, AFullDiskLeavesTheFileAsItWas)
{
    const QString mount_point = dir_.filePath(u"small"_s);
    ASSERT_TRUE(QDir().mkpath(mount_point));
    if (::mount("tmpfs", QFile::encodeName(mount_point).constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    struct Unmount {
        QByteArray where;
        ~Unmount() { ::umount(where.constData()); }
    } unmount{QFile::encodeName(mount_point)};

    const QString file = mount_point + u"/cfg.ini"_s;
    ASSERT_EQ(ini_write(u"cai_cfg"_s, u"plt_path"_s, u"1"_s, file), 1);
    QFile filler(mount_point + u"/filler"_s);
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    filler.close();
    EXPECT_EQ(ini_write(u"cai_cfg"_s, u"plt_path"_s, u"2"_s, file), 0);
    EXPECT_EQ(ini_read(u"cai_cfg"_s, u"plt_path"_s, file), u"1"_s);
}
