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

namespace detail {

Counts* first_counts(Monitor& m)
{
    const std::optional<Counts> read = read_counts(m, m.condition().category != Condition::Pattern);
    if (!read)
        return nullptr;
    m.set_counts(*read);
    return m.counts_for_update();
}

bool text_hit(const Monitor& m, const QString& draw)
{
    return rules::hit_test(draw, m.raw(kPositions), m.raw(kNumbers), m.raw(kPlay)).hit;
}

void advance_pattern_text(Monitor& m, Counts& c, bool hit, qsizetype n)
{
    const QString s = m.field(kCurrent) + (hit ? u'中' : u'挂');
    const QString kept = s.size() < n ? s : s.right(n);
    m.set(kCurrent, kept);
    // Once the initial pattern's other characters have been pushed out, the current value is
    // results only and is kept as bits from then on.
    if (n > 64 || !std::all_of(kept.cbegin(), kept.cend(),
                               [](QChar ch) { return ch == u'中' || ch == u'挂'; }))
        return;
    c.word_current = true;
    c.word_count = quint16(kept.size());
    c.words = 0;
    for (QChar ch : kept)
        c.words = (c.words << 1) | (ch == u'中' ? 1 : 0);
}

} // namespace detail

} // namespace zorvik::monitor
