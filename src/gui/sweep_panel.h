#pragma once
// The 回测 window's 参数寻优 tab: the selected monitor replayed for every threshold, plan and
// money unit of the ranges typed, off the window's thread, with progress and cancel, the
// variants in a sortable table, and the chosen one handed to the editor.

#include "monitor/sweep.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStandardItemModel;
class QTableView;

namespace zorvik::support {
class Shell;
}

namespace zorvik::app {

class WorkerRun;

class SweepPanel : public QWidget {
    Q_OBJECT
public:
    // Where the draws come from, read on the worker: nothing (with why) when they cannot be had.
    using DrawSource = std::function<std::optional<QVector<monitor::HistoryDraw>>(QString* error)>;
    struct Hooks {
        // The draws chosen in the window, or nothing when the user cancelled the choice.
        std::function<std::optional<DrawSource>()> draws;
        // The stop amounts chosen in the window.
        std::function<monitor::BacktestOptions()> stops;
    };
    // `record` is the selected monitor's text (empty: none selected).
    SweepPanel(support::Shell& shell, QString record, Hooks hooks, QWidget* parent = nullptr);
    ~SweepPanel() override;

    // Starts a sweep over the draws `source` gives.
    void start(DrawSource source);
    bool running() const;
    // Cancels a sweep under way and waits for it.
    void stop();
    QStandardItemModel* results() const { return results_; }

signals:
    void finished_sweep();
    // The user applies a variant to the monitor in the editor.
    void variant_chosen(const monitor::SweepVariant& variant);

private:
    void show_results();
    std::optional<monitor::SweepRanges> ranges();

    support::Shell& shell_;
    QString record_;
    Hooks hooks_;
    QSpinBox* from_ = nullptr;
    QSpinBox* to_ = nullptr;
    QSpinBox* step_ = nullptr;
    QLineEdit* plans_ = nullptr;
    QLineEdit* units_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* apply_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* summary_ = nullptr;
    QTableView* table_ = nullptr;
    QStandardItemModel* results_ = nullptr;
    WorkerRun* run_ = nullptr;
    qint64 variant_count_ = 0;
    std::unique_ptr<QVector<monitor::SweepOutcome>> outcomes_;
};

} // namespace zorvik::app
