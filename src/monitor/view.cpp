#include "monitor/view.h"

#include "rules/bets.h"
#include "support/text.h"

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::monitor {

namespace {

constexpr int kNumbersShown = 50;

} // namespace

QString issue_tail(const QString& issue)
{
    const QString tail = issue.right(4);
    const qsizetype dash = tail.indexOf(u'-');
    return dash < 0 ? tail : tail.mid(dash + 1);
}

bool alert_test_slow(const Monitor& m)
{
    const Condition& c = m.condition();
    if (c.category == Condition::Pattern)
        return m.field(kCurrent) == c.pattern;
    const auto number = m.current_number();
    return number && condition_holds(c, *number);
}

QStringList row_columns(const Monitor& m, bool monitoring, const QString& newest_issue)
{
    const QString numbers = m.field(kNumbers);
    return {
        (m.field(kAutoBet) == u"1" ? u"* "_s : QString()) + m.field(kTitle),
        numbers.size() > kNumbersShown ? numbers.left(kNumbersShown) + u"..."_s : numbers,
        m.field(kCategory),
        m.field(kConditionText),
        m.field(kCurrent),
        monitoring ? u"监控到"_s + issue_tail(newest_issue) + u"期"_s : m.field(kStatus),
        u"共："_s + m.field(kDrawCount) + u", 中："_s + m.part(kTotals, 0) + u", 挂："_s +
            m.part(kTotals, 1) + u", 最大连中："_s + m.part(kTotals, 2) + u", 最大遗漏："_s +
            m.part(kTotals, 3),
    };
}

bool chasing(const Monitor& m)
{
    return m.chasing();
}

QString detail_text(const Monitor& m)
{
    if (m.field(kAutoBet) != u"1")
        return QString();
    QString text;
    const QString count = m.part(kBetInfo, 0);
    if (support::to_int(count) > 0)
        text += u"注数："_s + count + u"，"_s;
    text += u"资金模式："_s + rules::unit_name(support::to_int(m.field(kMoneyUnit))) +
            u"，赔率："_s + m.part(kBetInfo, 3) + u",当前已投注："_s +
            (m.field(kBetPending) == u"true" ? u"是"_s : u"否"_s) + u"\n倍投方案："_s +
            m.field(kBetPlan);
    return text;
}

} // namespace zorvik::monitor
