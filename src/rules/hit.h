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
// How many lines of the bet a draw wins, as the platform pays them: 0 exactly when hit_test says
// 挂, else at least 1. 定位胆 wins a line per position hit (each position its own "*" set, if
// the numbers have them), 不定位:一码 a line per bet digit drawn, 不定位:二码 a line per pair of
// them, a 单式 play a line per ticket equal to the drawn number, a 复式 play one line.
qint64 win_lines(QStringView draw, QStringView letters, QStringView numbers, QStringView play);
// A placed bet's lines: win_lines on its numbers without surrounding blanks.
qint64 bet_lines(const QString& draw, const QString& letters, const QString& numbers, const QString& play);
// A placed bet's result: the hit test on its numbers without surrounding blanks.
HitResult bet_hit(const QString& draw, const QString& letters, const QString& numbers, const QString& play);

} // namespace zorvik::rules
