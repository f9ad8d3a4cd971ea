#include "rules/plays.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::rules;

namespace {

const QString kPlays3 =
    u"直选单式|直选复式|组三单式|组三复式|组六单式|组六复式|定位胆|不定位:一码|不定位:二码"_s;
const QString kPlays2 = u"直选单式|直选复式|组选单式|定位胆|不定位:一码"_s;
const QString kPlaysWide = u"直选复式|定位胆|不定位:一码|不定位:二码"_s;

EditorInput ticks(std::initializer_list<int> boxes, const QString& category = u"遗漏"_s,
                  const QString& comparison = u"≥"_s, const QString& threshold = u"10"_s)
{
    EditorInput in;
    for (int box : boxes)
        in.ticked[size_t(box)] = true;
    in.category = category;
    in.comparison = comparison;
    in.threshold = threshold;
    return in;
}

} // namespace

TEST(GroupName, NamedGroupsAndListedCombinations)
{
    const std::pair<const char16_t*, const char16_t*> rows[] = {
        {u"A", u"前一"},   {u"B", u"千位"},   {u"C", u"百位"},       {u"D", u"十位"},
        {u"E", u"后一"},   {u"AB", u"前二"},  {u"DE", u"后二"},      {u"ABC", u"前三"},
        {u"BCD", u"中三"}, {u"CDE", u"后三"}, {u"ABCD", u"前四"},     {u"BCDE", u"后四"},
        {u"ABCDE", u"五星"}, {u"AC", u"万位,百位"}, {u"BC", u"千位,百位"},
        {u"ABE", u"万位,千位,个位"}, {u"CD", u"百位,十位"}, {u"", u""},
    };
    for (const auto& [letters, name] : rows)
        EXPECT_EQ(group_name(QString::fromUtf16(letters)), QString::fromUtf16(name))
            << QString::fromUtf16(letters).toStdString();
}

TEST(PlayLists, DependOnlyOnTheCount)
{
    EXPECT_EQ(plays_for_count(1), u"定位胆"_s);
    EXPECT_EQ(plays_for_count(2), kPlays2);
    EXPECT_EQ(plays_for_count(3), kPlays3);
    EXPECT_EQ(plays_for_count(0), kPlaysWide);
    EXPECT_EQ(plays_for_count(4), kPlaysWide);
    EXPECT_EQ(plays_for_count(5), kPlaysWide);
    EXPECT_EQ(plays_for_count(-7), kPlaysWide);
}

TEST(PlayVocabulary, DisplayNamesExamplesAndWords)
{
    EXPECT_EQ(display_name(u"前三"_s, u"直选复式"_s), u"前三(直选复式)"_s);
    EXPECT_EQ(display_name(u"万位,百位"_s, u"不定位:一码"_s), u"万位,百位(不定位:一码)"_s);
    EXPECT_EQ(number_example(1, 0), u"01234"_s);
    EXPECT_EQ(number_example(2, 1), u"01234 或 01234*56789"_s);
    EXPECT_EQ(number_example(3, 2), u"112 334 566"_s);
    EXPECT_EQ(number_example(3, 8), u"01"_s);
    EXPECT_EQ(number_example(5, 0), u"01234 或 01234*56789*13579*02468*12579"_s);
    EXPECT_FALSE(number_example(0, 0).has_value());
    EXPECT_FALSE(number_example(1, 1).has_value());
    EXPECT_FALSE(number_example(6, 0).has_value());
    EXPECT_EQ(comparison_word(u"≥"_s), u"大于等于 "_s);
    EXPECT_EQ(comparison_word(u"≤"_s), u"小于等于 "_s);
    EXPECT_EQ(comparison_word(u"＝"_s), u"等于 "_s);
    EXPECT_EQ(comparison_word(u"="_s), QString());
    EXPECT_EQ(position_name(u'E'), u"个位"_s);
    EXPECT_EQ(categories(), u"遗漏|连中|形态"_s);
    EXPECT_EQ(comparisons(), u"≥|≤|＝"_s);
}

TEST(GroupLetters, BoxOrderAndSpacing)
{
    const GroupLetters g = group_letters({true, false, true, false, true});
    EXPECT_EQ(g.spaced, u"A C E"_s);
    EXPECT_EQ(g.count, 3);
    EXPECT_EQ(group_letters({}).spaced, QString());
}

TEST(EditorRefresh, PositionsDecideGroupPlaysAndExample)
{
    EditorState s = refresh_editor(ticks({0, 1, 2}));
    EXPECT_EQ(s.letters, u"ABC"_s);
    EXPECT_EQ(s.group, u"前三"_s);
    EXPECT_EQ(s.plays, kPlays3);
    EXPECT_TRUE(s.plays_visible);
    EXPECT_EQ(s.selected_play, 0);
    EXPECT_EQ(s.numbers, u"示例：000 112 345"_s);

    s = refresh_editor(ticks({1, 2, 3}));
    EXPECT_EQ(s.group, u"中三"_s);
    EXPECT_EQ(s.plays, kPlays3);

    s = refresh_editor(ticks({0, 2}));
    EXPECT_EQ(s.group, u"万位,百位"_s);
    EXPECT_EQ(s.plays, kPlays2);
    EXPECT_EQ(s.numbers, u"示例：01 22 31 65"_s);

    for (const auto& [box, name] : {std::pair{0, u"前一"}, {4, u"后一"}, {1, u"千位"}}) {
        s = refresh_editor(ticks({box}));
        EXPECT_EQ(s.group, QString::fromUtf16(name));
        EXPECT_EQ(s.plays, u"定位胆"_s);
        EXPECT_EQ(s.numbers, u"示例：01234"_s);
    }

    s = refresh_editor(ticks({0, 1, 2, 3, 4}));
    EXPECT_EQ(s.group, u"五星"_s);
    EXPECT_EQ(s.plays, kPlaysWide);

    s = refresh_editor(ticks({}));
    EXPECT_FALSE(s.plays_visible);
    EXPECT_EQ(s.group, QString());
    EXPECT_EQ(s.count, 0);
    EXPECT_EQ(s.plays, kPlaysWide);
    EXPECT_FALSE(s.numbers.has_value()); // typed numbers stay
}

TEST(EditorRefresh, MissesAndRunsCategories)
{
    EditorState s = refresh_editor(ticks({0}, u"遗漏"_s, u"≥"_s, u"10"_s));
    EXPECT_EQ(s.sentence, u"当遗漏值大于等于 10时触发报警"_s);
    EXPECT_EQ(s.hint, u"手动输入当前遗漏值,默认为0"_s);
    EXPECT_EQ(s.initial_status, u"0"_s);
    EXPECT_EQ(s.category_caption, u"遗漏"_s);
    EXPECT_FALSE(s.threshold_write_back.has_value());
    EXPECT_FALSE(s.comparison_write_back.has_value());

    s = refresh_editor(ticks({0}, u"连中"_s, u"≤"_s, u"3"_s));
    EXPECT_EQ(s.sentence, u"当连中小于等于 3时触发报警"_s);
    EXPECT_EQ(s.hint, u"手动输入当前连中值,默认为0"_s);
    EXPECT_EQ(s.initial_status, u"0"_s);
}

TEST(EditorRefresh, AZeroThresholdBecomesTenAndTheSentenceKeepsTheTypedText)
{
    for (const QString& typed : {u"0"_s, QString(), u"abc"_s, u"00"_s}) {
        const EditorState s = refresh_editor(ticks({0}, u"遗漏"_s, u"＝"_s, typed));
        EXPECT_EQ(s.threshold_write_back, u"10"_s) << typed.toStdString();
        EXPECT_EQ(s.sentence, u"当遗漏值等于 "_s + typed + u"时触发报警"_s);
    }
    // Beyond the 16-bit range the threshold is capped, never read as 0.
    EXPECT_FALSE(refresh_editor(ticks({0}, u"连中"_s, u"≥"_s, u"65536"_s)).threshold_write_back);
}

TEST(EditorRefresh, PatternCategory)
{
    EditorState s = refresh_editor(ticks({0, 1}, u"形态"_s, u"≥"_s, u"12"_s));
    EXPECT_EQ(s.threshold_write_back, u"挂中中挂"_s);
    EXPECT_EQ(s.comparison_write_back, 2);
    EXPECT_EQ(s.hint, u"手动输入当前形态,默认为空"_s);
    EXPECT_EQ(s.initial_status, QString());

    s = refresh_editor(ticks({0, 1}, u"形态"_s, u"＝"_s, u"中挂"_s));
    EXPECT_FALSE(s.threshold_write_back.has_value());
    EXPECT_FALSE(s.comparison_write_back.has_value());
    EXPECT_EQ(s.sentence, u"当最近2期形态为中挂时触发报警"_s);

    s = refresh_editor(ticks({0, 1}, u"形态"_s, u"＝"_s, u"挂中中挂"_s));
    EXPECT_EQ(s.sentence, u"当最近4期形态为挂中中挂时触发报警"_s);
}

TEST(EditorRefresh, UnknownCategoryLeavesCaptionsEmpty)
{
    const EditorState s = refresh_editor(ticks({0}, u"其他"_s, u"≥"_s, u"0"_s));
    EXPECT_EQ(s.sentence, QString());
    EXPECT_EQ(s.hint, QString());
    EXPECT_EQ(s.initial_status, QString());
    EXPECT_FALSE(s.threshold_write_back.has_value());
    EXPECT_EQ(s.group, u"前一"_s);
}
