#pragma once
// The main window zorvik_frm: it composes the draw area, the monitor list and editor tabs, the
// alert options and the betting area with the bet log, and the footer's links. Each area maps
// its controls to the core; the window holds what spans them.

#include "core/options.h"
#include "monitor/editor.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

namespace zorvik::monitor {
struct SweepVariant;
}

class QGroupBox;
class QLabel;
class QLineEdit;
class QSplitter;
class QStackedWidget;
class QTabBar;
class QTabWidget;

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
namespace zorvik::notify {
class TrayTips;
}

namespace zorvik::web {
class WebServer;
}

namespace zorvik::app {

class WebDialog;

inline constexpr char16_t kNoLinkAddress[] = u"服务没有给出这个链接的地址，无法打开";

class AlertOptions;
class AppCore;
class Desk;
class BettingPanel;
class DrawArea;
class EditorPanel;
class MonitorPanel;
class TipsGroup;
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
    // The notification-area icon and its tips.
    const notify::TrayTips& tray() const;

    // The editor's boxes as a record, and the record shown in the boxes.
    monitor::EditorRecord editor_record() const;
    void show_editor(const monitor::EditorRecord& record);

    // The clickable label group's actions by member index.
    void link_dispatch(int index);

    // The options as the window's controls hold them (saved at every start of monitoring).
    Options options() const;
    // Says once that the data folder cannot be written.
    void tell_unwritable_data();
    // Ticks "我要装逼" as the user would.
    void bet_with_simulated_money();

    // The desk tabs: a further desk following `lottery` (one no desk follows), selected; and a
    // desk removed as its tab's menu does (asking first; refused for the first desk and while
    // it monitors). False when nothing was done.
    bool add_desk(const QString& lottery);
    bool remove_desk(int tab);
    // The desk of the selected tab.
    Desk& selected_desk();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // What a desk shows below the tab bar: its draw area, its monitor list and editor tabs (its
    // own clickable labels) and its bet log.
    struct DeskPage {
        Desk* desk = nullptr;
        TipsGroup* tips = nullptr;
        DrawArea* draw = nullptr;
        QTabWidget* tabs = nullptr;
        MonitorPanel* monitors = nullptr;
        EditorPanel* editor = nullptr;
        QGroupBox* log = nullptr;
        bool expanded = false; // the draw list shown large
    };
    void build_ui();
    QLayout* build_desk_bar();
    DeskPage& make_page(Desk& desk);
    DeskPage& page();
    void select_page(int tab);
    void show_desk_tab(const DeskPage& page);
    void offer_lotteries();
    void desk_menu(const QPoint& at);
    void start_all();
    void stop_all();
    QLayout* build_footer();
    void load_settings();
    void modify_selected();
    void open_backtest();
    void apply_variant(Desk& desk, quint64 uid, const monitor::SweepVariant& variant);
    void show_announcement(const service::Announcement& a);

    QString data_dir_;
    QString settings_file_;
    std::unique_ptr<WindowShell> own_shell_;
    support::Shell* shell_ = nullptr;
    std::unique_ptr<support::SystemClock> clock_;
    std::unique_ptr<support::QtHttpClient> own_http_;
    std::unique_ptr<AppCore> core_;
    // The web dashboard (off unless turned on), and its window.
    std::unique_ptr<web::WebServer> web_;
    QPointer<WebDialog> web_dialog_;
    bool closing_without_question_ = false;

    TipsGroup* tips_ = nullptr;
    std::vector<std::unique_ptr<DeskPage>> pages_; // in tab order
    QTabBar* desk_tabs_ = nullptr;                 // a tab a desk, then "+"
    QStackedWidget* draw_stack_ = nullptr;
    QStackedWidget* main_stack_ = nullptr;
    QStackedWidget* log_stack_ = nullptr;
    QLineEdit* total_zy_ = nullptr;
    QLineEdit* total_zs_ = nullptr;
    // The first desk's areas.
    DrawArea* draw_area_ = nullptr;
    QTabWidget* zorvik_main_ = nullptr;
    QSplitter* main_split_ = nullptr; // the lists above, the bet log below
    bool split_restored_ = false;
    MonitorPanel* monitor_panel_ = nullptr;
    EditorPanel* editor_panel_ = nullptr;
    AlertOptions* alert_options_ = nullptr;
    BettingPanel* betting_ = nullptr;
    // The service's last announcement, for the start buttons of desks added after it.
    std::shared_ptr<const service::Announcement> announcement_;
    void show_begin_plan(const DeskPage& page);
    QLabel* info_qq_ = nullptr;
    QLabel* info_tips_ = nullptr;
};

} // namespace zorvik::app
