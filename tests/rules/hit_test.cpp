#include "rules/hit.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::rules;

namespace {

struct Case {
    const char16_t* draw;
    const char16_t* letters;
    const char16_t* play;
    const char16_t* numbers;
    bool hit;
};

void check(std::initializer_list<Case> cases)
{
    for (const Case& c : cases) {
        const HitResult r = hit_test(QString::fromUtf16(c.draw), QString::fromUtf16(c.letters),
                                     QString::fromUtf16(c.numbers), QString::fromUtf16(c.play));
        EXPECT_EQ(r.hit, c.hit) << QString::fromUtf16(c.draw).toStdString() << ' '
                                << QString::fromUtf16(c.letters).toStdString() << ' '
                                << QString::fromUtf16(c.play).toStdString() << " ["
                                << QString::fromUtf16(c.numbers).toStdString() << ']';
        EXPECT_EQ(r.mark, c.hit ? u"中"_s : u"挂"_s);
    }
}

} // namespace

TEST(TripleForm, CountsEqualPairs)
{
    EXPECT_EQ(triple_form(u"1"_s, u"1"_s, u"1"_s), u"bz"_s);
    EXPECT_EQ(triple_form(u"1"_s, u"2"_s, u"1"_s), u"z3"_s);
    EXPECT_EQ(triple_form(u"2"_s, u"1"_s, u"1"_s), u"z3"_s);
    EXPECT_EQ(triple_form(u"1"_s, u"2"_s, u"3"_s), u"z6"_s);
}

TEST(HitTest, StraightCompound)
{
    check({
        {u"0,0,0,0,0", u"ABC", u"直选复式", u"0123456789", true},
        {u"9,8,7,6,5", u"ABC", u"直选复式", u"0123456789", true},
        {u"1,2,3,0,0", u"ABC", u"直选复式", u"1*2*3", true},
        {u"1,2,4,0,0", u"ABC", u"直选复式", u"1*2*3", false},
        {u"3,2,1,0,0", u"ABC", u"直选复式", u"1*2*3", false}, // sets are per position
        {u"2,3,6,0,0", u"ABC", u"直选复式", u"12*34*56", true},
        {u"2,5,6,0,0", u"ABC", u"直选复式", u"12*34*56", false},
        {u"0,0,1,2,3", u"CDE", u"直选复式", u"1*2*3", true},
        {u"1,0,3,0,5", u"ACE", u"直选复式", u"1*3*5", true}, // drawn digits 135
        {u"1,2,3,4,5", u"ABCDE", u"直选复式", u"1*2*3*4*5", true},
        {u"1,2,3,4,6", u"ABCDE", u"直选复式", u"1*2*3*4*5", false},
        {u"1,2,3,4,5", u"AB", u"直选复式", u"12", true},
    });
}

TEST(HitTest, GroupCompoundNeedsTheForm)
{
    check({
        {u"1,1,2,0,0", u"ABC", u"组三复式", u"12", true},
        {u"2,1,1,0,0", u"ABC", u"组三复式", u"12", true},
        {u"1,2,1,0,0", u"ABC", u"组三复式", u"12", true},
        {u"2,2,1,0,0", u"ABC", u"组三复式", u"12", true},
        {u"1,1,1,0,0", u"ABC", u"组三复式", u"12", false},
        {u"1,2,3,0,0", u"ABC", u"组三复式", u"12", false},
        {u"0,0,1,2,3", u"CDE", u"组六复式", u"1234", true},
        {u"0,0,4,3,1", u"CDE", u"组六复式", u"1234", true},
        {u"0,0,1,1,2", u"CDE", u"组六复式", u"1234", false},
        {u"0,0,1,2,5", u"CDE", u"组六复式", u"1234", false},
        {u"1,2,3,0,0", u"ABC", u"其他复式", u"0123456789", false},
    });
}

TEST(HitTest, SinglePlaysKeepTheOrder)
{
    check({
        {u"1,1,2,0,0", u"ABC", u"组三单式", u"112", true},
        {u"1,2,1,0,0", u"ABC", u"组三单式", u"112", false},
        {u"2,1,1,0,0", u"ABC", u"组三单式", u"112", false},
        {u"1,2,0,0,0", u"AB", u"组选单式", u"12", true},
        {u"2,1,0,0,0", u"AB", u"组选单式", u"12", false},
        {u"0,0,4,5,6", u"CDE", u"直选单式", u"123 456 789", true},
        {u"0,0,4,5,7", u"CDE", u"直选单式", u"123 456 789", false},
        {u"0,0,0,5,6", u"DE", u"直选单式", u"01 56", true},
    });
}

TEST(HitTest, PositionalPlays)
{
    check({
        {u"0,5,5,5,5", u"A", u"定位胆", u"012", true},
        {u"2,5,5,5,5", u"A", u"定位胆", u"012", true},
        {u"3,0,1,2,0", u"A", u"定位胆", u"012", false},
        {u"0,0,7,0,0", u"CDE", u"定位胆", u"7", true},
        {u"0,0,0,0,7", u"CDE", u"定位胆", u"7", true},
        {u"7,7,0,0,0", u"CDE", u"定位胆", u"7", false},
        {u"1,2,3,4,9", u"ABCDE", u"不定位:一码", u"9", true},
        {u"1,2,3,4,5", u"ABCDE", u"不定位:一码", u"9", false},
        {u"0,1,2,3,0", u"BCD", u"不定位:二码", u"12", true},
        {u"0,1,5,3,0", u"BCD", u"不定位:二码", u"12", false},
        {u"0,1,5,3,0", u"BCD", u"不定位:二码", u"11", true}, // a digit written twice counts twice
        {u"1,0,0,0,2", u"BCD", u"不定位:二码", u"12", false},
    });
}

TEST(HitTest, InputsOutsideTheContractMissQuietly)
{
    check({
        {u"1,2,3,4,5", u"ABC", u"直选复式", u"", false},
        {u"1,2,3,4,5", u"ABC", u"定位胆", u"", false},
        {u"1,2,3,4,5", u"", u"直选复式", u"0123456789", false},
        {u"1,2,3,4,5", u"AB", u"直选复式", u"1*2*3", false}, // more sets than positions
        {u"1,2,3,4,5", u"ABC", u"直选复式", u"1*2", false},  // fewer sets
        {u"", u"ABC", u"直选复式", u"0123456789", false},
        {u"1,2", u"ABC", u"直选复式", u"0123456789", false},
        {u"1,2,3,4,5", u"ABC", u" 直选复式 ", u"1*2*3", true}, // the play is trimmed
    });
    // A huge bet text without "*" is not repeated once per position.
    const QString many(1 << 20, u'1');
    EXPECT_FALSE(hit_test(u"1,2,3,4,5"_s, u"ABCDE"_s, many, u"直选复式"_s).hit);
    EXPECT_TRUE(hit_test(u"1,1,1,1,1"_s, u"ABCDE"_s, many, u"直选复式"_s).hit);
}
