#include "rules/hit.h"

#include "support/text.h"

#include <QHash>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::rules {

namespace {

// Drawn digits longer than this come only from malformed input; they never hit.
constexpr qsizetype kMaxDrawn = qsizetype(1) << 24;

bool compound_hit(const QString& drawn, qsizetype n, const QString& numbers, const QString& play)
{
    if (n == 0)
        return false; // no position, nothing to match
    const QStringList digits = support::split_bet_items(drawn);
    // Without "*" the same set serves every position; it is not materialised n times.
    const bool per_position = numbers.contains(u'*');
    const QStringList sets = per_position ? numbers.split(u'*') : QStringList{numbers};
    const qsizetype set_count = per_position ? sets.size() : n;
    // More sets than drawn digits is outside the contract: a miss.
    if (set_count > digits.size() || set_count != n)
        return false;
    QHash<QString, bool> shared_match;
    QString remembered[3];
    qsizetype matches = 0;
    for (qsizetype i = 0; i < set_count; ++i) {
        const QString& digit = digits[i];
        bool match = false;
        if (per_position) {
            match = sets[i].contains(digit);
        } else {
            auto it = shared_match.find(digit);
            if (it == shared_match.end())
                it = shared_match.insert(digit, numbers.contains(digit));
            match = *it;
        }
        if (match)
            ++matches;
        if (i < 3)
            remembered[i] = digit;
    }
    bool form = false;
    if (play == u"直选复式")
        form = true;
    else if (play == u"组三复式")
        form = triple_form(remembered[0], remembered[1], remembered[2]) == u"z3";
    else if (play == u"组六复式")
        form = triple_form(remembered[0], remembered[1], remembered[2]) == u"z6";
    return form && matches == n;
}

} // namespace

QString triple_form(const QString& a, const QString& b, const QString& c)
{
    const int pairs = int(a == b) + int(b == c) + int(a == c);
    if (pairs == 0)
        return u"z6"_s;
    if (pairs == 3)
        return u"bz"_s;
    return u"z3"_s;
}

HitResult hit_test(const QString& draw, const QString& letters, const QString& numbers,
                   const QString& play_text)
{
    HitResult result{false, u"挂"_s};
    const QString play = support::trim_blanks(play_text);
    const QStringList d = draw.split(u',');

    qsizetype projected = 0;
    for (QChar letter : letters) {
        const int index = letter.unicode() - u'A';
        projected += (index >= 0 && index < 5) ? (index < d.size() ? d[index].size() : 0) : 1;
    }
    if (numbers.isEmpty() || projected > kMaxDrawn)
        return result;
    QString drawn;
    drawn.reserve(projected);
    for (QChar letter : letters) {
        const int index = letter.unicode() - u'A';
        if (index >= 0 && index < 5) {
            if (index < d.size())
                drawn += d[index];
        } else {
            drawn += letter;
        }
    }
    const qsizetype n = letters.size();

    bool hit = false;
    if (u"|定位胆|不定位:一码|"_s.contains(play)) {
        for (const QString& item : support::split_bet_items(numbers)) {
            if (drawn.contains(item)) {
                hit = true;
                break;
            }
        }
    } else if (play == u"不定位:二码") {
        int count = 0;
        for (const QString& item : support::split_bet_items(numbers)) {
            if (drawn.contains(item) && ++count >= 2)
                break;
        }
        hit = count >= 2;
    } else if (play.contains(u"复式")) {
        hit = compound_hit(drawn, n, numbers, play);
    } else {
        hit = numbers.contains(drawn);
    }
    if (hit)
        result = {true, u"中"_s};
    return result;
}

} // namespace zorvik::rules
