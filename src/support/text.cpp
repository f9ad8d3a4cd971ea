#include "support/text.h"

#include "support/clock.h"
#include "support/date.h"
#include "support/gbk.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::support {

namespace {

// Patterns are fixed texts used over and over; compile each one once per thread.
const QRegularExpression& compiled(const QString& pattern)
{
    thread_local QHash<QString, QRegularExpression> cache;
    auto it = cache.find(pattern);
    if (it == cache.end()) {
        QRegularExpression re(pattern, QRegularExpression::CaseInsensitiveOption);
        re.optimize();
        it = cache.insert(pattern, re);
    }
    return *it;
}

bool is_ascii_digit(QChar c) { return c >= u'0' && c <= u'9'; }

} // namespace

QString regex_replace(const QString& text, const QString& pattern, const QString& replacement)
{
    const QRegularExpression& re = compiled(pattern);
    if (!re.isValid())
        return text;
    QString out = text;
    return out.replace(re, replacement);
}

QString regex_keep(const QString& text, const QString& pattern)
{
    const QRegularExpression& re = compiled(pattern);
    QString out;
    if (!re.isValid())
        return out;
    auto it = re.globalMatch(text);
    while (it.hasNext())
        out += it.next().capturedView();
    return out;
}

int to_int(const QString& text)
{
    qint64 value = 0;
    for (QChar c : text) {
        if (!is_ascii_digit(c))
            continue;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 32767)
            return 32767;
    }
    return int(value);
}

QString trim_blanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

QString strip_tags(const QString& text, bool squeeze)
{
    QString out = regex_replace(trim_blanks(text), u"<\\/?[^>]*>"_s, QString());
    if (squeeze) {
        out.remove(u' ');
        out.remove(u"\r\n"_s);
    }
    return out;
}

QString join_chars(const QString& text, const QString& separator)
{
    if (text.size() < 2)
        return text;
    QString out;
    out.reserve(text.size() * (1 + separator.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u' ')
            continue;
        out += c;
        // Keep a surrogate pair together as one character.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            out += text[++i];
        out += separator;
    }
    if (!out.isEmpty())
        out.chop(separator.size());
    return out;
}

QString spread_chars(const QString& text) { return join_chars(text, u","_s); }

QStringList split_bet_items(const QString& text)
{
    if (text.isEmpty())
        return {};
    if (text.contains(u','))
        return text.split(u',');
    const QString spread = spread_chars(text);
    if (spread.isEmpty())
        return {};
    return spread.split(u',');
}

bool has_repeats(const QStringList& items)
{
    QSet<QString> seen;
    seen.reserve(items.size());
    for (const QString& item : items) {
        if (seen.contains(item))
            return true;
        seen.insert(item);
    }
    return false;
}

QString pad_text(const QString& text, const QString& pad, int width, const QString& side)
{
    const qsizetype missing = qMax<qsizetype>(0, width - text.size());
    const QString fill = pad.repeated(missing);
    if (side == u"left")
        return fill + text;
    if (side == u"right")
        return text + fill;
    return QString();
}

QString wrap_pad(int& number, int maximum)
{
    if (maximum > 0 && number > maximum)
        number -= maximum;
    return pad_text(QString::number(number), u"0"_s, int(QString::number(maximum).size()),
                    u"left"_s);
}

QString date_digits(const QString& date, int mode)
{
    QString digits = date;
    digits.remove(u'-').remove(u' ').remove(u':');
    if (mode == 1)
        return digits;
    if (mode == 2)
        return digits.mid(2, 6);
    return QString();
}

IssueParts issue_next(int number, QString& date, int maximum)
{
    const int width = int(QString::number(maximum).size());
    if (number > maximum) {
        if (const auto day = parse_date(date))
            date = format_date(day->addDays(1), 2);
        return {pad_text(u"1"_s, u"0"_s, width, u"left"_s), date_digits(date, 2)};
    }
    return {wrap_pad(number, maximum), date_digits(date, 2)};
}

QString now_digits(const Clock& clock, int mode)
{
    QString out = format_date(clock.local_now(), mode);
    return out.remove(u':').remove(u'-').remove(u' ');
}

QString url_encode(const QString& text)
{
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray bytes = to_gbk(text);
    QString out;
    out.reserve(bytes.size() * 3);
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) {
            out += QChar(char16_t(b));
        } else if (b == ' ') {
            out += u'+';
        } else {
            out += u'%';
            out += QLatin1Char(hex[b >> 4]);
            out += QLatin1Char(hex[b & 15]);
        }
    }
    return out;
}

QString crlf_line_breaks(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            out += u"\r\n";
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace zorvik::support
