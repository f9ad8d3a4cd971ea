#include "core/options.h"
#include "support/ini.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::app;
using zorvik::support::ini_read;
using zorvik::support::ini_write;

namespace {

class OptionsFile : public ::testing::Test {
protected:
    QString file() const { return settings_path(dir_.path()); }
    QTemporaryDir dir_;
};

} // namespace

TEST_F(OptionsFile, PathIsTheBaoFolder)
{
    EXPECT_EQ(settings_path(u"/x/y"_s), u"/x/y/bao/cfg.ini"_s);
}

TEST_F(OptionsFile, NoFileKeepsEveryInitialContent)
{
    const Options o = settings_load(file());
    EXPECT_EQ(o, Options());
    EXPECT_EQ(o.plt_tz_zs, u"-1000"_s);
    EXPECT_EQ(o.plt_tz_zy, u"1000"_s);
    EXPECT_TRUE(o.alert_type_tips);
    EXPECT_TRUE(o.alert_type_sound);
    EXPECT_TRUE(o.caizhong.isEmpty());
}

TEST_F(OptionsFile, SaveThenLoadRoundTrips)
{
    Options o;
    o.caizhong = u"合乐分分彩"_s;
    o.alert_type_tips = false;
    o.alert_type_sound = true;
    o.alert_sound_file = u"/home/u/声音.wav"_s;
    o.plt_pass = u"p@ss 1"_s;
    o.plt_tz_zs = u"-500"_s;
    o.plt_tz_zy = u"800"_s;
    settings_save(file(), o);
    EXPECT_EQ(settings_load(file()), o);
    EXPECT_EQ(ini_read(u"alert_cfg"_s, u"alert_type_tips"_s, file()), u"0"_s);
    EXPECT_EQ(ini_read(u"alert_cfg"_s, u"alert_type_sound"_s, file()), u"1"_s);
    EXPECT_EQ(ini_read(u"tz_cfg"_s, u"plt_tz_zs"_s, file()), u"-500"_s);
}

TEST_F(OptionsFile, EmptyBoxesDoNotEraseStoredValues)
{
    Options o;
    o.plt_pass = u"secret"_s;
    settings_save(file(), o);
    o.plt_pass.clear();
    settings_save(file(), o);
    EXPECT_EQ(settings_load(file()).plt_pass, u"secret"_s);
}

TEST_F(OptionsFile, EmptyOrInvalidStoredValuesKeepTheInitialContent)
{
    ASSERT_TRUE(QDir().mkpath(dir_.filePath(u"bao"_s)));
    QFile f(file());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[alert_cfg]\r\nalert_type_tips=2\r\nalert_type_sound=\r\n"
            "[tz_cfg]\r\nplt_pass=x\r\nplt_tz_zy=\r\n"_ba);
    f.close();
    const Options o = settings_load(file());
    EXPECT_TRUE(o.alert_type_tips);
    EXPECT_TRUE(o.alert_type_sound);
    EXPECT_EQ(o.plt_tz_zy, u"1000"_s);
    EXPECT_EQ(o.plt_pass, u"x"_s);
}

TEST_F(OptionsFile, SavingKeepsTheMonitorListAndOtherKeys)
{
    ASSERT_TRUE(ini_write(u"alert_cfg"_s, u"list"_s, u"|A~B~C"_s, file()));
    ASSERT_TRUE(ini_write(u"cai_cfg"_s, u"plt_path"_s, u"2"_s, file()));
    settings_save(file(), Options());
    EXPECT_EQ(ini_read(u"alert_cfg"_s, u"list"_s, file()), u"|A~B~C"_s);
    EXPECT_EQ(ini_read(u"cai_cfg"_s, u"plt_path"_s, file()), u"2"_s);
}

TEST_F(OptionsFile, FurtherDesksAreTheSectionsWithALotteryUpToTheEighthAndARemovedOneLeavesNothing)
{
    EXPECT_TRUE(load_desks(file()).isEmpty());
    ASSERT_TRUE(save_desk(file(), {2, u"合乐平台-HI彩分分彩"_s, u"500"_s, u"-200"_s}));
    // desk_3 has no lottery: it is no desk, and desk_4 beyond the gap still is.
    ASSERT_TRUE(ini_write(u"desk_3"_s, u"stop_profit"_s, u"1"_s, file()));
    ASSERT_TRUE(save_desk(file(), {4, u"U彩平台-欢乐五分彩"_s, u"1"_s, u"-1"_s}));
    const QVector<DeskSettings> desks = load_desks(file());
    ASSERT_EQ(desks.size(), 2);
    EXPECT_EQ(desks[0], (DeskSettings{2, u"合乐平台-HI彩分分彩"_s, u"500"_s, u"-200"_s}));
    EXPECT_EQ(desks[1], (DeskSettings{4, u"U彩平台-欢乐五分彩"_s, u"1"_s, u"-1"_s}));
    // A desk without stop amounts has the window's initial ones.
    ASSERT_TRUE(ini_write(u"desk_3"_s, u"lottery"_s, u"U彩平台-欢乐分分彩"_s, file()));
    ASSERT_TRUE(zorvik::support::ini_delete(u"desk_3"_s, u"stop_profit"_s, file()));
    const QVector<DeskSettings> three = load_desks(file());
    ASSERT_EQ(three.size(), 3);
    EXPECT_EQ(three[1], (DeskSettings{3, u"U彩平台-欢乐分分彩"_s, u"1000"_s, u"-1000"_s}));
    EXPECT_EQ(three[2].number, 4);
    // The eighth is the last read.
    ASSERT_TRUE(save_desk(file(), {8, u"U彩平台-三分彩"_s, u"1"_s, u"-1"_s}));
    ASSERT_TRUE(save_desk(file(), {9, u"经纬-重庆时时彩"_s, u"1"_s, u"-1"_s}));
    const QVector<DeskSettings> more = load_desks(file());
    ASSERT_EQ(more.size(), 4);
    EXPECT_EQ(more.back().number, 8);
    // Removing a desk takes its whole section away, the others untouched.
    ASSERT_TRUE(ini_write(u"desk_3"_s, u"list"_s, u"|A~B"_s, file()));
    ASSERT_TRUE(remove_desk(file(), 3));
    QFile f(file());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_FALSE(text.contains("desk_3"));
    EXPECT_FALSE(text.contains("|A~B"));
    EXPECT_TRUE(text.contains("[desk_2]"));
    EXPECT_TRUE(text.contains("[desk_4]"));
    EXPECT_EQ(load_desks(file()).size(), 3);
    EXPECT_EQ(save_desk_stops(file(), 4, u"7"_s, u"-7"_s), true);
    EXPECT_EQ(load_desk_stops(file(), 4), (std::pair<QString, QString>(u"7"_s, u"-7"_s)));
}

TEST_F(OptionsFile, TotalStopsAreKeysOfTheirOwnAndAFileWithOneLotteryGetsNoDeskSection)
{
    Options o;
    o.caizhong = u"U彩平台-欢乐分分彩"_s;
    ASSERT_TRUE(settings_save(file(), o));
    EXPECT_EQ(load_total_stops(file()), (std::pair<QString, QString>()));
    QFile f(file());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_FALSE(f.readAll().contains("desk_"));
    f.close();
    ASSERT_TRUE(ini_write(u"tz_cfg"_s, u"total_zy"_s, u"300"_s, file()));
    ASSERT_TRUE(ini_write(u"tz_cfg"_s, u"total_zs"_s, u"-200"_s, file()));
    EXPECT_EQ(load_total_stops(file()), (std::pair<QString, QString>(u"300"_s, u"-200"_s)));
}

TEST_F(OptionsFile, EachDeskKeepsItsOwnDrawLine)
{
    ASSERT_TRUE(save_desk_line(file(), 1, 2));
    ASSERT_TRUE(save_desk_line(file(), 3, 1));
    EXPECT_EQ(plt_path_load(file()), 2); // the first desk's is the usual key
    EXPECT_EQ(load_desk_line(file(), 1), 2);
    EXPECT_EQ(load_desk_line(file(), 3), 1);
    EXPECT_EQ(ini_read(u"desk_3"_s, u"line"_s, file()), u"1"_s);
    EXPECT_EQ(load_desk_line(file(), 2), 0); // none kept
}
