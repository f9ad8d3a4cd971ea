#pragma once
// The hit test: would a monitor's bet numbers have won on a draw, for every play.

#include <QString>

namespace zorvik::rules {

struct HitResult {
    bool hit = false;
    QString mark; // "中" on a hit, "挂" on a miss
};

// "z6" (all differ), "z3" (exactly two equal) or "bz" (all equal, 豹子).
QString triple_form(const QString& a, const QString& b, const QString& c);

// `draw` is five digits joined by commas, A first; `letters` the monitor's positions ("ABC");
// `numbers` the stored bet text; `play` the bare play name.
HitResult hit_test(QStringView draw, QStringView letters, QStringView numbers, QStringView play);
// A placed bet's result: the hit test on its numbers without surrounding blanks.
HitResult bet_hit(const QString& draw, const QString& letters, const QString& numbers, const QString& play);

} // namespace zorvik::rules
