#pragma once
// A member of the window's clickable label group: a label named "tips_label_N" that reports
// clicks with its index N.

#include <QLabel>
#include <array>

namespace zorvik::app {

// The members of the label group, by index.
namespace tips {
enum Index : int {
    kDrawListHint = 2,       // under the draw list: refresh on click, expand on double click
    kGroupName = 3,          // the editor's position group
    kCategoryCaption = 7,
    kConditionHint = 9,
    kConditionSentence = 10,
    kFoldDetail = 11,        // detail panel: fold
    kCopyNumbers = 12,       // detail panel: copy the numbers
    kModifySelected = 14,    // detail panel: modify
    kAccount = 18,           // the platform account name
    kPasswordCaption = 19,
    kFormulaLink = 20,
    kBalanceLine = 21,
    kBetStatusLine = 22,
    kIncomeLine = 33,
    kBetSummaryLine = 36,
    kFirstLink = 37,         // 37 to 43: help, download, registration and partner links
    kNewVersionLink = 38,
    kLastLink = 43,
    kCount
};
} // namespace tips

// The hint under the draw list while it is folded.
inline constexpr char16_t kDrawListHint[] = u"↑奖号异常时点击刷新，双击展开";

class TipsLabel : public QLabel {
    Q_OBJECT
public:
    TipsLabel(int index, const QString& text, QWidget* parent = nullptr);
    int index() const { return index_; }

signals:
    void clicked(int index);
    void double_clicked(int index);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int index_;
};

// The whole label group: every area makes its members here, and a click on any of them is
// reported with its index.
class TipsGroup : public QObject {
    Q_OBJECT
public:
    TipsLabel* make(int index, const QString& text);
    TipsLabel* at(int index) const { return index >= 0 && index < tips::kCount ? labels_[index] : nullptr; }

signals:
    void clicked(int index);

private:
    std::array<TipsLabel*, tips::kCount> labels_{};
};

} // namespace zorvik::app
