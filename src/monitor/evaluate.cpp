#include "monitor/evaluate.h"

#include "rules/hit.h"

using namespace Qt::Literals::StringLiterals;

namespace zorvik::monitor {

namespace {

constexpr int kMax = 32767;

// A 16-bit integer written in decimal (blanks around and a sign allowed).
std::optional<int> small_integer(QStringView text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < -32768 || value > kMax)
        return std::nullopt;
    return value;
}

// The statistics of a record that no draw has updated yet, read from its texts.
std::optional<Counts> read_counts(const Monitor& m, bool numeric_current)
{
    Counts c;
    c.numeric_current = numeric_current;
    const QString runs = m.field(kRuns);
    const QString totals = m.field(kTotals);
    const auto runs_parts = QStringView(runs).split(u':');
    const auto totals_parts = QStringView(totals).split(u':');
    if (runs_parts.size() < 2 || totals_parts.size() < 4)
        return std::nullopt;
    for (int i = 0; i < 2; ++i) {
        const auto v = small_integer(runs_parts[i]);
        if (!v)
            return std::nullopt;
        c.runs[i] = *v;
    }
    for (int i = 0; i < 4; ++i) {
        const auto v = small_integer(totals_parts[i]);
        if (!v)
            return std::nullopt;
        c.totals[i] = *v;
    }
    bool ok = false;
    c.draw_count = m.field(kDrawCount).trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    if (numeric_current) {
        const auto v = small_integer(m.field(kCurrent));
        if (!v)
            return std::nullopt;
        c.current = *v;
    }
    return c;
}

} // namespace

std::optional<bool> update_monitor(Monitor& m, const QString& draw)
{
    return update_monitor(m, draw, rules::read_draw(draw));
}

std::optional<bool> update_monitor(Monitor& m, const QString& draw,
                                   const std::optional<rules::DrawDigits>& digits)
{
    const Condition& condition = m.condition();
    const bool pattern = condition.category == Condition::Pattern;
    std::optional<Counts> counts = m.counts();
    if (!counts) {
        counts = read_counts(m, !pattern);
        if (!counts)
            return std::nullopt;
    }
    Counts c = *counts;
    const rules::CompiledHit* compiled = digits ? m.compiled() : nullptr;
    const bool hit = compiled ? compiled->hit(*digits)
                              : rules::hit_test(draw, m.raw(kPositions), m.raw(kNumbers), m.raw(kPlay)).hit;
    const QChar word = hit ? u'中' : u'挂';

    if (condition.category == Condition::Miss)
        c.current = hit ? 0 : c.current + 1;
    else if (condition.category == Condition::Run)
        c.current = hit ? c.current + 1 : 0;
    else if (!pattern)
        c.current = 0;
    int& run = c.runs[hit ? 0 : 1];
    int& total = c.totals[hit ? 0 : 1];
    int& longest = c.totals[hit ? 2 : 3];
    if (c.current > kMax || run >= kMax || total >= kMax)
        return std::nullopt; // would pass 32767: the monitor keeps what it has
    ++run;
    ++total;
    c.runs[hit ? 1 : 0] = 0;
    longest = std::max(longest, run);
    ++c.draw_count;

    if (pattern) {
        // The pattern of the latest n results, the typed initial pattern counting as the
        // results before the first draw.
        const qsizetype n = condition.pattern_length;
        const QString s = m.field(kCurrent) + word;
        m.set(kCurrent, s.size() < n ? s : s.right(n));
    }
    if (hit)
        c.tail |= quint64(1) << c.tail_length;
    ++c.tail_length;
    m.set_counts(c);
    return hit;
}

} // namespace zorvik::monitor
