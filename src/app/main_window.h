#pragma once
// The main window zorvik_frm: draw area, the monitor list and editor, the alert options and the
// betting area. It maps widgets to the subsystems and renders what they expose.

#include "app/options.h"
#include "monitor/editor.h"

#include <QMainWindow>
#include <QString>
#include <array>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QWidget;

namespace zorvik::support {
class HttpClient;
class QtHttpClient;
class Shell;
class SystemClock;
} // namespace zorvik::support
namespace zorvik::monitor {
class MonitorEngine;
}
namespace zorvik::service {
struct Announcement;
}

namespace zorvik::app {

class AppCore;
class TipsLabel;
class WindowShell;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // `data_dir` holds bao/cfg.ini. Without a shell the window shows real dialogs, tips and
    // sounds itself; without an HTTP client it uses the network.
    explicit MainWindow(const QString& data_dir, support::Shell* shell = nullptr,
                        const NetConfig& net = {}, support::HttpClient* http = nullptr,
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    AppCore& core() { return *core_; }
    monitor::MonitorEngine& engine();
    QString settings_file() const { return settings_file_; }

    // The editor's boxes as a record, and the record shown in the boxes.
    monitor::EditorRecord editor_record() const;
    void show_editor(const monitor::EditorRecord& record);

    // The clickable label group's actions by member index.
    void link_dispatch(int index);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_ui();
    QWidget* build_draw_area();
    QWidget* build_monitor_tab();
    QWidget* build_editor_tab();
    QWidget* build_alert_options();
    QWidget* build_betting_area();
    TipsLabel* tips_label(int index, const QString& text);
    void fill_option_lists();
    void load_settings();
    void connect_editor();

    void refresh_editor();
    void show_number_example();
    void apply_editor_state(bool write_backs);
    void render_rows();
    std::optional<int> selected_position() const;
    void show_detail_panel();
    void follow_selection();
    void fold_detail_panel();
    void copy_numbers();
    void modify_selected();
    void new_monitor();
    void save_monitor();
    void choose_sound_file();
    void test_sound();
    void show_award_tips_clicked();
    void apply_caizhong();
    void render_draw_labels(const QString& new_iss, const QString& next_iss, const QString& new_award);
    void render_draws();
    void toggle_draw_list();
    void show_announcement(const service::Announcement& a);

    QString data_dir_;
    QString settings_file_;
    std::unique_ptr<WindowShell> own_shell_;
    support::Shell* shell_ = nullptr;
    std::unique_ptr<support::SystemClock> clock_;
    std::unique_ptr<support::QtHttpClient> own_http_;
    std::unique_ptr<AppCore> core_;
    bool closing_without_question_ = false;
    bool applying_ = false;
    bool rendering_ = false;
    monitor::EditorRecord loaded_; // the last record given to the editor (for modifying)

    // Draw area.
    QComboBox* combox_select_caizhong_ = nullptr;
    QComboBox* awd_url_ = nullptr;
    QLabel* new_iss_ = nullptr;
    QLabel* next_iss_ = nullptr;
    QLabel* new_award_ = nullptr;
    QLabel* next_awd_countdown_ = nullptr;
    QTreeWidget* awd_list_ = nullptr;
    QCheckBox* isshowawardtips_ = nullptr;

    // Monitor list and editor.
    QTabWidget* zorvik_main_ = nullptr;
    QTreeWidget* alert_list_ = nullptr;
    QWidget* detail_panel_ = nullptr;
    QLineEdit* alert_show_tz_number_ = nullptr;
    QLabel* alert_show_tz_info_ = nullptr;
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
    QLineEdit* alert_cfg_autotz_bt_ = nullptr;
    QComboBox* alert_cfg_autotz_zjtype_ = nullptr;
    QLineEdit* alert_cfg_autotz_pl_ = nullptr;
    QPushButton* alert_new_do_ = nullptr;
    std::array<TipsLabel*, 44> tips_{}; // the label group by index

    QPushButton* begin_plan_ = nullptr;
    QLabel* info_qq_ = nullptr;
    QLabel* info_tips_ = nullptr;
    QWidget* frame_awd_ = nullptr;

    // Alert options.
    QCheckBox* alert_type_tips_ = nullptr;
    QCheckBox* alert_type_sound_ = nullptr;
    QLineEdit* alert_sound_file_ = nullptr;

    // Betting area.
    QLineEdit* tz_plt_pass_ = nullptr;
    QLineEdit* plt_tz_zy_ = nullptr;
    QLineEdit* plt_tz_zs_ = nullptr;
};

} // namespace zorvik::app
