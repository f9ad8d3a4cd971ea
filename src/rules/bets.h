#pragma once
// Bet count, cost and winnings of a bet line, looked up by the play's display name.

#include <QString>

namespace zorvik::rules {

// Number of single bet lines; 0 for a display name in no list. Saturates instead of
// overflowing on absurd inputs.
qint64 bet_count(const QString& display_name, const QString& numbers);
// Amount text (to the 厘) of multiplier × (count × price / divisor) for a unit text ("元", "角",
// "1元", ...): what the platform debits.
QString bet_cost(double count, double multiplier, const QString& unit);
// What one winning line returns at the platform odds (an integer text such as "1920"; text that
// is not a number counts 0), as the platform pays it: the 不定位 lines at the odds' own share
// (1920 pays 7.1111 a 三星一码 line), not rounded.
double win_value(const QString& display_name, double multiplier, const QString& unit,
                 const QString& odds);
// win_value as an amount text, to the 厘.
QString win_amount(const QString& display_name, double multiplier, const QString& unit,
                   const QString& odds);
// "角" for 2, "分" for 3, "厘" for 4, "元" for every other code.
QString unit_name(int code);

} // namespace zorvik::rules
