#include "commands.h"

#include <QTemporaryDir>
#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::cli;

namespace {

QString out(std::initializer_list<QString> args)
{
    const CommandResult r = run_command(QStringList(args));
    EXPECT_EQ(r.code, 0) << r.error.toStdString();
    return r.out;
}

int refused(std::initializer_list<QString> args)
{
    const CommandResult r = run_command(QStringList(args));
    EXPECT_TRUE(r.out.isEmpty());
    if (r.code == 2) {
        EXPECT_FALSE(r.error.isEmpty());
    }
    return r.code;
}

} // namespace

TEST(CliCommands, RulesCommands)
{
    EXPECT_EQ(out({u"hit"_s, u"1,2,3,4,5"_s, u"ABC"_s, u"直选复式"_s, u"1*2*3"_s}), u"中"_s);
    EXPECT_EQ(out({u"hit"_s, u"1,2,3,4,5"_s, u"ABC"_s, u"直选复式"_s, u"3*2*1"_s}), u"挂"_s);
    EXPECT_EQ(out({u"lines"_s, u"0,7,0,5,3"_s, u"CDE"_s, u"不定位:一码"_s, u"358"_s}), u"2"_s);
    EXPECT_EQ(out({u"lines"_s, u"0,7,0,5,3"_s, u"CDE"_s, u"不定位:一码"_s, u"1"_s}), u"0"_s);
    EXPECT_EQ(out({u"count"_s, u"前三(直选复式)"_s, u"0123456789"_s}), u"1000"_s);
    EXPECT_EQ(out({u"cost"_s, u"10"_s, u"1"_s, u"分"_s}), u"0.2"_s);
    EXPECT_EQ(out({u"win"_s, u"前三(组六复式)"_s, u"1"_s, u"元"_s, u"1956"_s}), u"326"_s);
    EXPECT_EQ(out({u"group"_s, u"AC"_s}), u"万位,百位"_s);
    EXPECT_EQ(out({u"plays"_s, u"1"_s}), u"定位胆"_s);
    EXPECT_EQ(out({u"plays"_s, u"9"_s}), u"直选复式|定位胆|不定位:一码|不定位:二码"_s);
}

TEST(CliCommands, SupportCommands)
{
    EXPECT_EQ(out({u"money"_s, u"0.125"_s}), u"0.12"_s);
    EXPECT_EQ(out({u"money"_s, u" -0.2 "_s}), u"-0.2"_s);
    EXPECT_EQ(out({u"md5"_s, u"中文"_s}), u"BCCE109775E8E1972E9F5FCDA3E12895"_s);
    EXPECT_EQ(out({u"urlencode"_s, u"a b-1"_s}), u"a+b%2D1"_s);
    EXPECT_EQ(out({u"date"_s, u"2015-11-12 10:30:00"_s, u"4"_s}), u"2015年11月12日"_s);
    EXPECT_EQ(out({u"date"_s, u"x"_s, u"1"_s}), QString());
}

TEST(CliCommands, ValidateWritesNumbersTabAndEscapedMessage)
{
    EXPECT_EQ(out({u"validate"_s, u"3"_s, u"直选复式"_s, u"0123456789"_s}), u"0123456789\t"_s);
    EXPECT_EQ(out({u"validate"_s, u"3"_s, u"直选单式"_s, u"123  45"_s}),
              u"123 45\t号码格式有误，发现有号码不是3星, 如下：\\r\\n45 "_s);
    // A tab kept inside the numbers is escaped: only one real tab remains.
    const QString tabbed = out({u"validate"_s, u"3"_s, u"直选单式"_s, u"123\t456"_s});
    EXPECT_EQ(tabbed.count(u'\t'), 1);
    EXPECT_TRUE(tabbed.startsWith(u"123\\t456\t"_s));
}

TEST(CliCommands, EscapesEveryControlCharacterOfAResult)
{
    EXPECT_EQ(escape_field(u"a\\b\tc\rd\ne"_s), u"a\\\\b\\tc\\rd\\ne"_s);
    // Mode 0 gives the value back as typed, line end included.
    EXPECT_EQ(out({u"date"_s, u"10:30\n"_s, u"0"_s}), u"10:30\\n"_s);
    EXPECT_EQ(out({u"group"_s, u"A\\\n"_s}), u"万位,\\\\"_s); // the last character is dropped
}

TEST(CliCommands, UsageErrors)
{
    EXPECT_EQ(refused({}), 2);
    EXPECT_EQ(refused({u"nothing"_s}), 2);
    EXPECT_EQ(refused({u"count"_s, u"x"_s}), 2);
    EXPECT_EQ(refused({u"count"_s, u"x"_s, u"y"_s, u"z"_s}), 2);
    EXPECT_EQ(refused({u"cost"_s, u"ten"_s, u"1"_s, u"元"_s}), 2);
    EXPECT_EQ(refused({u"cost"_s, u"10"_s, u""_s, u"元"_s}), 2);
    EXPECT_EQ(refused({u"validate"_s, u"3.5"_s, u"直选复式"_s, u"1"_s}), 2);
    EXPECT_EQ(refused({u"date"_s, u"2015-01-01"_s, u"one"_s}), 2);
    EXPECT_EQ(refused({u"HIT"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s}), 2);
    EXPECT_TRUE(run_command({u"count"_s}).error.contains(u"count TITLE NUMBERS"_s));
}

TEST(CliCommands, IniSetAndGet)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"bao/cfg.ini"_s);
    EXPECT_EQ(run_command({u"ini-set"_s, file, u"tz_cfg"_s, u"plt_pass"_s, u"密码"_s}).code, 0);
    EXPECT_EQ(out({u"ini-get"_s, file, u"TZ_CFG"_s, u"plt_pass"_s}), u"密码"_s);
    EXPECT_EQ(refused({u"ini-set"_s, file, u"tz_cfg"_s, u"plt_pass"_s, u""_s}), 1);
    EXPECT_EQ(out({u"ini-get"_s, file, u"tz_cfg"_s, u"absent"_s}), QString());
}
