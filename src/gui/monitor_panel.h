#pragma once
// The monitor list tab: the view alert_list over the monitors, the detail panel of the selected
// monitor, and the add, delete, delete-all and start buttons.

#include <QWidget>
#include <optional>

class QFrame;
class QLabel;
class QLineEdit;
class QHBoxLayout;
class QPushButton;
class QTableView;

namespace zorvik::support {
class Shell;
}

namespace zorvik::app {

class Desk;
class MonitorTableModel;
class TipsGroup;

class MonitorPanel : public QWidget {
    Q_OBJECT
public:
    MonitorPanel(Desk& desk, support::Shell& shell, TipsGroup& tips, QWidget* parent = nullptr);

    // The list position of the selected row, if a row is selected.
    std::optional<int> selected_position() const;
    // Selects the row of that list position.
    void select_position(int position);
    void show_detail_panel();
    void fold_detail_panel();
    void copy_numbers();
    QPushButton* begin_plan() const { return begin_plan_; }
    // The start button back in its place at the end of the button row.
    void take_back_begin_plan();

signals:
    void new_requested();
    void backtest_requested();
    // The detail panel opened or folded: the areas below make room for it or take it back.
    void detail_shown(bool shown);

public:
    // The empty list's hint, for the lottery chosen now.
    void show_empty_hint();
    // A tip shown in the window's banner.
    void show_tip(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The list shows at least this many rows, with its header.
    void keep_list_rows(int rows);
    void rows_rebuilt();
    void follow_selection();

    Desk& desk_;
    support::Shell& shell_;
    TipsGroup& tips_;
    QTableView* alert_list_ = nullptr;
    QLabel* empty_hint_ = nullptr;
    QFrame* tip_banner_ = nullptr;
    QLabel* tip_text_ = nullptr;
    // The monitor the user has selected (its identity), kept selected across rebuilds, and the
    // list's scroll position before a rebuild.
    quint64 selected_uid_ = 0;
    int kept_scroll_ = 0;
    bool rebuilding_ = false;
    MonitorTableModel* model_ = nullptr;
    QWidget* detail_panel_ = nullptr;
    class TrendChart* trend_ = nullptr;
    QLineEdit* alert_show_tz_number_ = nullptr;
    QLabel* alert_show_tz_info_ = nullptr;
    QPushButton* begin_plan_ = nullptr;
    QHBoxLayout* buttons_ = nullptr;
};

} // namespace zorvik::app
