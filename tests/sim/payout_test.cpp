// The program settles a bet as the platform pays it: for every play the platforms take, the
// lines a draw wins and what they return, counted by the rules, equal what zorvik-sim pays for
// the order the driver sends.

#include "monitor/bet_plan.h"
#include "platform/hele.h"
#include "platform/ucai.h"
#include "platform_bets.h"
#include "rules/bets.h"
#include "rules/hit.h"
#include "support/money.h"

#include <functional>
#include <gtest/gtest.h>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Bet {
    const char16_t* title;
    const char16_t* letters;
    const char16_t* play;
    const char16_t* numbers;
};

const Bet kBets[] = {
    {u"前一(定位胆)", u"A", u"定位胆", u"012"},
    {u"十位(定位胆)", u"D", u"定位胆", u"7"},
    {u"后一(定位胆)", u"E", u"定位胆", u"39"},
    {u"五星(定位胆)", u"ABCDE", u"定位胆", u"0123"},
    {u"后三(定位胆)", u"CDE", u"定位胆", u"357"},
    {u"后三(定位胆)", u"CDE", u"定位胆", u"01*2*3"},
    {u"后二(定位胆)", u"DE", u"定位胆", u"5*67"},
    {u"前三(不定位:一码)", u"ABC", u"不定位:一码", u"358"},
    {u"后三(不定位:一码)", u"CDE", u"不定位:一码", u"0123456"},
    {u"前二(不定位:一码)", u"AB", u"不定位:一码", u"12"},
    {u"后二(不定位:一码)", u"DE", u"不定位:一码", u"905"},
    {u"前三(不定位:二码)", u"ABC", u"不定位:二码", u"0579"},
    {u"后三(不定位:二码)", u"CDE", u"不定位:二码", u"123456"},
    {u"前二(直选复式)", u"AB", u"直选复式", u"1*23"},
    {u"前三(直选复式)", u"ABC", u"直选复式", u"12*3*45"},
    {u"中三(直选复式)", u"BCD", u"直选复式", u"0123456789"},
    {u"后三(直选复式)", u"CDE", u"直选复式", u"01*01*01"},
    {u"后四(直选复式)", u"BCDE", u"直选复式", u"1*2*3*4"},
    {u"五星(直选复式)", u"ABCDE", u"直选复式", u"0*1*2*3*4"},
    {u"前三(直选单式)", u"ABC", u"直选单式", u"123 123 456"},
    {u"后二(直选单式)", u"DE", u"直选单式", u"12 34 12"},
    {u"五星(直选单式)", u"ABCDE", u"直选单式", u"12345 12345"},
    {u"前三(组三复式)", u"ABC", u"组三复式", u"123"},
    {u"中三(组六复式)", u"BCD", u"组六复式", u"01234"},
    {u"后三(组三单式)", u"CDE", u"组三单式", u"112 334"},
    {u"前三(组六单式)", u"ABC", u"组六单式", u"123 456"},
    {u"前二(组选单式)", u"AB", u"组选单式", u"12 34"},
};

// Draws spread over every digit at every position.
QString draw_text(int n)
{
    QString draw;
    for (int k = 4; k >= 0; --k) {
        static const int powers[] = {1, 10, 100, 1000, 10000};
        draw += QChar(char16_t(u'0' + n / powers[k] % 10));
        if (k)
            draw += u',';
    }
    return draw;
}

// The group 单式 plays are judged in the ticket's order by the program, in any order by the
// platform: the one known difference, where the program counts nothing.
bool ordered_group_single(const QString& play)
{
    return play == u"组三单式" || play == u"组六单式" || play == u"组选单式";
}

struct Tally {
    int compared = 0;
    int several = 0; // draws that won more than one line
};

void compare(const Bet& bet, const zorvik::sim::PlacedBet& placed, double stake, const QString& unit,
             int multiplier, Tally& tally)
{
    const QString title = QString::fromUtf16(bet.title);
    const QString play = QString::fromUtf16(bet.play);
    const QString letters = QString::fromUtf16(bet.letters);
    const QString numbers = QString::fromUtf16(bet.numbers);
    const double line = zorvik::rules::win_value(title, multiplier, unit, u"1920"_s);
    for (int n = 0; n < 100000; n += 7) {
        const QString draw = draw_text(n);
        const qint64 ours = zorvik::rules::win_lines(draw, letters, numbers, play);
        const qint64 theirs = placed.wins(QString(draw).remove(u','));
        if (ours == 0 && theirs > 0 && ordered_group_single(play))
            continue;
        ASSERT_EQ(ours, theirs) << title.toStdString() << ' ' << numbers.toStdString() << ' ' << draw.toStdString();
        // What the platform credits, to the 厘.
        const double paid = double(theirs) * placed.payout(1920) * stake;
        ASSERT_EQ(zorvik::support::whole_li(zorvik::monitor::hit_return(line, ours)),
                  zorvik::support::whole_li(paid))
            << title.toStdString() << ' ' << draw.toStdString();
        ++tally.compared;
        tally.several += ours > 1;
    }
}

// What the driver sends for a bet, as the platform reads it: not offered (skipped), or the
// platform's form of the order (nothing: refused, a failure).
struct Sent {
    bool offered = false;
    std::optional<zorvik::sim::PlacedBet> placed;
    QString text;
};

// Every bet the platform offers, at `multiplier` times the unit, settled both ways on every
// seventh draw.
void check_every_play(const std::function<Sent(const QString& title, const QString& numbers)>& send,
                      const QString& unit, double unit_value, int multiplier, int least_plays)
{
    Tally tally;
    int plays = 0;
    for (const Bet& bet : kBets) {
        const QString title = QString::fromUtf16(bet.title);
        const QString numbers = QString::fromUtf16(bet.numbers);
        const Sent sent = send(title, numbers);
        if (!sent.offered)
            continue;
        ASSERT_TRUE(sent.placed.has_value()) << title.toStdString() << ' ' << sent.text.toStdString();
        ASSERT_EQ(sent.placed->count, zorvik::rules::bet_count(title, numbers)) << title.toStdString();
        ++plays;
        compare(bet, *sent.placed, unit_value * multiplier, unit, multiplier, tally);
    }
    EXPECT_GE(plays, least_plays);
    EXPECT_GT(tally.several, 1000);
}

TEST(Payout, EveryPlayAtHeleWinsTheLinesAndMoneyTheRulesCount)
{
    // 角 at multiplier 3: the platform's unit 2.
    check_every_play(
        [](const QString& title, const QString& numbers) {
            Sent sent;
            sent.offered = zorvik::platform::hele_supports(title, numbers);
            sent.text = zorvik::platform::hele_orders(title, numbers);
            bool known = false;
            if (sent.offered)
                sent.placed = zorvik::sim::hele_bet_form(sent.text, &known);
            return sent;
        },
        u"角"_s, zorvik::sim::unit_value(2), 3, 20);
}

TEST(Payout, EveryPlayAtUcaiWinsTheLinesAndMoneyTheRulesCount)
{
    // 厘 at multiplier 7: the platform's unit 4.
    check_every_play(
        [](const QString& title, const QString& numbers) {
            Sent sent;
            const auto method = zorvik::platform::ucai_method(title, u"U彩平台-欢乐分分彩"_s);
            const auto codes = zorvik::platform::ucai_codes(title, numbers);
            sent.offered = method && codes;
            if (!sent.offered)
                return sent;
            sent.text = *codes;
            const int row = zorvik::sim::ucai_row(16, method->id.toInt(), method->type);
            if (row >= 0)
                sent.placed = zorvik::sim::ucai_bet_form(row, *codes);
            return sent;
        },
        u"厘"_s, zorvik::sim::unit_value(4), 7, 18);
}

} // namespace
