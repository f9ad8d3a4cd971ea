#include "support/date.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::support {

namespace {

QString two(int v) { return QString::number(v).rightJustified(2, u'0'); }
QString four(int v) { return QString::number(v).rightJustified(4, u'0'); }

} // namespace

std::optional<QDateTime> parse_date(const QString& value)
{
    static const QRegularExpression form(
        u"^\\s*(?:(\\d{4})\\s*(?:([-/])\\s*(\\d{1,2})\\s*\\2\\s*(\\d{1,2})|年\\s*(\\d{1,2})\\s*月\\s*"
        u"(\\d{1,2})\\s*日))?\\s*(?:(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?)?\\s*$"_s);
    const auto m = form.match(value);
    if (!m.hasMatch())
        return std::nullopt;
    const bool has_date = m.capturedLength(1) > 0;
    const bool has_time = m.capturedLength(7) > 0;
    if (!has_date && !has_time)
        return std::nullopt;
    QDate date(1899, 12, 30);
    if (has_date) {
        const int year = m.captured(1).toInt();
        const bool dashed = m.capturedLength(2) > 0;
        const int month = (dashed ? m.captured(3) : m.captured(5)).toInt();
        const int day = (dashed ? m.captured(4) : m.captured(6)).toInt();
        if (year < 100)
            return std::nullopt;
        date = QDate(year, month, day);
        if (!date.isValid())
            return std::nullopt;
    }
    QTime time(0, 0, 0);
    if (has_time) {
        time = QTime(m.captured(7).toInt(), m.captured(8).toInt(),
                     m.capturedLength(9) > 0 ? m.captured(9).toInt() : 0);
        if (!time.isValid())
            return std::nullopt;
    }
    return QDateTime(date, time);
}

QString format_date(const QDateTime& value, int mode)
{
    const QDate d = value.date();
    const QTime t = value.time();
    const QString ymd = four(d.year()) + u'-' + two(d.month()) + u'-' + two(d.day());
    const QString hms = two(t.hour()) + u':' + two(t.minute()) + u':' + two(t.second());
    switch (mode) {
    case 0:
    case 1:
        return ymd + u' ' + hms;
    case 2:
        return ymd;
    case 3:
        return hms;
    case 4:
        return four(d.year()) + u"年"_s + two(d.month()) + u"月"_s + two(d.day()) + u"日"_s;
    case 5:
        return four(d.year()) + u'-' + two(d.month()) + u"-01"_s;
    case 7:
        return four(d.year());
    case 8:
        return two(d.month());
    case 9:
        return two(d.day());
    case 10:
        return four(d.year()) + u'-' + two((d.month() - 1) / 3 * 3 + 1) + u"-01"_s;
    case 11:
        return four(d.year()) + two(d.month()) + two(d.day());
    case 12:
        return two(d.month()) + u'-' + two(d.day());
    case 13:
        return two(t.minute()) + u':' + two(t.second());
    default:
        return QString();
    }
}

QString format_date(const QString& value, int mode)
{
    if (value.isEmpty())
        return value;
    const auto parsed = parse_date(value);
    if (!parsed)
        return QString();
    if (mode == 0)
        return value;
    return format_date(*parsed, mode);
}

} // namespace zorvik::support
