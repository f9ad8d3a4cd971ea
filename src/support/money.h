#pragma once
// Money and decimal rounding: the two-decimal money text shown and stored everywhere, and the
// "0.0"/"0.00" number patterns used by the prize rules.

#include <QString>

namespace zorvik::support {

// Single precision rounded to 2 decimals (exact halves to even), at most seven significant
// digits, no trailing zeros, a leading "0" before a fraction.
QString money_text(double value);

// An amount as the platforms count it, to the 厘: money_text's text when the third decimal is
// 0 (so amounts of whole 分 read as they always have), else three decimals ("0.006", "0.192").
QString amount_text(double value);
// `value` rounded to the 厘 (an exact half of the decimal form away from zero), in whole 厘.
qint64 whole_li(double value);

// `value` formatted with `decimals` places the way a person reads its decimal form (an exact
// half away from zero: 325.95 gives 326.0), then read back as a number.
double round_as_read(double value, int decimals);

} // namespace zorvik::support
