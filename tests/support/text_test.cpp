#include "support/clock.h"
#include "support/text.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::support;

namespace {

class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime at) : at_(std::move(at)) {}
    QDateTime local_now() const override { return at_; }
    qint64 msecs() const override { return 0; }

private:
    QDateTime at_;
};

} // namespace

TEST(RegularExpressions, ReplaceIsGlobalAndIgnoresCase)
{
    EXPECT_EQ(regex_replace(u"aXbxc"_s, u"x"_s, u"-"_s), u"a-b-c"_s);
    EXPECT_EQ(regex_replace(u"1  2\r\n3"_s, u"\\s{2,}"_s, u" "_s), u"1 2 3"_s);
    EXPECT_EQ(regex_replace(u"abc"_s, u"z"_s, u"-"_s), u"abc"_s);
}

TEST(RegularExpressions, KeepConcatenatesEveryMatch)
{
    EXPECT_EQ(regex_keep(u"示例：01 2*3"_s, u"[\\d\\s\\*]*"_s), u"01 2*3"_s);
    EXPECT_EQ(regex_keep(u"a1b2c3"_s, u"\\d"_s), u"123"_s);
    EXPECT_EQ(regex_keep(u"abc"_s, u"\\d+"_s), QString());
    EXPECT_EQ(regex_keep(u"AbC"_s, u"[a-c]"_s), u"AbC"_s);
}

TEST(ToInt, ReadsTheDigitsOfAnyText)
{
    EXPECT_EQ(to_int(u"10"_s), 10);
    EXPECT_EQ(to_int(u"a1b2"_s), 12);
    EXPECT_EQ(to_int(u"-5"_s), 5); // the sign is not a digit
    EXPECT_EQ(to_int(u"abc"_s), 0);
    EXPECT_EQ(to_int(QString()), 0);
    EXPECT_EQ(to_int(u"007"_s), 7);
}

TEST(ToInt, CapsAtTheSixteenBitLimit)
{
    EXPECT_EQ(to_int(u"32767"_s), 32767);
    EXPECT_EQ(to_int(u"32768"_s), 32767);
    EXPECT_EQ(to_int(u"99999999999999999999999"_s), 32767);
    EXPECT_EQ(to_int(u"000000000000000000000032"_s), 32);
}

TEST(Blanks, TrimAndStripTags)
{
    EXPECT_EQ(trim_blanks(u"  a b  "_s), u"a b"_s);
    EXPECT_EQ(trim_blanks(u"\ta\t"_s), u"\ta\t"_s); // only the space character is a blank
    EXPECT_EQ(strip_tags(u" <b>1</b> 2 "_s, false), u"1 2"_s);
    EXPECT_EQ(strip_tags(u"<p>a b\r\nc</p>"_s, true), u"abc"_s);
    EXPECT_EQ(strip_tags(u"<a href=\"x\">link</a>"_s, false), u"link"_s);
}

TEST(DigitTexts, SpreadAndJoin)
{
    EXPECT_EQ(spread_chars(u"123"_s), u"1,2,3"_s);
    EXPECT_EQ(spread_chars(u"1 2 3"_s), u"1,2,3"_s);
    EXPECT_EQ(spread_chars(u"1 1"_s), u"1,1"_s);
    EXPECT_EQ(spread_chars(u"7"_s), u"7"_s);
    EXPECT_EQ(spread_chars(u" "_s), u" "_s); // shorter than two: unchanged
    EXPECT_EQ(spread_chars(u"   "_s), QString());
    EXPECT_EQ(spread_chars(QString()), QString());
    EXPECT_EQ(join_chars(u"123"_s, u"-"_s), u"1-2-3"_s);
    EXPECT_EQ(join_chars(u"中挂"_s, u"|"_s), u"中|挂"_s);
}

TEST(DigitTexts, SplitBetItems)
{
    EXPECT_EQ(split_bet_items(u"1,,2"_s), (QStringList{u"1"_s, QString(), u"2"_s}));
    EXPECT_EQ(split_bet_items(u"0123456789"_s).size(), 10);
    EXPECT_EQ(split_bet_items(u"0123456789"_s).at(9), u"9"_s);
    EXPECT_EQ(split_bet_items(u"5"_s), QStringList{u"5"_s});
    EXPECT_TRUE(split_bet_items(QString()).isEmpty());
    EXPECT_EQ(split_bet_items(u"1 2"_s), (QStringList{u"1"_s, u"2"_s}));
    EXPECT_EQ(split_bet_items(u" 1,2 "_s), (QStringList{u" 1"_s, u"2 "_s})); // parts unchanged
}

TEST(DigitTexts, HasRepeatsComparesEveryPair)
{
    EXPECT_FALSE(has_repeats({}));
    EXPECT_FALSE(has_repeats({u"1"_s, u"2"_s, u"3"_s}));
    EXPECT_TRUE(has_repeats({u"1"_s, u"2"_s, u"1"_s}));
    EXPECT_TRUE(has_repeats({QString(), QString()}));
}

TEST(Padding, PadText)
{
    EXPECT_EQ(pad_text(u"7"_s, u"0"_s, 3, u"left"_s), u"007"_s);
    EXPECT_EQ(pad_text(u"7"_s, u"0"_s, 3, u"right"_s), u"700"_s);
    EXPECT_EQ(pad_text(u"1234"_s, u"0"_s, 3, u"left"_s), u"1234"_s);
    EXPECT_EQ(pad_text(u"7"_s, u"0"_s, 3, u"middle"_s), QString());
    EXPECT_EQ(pad_text(u"7"_s, u"ab"_s, 3, u"left"_s), u"abab7"_s);
}

TEST(Padding, WrapPadSubtractsTheMaximumOnce)
{
    int number = 1441;
    EXPECT_EQ(wrap_pad(number, 1440), u"0001"_s);
    EXPECT_EQ(number, 1);
    number = 12;
    EXPECT_EQ(wrap_pad(number, 120), u"012"_s);
    EXPECT_EQ(number, 12);
    number = 120;
    EXPECT_EQ(wrap_pad(number, 120), u"120"_s);
    number = 5;
    EXPECT_EQ(wrap_pad(number, 0), u"5"_s); // no maximum: no wrap, width of "0"
}

TEST(IssueNumbers, DateDigits)
{
    EXPECT_EQ(date_digits(u"2015-11-12 10:30:00"_s, 1), u"20151112103000"_s);
    EXPECT_EQ(date_digits(u"2015-11-12 10:30:00"_s, 2), u"151112"_s);
    EXPECT_EQ(date_digits(u"2015-11-12"_s, 2), u"151112"_s);
}

TEST(IssueNumbers, NextWithinTheDayAndRollover)
{
    QString date = u"2015-11-12"_s;
    IssueParts parts = issue_next(7, date, 120);
    EXPECT_EQ(parts.sequence, u"007"_s);
    EXPECT_EQ(parts.date, u"151112"_s);
    EXPECT_EQ(date, u"2015-11-12"_s);

    parts = issue_next(121, date, 120);
    EXPECT_EQ(parts.sequence, u"001"_s);
    EXPECT_EQ(parts.date, u"151113"_s);
    EXPECT_EQ(date, u"2015-11-13"_s);

    date = u"2015-12-31"_s;
    parts = issue_next(1441, date, 1440);
    EXPECT_EQ(parts.sequence, u"0001"_s);
    EXPECT_EQ(parts.date, u"160101"_s);
    EXPECT_EQ(date, u"2016-01-01"_s);
}

TEST(IssueNumbers, NowDigitsUsesTheClock)
{
    const FixedClock clock(QDateTime(QDate(2015, 11, 12), QTime(9, 5, 7)));
    EXPECT_EQ(now_digits(clock, 1), u"20151112090507"_s);
    EXPECT_EQ(now_digits(clock, 3), u"090507"_s);
    EXPECT_EQ(epoch_seconds(clock),
              QDateTime(QDate(2015, 11, 12), QTime(9, 5, 7), Qt::UTC).toSecsSinceEpoch());
}

TEST(UrlEncode, EscapesEveryByteButDigitsAndLetters)
{
    EXPECT_EQ(url_encode(u"a b-1"_s), u"a+b%2D1"_s);
    EXPECT_EQ(url_encode(u"\n"_s), u"%0A"_s);
    EXPECT_EQ(url_encode(u"中"_s), u"%D6%D0"_s); // GBK bytes, not UTF-8
    EXPECT_EQ(url_encode(u"Az09"_s), u"Az09"_s);
    EXPECT_EQ(url_encode(u"_.~"_s), u"%5F%2E%7E"_s);
    EXPECT_EQ(url_encode(u"é"_s), u"%A8%A6"_s);
}
