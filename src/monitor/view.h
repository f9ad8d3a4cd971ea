#pragma once
// What the monitor view shows: one row per monitor with its seven columns, which rows alert
// and are marked, and the detail panel's text.

#include "monitor/monitor.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace zorvik::monitor {

// Column headers and widths in pixels (the stored layout's twips at 15 per pixel).
struct Column {
    const char16_t* header;
    int width;
};
inline constexpr Column kMonitorColumns[] = {
    {u"玩法(带*为自动投注)", 2000 / 15}, {u"号码", 2300 / 15},     {u"监控类别", 900 / 15},
    {u"报警条件", 2200 / 15},            {u"当前值", 1000 / 15},   {u"监控状态", 1400 / 15},
    {u"统计数据（单位：次）", 4700 / 15},
};

// A row of the monitor view: which record, whether it alerts and whether it is drawn marked.
// Its cells are made by row_columns when the view shows it.
struct MonitorRow {
    quint64 uid = 0;     // the record's identity
    int position = 0;    // list position of the record
    bool alerts = false; // the condition holds
    bool marked = false; // shown red and bold: alerting or chasing with a plan step above 0
};

// The newest issue's last four characters, or the part after a "-" among them.
QString issue_tail(const QString& issue);

// True when the monitor's current value meets its condition. Inline: it runs for every monitor
// after every draw; the current value read from its text is not.
bool alert_test_slow(const Monitor& m);
inline bool condition_holds(const Condition& c, int current)
{
    return quint32(current) - quint32(c.lowest) <= quint32(c.highest) - quint32(c.lowest);
}
inline bool alert_test(const Monitor& m)
{
    const Condition& c = m.condition();
    const auto& counts = m.counts();
    if (!counts)
        return alert_test_slow(m);
    if (c.category == Condition::Pattern && counts->word_current)
        return c.pattern_is_words && counts->word_count == c.pattern.size() &&
               counts->words == c.pattern_words;
    if (c.category != Condition::Pattern && counts->numeric_current)
        return condition_holds(c, counts->current);
    return alert_test_slow(m);
}

// The seven cells; `newest_issue` fills the status column while monitoring is on.
QStringList row_columns(const Monitor& m, bool monitoring, const QString& newest_issue);

// The detail panel's text under the numbers; empty unless the monitor bets automatically.
QString detail_text(const Monitor& m);

// True when the row is drawn red and bold: it alerts, or it is chasing with its plan.
bool chasing(const Monitor& m);

// The row of the record at `position`, written field by field where it is kept (a row made
// aside and copied in is read back before its stores have landed, on every monitor and draw).
inline void fill_row(MonitorRow& row, int position, const Monitor& m)
{
    const bool alerts = !m.stuck() && alert_test(m);
    row.uid = m.uid();
    row.position = position;
    row.alerts = alerts;
    row.marked = alerts | m.chasing();
}
inline MonitorRow make_row(int position, const Monitor& m)
{
    MonitorRow row;
    fill_row(row, position, m);
    return row;
}

} // namespace zorvik::monitor
