#include "support/money.h"

#include <cmath>
#include "qt_printers.h"

#include <gtest/gtest.h>
#include <limits>

using namespace Qt::Literals::StringLiterals;
using zorvik::support::money_text;
using zorvik::support::round_as_read;

TEST(MoneyText, PlainDecimalsWithoutTrailingZeros)
{
    EXPECT_EQ(money_text(0.456), u"0.46"_s);
    EXPECT_EQ(money_text(-0.2), u"-0.2"_s);
    EXPECT_EQ(money_text(1920), u"1920"_s);
    EXPECT_EQ(money_text(12.5), u"12.5"_s);
    EXPECT_EQ(money_text(40.0), u"40"_s);
    EXPECT_EQ(money_text(-3), u"-3"_s);
    EXPECT_EQ(money_text(0), u"0"_s);
    EXPECT_EQ(money_text(-0.001), u"0"_s); // rounds to zero: no "-0"
    EXPECT_EQ(money_text(0.004), u"0"_s);
    EXPECT_EQ(money_text(1e6), u"1000000"_s); // never an exponent
}

TEST(MoneyText, ExactHalvesOfTheSinglePrecisionValueGoToEven)
{
    EXPECT_EQ(money_text(0.125), u"0.12"_s);
    EXPECT_EQ(money_text(0.375), u"0.38"_s);
    EXPECT_EQ(money_text(-0.125), u"-0.12"_s);
    EXPECT_EQ(money_text(2.5), u"2.5"_s);
}

TEST(MoneyText, SevenSignificantDigits)
{
    EXPECT_EQ(money_text(123456.78), u"123456.8"_s);
    EXPECT_EQ(money_text(12345678), u"12345680"_s);
    EXPECT_EQ(money_text(1234.5678), u"1234.57"_s);
}

TEST(MoneyText, ValuesBeyondSinglePrecisionDoNotBreakIt)
{
    EXPECT_EQ(money_text(std::numeric_limits<double>::quiet_NaN()), u"0"_s);
    const QString huge = money_text(1e300);
    EXPECT_FALSE(huge.contains(u'e'));
    EXPECT_FALSE(huge.contains(u"inf"_s));
    EXPECT_EQ(huge, money_text(std::numeric_limits<double>::infinity()));
    EXPECT_TRUE(money_text(-1e300).startsWith(u'-'));
}

TEST(RoundAsRead, HalvesOfTheDecimalFormRoundAwayFromZero)
{
    // 325.95 is stored just below the half; a person reading it rounds up.
    EXPECT_DOUBLE_EQ(round_as_read(325.95, 1), 326.0);
    EXPECT_DOUBLE_EQ(round_as_read(1.005, 2), 1.01);
    EXPECT_DOUBLE_EQ(round_as_read(-2.5, 0), -3.0);
    EXPECT_DOUBLE_EQ(round_as_read(2.45, 1), 2.5);
    EXPECT_DOUBLE_EQ(round_as_read(2.44, 1), 2.4);
    EXPECT_DOUBLE_EQ(round_as_read(10.0 / 3.0, 2), 3.33);
}

// Amounts as the platforms count them: to the 厘, and money_text's text where no third decimal
// is needed.
TEST(AmountText, ToTheLiAndTheMoneyTextOtherwise)
{
    using zorvik::support::amount_text;
    using zorvik::support::whole_li;
    EXPECT_EQ(amount_text(0.006), u"0.006"_s);
    EXPECT_EQ(amount_text(-0.006), u"-0.006"_s);
    EXPECT_EQ(amount_text(0.192), u"0.192"_s);
    EXPECT_EQ(amount_text(7.1111), u"7.111"_s);
    EXPECT_EQ(amount_text(1.4222), u"1.422"_s);
    EXPECT_EQ(amount_text(0.0005), u"0.001"_s);  // a half of the decimal form goes up
    EXPECT_EQ(amount_text(0.00049), u"0"_s);
    EXPECT_EQ(amount_text(2.01), u"2.01"_s);
    EXPECT_EQ(amount_text(0.4), u"0.4"_s);
    EXPECT_EQ(amount_text(12.5), u"12.5"_s);
    EXPECT_EQ(amount_text(0), u"0"_s);
    EXPECT_EQ(amount_text(1920), u"1920"_s);
    EXPECT_EQ(amount_text(0.1995), u"0.2"_s);
    EXPECT_EQ(amount_text(1234.5678), u"1234.568"_s);
    // 2.01 is held as 2.00999…: it is 2010 厘, not 2009.
    EXPECT_EQ(whole_li(2.01), 2010);
    EXPECT_EQ(whole_li(-2.01), -2010);
    EXPECT_EQ(whole_li(0.0015), 2);
    EXPECT_EQ(whole_li(0.0014999), 1);
    EXPECT_EQ(whole_li(std::nan("")), 0);
}
