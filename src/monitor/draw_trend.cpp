#include "monitor/draw_trend.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::monitor {

namespace {

// Counts one draw into a run: `hit` when it appeared.
void count(RunStats& s, bool hit, int& run)
{
    if (hit) {
        ++s.appearances;
        s.current_miss = 0;
        s.longest_run = std::max(s.longest_run, ++run);
    } else {
        run = 0;
        s.longest_miss = std::max(s.longest_miss, ++s.current_miss);
    }
}

} // namespace

std::optional<std::array<int, 5>> draw_digits(const QString& numbers)
{
    std::array<int, 5> digits{};
    int n = 0;
    for (const QChar c : numbers) {
        if (c == u',' || c == u' ')
            continue;
        if (!c.isDigit() || c.unicode() > u'9' || n == 5)
            return std::nullopt;
        digits[size_t(n++)] = c.unicode() - u'0';
    }
    return n == 5 ? std::optional(digits) : std::nullopt;
}

DrawTrend compute_draw_trend(const QVector<HistoryDraw>& all, int last)
{
    DrawTrend t;
    QVector<std::pair<HistoryDraw, std::array<int, 5>>> usable;
    for (const HistoryDraw& d : all)
        if (const auto digits = draw_digits(d.numbers))
            usable.append({d, *digits});
    if (last > 0 && usable.size() > last)
        usable.remove(0, usable.size() - last);
    for (PositionTrend& p : t.positions) {
        for (int d = 0; d < 10; ++d)
            p.digits[size_t(d)].name = QString::number(d);
        p.big_small[0].name = u"大"_s;
        p.big_small[1].name = u"小"_s;
        p.odd_even[0].name = u"单"_s;
        p.odd_even[1].name = u"双"_s;
    }
    // The current appearance runs, per position: ten digits, then 大 小 单 双.
    std::array<std::array<int, 14>, 5> runs{};
    for (const auto& [draw, digits] : std::as_const(usable)) {
        t.draws << draw;
        std::array<std::array<int, 10>, 5> row{};
        for (int p = 0; p < 5; ++p) {
            PositionTrend& pt = t.positions[size_t(p)];
            const int drawn = digits[size_t(p)];
            for (int d = 0; d < 10; ++d) {
                count(pt.digits[size_t(d)], d == drawn, runs[size_t(p)][size_t(d)]);
                row[size_t(p)][size_t(d)] = pt.digits[size_t(d)].current_miss;
            }
            count(pt.big_small[0], drawn >= 5, runs[size_t(p)][10]);
            count(pt.big_small[1], drawn < 5, runs[size_t(p)][11]);
            count(pt.odd_even[0], drawn % 2 == 1, runs[size_t(p)][12]);
            count(pt.odd_even[1], drawn % 2 == 0, runs[size_t(p)][13]);
        }
        t.misses << row;
    }
    return t;
}

} // namespace zorvik::monitor
