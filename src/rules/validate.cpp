#include "rules/validate.h"

#include "rules/hit.h"
#include "support/text.h"

using namespace Qt::Literals::StringLiterals;

namespace zorvik::rules {

namespace {

bool digit_value(QChar c, int& value)
{
    if (c < u'0' || c > u'9')
        return false;
    value = c.unicode() - u'0';
    return true;
}

} // namespace

QString validate_numbers(QString& numbers, int n, const QString& play)
{
    using support::has_repeats;
    using support::split_bet_items;

    QString text = support::regex_keep(numbers, u"[\\d\\s\\*]*"_s);
    text = support::regex_replace(text, u"\\s{2,}"_s, u" "_s);
    text = support::trim_blanks(text);
    numbers = text;

    if (text.isEmpty())
        return u"请输入要监控的号码！"_s;

    if (play.contains(u"定位")) {
        if (text.contains(u' '))
            return u"号码格式有误，请输入不重复的数字，且不要用空格分开！"_s;
        if (play == u"不定位:二码" && text.size() < 2)
            return u"号码格式有误，请至少输入两个不重复数字！"_s;
        return QString();
    }
    if (n == 1) {
        if (text.contains(u' '))
            return u"号码格式有误，请输入数字，且不要用空格分开！"_s;
        if (has_repeats(split_bet_items(text)))
            return u"号码格式有误，不能有重复数字！"_s;
        return QString();
    }
    if (n < 2)
        return QString();

    const QString stars = QString::number(n) + u"星"_s;
    QString offending;
    QString reason;
    if (play.contains(u"复式")) {
        if (text.contains(u' ')) {
            offending = text;
            reason = stars + play + u", 不允许包含空格"_s;
        } else if (!text.contains(u'*')) {
            if (has_repeats(split_bet_items(text)))
                return u"号码格式有误，不能有重复数字！"_s;
        } else {
            const QStringList sets = text.split(u'*');
            if (sets.size() != n) {
                offending = text;
                reason = stars + play + u", 该玩法只允许输入"_s + QString::number(n) +
                         u"组*号分隔的号码"_s;
            } else {
                for (const QString& set : sets) {
                    if (has_repeats(split_bet_items(set)))
                        return u"号码格式有误，用*分隔的每一组数字中不能有重复！"_s;
                }
            }
        }
    } else {
        for (const QString& number : text.split(u' ')) {
            if (number.size() != n) {
                reason = stars;
                offending += number + u' ';
            }
            if (n == 2 && play == u"组选单式") {
                int first = 0;
                int last = 0;
                // A first or last character that is no digit has no value: the number is
                // reported as one of the wrong form.
                if (number.isEmpty() || !digit_value(number.front(), first) ||
                    !digit_value(number.back(), last)) {
                    reason = stars;
                    offending += number + u' ';
                } else if (first >= last) {
                    reason = stars + play;
                    offending += number + u' ';
                }
            }
            if (n == 3) {
                const QString a = number.mid(0, 1);
                const QString b = number.mid(1, 1);
                const QString c = number.isEmpty() ? QString() : number.right(1);
                const QString form = triple_form(a, b, c);
                if ((play == u"组三单式" && form != u"z3") || (play == u"组六单式" && form != u"z6")) {
                    reason = play;
                    offending += number + u' ';
                }
            }
        }
    }
    if (!offending.isEmpty())
        return u"号码格式有误，发现有号码不是"_s + reason + u", 如下："_s + u"\r\n"_s + offending;
    return QString();
}

} // namespace zorvik::rules
