#include "monitor/backtest.h"

#include "support/gbk.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <array>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::monitor {

namespace {

// An issue as a number without "-": digits compared by length, then as text.
QString issue_key(const QString& issue)
{
    QString key = QString(issue).remove(u'-');
    qsizetype zeros = 0;
    while (zeros + 1 < key.size() && key[zeros] == u'0')
        ++zeros;
    return key.mid(zeros);
}

bool issue_less(const QString& a, const QString& b)
{
    const QString x = issue_key(a);
    const QString y = issue_key(b);
    return x.size() != y.size() ? x.size() < y.size() : x < y;
}

// Draws gathered line by line: repeated issues are refused, the result is in issue order.
class Draws {
public:
    explicit Draws(HistoryError* error) : error_(error) {}

    std::nullopt_t fail(int line, const QString& reason)
    {
        if (error_)
            *error_ = {line, reason};
        return std::nullopt;
    }
    // False (with the error set) when the issue came before.
    bool add(int line, const QString& issue, const QString& digits)
    {
        const QString key = issue_key(issue);
        if (const auto before = seen_.constFind(key); before != seen_.cend()) {
            fail(line, u"issue repeated from line "_s + QString::number(*before));
            return false;
        }
        seen_.insert(key, line);
        QString numbers;
        for (const QChar d : digits)
            numbers += (numbers.isEmpty() ? u""_s : u","_s) + d;
        draws_.append({issue, numbers});
        return true;
    }
    QVector<HistoryDraw> sorted()
    {
        std::stable_sort(draws_.begin(), draws_.end(),
                         [](const HistoryDraw& a, const HistoryDraw& b) { return issue_less(a.issue, b.issue); });
        return std::move(draws_);
    }

private:
    HistoryError* error_;
    QVector<HistoryDraw> draws_;
    QHash<QString, int> seen_;
};

const QRegularExpression& issue_form()
{
    static const QRegularExpression form(u"^\\d[\\d-]*$"_s);
    return form;
}

// Five digits alone, or separated by commas or blanks.
std::optional<QString> five_digits(const QString& text)
{
    static const QRegularExpression form(
        u"^\\s*(\\d)[,\\s]*(\\d)[,\\s]*(\\d)[,\\s]*(\\d)[,\\s]*(\\d)\\s*$"_s);
    const auto m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1) + m.captured(2) + m.captured(3) + m.captured(4) + m.captured(5);
}

// One CSV row: fields split at the separator, double quotes around a field removed ("" inside
// a quoted field is one quote).
QStringList csv_fields(const QString& line, QChar separator)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"')
                field += u'"', ++i;
            else if (c == u'"')
                quoted = false;
            else
                field += c;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == separator) {
            fields << field.trimmed();
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field.trimmed();
    return fields;
}

QString column_name(const QString& header)
{
    return header.trimmed().toLower().remove(u' ').remove(u'_');
}

int find_column(const QStringList& names, std::initializer_list<const char16_t*> wanted)
{
    for (const char16_t* w : wanted) {
        const int at = int(names.indexOf(QString::fromUtf16(w)));
        if (at >= 0)
            return at;
    }
    return -1;
}

// The five digit columns, by one of the usual namings, or nothing.
std::optional<std::array<int, 5>> digit_columns(const QStringList& names)
{
    static const std::initializer_list<std::array<const char16_t*, 5>> namings = {
        {u"万位", u"千位", u"百位", u"十位", u"个位"},
        {u"万", u"千", u"百", u"十", u"个"},
        {u"第一位", u"第二位", u"第三位", u"第四位", u"第五位"},
        {u"第1位", u"第2位", u"第3位", u"第4位", u"第5位"},
        {u"一", u"二", u"三", u"四", u"五"},
        {u"n1", u"n2", u"n3", u"n4", u"n5"},
        {u"d1", u"d2", u"d3", u"d4", u"d5"},
        {u"ball1", u"ball2", u"ball3", u"ball4", u"ball5"},
        {u"num1", u"num2", u"num3", u"num4", u"num5"},
        {u"1", u"2", u"3", u"4", u"5"},
    };
    for (const auto& naming : namings) {
        std::array<int, 5> at{};
        bool all = true;
        for (int i = 0; i < 5 && all; ++i)
            all = (at[size_t(i)] = int(names.indexOf(QString::fromUtf16(naming[size_t(i)])))) >= 0;
        if (all)
            return at;
    }
    return std::nullopt;
}

std::optional<QVector<HistoryDraw>> parse_csv(const QStringList& lines, int header_line, HistoryError* error)
{
    Draws draws(error);
    const QString header = QString(lines[header_line]).remove(u'\r');
    const QChar separator = header.contains(u',') ? u',' : header.contains(u'\t') ? u'\t' : u';';
    QStringList names;
    for (const QString& f : csv_fields(header, separator))
        names << column_name(f);
    const int issue = find_column(names, {u"期号", u"期数", u"期次", u"期", u"issue", u"expect",
                                          u"period", u"qihao", u"term", u"drawno"});
    if (issue < 0)
        return draws.fail(header_line + 1, u"no issue column in the header"_s);
    const int numbers = find_column(names, {u"开奖号码", u"开奖号", u"号码", u"奖号", u"开奖结果",
                                            u"开奖", u"numbers", u"number", u"opencode", u"code",
                                            u"result", u"draw"});
    const auto digits = numbers < 0 ? digit_columns(names) : std::nullopt;
    if (numbers < 0 && !digits)
        return draws.fail(header_line + 1, u"no numbers column nor five digit columns in the header"_s);

    for (int i = header_line + 1; i < lines.size(); ++i) {
        const QString line = QString(lines[i]).remove(u'\r');
        if (line.trimmed().isEmpty())
            continue;
        const QStringList fields = csv_fields(line, separator);
        const QString issue_text = fields.value(issue);
        if (!issue_form().match(issue_text).hasMatch())
            return draws.fail(i + 1, u"not an issue: "_s + issue_text);
        std::optional<QString> five;
        if (numbers >= 0) {
            five = five_digits(fields.value(numbers));
        } else {
            QString joined;
            for (const int at : *digits) {
                const QString d = fields.value(at);
                if (d.size() != 1 || !d[0].isDigit() || d[0].unicode() > u'9')
                    break;
                joined += d;
            }
            if (joined.size() == 5)
                five = joined;
        }
        if (!five)
            return draws.fail(i + 1, u"not five digits"_s);
        if (!draws.add(i + 1, issue_text, *five))
            return std::nullopt;
    }
    return draws.sorted();
}

// UTF-8 when the bytes are (a byte-order mark says so too), GBK otherwise.
QString decode(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? support::from_gbk(bytes) : text;
}

} // namespace

std::optional<QVector<HistoryDraw>> parse_history(const QString& text, HistoryError* error)
{
    static const QRegularExpression line_form(
        u"^\\s*(\\d[\\d-]*)\\s*[:\\t]\\s*(\\d),?(\\d),?(\\d),?(\\d),?(\\d)\\s*$"_s);
    Draws draws(error);
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = QString(lines[i]).remove(u'\r');
        if (line.trimmed().isEmpty())
            continue;
        const auto m = line_form.match(line);
        if (!m.hasMatch())
            return draws.fail(i + 1, u"not an issue and five digits"_s);
        if (!draws.add(i + 1, m.captured(1),
                       m.captured(2) + m.captured(3) + m.captured(4) + m.captured(5) + m.captured(6)))
            return std::nullopt;
    }
    return draws.sorted();
}

std::optional<QVector<HistoryDraw>> parse_history_file(const QByteArray& bytes, HistoryError* error)
{
    const QString text = decode(bytes);
    const QStringList lines = text.split(u'\n');
    // A first line that does not start with a digit is a CSV header.
    for (int i = 0; i < lines.size(); ++i) {
        const QString first = lines[i].trimmed();
        if (first.isEmpty())
            continue;
        if (first[0].isDigit() && first[0].unicode() <= u'9')
            break;
        return parse_csv(lines, i, error);
    }
    return parse_history(text, error);
}

} // namespace zorvik::monitor
