#pragma once
// The 回测 window: replays the draws the program holds, or a history file, through the
// monitoring engine for the chosen monitors, off the window's thread, with progress and cancel,
// and shows each monitor's outcome in a sortable table with the session's totals.

#include "monitor/backtest.h"

#include <QDialog>
#include <atomic>
#include <memory>
#include <thread>

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QStandardItemModel;
class QTableView;
class QTimer;

namespace zorvik::support {
class Shell;
}

namespace zorvik::app {

class BacktestDialog : public QDialog {
    Q_OBJECT
public:
    // `held_history` is the feed's history text (entries "ISSUE:NUMBERS" joined by "|"); `all`
    // and `selected` the monitor list texts to replay.
    BacktestDialog(support::Shell& shell, QString held_history, QString all, QString selected,
                   QWidget* parent = nullptr);
    ~BacktestDialog() override;

    // Starts a replay of these draws (the window's thread is never held up).
    void start(const QVector<monitor::HistoryDraw>& draws);
    bool running() const { return worker_.joinable() && !done_; }
    QStandardItemModel* results() const { return results_; }

signals:
    void finished_replay();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void start_clicked();
    void poll();
    void show_result();
    void stop_worker();

    support::Shell& shell_;
    QString held_history_;
    QString all_;
    QString selected_;
    QComboBox* source_ = nullptr;
    QCheckBox* only_selected_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* totals_ = nullptr;
    QTableView* table_ = nullptr;
    QStandardItemModel* results_ = nullptr;
    QTimer* poll_ = nullptr;

    std::thread worker_;
    std::atomic<int> replayed_{0};
    std::atomic<bool> cancel_requested_{false};
    std::atomic<bool> done_{true};
    std::unique_ptr<monitor::BacktestResult> result_;
};

} // namespace zorvik::app
