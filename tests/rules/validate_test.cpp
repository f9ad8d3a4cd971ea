#include "rules/validate.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using zorvik::rules::validate_numbers;

namespace {

const QString kEmpty = u"请输入要监控的号码！"_s;
const QString kPositionalBlank = u"号码格式有误，请输入不重复的数字，且不要用空格分开！"_s;
const QString kTwoDigits = u"号码格式有误，请至少输入两个不重复数字！"_s;
const QString kOneBlank = u"号码格式有误，请输入数字，且不要用空格分开！"_s;
const QString kRepeat = u"号码格式有误，不能有重复数字！"_s;
const QString kSetRepeat = u"号码格式有误，用*分隔的每一组数字中不能有重复！"_s;

QString listed(const QString& reason, const QString& offending)
{
    return u"号码格式有误，发现有号码不是"_s + reason + u", 如下：\r\n"_s + offending;
}

struct Case {
    int n;
    const char16_t* play;
    const char16_t* numbers;
    QString message;
    const char16_t* normalised = nullptr; // when it differs from the input
};

void check(const Case& c)
{
    QString numbers = QString::fromUtf16(c.numbers);
    const QString message = validate_numbers(numbers, c.n, QString::fromUtf16(c.play));
    EXPECT_EQ(message, c.message) << c.n << ' ' << QString::fromUtf16(c.play).toStdString()
                                  << " [" << QString::fromUtf16(c.numbers).toStdString() << ']';
    if (c.normalised) {
        EXPECT_EQ(numbers, QString::fromUtf16(c.normalised));
    }
}

} // namespace

TEST(ValidateNumbers, NormalisesBeforeChecking)
{
    check({3, u"直选复式", u"abc", kEmpty, u""});
    check({3, u"直选单式", u"123  45", listed(u"3星"_s, u"45 "_s), u"123 45"});
    check({3, u"直选单式", u"123\r\n456\r\n789", QString(), u"123 456 789"});
    check({3, u"直选单式", u" 1a2b3 ", QString(), u"123"});
    // A single tab is not a run of white space: it stays and spoils the number's length.
    check({3, u"直选单式", u"123\t456", listed(u"3星"_s, u"123\t456 "_s), u"123\t456"});
}

TEST(ValidateNumbers, PositionalPlaysForAnyCount)
{
    check({3, u"定位胆", u"0 1", kPositionalBlank});
    check({3, u"定位胆", u"112", QString()});
    check({1, u"定位胆", u"0123", QString()});
    check({3, u"不定位:二码", u"5", kTwoDigits});
    check({3, u"不定位:二码", u"11", QString()});
    check({5, u"不定位:一码", u"9 9", kPositionalBlank});
    check({0, u"不定位:二码", u"1", kTwoDigits});
}

TEST(ValidateNumbers, OnePosition)
{
    check({1, u"直选复式", u"0 1", kOneBlank});
    check({1, u"直选复式", u"0121", kRepeat});
    check({1, u"直选复式", u"012", QString()});
}

TEST(ValidateNumbers, CompoundPlays)
{
    const QString sets3 = u"3星直选复式, 该玩法只允许输入3组*号分隔的号码"_s;
    check({3, u"直选复式", u"01234*56789", listed(sets3, u"01234*56789"_s)});
    check({3, u"直选复式", u"012*345*677", kSetRepeat});
    check({3, u"直选复式", u"012*345*678", QString()});
    check({3, u"直选复式", u"0123456789", QString()});
    check({3, u"直选复式", u"01 23", listed(u"3星直选复式, 不允许包含空格"_s, u"01 23"_s)});
    check({3, u"组六复式", u"1231", kRepeat});
    check({2, u"直选复式", u"1*2*3",
           listed(u"2星直选复式, 该玩法只允许输入2组*号分隔的号码"_s, u"1*2*3"_s)});
    check({3, u"直选复式", u"**", QString()}); // three empty sets
}

TEST(ValidateNumbers, SinglePlays)
{
    check({3, u"组三单式", u"112 123", listed(u"组三单式"_s, u"123 "_s)});
    check({3, u"组六单式", u"123 112", listed(u"组六单式"_s, u"112 "_s)});
    check({3, u"组三单式", u"111", listed(u"组三单式"_s, u"111 "_s)});
    check({2, u"组选单式", u"01 12 23", QString()});
    check({2, u"组选单式", u"21", listed(u"2星组选单式"_s, u"21 "_s)});
    check({2, u"组选单式", u"11", listed(u"2星组选单式"_s, u"11 "_s)});
    check({2, u"直选单式", u"21 11", QString()});
    // A number failing two checks is listed twice; the reason is the last one set.
    check({2, u"组选单式", u"321", listed(u"2星组选单式"_s, u"321 321 "_s)});
    check({3, u"直选单式", u"12", listed(u"3星"_s, u"12 "_s)});
    check({3, u"组六单式", u"12", listed(u"组六单式"_s, u"12 12 "_s)}); // short and of form 组三
    check({3, u"组六单式", u"1122", listed(u"组六单式"_s, u"1122 1122 "_s)});
    // "*" at either end has no digit value: reported with the length reason.
    check({2, u"组选单式", u"*1", listed(u"2星"_s, u"*1 "_s)});
    check({2, u"组选单式", u"1*", listed(u"2星"_s, u"1* "_s)});
}

TEST(ValidateNumbers, NoPositionTestsOnlyEmptiness)
{
    check({0, u"直选复式", u"1 1 1", QString()});
    check({0, u"直选单式", u"   ", kEmpty});
}
