#include "rules/bets.h"

#include "support/money.h"
#include "support/text.h"

#include <QStringList>
#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::rules {

namespace {

constexpr qint64 kMax = std::numeric_limits<qint64>::max();

qint64 mul(qint64 a, qint64 b)
{
    qint64 out = 0;
    if (__builtin_mul_overflow(a, b, &out))
        return kMax;
    return out;
}

qint64 power(qint64 base, int exponent)
{
    qint64 out = 1;
    for (int i = 0; i < exponent; ++i)
        out = mul(out, base);
    return out;
}

bool listed(const char16_t* list, const QString& key) { return QStringView(list).contains(key); }

struct Unit {
    double price;
    double divisor;
    double halving;
};

Unit unit_of(const QString& unit)
{
    if (unit == u"角")
        return {2, 10, 1};
    if (unit == u"分")
        return {2, 100, 1};
    if (unit == u"厘")
        return {2, 1000, 1};
    if (unit == u"1元")
        return {1, 1, 2};
    if (unit == u"2角")
        return {2, 10, 1};
    if (unit == u"1分")
        return {1, 100, 2};
    if (unit == u"2厘")
        return {2, 1000, 1};
    return {2, 1, 1};
}

// Numbers of a 单式 bet: split at ",", ";" or a blank, whichever the text has first.
qint64 single_count(QString t)
{
    QChar separator;
    for (QChar candidate : {u',', u';', u' '}) {
        if (t.contains(candidate)) {
            separator = candidate;
            break;
        }
    }
    if (separator.isNull())
        return 1;
    t.replace(u"\r\n"_s, QString(separator));
    qint64 count = 0;
    for (const QString& part : t.split(separator)) {
        if (!support::trim_blanks(part).isEmpty())
            ++count;
    }
    return count;
}

qint64 set_product(const QStringList& sets, qsizetype needed)
{
    if (sets.size() < needed)
        return 0;
    qint64 out = 1;
    for (qsizetype i = 0; i < needed; ++i)
        out = mul(out, sets[i].size());
    return out;
}

} // namespace

qint64 bet_count(const QString& display_name, const QString& numbers)
{
    const QString key = u'|' + display_name + u'|';
    const QString t = support::trim_blanks(numbers);
    const QString compact = QString(t).remove(u' ');
    const qint64 m = compact.size();
    const bool starred = t.contains(u'*');
    const QStringList sets = compact.split(u'*');

    if (listed(u"|后二(直选单式)|前二(直选单式)|后二(组选单式)|前二(组选单式)|", key) ||
        listed(u"|后三(直选单式)|前三(直选单式)|中三(直选单式)|", key) ||
        listed(u"|前三(组六单式)|中三(组六单式)|后三(组六单式)|前三(组三单式)|中三(组三单式)|后三(组三单式)|",
               key) ||
        listed(u"|前四(直选单式)|后四(直选单式)|", key) || listed(u"|五星(直选单式)|", key))
        return single_count(t);
    if (listed(u"|前一(定位胆)|万位(定位胆)|千位(定位胆)|百位(定位胆)|十位(定位胆)|个位(定位胆)|后一(定位胆)|",
               key) ||
        listed(u"|前三(不定位:一码)|中三(不定位:一码)|后三(不定位:一码)|", key) ||
        listed(u"|前二(不定位:一码)|后二(不定位:一码)|", key)) {
        qint64 digits = 0;
        for (QChar c : numbers)
            digits += (c >= u'0' && c <= u'9') ? 1 : 0;
        return digits;
    }
    if (listed(u"|五星(定位胆)|", key))
        return mul(5, m);
    if (listed(u"|后三(定位胆)|", key))
        return starred ? m - compact.count(u'*') : mul(3, m);
    if (listed(u"|后二(定位胆)|", key))
        return starred ? m - compact.count(u'*') : mul(2, m);
    if (listed(u"|前三(不定位:二码)|中三(不定位:二码)|后三(不定位:二码)|", key))
        return m < 2 ? 0 : mul(m, m - 1) / 2;
    if (listed(u"|不定位-五星三码|", key))
        return m < 3 ? 0 : mul(mul(m, m - 1) / 2, m - 2) / 3;
    if (listed(u"|后二(直选复式)|前二(直选复式)|", key))
        return starred ? set_product(sets, 2) : mul(m, m);
    if (listed(u"|后二(组选复式)|前二(组选复式)|", key) ||
        listed(u"|前三(组三复式)|中三(组三复式)|后三(组三复式)|", key))
        return m < 1 ? 0 : mul(m, m - 1);
    if (listed(u"|后三(直选复式)|前三(直选复式)|中三(直选复式)|", key))
        return starred ? set_product(sets, 3) : power(m, 3);
    if (listed(u"|前三(组六复式)|中三(组六复式)|后三(组六复式)|", key)) {
        static constexpr qint64 combinations[] = {0, 0, 0, 1, 4, 10, 20, 35, 56, 84, 120};
        return m <= 10 ? combinations[m] : 0;
    }
    if (listed(u"|前四(直选复式)|后四(直选复式)|", key))
        return starred ? set_product(sets, sets.size()) : power(m, 4);
    if (listed(u"|五星(直选复式)|", key))
        return starred ? set_product(sets, sets.size()) : power(m, 5);
    return 0;
}

QString bet_cost(double count, double multiplier, const QString& unit)
{
    const Unit u = unit_of(unit);
    return support::amount_text(multiplier * (count * u.price / u.divisor));
}

double win_value(const QString& display_name, double multiplier, const QString& unit,
                 const QString& odds)
{
    using support::round_as_read;
    const Unit un = unit_of(unit);
    bool ok = false;
    double parsed = support::trim_blanks(odds).toDouble(&ok);
    if (!ok || !std::isfinite(parsed))
        parsed = 0;
    const double u = std::trunc(parsed);
    const QString key = u'|' + display_name + u'|';

    double t = 0;
    if (listed(u"|前一(定位胆)|万位(定位胆)|千位(定位胆)|百位(定位胆)|十位(定位胆)|个位(定位胆)|后一(定位胆)|",
               key))
        t = u / 100;
    else if (listed(u"|前三(不定位:一码)|中三(不定位:一码)|后三(不定位:一码)|", key))
        t = u / 270;
    else if (listed(u"|五星(定位胆)|后三(定位胆)|后二(定位胆)|", key))
        t = u / 100;
    else if (listed(u"|前三(不定位:二码)|中三(不定位:二码)|后三(不定位:二码)|", key))
        t = u / 54;
    else if (listed(u"|前二(不定位:一码)|后二(不定位:一码)|", key))
        t = u / 189.9;
    else if (listed(u"|不定位-四星一码|", key))
        t = round_as_read(u / 100 / 3.5 + 0.05, 2);
    else if (listed(u"|不定位-四星二码|", key))
        t = round_as_read(u / 10 / 9.8 + 0.05, 2);
    else if (listed(u"|不定位-五星二码|", key))
        t = round_as_read(u / 100 / 1.5, 2);
    else if (listed(u"|不定位-五星三码|", key))
        t = round_as_read(u / 10 / 4.4 + 0.1, 2);
    else if (listed(u"|后二(直选单式)|前二(直选单式)|后二(直选复式)|前二(直选复式)|", key))
        t = u / 10;
    else if (listed(u"|后二(组选单式)|前二(组选单式)|后二(组选复式)|前二(组选复式)|", key))
        t = round_as_read(u / 10 / 2 - 0.05, 1);
    else if (listed(u"|前三(直选单式)|中三(直选单式)|后三(直选单式)|前三(直选复式)|中三(直选复式)|后三(直选复式)|",
                    key))
        t = u;
    else if (listed(u"|前三(组三复式)|中三(组三复式)|后三(组三复式)|前三(组三单式)|中三(组三单式)|后三(组三单式)|",
                    key))
        t = round_as_read(std::trunc(u / 3) - 0.05, 1);
    else if (listed(u"|前三(组六复式)|中三(组六复式)|后三(组六复式)|前三(组六单式)|中三(组六单式)|后三(组六单式)|",
                    key))
        t = round_as_read(std::trunc(u / 6) - 0.05, 1);
    else if (listed(u"|前四(直选复式)|后四(直选复式)|前四(直选单式)|后四(直选单式)|", key))
        t = std::trunc(u * 10);
    else if (listed(u"|五星(直选复式)|五星(直选单式)|", key))
        t = std::trunc(u * 100);
    else if (listed(u"|五星组选60|", key))
        t = round_as_read(std::trunc(u * 100) / 60, 1);
    return multiplier * (t / un.divisor) / un.halving;
}

QString win_amount(const QString& display_name, double multiplier, const QString& unit,
                   const QString& odds)
{
    return support::amount_text(win_value(display_name, multiplier, unit, odds));
}

QString unit_name(int code)
{
    switch (code) {
    case 2:
        return u"角"_s;
    case 3:
        return u"分"_s;
    case 4:
        return u"厘"_s;
    default:
        return u"元"_s;
    }
}

} // namespace zorvik::rules
