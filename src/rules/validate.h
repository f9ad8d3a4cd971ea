#pragma once
// Normalises typed bet numbers and checks them against the rules of the play's family.

#include <QString>

namespace zorvik::rules {

// Normalises `numbers` in place (digits, white space and "*" kept, white-space runs as one
// blank, blanks trimmed) and returns the error message for a position count and bare play
// name, empty when the numbers are valid.
QString validate_numbers(QString& numbers, int n, const QString& play);

} // namespace zorvik::rules
