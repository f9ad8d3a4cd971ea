#pragma once
// How the simulated platforms read an order's numbers: a Hele orders text or a UCai method and
// code text becomes one bet form, checked as a platform checks it, with its count of lines and
// the lines a draw makes win.

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace zorvik::sim {

struct PlacedBet {
    enum Kind { Position, Direct, Any, Group };
    Kind kind = Position;
    int first = 0;          // first draw position the play covers
    int size = 5;           // positions covered
    int pick = 1;           // Any: digits that must appear together; Group: 2, 3 (组三) or 6
    QVector<QVector<QString>> tickets; // Position: one ticket of five slots; Direct: slots per ticket
    QStringList group_tickets;         // Group 单式
    QString digits;                    // Any, Group 复式
    qint64 count = 0;                  // lines bet

    // Winning lines for the draw's five digits.
    qint64 wins(const QString& draw) const;
    // What one winning line pays for 1 元 at multiplier 1, at the platform's prize level
    // (1920 pays 1920 for a three-digit direct line, a hundredth of it for one digit).
    double payout(double prize = 1920) const;
};

// A Hele orders text ("CS1_2_3."), or nothing when it is not well formed for its play code.
// `known_code` tells a code the platform does not have from malformed numbers.
std::optional<PlacedBet> hele_bet_form(const QString& orders, bool* known_code);
// The UCai method (its row in the platform's table, 0 to 25) and code text, or nothing.
std::optional<PlacedBet> ucai_bet_form(int row, const QString& codes);
// The row of a UCai method id of that type for the lottery id (1, 16 or 15); -1 when unknown.
int ucai_row(int lottery_id, int method_id, const QString& type);
// The unit index's value: 1 元, 2 角, 3 分, 4 厘; 0 for anything else.
double unit_value(int unit_index);

} // namespace zorvik::sim
