#include "rules/bets.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::rules;

namespace {

qint64 count(const char16_t* name, const char16_t* numbers)
{
    return bet_count(QString::fromUtf16(name), QString::fromUtf16(numbers));
}

QString win(const char16_t* name, double multiplier, const char16_t* unit, const char16_t* odds)
{
    return win_amount(QString::fromUtf16(name), multiplier, QString::fromUtf16(unit),
                      QString::fromUtf16(odds));
}

} // namespace

TEST(BetCount, CompoundPlays)
{
    EXPECT_EQ(count(u"前三(直选复式)", u"0123456789"), 1000);
    EXPECT_EQ(count(u"前三(直选复式)", u"1*23*456"), 6);
    EXPECT_EQ(count(u"前三(直选复式)", u"12*34"), 0);
    EXPECT_EQ(count(u"前二(直选复式)", u"12"), 4);
    EXPECT_EQ(count(u"前二(直选复式)", u"12*345"), 6);
    EXPECT_EQ(count(u"后二(直选复式)", u"1"), 1);
    EXPECT_EQ(count(u"后三(组三复式)", u"12"), 2);
    EXPECT_EQ(count(u"中三(组六复式)", u"1234"), 4);
    EXPECT_EQ(count(u"中三(组六复式)", u"0123456789"), 120);
    EXPECT_EQ(count(u"中三(组六复式)", u"12"), 0);
    EXPECT_EQ(count(u"中三(组六复式)", u"01234567890"), 0); // beyond the table
    EXPECT_EQ(count(u"前四(直选复式)", u"12"), 16);
    EXPECT_EQ(count(u"五星(直选复式)", u"12"), 32);
    EXPECT_EQ(count(u"五星(直选复式)", u"1*23*456*7*89"), 12);
    EXPECT_EQ(count(u"后二(组选复式)", u"123"), 6);
    EXPECT_EQ(count(u"前三(直选复式)", u" 1 2 "), 8); // blanks do not count
}

TEST(BetCount, SinglePlaysCountTheNumbers)
{
    EXPECT_EQ(count(u"前三(直选单式)", u"123 456 789"), 3);
    EXPECT_EQ(count(u"前三(直选单式)", u"123  456"), 2);
    EXPECT_EQ(count(u"前三(直选单式)", u"123,456,,789"), 3);
    EXPECT_EQ(count(u"前三(直选单式)", u"123;456"), 2);
    EXPECT_EQ(count(u"前三(直选单式)", u"123\r\n456\r\n789"), 1); // no separator found
    EXPECT_EQ(count(u"前三(直选单式)", u"123 456\r\n789"), 3);
    EXPECT_EQ(count(u"前三(直选单式)", u"123"), 1);
    EXPECT_EQ(count(u"五星(直选单式)", u"12345"), 1);
    EXPECT_EQ(count(u"后三(组六单式)", u"123 456"), 2);
    EXPECT_EQ(count(u"前二(组选单式)", u"01 12 23"), 3);
}

TEST(BetCount, PositionalPlays)
{
    EXPECT_EQ(count(u"前一(定位胆)", u"012"), 3);
    EXPECT_EQ(count(u"个位(定位胆)", u"0 1 2"), 3);
    EXPECT_EQ(count(u"五星(定位胆)", u"012"), 15);
    EXPECT_EQ(count(u"后三(定位胆)", u"01*2*3"), 4);
    EXPECT_EQ(count(u"后三(定位胆)", u"012"), 9);
    EXPECT_EQ(count(u"后二(定位胆)", u"012"), 6);
    EXPECT_EQ(count(u"后二(定位胆)", u"01*2"), 3);
    EXPECT_EQ(count(u"前三(不定位:二码)", u"1234"), 6);
    EXPECT_EQ(count(u"不定位-五星三码", u"12345"), 10);
    EXPECT_EQ(count(u"前三(不定位:一码)", u"12"), 2);
}

TEST(BetCount, NamesInNoListCountNothing)
{
    EXPECT_EQ(count(u"前三(定位胆)", u"012"), 0);
    EXPECT_EQ(count(u"五星(不定位:一码)", u"0"), 0);
    EXPECT_EQ(count(u"万位,百位(直选复式)", u"12"), 0);
    EXPECT_EQ(count(u"", u"12"), 0);
    EXPECT_EQ(count(u"三(直选复式)", u"12"), 0); // substring of a listed name is not enough
}

TEST(BetCount, AbsurdInputsSaturate)
{
    const QString digits(200000, u'1');
    EXPECT_GT(bet_count(u"五星(直选复式)"_s, digits), 0);
    EXPECT_EQ(bet_count(u"五星(直选复式)"_s, digits), std::numeric_limits<qint64>::max());
}

TEST(BetCost, PriceAndDivisorOfTheUnit)
{
    EXPECT_EQ(bet_cost(10, 2, u"元"_s), u"40"_s);
    EXPECT_EQ(bet_cost(10, 2, u"角"_s), u"4"_s);
    EXPECT_EQ(bet_cost(10, 1, u"分"_s), u"0.2"_s);
    EXPECT_EQ(bet_cost(10, 1, u"厘"_s), u"0.02"_s);
    EXPECT_EQ(bet_cost(10, 1, u"1元"_s), u"10"_s);
    EXPECT_EQ(bet_cost(10, 1, u"1分"_s), u"0.1"_s);
    EXPECT_EQ(bet_cost(10, 1, u"2角"_s), u"2"_s);
    EXPECT_EQ(bet_cost(10, 1, u"2厘"_s), u"0.02"_s);
    EXPECT_EQ(bet_cost(10, 1, u"美元"_s), u"20"_s);
    // What the platform debits, to the 厘: three 厘 lines cost 0.006, not 0.01.
    EXPECT_EQ(bet_cost(3, 1, u"厘"_s), u"0.006"_s);
    EXPECT_EQ(bet_cost(1, 1, u"厘"_s), u"0.002"_s);
    EXPECT_EQ(bet_cost(5, 1, u"厘"_s), u"0.01"_s); // no third decimal: the text it always had
    EXPECT_EQ(bet_cost(3, 7, u"厘"_s), u"0.042"_s);
}

TEST(WinAmount, StraightPlaysAndUnits)
{
    EXPECT_EQ(win(u"前三(直选复式)", 1, u"元", u"1920"), u"1920"_s);
    EXPECT_EQ(win(u"前三(直选复式)", 1, u"角", u"1920"), u"192"_s);
    EXPECT_EQ(win(u"前三(直选复式)", 1, u"1元", u"1920"), u"960"_s);
    EXPECT_EQ(win(u"前三(直选复式)", 1, u"1分", u"1920"), u"9.6"_s);
    EXPECT_EQ(win(u"后二(直选单式)", 3, u"元", u"1920"), u"576"_s);
    EXPECT_EQ(win(u"前四(直选复式)", 1, u"元", u"1920"), u"19200"_s);
    EXPECT_EQ(win(u"五星(直选单式)", 1, u"分", u"1920"), u"1920"_s);
    EXPECT_EQ(win(u"前一(定位胆)", 2, u"元", u"1920"), u"38.4"_s);
    EXPECT_EQ(win(u"五星(定位胆)", 1, u"元", u"1950"), u"19.5"_s);
}

TEST(WinAmount, RoundedPlaysRoundTheDecimalFormHalfUp)
{
    // 1956 / 6 = 326, minus 0.05: 325.95 reads as a half and becomes 326.
    EXPECT_EQ(win(u"前三(组六复式)", 1, u"元", u"1956"), u"326"_s);
    EXPECT_EQ(win(u"中三(组三单式)", 1, u"元", u"1920"), u"640"_s);   // 640 - 0.05 → 640.0
    EXPECT_EQ(win(u"后三(组三复式)", 1, u"元", u"1900"), u"633"_s);   // 633 - 0.05 → 633.0
    EXPECT_EQ(win(u"前二(组选单式)", 1, u"元", u"1950"), u"97.5"_s);  // 97.45 → 97.5
    EXPECT_EQ(win(u"不定位-四星一码", 1, u"元", u"1920"), u"5.54"_s);
    EXPECT_EQ(win(u"不定位-四星二码", 1, u"元", u"1920"), u"19.64"_s);
    EXPECT_EQ(win(u"不定位-五星二码", 1, u"元", u"1920"), u"12.8"_s);
    EXPECT_EQ(win(u"不定位-五星三码", 1, u"元", u"1920"), u"43.74"_s);
    EXPECT_EQ(win(u"五星组选60", 1, u"元", u"1920"), u"3200"_s);
}

// The 不定位 lines pay the odds' own share, as the platform pays them (1920 / 270 = 7.1111 a
// 三星一码 line), shown to the 厘; a line that needs no third decimal reads as it always has.
TEST(WinAmount, UnplacedLinesAndSmallUnitsAsThePlatformPays)
{
    EXPECT_EQ(win(u"前三(不定位:一码)", 1, u"元", u"1920"), u"7.111"_s);
    EXPECT_EQ(win(u"后三(不定位:一码)", 1, u"角", u"1920"), u"0.711"_s);
    EXPECT_EQ(win(u"后三(不定位:二码)", 1, u"元", u"1920"), u"35.556"_s);
    EXPECT_EQ(win(u"前二(不定位:一码)", 1, u"元", u"1920"), u"10.111"_s);
    EXPECT_EQ(win(u"前三(不定位:一码)", 27, u"元", u"1920"), u"192"_s);
    EXPECT_DOUBLE_EQ(win_value(u"前三(不定位:一码)"_s, 1, u"元"_s, u"1920"_s), 1920.0 / 270);
    EXPECT_DOUBLE_EQ(win_value(u"中三(不定位:二码)"_s, 2, u"角"_s, u"1920"_s), 2 * 1920.0 / 54 / 10);
    // 十位(定位胆) at 分 pays 0.192, not 0.19; at 厘 0.0192 shows its 厘.
    EXPECT_EQ(win(u"十位(定位胆)", 1, u"分", u"1920"), u"0.192"_s);
    EXPECT_EQ(win(u"十位(定位胆)", 1, u"厘", u"1920"), u"0.019"_s);
    EXPECT_EQ(win(u"十位(定位胆)", 1, u"角", u"1920"), u"1.92"_s);
}

TEST(WinAmount, OddsAndNames)
{
    EXPECT_EQ(win(u"前三(直选复式)", 1, u"元", u"1920.9"), u"1920"_s); // integer part
    EXPECT_EQ(win(u"前三(直选复式)", 1, u"元", u"abc"), u"0"_s);
    EXPECT_EQ(win(u"前三(直选复式)", 1, u"元", u""), u"0"_s);
    EXPECT_EQ(win(u"前三(定位胆)", 1, u"元", u"1920"), u"0"_s);
    EXPECT_EQ(win(u"前三(直选复式)", 0, u"元", u"1920"), u"0"_s);
}

TEST(UnitName, Codes)
{
    EXPECT_EQ(unit_name(0), u"元"_s);
    EXPECT_EQ(unit_name(1), u"元"_s);
    EXPECT_EQ(unit_name(2), u"角"_s);
    EXPECT_EQ(unit_name(3), u"分"_s);
    EXPECT_EQ(unit_name(4), u"厘"_s);
    EXPECT_EQ(unit_name(5), u"元"_s);
    EXPECT_EQ(unit_name(-1), u"元"_s);
}
