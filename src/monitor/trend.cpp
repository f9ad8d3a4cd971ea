#include "monitor/trend.h"

#include "monitor/evaluate.h"
#include "monitor/view.h"

#include <QMap>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::monitor {

Trend compute_trend(const Monitor& monitor, const QVector<HistoryDraw>& draws)
{
    Trend t;
    Monitor m = monitor;
    // As monitoring starts: from the initial value, with no history.
    m.set(kCurrent, m.field(kInitial));
    m.set(kHistory, QString());
    m.set(kDrawCount, u"0"_s);
    const Condition& condition = m.condition();
    t.pattern = condition.category == Condition::Pattern;
    if (condition.category == Condition::Miss || condition.category == Condition::Run)
        t.threshold = condition.threshold;
    for (const HistoryDraw& d : draws) {
        const std::optional<bool> hit = update_monitor(m, d.numbers);
        if (!hit)
            break; // the monitor cannot be judged further (a value past 32767)
        t.issues << d.issue;
        t.hits << *hit;
        if (!t.pattern)
            t.values << m.current_number().value_or(0);
        t.alerts << alert_test(m);
    }
    return t;
}

QVector<HistoryDraw> merge_histories(const QStringList& texts)
{
    QMap<QString, HistoryDraw> by_issue;
    for (const QString& text : texts) {
        for (const QString& entry : text.split(u'|', Qt::SkipEmptyParts)) {
            const qsizetype colon = entry.indexOf(u':');
            if (colon <= 0)
                continue;
            const QString issue = entry.left(colon).trimmed();
            QString key = QString(issue).remove(u'-');
            if (key.isEmpty() || !std::all_of(key.cbegin(), key.cend(), [](QChar c) { return c.isDigit(); }))
                continue;
            key = key.rightJustified(24, u'0'); // numeric order, whatever the lengths
            if (!by_issue.contains(key))
                by_issue.insert(key, {issue, entry.mid(colon + 1).trimmed()});
        }
    }
    return by_issue.values().toVector();
}

} // namespace zorvik::monitor
