#include "rules/compiled_hit.h"
#include "rules/hit.h"

#include "qt_printers.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

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
        // With a "*" part per position each position is bet with its own digits.
        {u"0,0,2,1,0", u"CDE", u"定位胆", u"01*2*3", false},
        {u"0,0,1,1,3", u"CDE", u"定位胆", u"01*2*3", true},
        {u"0,0,9,9,3", u"CDE", u"定位胆", u"01*2*3", true},
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

// Lines a draw wins, as the platform pays them: several on 定位胆 over several positions, 不定位
// and repeated tickets; none exactly on a miss.
TEST(WinLines, EveryWinningLineIsCounted)
{
    const struct {
        const char16_t* draw;
        const char16_t* letters;
        const char16_t* play;
        const char16_t* numbers;
        qint64 lines;
    } cases[] = {
        {u"0,7,0,5,3", u"CDE", u"不定位:一码", u"358", 2},
        {u"0,7,0,5,3", u"CDE", u"不定位:一码", u"3", 1},
        {u"0,7,0,5,3", u"CDE", u"不定位:一码", u"1246789", 0},
        {u"3,3,3,0,0", u"ABC", u"不定位:一码", u"3", 1},     // a digit drawn thrice is one line
        {u"0,7,5,1,1", u"ABC", u"不定位:二码", u"057", 3},
        {u"0,7,5,1,1", u"ABC", u"不定位:二码", u"05", 1},
        {u"0,7,5,1,1", u"ABC", u"不定位:二码", u"0589", 1},
        {u"0,7,5,1,1", u"ABC", u"不定位:二码", u"0189", 0},  // one digit of the bet drawn
        {u"0,7,5,1,1", u"ABC", u"不定位:二码", u"00", 1},    // written twice: one pair
        {u"0,1,2,3,4", u"ABCDE", u"不定位:二码", u"0123456789", 10},
        {u"1,2,7,7,7", u"CDE", u"定位胆", u"7", 3},
        {u"1,2,7,0,7", u"CDE", u"定位胆", u"07", 3},
        {u"1,2,7,0,8", u"CDE", u"定位胆", u"7", 1},
        {u"7,7,0,0,0", u"CDE", u"定位胆", u"7", 0},
        {u"1,2,3,4,5", u"ABCDE", u"定位胆", u"12345", 5},
        {u"1,2,3,4,5", u"A", u"定位胆", u"0123456789", 1},
        {u"0,0,0,2,3", u"CDE", u"定位胆", u"01*2*3", 3},     // each position its own set
        {u"0,0,0,3,2", u"CDE", u"定位胆", u"01*2*3", 1},
        {u"0,0,2,1,0", u"CDE", u"定位胆", u"01*2*3", 0},     // its digits, at other positions
        {u"0,0,5,2,9", u"CDE", u"定位胆", u"5**", 1},
        {u"1,2,3,0,0", u"ABC", u"直选单式", u"123 456 123", 2},
        {u"1,2,3,0,0", u"ABC", u"直选单式", u"123 456", 1},
        {u"1,2,3,0,0", u"ABC", u"直选单式", u"321 456", 0},
        {u"1,2,3,0,0", u"ABC", u"直选单式", u"1234", 1},     // a hit inside a longer number
        {u"1,1,2,0,0", u"ABC", u"组三单式", u"112\r\n112", 2},
        {u"1,2,3,0,0", u"ABC", u"直选复式", u"1*2*3", 1},
        {u"1,2,3,0,0", u"ABC", u"直选复式", u"0123456789", 1},
        {u"1,2,3,0,0", u"ABC", u"组六复式", u"0123", 1},
        {u"1,2,3,0,0", u"ABC", u"直选复式", u"1*2*4", 0},
        {u"1,2,3,0,0", u"ABC", u"直选复式", u"", 0},
    };
    for (const auto& c : cases) {
        const QString numbers = QString::fromUtf16(c.numbers);
        EXPECT_EQ(win_lines(QString::fromUtf16(c.draw), QString::fromUtf16(c.letters), numbers,
                            QString::fromUtf16(c.play)),
                  c.lines)
            << QString::fromUtf16(c.play).toStdString() << ' ' << numbers.toStdString() << ' '
            << QString::fromUtf16(c.draw).toStdString();
    }
    // A placed bet is counted on its numbers without surrounding blanks, as it is judged.
    EXPECT_EQ(bet_lines(u"1,2,3,0,0"_s, u"ABC"_s, u" 123 123 "_s, u"直选单式"_s), 2);
    // An odd draw still hits by the text rule, with one line.
    EXPECT_EQ(win_lines(u"1,2,3"_s, u"ABC"_s, u"123 123"_s, u"直选单式"_s), 1);
}

// The compiled hit test answers as hit_test does on every input it accepts: a property test on
// random draws, positions, plays and numbers, odd ones included.
TEST(CompiledHit, AgreesWithTheTextRule)
{
    std::mt19937 random(20151112);
    const auto pick = [&](const QString& alphabet, int longest) {
        QString s;
        const int n = int(random() % (longest + 1));
        for (int i = 0; i < n; ++i)
            s += alphabet[int(random() % alphabet.size())];
        return s;
    };
    const QString plays[] = {u"定位胆"_s, u"不定位:一码"_s, u"不定位:二码"_s, u"直选复式"_s,
                             u"组三复式"_s, u"组六复式"_s, u"组选复式"_s, u"直选单式"_s,
                             u"组三单式"_s, u" 直选复式 "_s, u""_s, u"定位"_s, u"复式"_s};
    int compiled = 0;
    for (int i = 0; i < 1000000; ++i) {
        QString draw;
        for (int k = 0; k < 5; ++k)
            draw += (k ? u","_s : QString()) + QChar(char16_t(u'0' + random() % 10));
        if (random() % 20 == 0)
            draw = pick(u"0123456789, x"_s, 11); // an odd draw: no digits are read
        const QString letters = pick(random() % 10 ? u"ABCDE"_s : u"ABCDEFa,* "_s, 6);
        const QString numbers =
            pick(random() % 3 ? u"0123456789"_s : u"0123456789* \r\n\t,😀"_s, 14);
        const QString play = plays[random() % std::size(plays)];
        const auto program = zorvik::rules::CompiledHit::compile(letters, numbers, play);
        const auto digits = zorvik::rules::read_draw(draw);
        if (!program || !digits)
            continue;
        ++compiled;
        const bool hit = program->hit(*digits);
        ASSERT_EQ(hit, hit_test(draw, letters, numbers, play).hit)
            << draw.toStdString() << " " << letters.toStdString() << " " << numbers.toStdString()
            << " " << play.toStdString();
        ASSERT_EQ(hit ? program->lines(*digits) : 0, zorvik::rules::win_lines(draw, letters, numbers, play))
            << draw.toStdString() << " " << letters.toStdString() << " " << numbers.toStdString()
            << " " << play.toStdString();
    }
    EXPECT_GT(compiled, 500000); // most inputs are compiled; the rest keep the text rule
}

// Single bets of many numbers: every count of positions, up to four digits looked up by bit,
// five in a sorted table; texts of thousands of characters with odd separators.
TEST(CompiledHit, SingleBetsOfManyNumbersAgreeWithTheTextRule)
{
    std::mt19937 random(42);
    const QString separators = u" \r\n\t,x"_s;
    for (const QString& letters : {u""_s, u"A"_s, u"CD"_s, u"ABC"_s, u"BCDE"_s, u"ABCDE"_s, u"EDCBA"_s}) {
        for (int trial = 0; trial < 40; ++trial) {
            QString numbers;
            const int count = 1 + int(random() % 600);
            for (int i = 0; i < count; ++i) {
                for (qsizetype k = 0; k < std::max<qsizetype>(1, letters.size()); ++k)
                    numbers += QChar(char16_t(u'0' + random() % 10));
                numbers += separators[int(random() % separators.size())];
            }
            for (const QString& play : {u"直选单式"_s, u"组三单式"_s}) {
                const auto program = CompiledHit::compile(letters, numbers, play);
                ASSERT_TRUE(program.has_value());
                for (int d = 0; d < 200; ++d) {
                    QString draw;
                    for (int k = 0; k < 5; ++k)
                        draw += (k ? u","_s : QString()) + QChar(char16_t(u'0' + random() % 10));
                    const bool hit = program->hit(*read_draw(draw));
                    ASSERT_EQ(hit, hit_test(draw, letters, numbers, play).hit)
                        << letters.toStdString() << ' ' << draw.toStdString();
                    ASSERT_EQ(hit ? program->lines(*read_draw(draw)) : 0, win_lines(draw, letters, numbers, play))
                        << letters.toStdString() << ' ' << draw.toStdString();
                }
            }
        }
    }
}

// Every draw, on both sides of the table's reach: three positions judged from the table, four
// and five by the rule, a position named twice.
TEST(CompiledHit, EveryDrawForThreeFourAndFivePositions)
{
    const struct {
        const char16_t* letters;
        const char16_t* numbers;
        const char16_t* play;
    } bets[] = {{u"ABC", u"0123*456*789", u"直选复式"}, {u"ABCD", u"0123*456*789*05", u"直选复式"},
                {u"ABCDE", u"0123*456*789*05*5", u"直选复式"}, {u"AAB", u"0123", u"组三复式"},
                {u"CDE", u"012345", u"组六复式"}, {u"BCD", u"12", u"不定位:二码"}};
    for (const auto& bet : bets) {
        const QString letters = QString::fromUtf16(bet.letters);
        const QString numbers = QString::fromUtf16(bet.numbers);
        const QString play = QString::fromUtf16(bet.play);
        const auto program = CompiledHit::compile(letters, numbers, play);
        ASSERT_TRUE(program.has_value());
        for (int d = 0; d < 100000; ++d) {
            QString draw;
            for (int k = 4; k >= 0; --k)
                draw += QChar(char16_t(u'0' + (d / int(std::pow(10, k))) % 10)) + (k ? u","_s : QString());
            ASSERT_EQ(program->hit(*read_draw(draw)), hit_test(draw, letters, numbers, play).hit)
                << letters.toStdString() << ' ' << draw.toStdString();
        }
    }
}

TEST(CompiledHit, ReadsOnlyDrawsOfFiveDigits)
{
    EXPECT_TRUE(zorvik::rules::read_draw(u"0,1,2,3,9"_s).has_value());
    for (const QString& odd : {u"0,1,2,3"_s, u"0,1,2,3,9,"_s, u"0,1,2,3,x"_s, u"01,2,3,4"_s,
                               u"0,1,2,3,4,5"_s, u""_s, u"0;1;2;3;4"_s})
        EXPECT_FALSE(zorvik::rules::read_draw(odd).has_value()) << odd.toStdString();
}
