#pragma once
// The draw area frame_awd: the lottery and the draw line, the newest draw with the countdown,
// the "自动报号" box and the draw list.

#include <QGroupBox>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QTreeWidget;

namespace zorvik::app {

class Desk;
class TipsGroup;

inline constexpr int kDrawAreaWidth = 290;

class DrawArea : public QGroupBox {
    Q_OBJECT
public:
    DrawArea(Desk& desk, TipsGroup& tips, QWidget* parent = nullptr);

    QComboBox* lottery_box() const { return combox_select_caizhong_; }
    QCheckBox* announce_box() const { return isshowawardtips_; }
    // Applies the lottery in the box, as the user's choice would.
    void apply_caizhong();
    // The draw list large in place of the tabs, or back.
    void toggle_draw_list();
    // Shows `widget` below the draw list (the start button while the list stands in for the
    // tabs that hold it).
    void hold(QWidget* widget);
    // Says whether a lottery chosen in the box may be taken (another desk follows it: no, and
    // the box goes back to the desk's own).
    void set_lottery_check(std::function<bool(const QString&)> check) { check_ = std::move(check); }

signals:
    // The lottery chosen: whether automatic betting is offered, and the money units.
    void lottery_applied(bool auto_bet, const QString& units);
    void expanded(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void render_labels(const QString& new_iss, const QString& next_iss, const QString& new_award);
    void render_draws();

    Desk& desk_;
    TipsGroup& tips_;
    std::function<bool(const QString&)> check_;
    QComboBox* combox_select_caizhong_ = nullptr;
    QComboBox* awd_url_ = nullptr;
    QLabel* new_iss_ = nullptr;
    QLabel* next_iss_ = nullptr;
    QLabel* new_award_ = nullptr;
    QLabel* next_awd_countdown_ = nullptr;
    QTreeWidget* awd_list_ = nullptr;
    QCheckBox* isshowawardtips_ = nullptr;
    bool double_clicked_ = false; // the release that ends a double click toggles nothing
};

} // namespace zorvik::app
