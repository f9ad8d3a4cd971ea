#include "monitor/monitor.h"

using namespace Qt::Literals::StringLiterals;

namespace zorvik::monitor {

Monitor::Monitor() : fields_(kFieldCount) {}

Monitor Monitor::from_text(const QString& text)
{
    Monitor m;
    m.fields_ = text.split(u'~');
    return m;
}

QString Monitor::text() const
{
    return fields_.join(u'~');
}

QString Monitor::field(Field f) const
{
    return f < fields_.size() ? fields_[f] : QString();
}

void Monitor::set(Field f, const QString& value)
{
    while (fields_.size() <= f)
        fields_.append(QString());
    fields_[f] = value;
}

QString Monitor::part(Field f, int index) const
{
    const QStringList parts = field(f).split(u':');
    return index < parts.size() ? parts[index] : QString();
}

QVector<int> MonitorList::positions() const
{
    QVector<int> out;
    const QStringList elements = text_.split(u'|');
    for (int i = 1; i < elements.size(); ++i) {
        if (!elements[i].isEmpty())
            out.append(i);
    }
    return out;
}

std::optional<Monitor> MonitorList::at(int position) const
{
    const QStringList elements = text_.split(u'|');
    if (position < 1 || position >= elements.size() || elements[position].isEmpty())
        return std::nullopt;
    return Monitor::from_text(elements[position]);
}

QVector<std::pair<int, Monitor>> MonitorList::records() const
{
    QVector<std::pair<int, Monitor>> out;
    const QStringList elements = text_.split(u'|');
    for (int i = 1; i < elements.size(); ++i) {
        if (!elements[i].isEmpty())
            out.append({i, Monitor::from_text(elements[i])});
    }
    return out;
}

bool same_settings(const Monitor& a, const Monitor& b)
{
    for (Field f : {kPositions, kPlay, kTitle, kNumbers, kCategory, kCondition, kConditionText,
                    kInitial, kAutoBet, kBetPlan, kMoneyUnit}) {
        if (a.field(f) != b.field(f))
            return false;
    }
    return a.part(kBetInfo, 3) == b.part(kBetInfo, 3);
}

int MonitorList::find_same(const Monitor& record) const
{
    for (const auto& [position, m] : records()) {
        if (same_settings(m, record))
            return position;
    }
    return 0;
}

bool MonitorList::contains_text(const QString& record) const
{
    return text_.contains(record);
}

void MonitorList::append(const Monitor& record)
{
    if (empty())
        text_.clear();
    text_ += u'|' + record.text();
}

bool MonitorList::replace(int position, const Monitor& record)
{
    QStringList elements = text_.split(u'|');
    if (position < 1 || position >= elements.size())
        return false;
    elements[position] = record.text();
    text_ = elements.join(u'|');
    return true;
}

void MonitorList::remove(int position)
{
    QStringList elements = text_.split(u'|');
    if (position >= 1 && position < elements.size())
        elements[position].clear();
    QString rebuilt;
    for (int i = 1; i < elements.size(); ++i) {
        if (!elements[i].isEmpty())
            rebuilt += u'|' + elements[i];
    }
    text_ = rebuilt;
}

QString MonitorList::stored_form() const
{
    QStringList elements = text_.split(u'|');
    for (QString& element : elements) {
        if (element.isEmpty())
            continue;
        Monitor m = Monitor::from_text(element);
        m.set(kRuns, u"0:0"_s);
        m.set(kTotals, u"0:0:0:0"_s);
        m.set(kBetPending, u"false"_s);
        m.set(kPlanStep, u"0"_s);
        element = m.text();
    }
    QString stored = elements.join(u'|').replace(u"||"_s, u"|"_s);
    return stored.isEmpty() ? u"|"_s : stored;
}

MonitorList MonitorList::from_stored(const QString& stored)
{
    return MonitorList(QString(stored).replace(u"||"_s, u"|"_s));
}

} // namespace zorvik::monitor
