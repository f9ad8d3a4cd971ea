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
    QString prize;           // money text of what one hit returns
    // The amount as a placer that charged the cost reports it (money text), the monitor's bet
    // information with it, and both numbers as the settlement reads them back.
    QString placed_amount;
    QString bet_info;        // count ":" placed amount ":" prize ":" odds
    double placed_value = 0;
    double prize_value = 0;
    QString prize_shown;     // money text of the prize value: a winning row's return
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

// The plan of a monitor as its fields are now (the engine's composition of a bet).
BetPlan make_bet_plan(const Monitor& m);

// A bet's amount or prize text read as a number ("abc" is 0).
double money_value(const QString& text);

} // namespace zorvik::monitor
