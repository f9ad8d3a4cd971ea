#pragma once
// A monitor's bets worked out once: for every entry of its multiplier plan the amount, the prize
// per hit and every text a bet writes (the bet-log row's cost and note, the monitor's bet
// information), and the hit test its bets are settled with. Composing, writing back and settling
// a bet then formats and parses nothing.

#include "rules/compiled_hit.h"

#include <QString>
#include <optional>
#include <vector>

namespace zorvik::monitor {

class Monitor;

struct StakeEntry {
    int multiplier = 0;      // 0: the entry is not a positive whole number
    QString multiplier_text;
    QString cost;            // money text of multiplier × count × price, the order's amount
    QString prize;           // amount text of what one winning line returns
    // The amount as a placer that charged the cost reports it (money text), the monitor's bet
    // information with it, and both numbers as the settlement reads them back.
    QString placed_amount;
    QString bet_info;        // count ":" placed amount ":" prize ":" odds
    double placed_value = 0;
    double prize_value = 0;  // one winning line's return, to the 厘
    double line_prize = 0;   // one winning line's return as the platform computes it
    QString prize_shown;     // amount text of the prize value: the return of a one-line hit
    QString note;            // the row's note: positions "|" play "|" prize
};

struct BetPlan {
    qint64 count = 0;        // bet lines (the stored count, or worked out from the numbers)
    QString count_text;
    QString odds;
    QString positions;
    QString play;            // without surrounding blanks
    // The hit test of a bet: the positions, the numbers and the play without surrounding blanks;
    // nothing when only the text rule can judge them.
    std::optional<rules::CompiledHit> rule;
    std::vector<StakeEntry> entries;
};

// What a hit of `lines` winning lines returns, to the 厘: the line's prize times the lines, as
// the platform pays it.
double hit_return(double line_prize, qint64 lines);

// One entry of a plan at a positive multiplier, in `unit` ("元", "角", …), for the play `title`.
StakeEntry stake_entry(const BetPlan& plan, const QString& title, int multiplier, const QString& unit);

// The plan of a monitor as its fields are now (the engine's composition of a bet).
BetPlan make_bet_plan(const Monitor& m);

// A bet's amount or prize text read as a number ("abc" is 0).
double money_value(const QString& text);

} // namespace zorvik::monitor
