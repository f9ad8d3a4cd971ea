#include "rules/plays.h"

#include "support/text.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::rules {

QString categories() { return u"遗漏|连中|形态"_s; }
QString comparisons() { return u"≥|≤|＝"_s; }

QString position_name(QChar letter)
{
    switch (letter.unicode()) {
    case u'A':
        return u"万位"_s;
    case u'B':
        return u"千位"_s;
    case u'C':
        return u"百位"_s;
    case u'D':
        return u"十位"_s;
    case u'E':
        return u"个位"_s;
    default:
        return QString();
    }
}

QString group_name(const QString& letters)
{
    struct Row {
        const char16_t* letters;
        const char16_t* name;
    };
    static constexpr Row rows[] = {
        {u"A", u"前一"},   {u"B", u"千位"},   {u"C", u"百位"},   {u"D", u"十位"},
        {u"E", u"后一"},   {u"AB", u"前二"},  {u"DE", u"后二"},  {u"ABC", u"前三"},
        {u"BCD", u"中三"}, {u"CDE", u"后三"}, {u"ABCD", u"前四"}, {u"BCDE", u"后四"},
        {u"ABCDE", u"五星"},
    };
    for (const Row& row : rows) {
        if (letters == QStringView(row.letters))
            return QString::fromUtf16(row.name);
    }
    // Any other combination is listed: each letter becomes its position name and a comma.
    QString listed = letters;
    for (QChar letter : u"ABCDE"_s)
        listed.replace(letter, position_name(letter) + u',');
    if (!listed.isEmpty())
        listed.chop(1);
    return listed;
}

QString plays_for_count(int count)
{
    switch (count) {
    case 1:
        return u"定位胆"_s;
    case 2:
        return u"直选单式|直选复式|组选单式|定位胆|不定位:一码"_s;
    case 3:
        return u"直选单式|直选复式|组三单式|组三复式|组六单式|组六复式|定位胆|不定位:一码|不定位:二码"_s;
    default:
        return u"直选复式|定位胆|不定位:一码|不定位:二码"_s;
    }
}

QString display_name(const QString& group, const QString& play)
{
    return group + u'(' + play + u')';
}

std::optional<QString> number_example(int count, int play_index)
{
    static const QStringList examples[] = {
        {},
        {u"01234"_s},
        {u"01 22 31 65"_s, u"01234 或 01234*56789"_s, u"01 12 23"_s, u"012"_s, u"0"_s},
        {u"000 112 345"_s, u"01234 或 01234*56789*13579"_s, u"112 334 566"_s, u"0123456789"_s,
         u"123 456 789"_s, u"0123456789"_s, u"01234"_s, u"0"_s, u"01"_s},
        {u"01234 或 01234*56789*13579*02468"_s, u"012"_s, u"0"_s, u"12"_s},
        {u"01234 或 01234*56789*13579*02468*12579"_s, u"012"_s, u"0"_s, u"12"_s},
    };
    if (count < 0 || count > 5)
        return std::nullopt;
    const QStringList& list = examples[count];
    if (play_index < 0 || play_index >= list.size())
        return std::nullopt;
    return list[play_index];
}

QString comparison_word(const QString& comparison)
{
    if (comparison == u"≥")
        return u"大于等于 "_s;
    if (comparison == u"≤")
        return u"小于等于 "_s;
    if (comparison == u"＝")
        return u"等于 "_s;
    return QString();
}

GroupLetters group_letters(const std::array<bool, 5>& ticked)
{
    GroupLetters out;
    QString joined;
    for (int i = 0; i < 5; ++i) {
        if (!ticked[size_t(i)])
            continue;
        joined += QChar(char16_t(u'A' + i));
        joined += u' ';
        ++out.count;
    }
    out.spaced = support::trim_blanks(joined);
    return out;
}

EditorState refresh_editor(const EditorInput& input)
{
    EditorState s;
    const GroupLetters letters = group_letters(input.ticked);
    s.letters = QString(letters.spaced).remove(u' ');
    s.count = letters.count;
    s.group = group_name(s.letters);
    s.plays_visible = s.count > 0;
    s.plays = plays_for_count(s.count);
    s.selected_play = 0;
    if (s.count > 0) {
        if (const auto example = number_example(s.count, 0))
            s.numbers = u"示例："_s + *example;
    }

    const QString word = comparison_word(input.comparison);
    const QString& threshold = input.threshold;
    s.category_caption = input.category;
    if (input.category == u"遗漏" || input.category == u"连中") {
        const bool misses = input.category == u"遗漏";
        s.sentence = (misses ? u"当遗漏值"_s : u"当连中"_s) + word + threshold + u"时触发报警"_s;
        s.hint = misses ? u"手动输入当前遗漏值,默认为0"_s : u"手动输入当前连中值,默认为0"_s;
        s.initial_status = u"0"_s;
        if (support::to_int(threshold) == 0)
            s.threshold_write_back = u"10"_s;
    } else if (input.category == u"形态") {
        if (!threshold.contains(u'中') && !threshold.contains(u'挂'))
            s.threshold_write_back = u"挂中中挂"_s;
        s.hint = u"手动输入当前形态,默认为空"_s;
        s.sentence = u"当最近"_s + QString::number(threshold.size()) + u"期形态为"_s + threshold +
                     u"时触发报警"_s;
        if (input.comparison != u"＝")
            s.comparison_write_back = 2;
    }
    return s;
}

} // namespace zorvik::rules
