#include "monitor/editor.h"

#include "rules/bets.h"
#include "rules/plays.h"
#include "rules/validate.h"
#include "support/text.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::monitor {

BuildResult build_monitor(const EditorRecord& editor, bool monitoring)
{
    const rules::GroupLetters group = rules::group_letters(editor.ticked);
    const QString letters = QString(group.spaced).remove(u' ');
    if (letters.isEmpty())
        return MessageBox{u"请勾选要监控的位置"_s};

    const QString title = rules::display_name(rules::group_name(letters), editor.play);
    QString numbers =
        support::trim_blanks(support::regex_replace(editor.numbers, u"[^\\d\\s*]*"_s, QString()));
    if (numbers.isEmpty())
        return MessageBox{u"请输入要监控的投注号码"_s};
    const QString error = rules::validate_numbers(numbers, group.count, editor.play);
    if (!error.isEmpty())
        return ErrorBox{error};
    // A monitor that bets needs a plan whose every entry is a positive whole multiplier: one
    // that is not would be added and then never bet.
    if (editor.auto_bet) {
        const QStringList entries = support::trim_blanks(editor.plan).split(u',');
        const bool usable = std::all_of(entries.cbegin(), entries.cend(), [](const QString& entry) {
            bool ok = false;
            return support::trim_blanks(entry).toInt(&ok) > 0 && ok;
        });
        if (!usable)
            return ErrorBox{u"倍投方案有误：自动投注的倍投方案须是用英文逗号分开的正整数倍数，如 1,2,4"_s};
    }

    const QString word = support::trim_blanks(rules::comparison_word(editor.comparison));
    const QString odds = support::regex_replace(editor.odds, u"[^\\d]*"_s, QString());
    Monitor m;
    m.set(kPositions, letters);
    m.set(kPlay, editor.play);
    m.set(kTitle, title);
    m.set(kNumbers, numbers);
    m.set(kCategory, editor.category);
    m.set(kCondition, editor.comparison + editor.threshold);
    m.set(kConditionText, word + editor.threshold);
    m.set(kCurrent, editor.initial_status);
    m.set(kStatus, monitoring ? u"监控中"_s : u"待监控"_s);
    m.set(kHistory, editor.initial_status);
    m.set(kDrawCount, u"0"_s);
    m.set(kInitial, editor.initial_status);
    m.set(kRuns, u"0:0"_s);
    m.set(kTotals, u"0:0:0:0"_s);
    m.set(kAutoBet, editor.auto_bet ? u"1"_s : u"0"_s);
    m.set(kBetPlan, editor.plan);
    m.set(kMoneyUnit, QString::number(editor.unit_index));
    m.set(kBetPending, u"false"_s);
    m.set(kPlanStep, u"0"_s);
    m.set(kBetInfo, QString::number(rules::bet_count(title, numbers)) + u":0:0:"_s + odds);
    m.set(kOrderId, u"0"_s);
    return m;
}

EditorRecord editor_from_monitor(int position, const Monitor& record, const EditorRecord& base)
{
    EditorRecord e = base;
    e.id = position;
    e.original = record.text();
    const QString positions = record.field(kPositions);
    for (int i = 0; i < 5; ++i)
        e.ticked[size_t(i)] = positions.contains(QChar(char16_t(u'A' + i)));
    e.play = record.field(kPlay);
    e.numbers = record.field(kNumbers);
    e.category = record.field(kCategory);
    const QString condition = record.field(kCondition);
    e.comparison.clear();
    e.threshold = condition;
    for (const QString& sign : {u"≥"_s, u"≤"_s, u"＝"_s, u"="_s}) {
        if (condition.contains(sign)) {
            e.comparison = sign;
            e.threshold = QString(condition).remove(sign);
            break;
        }
    }
    e.initial_status = record.field(kCurrent);
    e.auto_bet = record.field(kAutoBet) == u"1";
    e.plan = record.field(kBetPlan);
    e.unit_index = support::to_int(record.field(kMoneyUnit));
    e.odds = record.part(kBetInfo, 3);
    return e;
}

} // namespace zorvik::monitor
