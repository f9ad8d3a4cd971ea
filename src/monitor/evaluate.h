#pragma once
// Judging one monitor against a new draw: its current value, history, draw count, runs and
// totals; and the alert test on the result.

#include "monitor/monitor.h"

#include <QString>
#include <algorithm>
#include <optional>

namespace zorvik::monitor {

// Updates the monitor with the draw's digits and returns whether it hit; nothing, and the
// monitor unchanged, when it cannot be updated (a 遗漏 or 连中 value, a run or a total that is
// not a number, or a current value or run that would pass 32767; the hit and miss totals stop
// at 32767 instead).
std::optional<bool> update_monitor(Monitor& m, const QString& draw);
namespace detail {
// The statistics read from the texts and taken by the monitor, or nullptr.
Counts* first_counts(Monitor& m);
bool text_hit(const Monitor& m, const QString& draw);
void advance_pattern_text(Monitor& m, Counts& c, bool hit, qsizetype n);
} // namespace detail

// The same with the draw's digits read once for a whole pass (nothing for an odd draw). Inline:
// it runs for every monitor after every draw; what only the first update or an odd record needs
// is not.
Q_ALWAYS_INLINE std::optional<bool> update_monitor(Monitor& m, const QString& draw,
                                          const std::optional<rules::DrawDigits>& digits)
{
    constexpr int kMax = 32767;
    const Condition& condition = m.condition();
    // The statistics are changed in place once a draw has made them numbers; the first update
    // reads them from the texts and keeps them only when it succeeds.
    Counts* c = m.counts_for_update();
    const bool first = !c;
    if (first && !(c = detail::first_counts(m)))
        return std::nullopt;
    const rules::CompiledHit* compiled = digits ? m.compiled() : nullptr;
    const bool hit = compiled ? compiled->hit(*digits) : detail::text_hit(m, draw);

    // 遗漏 grows on a miss and 连中 on a hit, back to 0 otherwise; any other category stays 0
    // (a 形态 keeps its pattern apart).
    const int current = (c->current + 1) * (hit ? condition.on_hit : condition.on_miss);
    // Read into locals, then written: no store is read back.
    const int side = hit ? 0 : 1;
    const int run = c->runs[side] + 1;
    // The hit and miss totals count over all time and stop at 32767; the rest keeps the rule.
    const int total = std::min(c->totals[side] + 1, kMax);
    const int longest = c->totals[side + 2];
    if ((current > kMax) | (run > kMax)) { // one branch, seldom taken
        if (first)
            m.drop_counts(); // would pass 32767: the monitor keeps what it has
        return std::nullopt;
    }
    c->current = qint16(current);
    c->runs[side] = qint16(run);
    c->runs[1 - side] = 0;
    c->totals[side] = qint16(total);
    c->totals[side + 2] = qint16(std::max(longest, run));
    ++c->draw_count;
    c->all_hits += hit;

    if (condition.category == Condition::Pattern) {
        // The pattern of the latest n results, the typed initial pattern counting as the
        // results before the first draw.
        const qsizetype n = condition.pattern_length;
        if (c->word_current) {
            c->words = ((c->words << 1) | (hit ? 1 : 0)) &
                       (n >= 64 ? ~quint64(0) : (quint64(1) << n) - 1);
            c->word_count = quint16(std::min<qsizetype>(c->word_count + 1, n));
        } else {
            detail::advance_pattern_text(m, *c, hit, n);
        }
    }
    c->tail |= quint64(hit) << c->tail_length;
    ++c->tail_length;
    if (c->tail_length == 64)
        m.counts_changed();
    return hit;
}

} // namespace zorvik::monitor
