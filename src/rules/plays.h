#pragma once
// The vocabulary of positions and plays, and the monitor editor's refresh as a pure function:
// from the ticked positions, category, comparison and threshold it yields every caption.

#include <QString>
#include <array>
#include <optional>

namespace zorvik::rules {

// The editor's choice lists.
QString categories();  // "遗漏|连中|形态"
QString comparisons(); // "≥|≤|＝"

// "万位" for A ... "个位" for E; empty for any other letter.
QString position_name(QChar letter);
// Name of a group of position letters without blanks ("ABC" gives 前三, "AC" 万位,百位).
QString group_name(const QString& letters);
// The "|"-separated plays offered for a position count.
QString plays_for_count(int count);
// Group name + "(" + play + ")", the key of the count and prize rules.
QString display_name(const QString& group, const QString& play);
// The example input of a play of a position count, or nothing.
std::optional<QString> number_example(int count, int play_index);
// "大于等于 ", "小于等于 " or "等于 " (trailing blank included); empty for another text.
QString comparison_word(const QString& comparison);

struct GroupLetters {
    QString spaced; // "A B C"
    int count = 0;
};
// Letters of the ticked boxes, in box order 万 千 百 十 个.
GroupLetters group_letters(const std::array<bool, 5>& ticked);

struct EditorInput {
    std::array<bool, 5> ticked{};
    QString category;
    QString comparison;
    QString threshold;
};

// What the editor shows after a refresh. Write-backs are values the window puts back into
// their boxes; doing so raises another refresh that shows them.
struct EditorState {
    QString letters; // without blanks
    int count = 0;
    QString group;   // caption label 3
    bool plays_visible = false;
    QString plays;   // the play box's list; the first play is selected
    int selected_play = 0;
    std::optional<QString> numbers; // the bet-number box's new text ("示例：" + example)
    QString category_caption;       // caption label 7
    QString hint;                   // caption label 9
    QString sentence;               // caption label 10
    QString initial_status;         // the initial-status box
    std::optional<QString> threshold_write_back;
    std::optional<int> comparison_write_back;
};

EditorState refresh_editor(const EditorInput& input);

} // namespace zorvik::rules
