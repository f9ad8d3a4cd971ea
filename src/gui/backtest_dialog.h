#pragma once
// The 回测 window: replays the draws the program holds, or a history file, through the
// monitoring engine for the chosen monitors, off the window's thread, with progress and cancel,
// and shows each monitor's outcome in a sortable table with the session's totals.

#include "gui/sweep_panel.h"
#include "monitor/backtest.h"

#include <QDialog>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStandardItemModel;
class QTabWidget;
class QTableView;
class QTimer;

namespace zorvik::support {
class Shell;
}

namespace zorvik::app {

class WorkerRun;

class BacktestDialog : public QDialog {
    Q_OBJECT
public:
    // `held_history` is the feed's history text (entries "ISSUE:NUMBERS" joined by "|"); `all`
    // and `selected` the monitor list texts to replay; the stop amounts start as the window's.
    BacktestDialog(support::Shell& shell, QString held_history, QString all, QString selected,
                   QWidget* parent = nullptr, const QString& stop_profit = QString(),
                   const QString& stop_loss = QString());
    ~BacktestDialog() override;

    // Starts a replay of these draws (the window's thread is never held up).
    void start(const QVector<monitor::HistoryDraw>& draws);
    // Reads the history file and replays it, both on the worker.
    void start_file(const QString& name);
    bool running() const;
    QStandardItemModel* results() const { return results_; }
    SweepPanel* sweep() const { return sweep_; }

signals:
    void finished_replay();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void start_clicked();
    // The draws chosen in the source box (a file asked for first), or nothing when cancelled.
    std::optional<SweepPanel::DrawSource> pick_source();
    static SweepPanel::DrawSource file_source(const QString& name);
    monitor::BacktestOptions stop_options() const;
    void show_result();
    // Starts the worker on the draws `source` gives (an error text instead when it fails).
    void run(SweepPanel::DrawSource source);

    support::Shell& shell_;
    QString held_history_;
    QString all_;
    QString selected_;
    QComboBox* source_ = nullptr;
    QCheckBox* only_selected_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLineEdit* stop_profit_ = nullptr;
    QLineEdit* stop_loss_ = nullptr;
    QLabel* totals_ = nullptr;
    QTableView* table_ = nullptr;
    QStandardItemModel* results_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    SweepPanel* sweep_ = nullptr;
    WorkerRun* run_ = nullptr;
    std::unique_ptr<monitor::BacktestResult> result_;
};

} // namespace zorvik::app
