#pragma once
// One followed lottery: its draw feed (with its own line), its monitor list and engine, its bet
// log, session counters, income and stop amounts. The first desk is the lottery of the settings
// file's own keys; every further one keeps its settings in a section "desk_N" (N = 2, 3, …).

#include "core/desk_host.h"
#include "core/notify_texts.h"
#include "feed/draw_feed.h"
#include "monitor/backtest.h"
#include "monitor/bet_placer.h"
#include "monitor/engine.h"

#include <QObject>
#include <QStringList>

namespace zorvik::app {

// The money-unit box's lists: Hele and Jingwei lotteries, and UCai ones (which add 厘).
inline constexpr char16_t kUnits[] = u"--选择--|元|角|分";
inline constexpr char16_t kUnitsUcai[] = u"--选择--|元|角|分|厘";
inline constexpr int kUnitsSelected = 2;

// What choosing a lottery sets up besides the feed.
struct LotteryChoice {
    QString platform;    // "hele", "ucai" or "jw"
    QString units;       // the money-unit box's list
    bool auto_bet = true; // automatic betting offered
    QStringList addresses;
    int saved_index = 0;
};

class Desk : public QObject {
    Q_OBJECT
public:
    Desk(DeskHost& host, int number);
    ~Desk() override;

    int number() const { return number_; }
    feed::DrawFeed& feed() { return feed_; }
    monitor::MonitorEngine& engine() { return engine_; }
    const QString& lottery() const { return lottery_; }

    // Applies a lottery as the user's choice would: the feed follows it, the platform's address
    // list is fetched and the line kept for this desk is taken.
    LotteryChoice choose_lottery(const QString& name);
    // The draw line: picked from the list (kept) or typed and confirmed (not kept).
    void pick_address(const QString& address, int index);
    void enter_address(const QString& address);
    // Starts monitoring once draw history is there; false, with a message, before that.
    bool start_monitoring();
    // Why monitoring cannot start now (no draw history yet); empty when it can.
    QString start_refusal() const;
    // Starts monitoring at the first new draw that finds draw history.
    void start_when_ready() { start_pending_ = true; }
    // The start button: asks before stopping a running session, else starts one.
    void begin_plan_clicked();
    // Monitoring off, for this reason ("button", "web", "exit", "total stop").
    void stop(const QString& why);
    // The draws known for this lottery, oldest first: the draw list's and the records'.
    QVector<monitor::HistoryDraw> known_draws();
    // A further desk's stop amounts as kept (止盈, 止损), and written back.
    std::pair<QString, QString> kept_stops() const;
    // Where real orders of this desk go: the platform session of its account, in its turn.
    monitor::BetPlacer& platform_placer() { return shared_placer_; }

signals:
    // A new draw, before the monitors judge it.
    void new_draw(const QString& issue, const QString& numbers);
    // A bet's row once the records hold it; an order whose answer did not come in time; one of
    // those found not placed after all.
    void bet_committed(const QStringList& columns);
    void bet_unconfirmed(const QStringList& columns);
    void bet_cancelled(const QStringList& columns);

private:
    // Real money on the platform session of the account of this desk's platform: the order
    // waits its turn in the account's queue of operations (other desks' orders, a login), then
    // the session takes this desk's lottery for it and the first desk's again.
    class SharedPlatformPlacer final : public monitor::BetPlacer {
    public:
        explicit SharedPlatformPlacer(Desk& desk) : desk_(desk) {}
        void submit(monitor::BetJob job) override;

    private:
        Desk& desk_;
    };

    void record_bet(int row);
    void record_settlement(int row);

    DeskHost& host_;
    const int number_;
    QString lottery_;
    QString stop_why_; // why monitoring stops next: "button", "exit", "total stop"; else the stop rule
    bool start_pending_ = false;
    QStringList alerting_; // the titles alerting in the rebuild under way
    QVector<AlertLine> alert_lines_;
    SharedPlatformPlacer shared_placer_{*this};
    feed::DrawFeed feed_;
    monitor::MonitorEngine engine_;
};

// "hele", "ucai", or empty for a lottery bet on no platform session.
QString platform_of(const QString& lottery);

} // namespace zorvik::app
