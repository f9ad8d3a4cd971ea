#pragma once
// The monitoring engine: the MonitorList and its editing, the monitoring session, the judging
// of every new draw, the rebuild of the monitor view with its alert actions, automatic bets
// with the multiplier plan, the bet log, its settlement and the stop rule.

#include "monitor/bet_log.h"
#include "monitor/editor.h"
#include "monitor/monitor.h"
#include "monitor/view.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVector>
#include <functional>
#include <optional>

namespace zorvik::support {
class Shell;
}

namespace zorvik::monitor {

class BetPlacer;
struct BetOrder;
struct BetResult;

inline constexpr char16_t kAlertTip[] = u"亲，你有被监控的号码满足了报警条件，请尽快去投注！";
inline constexpr char16_t kMonitoringCaption[] = u"预警监控中...（点击停止）";
inline constexpr char16_t kVirtualBalance[] = u"当前余额: 1024.04";

// What the engine reads of the draw feed.
struct DrawState {
    QString awd_iss;     // the newest issue
    QString awd_nums;    // its digits
    QString next_iss_no; // the next issue, for the status line
    QString bet_iss;     // the issue bet on, as displayed
    const QHash<QString, QString>* lookup = nullptr; // issue without "-" → digits
    // The draw history, newest first ("issue:digits" joined by "|"): the draws a feed skipped
    // are judged from it in order. Null when there is none.
    const QString* history = nullptr;
};

// The four status lines of the betting area.
enum class Line { BetStatus, BetSummary, Income, Balance };

class MonitorEngine : public QObject {
    Q_OBJECT
public:
    MonitorEngine(support::Shell& shell, QString settings_file, QObject* parent = nullptr);
    ~MonitorEngine() override;

    const MonitorList& list() const { return list_; }
    const QVector<MonitorRow>& rows() const { return rows_; }
    bool monitoring() const { return monitoring_; }
    // The counters of the kind of money bet now (simulated or real): the two are never added.
    const Session& session() const { return sessions_[simulated_]; }
    const Session& session(bool simulated) const { return sessions_[simulated]; }
    const QVector<BetRow>& bet_log() const { return bet_log_; }
    QString line(Line which) const;

    // The pop-up and sound boxes of the window, read by the alert actions.
    void set_alert_options(bool tips, bool sound);
    // Where the draw state, the stop amounts (止盈, 止损 as typed) and the placer come from.
    void set_draw_source(std::function<DrawState()> source) { draw_source_ = std::move(source); }
    void set_stop_source(std::function<std::pair<QString, QString>()> source)
    {
        stop_source_ = std::move(source);
    }
    // The stop amounts as they stand now (止盈, 止损; empty: none).
    std::pair<QString, QString> stop_amounts() const
    {
        return stop_source_ ? stop_source_() : std::pair<QString, QString>();
    }
    void set_placer(BetPlacer* placer) { placer_ = placer; }
    // Bets from now on are simulated (我要装逼) or real. Switching starts every monitor's plan
    // from its first entry: a chase never crosses from one kind of money to the other.
    void set_simulated(bool simulated);
    bool simulated() const { return simulated_; }
    // Writes an order to the records before it is sent and answers its reference; an empty
    // answer means it could not be recorded, and the order is then not sent.
    void set_order_recorder(std::function<QString(const BetRow&)> recorder)
    {
        order_recorder_ = std::move(recorder);
    }
    void set_lottery(const QString& name) { lottery_ = name; }
    // Put before the alert tip (the lottery's name, where several are followed).
    void set_tip_prefix(const QString& prefix) { tip_prefix_ = prefix; }
    // Where the settings file keeps the list (by default alert_cfg/list).
    void set_list_place(const QString& section, const QString& key)
    {
        list_section_ = section;
        list_key_ = key;
    }

    // Reads the stored list and shows it.
    void load();
    // Takes a stored list text (as the settings file holds it) and shows it.
    void load_text(const QString& stored);
    // Rebuilds the rows, marks them, raises the tip and the sound for the first alerting row and
    // asks for the bets of alerting or chasing auto-bet monitors.
    void refresh();

    // Adds (id 0) or modifies (id k) from the editor. Messages go to the shell; the validation
    // text, if any, is returned for the editor's error box. A modify sets the editor's id to 0.
    QString save_monitor(EditorRecord& editor);
    // The editor for modifying the row's record after the user's confirmation, or nothing.
    std::optional<EditorRecord> modify_monitor(std::optional<int> position,
                                               const EditorRecord& base);
    void delete_monitor(std::optional<int> position);
    void delete_all();
    // Turns a monitor's automatic betting on or off, keeping its statistics and plan step; the
    // next draw judged acts on it, nothing is bet now (an order waiting its turn is dropped when
    // turned off). False for a position that holds no monitor.
    bool set_auto_bet(int position, bool on);

    // Writes the stored form of the list to the settings file; false (and write_failed) when the
    // file could not be written and keeps its previous content.
    bool save_list();

    // Monitoring on: every monitor starts again from its initial value, the bet log and the
    // session's counters are cleared (not the income), and the newest draw is judged at once.
    // Off: statuses back to "待监控"; bets and plan steps stay as they are. A session started
    // without judging waits for the next draw (a replay starts before its first draw).
    void set_monitoring(bool on, bool judge_now = true);
    // Judges the newest draw: every monitor's statistics, the placed bets, the rebuild with its
    // alerts and bets, the settlement and the stop rule. Nothing while monitoring is off.
    void evaluate_draw();
    // How often a pass lets the window process its events (milliseconds; 0: before every
    // monitor).
    void set_breathe_interval(int ms) { breathe_ms_ = ms; }
    // The simulated balance typed by the user becomes the balance line.
    void set_virtual_balance(const QString& text);
    // Writes a status line (the platform drivers report their progress here).
    void set_line(Line which, const QString& text);
    // Judges the bets that waited for a draw the feed skipped, now that the draw is known (the
    // history was fetched again), and asks for the bets of the issue on sale.
    void resolve_waiting();
    // Places the bets queued while the platform was busy, those still for the issue on sale.
    void place_queued();
    // Every monitor's plan starts again from its first entry and forgets a pending bet.
    void restart_plans();
    // The answer of an order left unconfirmed came after all: its row (the first unconfirmed one
    // of that issue, play, numbers and multiplier) is placed, counted and later settled, or
    // refused and never counted. False when no such row is in the log.
    bool take_late_answer(const BetOrder& order, const BetResult& result);

signals:
    void rows_changed();
    void write_failed();
    void line_changed(zorvik::monitor::Line which, const QString& text);
    void monitoring_changed(bool on);
    // A rebuild's alerting rows, in list order.
    void alerted(int position, const QString& title);
    void bet_log_reset();
    void bet_added(int row);   // appended at the end (placed, or sent and not confirmed)
    // An order's answer did not come in time: it may have been placed (the row as sent).
    void bet_unconfirmed(const zorvik::monitor::BetRow& row);
    // A recorded order that was not placed after all: refused, not sent, or cancelled by the
    // balance after a time-out (`was_unconfirmed`).
    void order_dropped(const zorvik::monitor::BetRow& row, bool was_unconfirmed);
    // A bet was asked for and not placed (the platform's or the placer's message).
    void bet_refused(const QString& issue, const QString& title, const QString& message);
    void bet_settled(int row);
    // An unconfirmed row's late answer placed it (now open, awaiting its draw) or refused it.
    void bet_resolved(int row);
    void bet_rows_dropped(int count); // the oldest settled rows, past the cap
    // A bet waits for the draw of this issue, which the feed skipped and its history lacks.
    void draw_missing(const QString& issue);
    // A rebuild has ended, its alerts raised and its bets asked for.
    void rebuilt();

private:
    QString confirm_title() const;
    bool stored(bool written);
    DrawState draw_state() const;
    // A bet asked for: the monitor, and the issue on sale when it was judged (empty: now).
    struct BetRequest {
        quint64 uid = 0;
        QString issue;
    };
    void ask_bet(const BetRequest& request);
    // A bet handed to the placer: its row, the plan entry, the issue and why it was kept back.
    struct Placement {
        BetRow row;
        quint64 uid = 0;
        int step = 0;      // the plan entry bet
        int plan_step = 0; // the monitor's step as it stood
        QString issue;
        QString title;
        QString kept_back;
        bool late = false; // kept back because its issue had closed
    };
    // Right before the order goes out: still wanted, and recorded.
    bool may_send(Placement& p);
    void bet_done(Placement& p, const BetResult& result);
    // An order the platform (or the queue) found too late for its issue: counted per issue.
    void count_late(const QString& issue);
    void tell_late();
    // Settles the open rows whose draws are known; with `stop_rule`, applies the stop amounts.
    // False when a stop box holds no number: the settlement of this draw ends there.
    bool settle_bets(const DrawState& state, bool stop_rule);
    // After the draw's bets: the summary, the bet log's cap and the income line.
    void finish_settlement();
    void apply_monitoring(bool on, bool judge_now);
    // The summary line (`summary`) or the income line, for the kind of money bet now.
    void refresh_lines(bool summary);
    // The draws between the last judged one and the newest, oldest first, from the history.
    QVector<std::pair<QString, QString>> skipped_draws(const DrawState& state) const;
    // The draw being judged: its issue without "-", its digits, and the digits read once.
    struct Judged {
        QString key;
        QString nums;
        std::optional<rules::DrawDigits> digits;
        const QHash<QString, QString>* lookup = nullptr;
    };
    // Judges one monitor against the draw and settles its plan step from its bet's own draw.
    void judge(Monitor& m, const Judged& draw);
    void settle_plan(Monitor& m, bool hit, const Judged& draw);
    // Judges the monitors with these identities wherever they are now (from `position` while
    // the list has not moved), letting the window's events run between them.
    void judge_by_identity(int position, const QVector<quint64>& uids, const Judged& draw);
    void run_pass();
    // The rows' alert actions: the signals, the tip and the sound, the bets.
    void raise_alerts();
    // True when a long pass should let the window process its events now (breathe), at its
    // `step`-th monitor. The clock is read every 64 monitors only: reading it costs as much as
    // judging one.
    bool breath_due(qsizetype step) const
    {
        return (breathe_ms_ <= 0 || (step & 63) == 0) && breath_due_now();
    }
    bool breath_due_now() const;
    void breathe();

    support::Shell& shell_;
    QString settings_file_;
    QString list_section_ = QStringLiteral("alert_cfg");
    QString list_key_ = QStringLiteral("list");
    MonitorList list_;
    QVector<MonitorRow> rows_;
    bool monitoring_ = false;
    QString tip_prefix_;
    bool alert_tips_ = true;
    bool alert_sound_ = true;
    QString lottery_;
    std::function<DrawState()> draw_source_;
    std::function<std::pair<QString, QString>()> stop_source_;
    BetPlacer* placer_ = nullptr;
    std::function<QString(const BetRow&)> order_recorder_;

    Session sessions_[2]; // real, simulated
    bool simulated_ = false;
    // A pass is never nested: what arrives while one lets events run waits for its end.
    bool in_pass_ = false;
    bool draw_due_ = false;
    std::optional<std::pair<bool, bool>> monitoring_due_; // on, judge now
    bool stop_pending_ = false; // a stop waits for the pass: no more bets meanwhile
    QString judged_key_;        // the newest issue judged this session, without "-"
    QSet<QString> missing_told_; // skipped draws a bet waits for, told once each
    // The summary and income lines as last made, and the figures they were made from.
    std::optional<std::pair<bool, Session>> summarized_;
    QString summary_text_;
    std::optional<std::pair<bool, double>> summarized_income_;
    QString income_text_;
    // The stop boxes' texts as last read, and their numbers.
    std::pair<QString, QString> stop_texts_;
    std::optional<std::pair<std::optional<double>, std::optional<double>>> stop_values_;
    QVector<BetRow> bet_log_;
    QString lines_[4];
    QVector<MonitorRow> pass_rows_;      // a pass's rows, kept for the next pass's use
    QSet<quint64> placing_;              // monitors whose placement is under way
    QVector<BetRequest> deferred_;       // bets asked for while the platform was busy
    QHash<quint64, QString> last_bet_issue_; // the issue each monitor last bet on
    quint64 session_no_ = 0;                 // this run's sessions, counted from 1
    QHash<quint64, quint64> bet_session_;    // the session each monitor last bet in
    // Orders of an issue that came too late for it: the issue, the count, whether it was said.
    struct Late {
        QString issue;
        int count = 0;
        bool told = true;
    } late_;
    std::pair<QString, QString> issue_date_; // the issue bet on and its date part
    qint64 breathed_at_ = 0;
    int breathe_ms_ = 8;
};

} // namespace zorvik::monitor
