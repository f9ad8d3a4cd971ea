#pragma once
// The monitor editor zorvik_cfg: positions, play, numbers, category and condition, initial
// value and the automatic-betting settings, with its add/modify button.

#include "monitor/editor.h"
#include "rules/plays.h"

#include <QWidget>
#include <array>
#include <optional>

class QCheckBox;
class QLabel;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace zorvik::app {

class Desk;
class TipsGroup;

class EditorPanel : public QWidget {
    Q_OBJECT
public:
    EditorPanel(Desk& desk, TipsGroup& tips, QWidget* parent = nullptr);

    // The boxes as a record, and a record shown in the boxes.
    monitor::EditorRecord editor_record() const;
    void show_editor(const monitor::EditorRecord& record);
    // Ready for a new monitor.
    void new_monitor();
    // Automatic betting offered for the lottery (with its caption) and its money units.
    void offer_auto_bet(bool offered, const QString& units);

signals:
    // A monitor was modified at that list position (it stays selected in the list).
    void monitor_modified(int position);

private:
    // The warning beside the auto-bet box: a Hele lottery has no code for the play.
    void show_platform_warning();
    // The threshold's default (10 for a 0 or empty 遗漏 or 连中, a pattern for 形态), put in
    // when the user leaves the box or saves.
    void apply_threshold_default();
    // Hides the error once the numbers it was about are valid.
    void recheck_error();
    void refresh_editor();
    void apply_editor_state(bool write_backs);
    void show_number_example();
    void save_monitor();
    // 按开奖计算: the initial value from the draws known (the draw list's and the records').
    void initial_from_draws();
    // 倍投计算器 for the play, numbers, unit and odds in the boxes; 应用 fills the plan box.
    void open_plan_calculator();

    Desk& desk_;
    TipsGroup& tips_;
    bool applying_ = false;
    // The boxes as the editor state was last made from them; nothing before the first time.
    std::optional<rules::EditorInput> applied_;
    monitor::EditorRecord loaded_; // the last record given to the editor (for modifying)
    std::array<QCheckBox*, 5> alert_cfg_pos_{};
    QComboBox* alert_cfg_type_ = nullptr;
    QComboBox* alert_cfg_cond_ = nullptr;
    QLineEdit* alert_cfg_cond_comp_ = nullptr;
    QComboBox* alert_cfg_extra_tztype_ = nullptr;
    QPlainTextEdit* alert_cfg_numbers_ = nullptr;
    QPlainTextEdit* alert_cfg_error_tips_ = nullptr;
    QLineEdit* alert_cfg_status_init_ = nullptr;
    QLineEdit* alert_cfg_id_ = nullptr;
    QCheckBox* alert_cfg_autotz_ = nullptr;
    QLabel* platform_warning_ = nullptr;
    QLineEdit* alert_cfg_autotz_bt_ = nullptr;
    QComboBox* alert_cfg_autotz_zjtype_ = nullptr;
    QLineEdit* alert_cfg_autotz_pl_ = nullptr;
    QPushButton* alert_new_do_ = nullptr;
};

} // namespace zorvik::app
