#include "monitor/evaluate.h"

#include "rules/hit.h"

#include <algorithm>

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
        c.runs[i] = qint16(*v);
    }
    for (int i = 0; i < 4; ++i) {
        const auto v = small_integer(totals_parts[i]);
        if (!v)
            return std::nullopt;
        c.totals[i] = qint16(*v);
    }
    bool ok = false;
    c.draw_count = m.field(kDrawCount).trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    if (numeric_current) {
        const auto v = small_integer(m.field(kCurrent));
        if (!v)
            return std::nullopt;
        c.current = qint16(*v);
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
    // The statistics are changed in place once a draw has made them numbers; the first update
    // reads them from the texts and keeps them only when it succeeds.
    Counts fresh;
    Counts* c = m.counts_for_update();
    if (!c) {
        const std::optional<Counts> read = read_counts(m, !pattern);
        if (!read)
            return std::nullopt;
        fresh = *read;
        c = &fresh;
    }
    const rules::CompiledHit* compiled = digits ? m.compiled() : nullptr;
    const bool hit = compiled ? compiled->hit(*digits)
                              : rules::hit_test(draw, m.raw(kPositions), m.raw(kNumbers), m.raw(kPlay)).hit;

    int current = c->current;
    if (condition.category == Condition::Miss)
        current = hit ? 0 : current + 1;
    else if (condition.category == Condition::Run)
        current = hit ? current + 1 : 0;
    else if (!pattern)
        current = 0;
    qint16& run = c->runs[hit ? 0 : 1];
    qint16& total = c->totals[hit ? 0 : 1];
    qint16& longest = c->totals[hit ? 2 : 3];
    if (current > kMax || run >= kMax || total >= kMax)
        return std::nullopt; // would pass 32767: the monitor keeps what it has
    c->current = qint16(current);
    ++run;
    ++total;
    c->runs[hit ? 1 : 0] = 0;
    longest = std::max(longest, run);
    ++c->draw_count;

    if (pattern) {
        // The pattern of the latest n results, the typed initial pattern counting as the
        // results before the first draw.
        const qsizetype n = condition.pattern_length;
        if (c->word_current) {
            c->words = ((c->words << 1) | (hit ? 1 : 0)) & (n >= 64 ? ~quint64(0) : (quint64(1) << n) - 1);
            c->word_count = quint8(std::min<qsizetype>(c->word_count + 1, n));
        } else {
            const QString s = m.field(kCurrent) + (hit ? u'中' : u'挂');
            const QString kept = s.size() < n ? s : s.right(n);
            m.set(kCurrent, kept);
            // Once the initial pattern's other characters have been pushed out, the current
            // value is results only and is kept as bits from then on.
            if (n <= 64 && std::all_of(kept.cbegin(), kept.cend(),
                                       [](QChar ch) { return ch == u'中' || ch == u'挂'; })) {
                c->word_current = true;
                c->word_count = quint8(kept.size());
                c->words = 0;
                for (QChar ch : kept)
                    c->words = (c->words << 1) | (ch == u'中' ? 1 : 0);
            }
        }
    }
    if (hit)
        c->tail |= quint64(1) << c->tail_length;
    ++c->tail_length;
    if (c == &fresh)
        m.set_counts(fresh);
    else
        m.counts_changed();
    return hit;
}

} // namespace zorvik::monitor
