#pragma once
// A backtest: a draw history replayed as a monitoring session with simulated betting, exactly as
// the live monitoring engine would have judged and bet the draws arriving one by one, with each
// monitor's outcome.

#include <QString>
#include <QVector>
#include <functional>
#include <optional>

namespace zorvik::monitor {

struct HistoryDraw {
    QString issue;
    QString numbers; // five digits joined by commas
};

// A history text, one draw a line ("ISSUE:NUMBERS" or "ISSUE<TAB>NUMBERS", five digits with or
// without commas; blank lines skipped), in the order of the issues compared as numbers with
// "-" removed. On a malformed or repeated line: its number and why.
struct HistoryError {
    int line = 0;
    QString reason;
};
std::optional<QVector<HistoryDraw>> parse_history(const QString& text, HistoryError* error);

// A history file's bytes: UTF-8 (with or without a byte-order mark) or GBK, holding the lines
// above or a CSV table whose header row names the issue column and either one numbers column
// ("1,2,3,4,5", "1 2 3 4 5" or "12345") or five digit columns (万位 … 个位); other columns are
// ignored.
std::optional<QVector<HistoryDraw>> parse_history_file(const QByteArray& bytes, HistoryError* error);

// Draws, hits, misses, runs and alerts are counted exactly for any history length, apart from
// the monitor's own statistics (which stop at 32767 as a live monitor's do).
struct MonitorOutcome {
    int position = 0;
    QString title;
    qint64 draws = 0;   // draws that updated it
    qint64 hits = 0;
    qint64 misses = 0;
    qint64 longest_hits = 0;
    qint64 longest_misses = 0;
    qint64 alerts = 0;  // draws after which its alert test held
    // A value would have passed 32767: from this draw (1-based, and its issue) on it was not
    // updated, as a live monitor is not; 0 when it never stopped.
    qint64 stuck_from = 0;
    QString stuck_issue;
    int bets = 0;
    int wins = 0;
    double cost = 0;    // of its settled bets
    double returned = 0;
    double lowest = 0;  // its lowest running income, 0 when never below
    QString lowest_issue; // the draw whose settlement first reached it, empty when never below 0
    QString current;    // its final current value
    double income() const { return returned - cost; }
};

struct BacktestResult {
    QVector<MonitorOutcome> monitors; // in list order
    int bets = 0;
    int wins = 0;
    double cost = 0;
    double returned = 0;
    double income = 0;
    double best = 0;
    double worst = 0;
    qint64 draws_replayed = 0;
};

struct BacktestOptions {
    std::optional<double> stop_profit;
    std::optional<double> stop_loss;
    // Called every so many draws (and at the end) with the number replayed so far; false
    // cancels the replay there.
    std::function<bool(qint64)> progress;
    // Threads sharing the monitors; 0: two once there are a few hundred monitors and two cores.
    int threads = 0;
    // Gives the draws to the live monitoring engine one by one instead: far slower, the same
    // result; what the fast replay is checked against.
    bool through_engine = false;
};

// `list` is a monitor list text (records joined by "|"); its statistics and bet states start
// fresh, as a stored list does.
BacktestResult run_backtest(const QString& list, const QVector<HistoryDraw>& draws,
                            const BacktestOptions& options = {});

// Money to the 厘 at most, no trailing zeros, in double precision.
QString report_money(double value);

} // namespace zorvik::monitor
