#pragma once
// The records database bao/records.db: every draw seen, every bet as placed and as settled, and
// the monitoring sessions. SQLite in WAL mode, each write its own committed transaction, so a
// kill at any moment loses nothing committed. A schema version and its migrations let a later
// program open an older file.

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVector>
#include <optional>

namespace zorvik::records {

inline constexpr int kSchemaVersion = 4;

// An order sent whose placement is not known yet, and one the platform took.
inline constexpr char16_t kUnconfirmedState[] = u"unconfirmed";
inline constexpr char16_t kConfirmedState[] = u"confirmed";

struct BetRecord {
    qint64 id = 0;
    QString lottery;
    QString monitor;    // the monitor's title
    QString positions;
    QString play;
    QString numbers;
    QString issue;
    int multiplier = 1;
    double cost = 0;
    double prize = 0;   // what a hit returns
    QString order_no;
    bool simulated = false;
    QString placed_at;  // "yyyy-MM-dd HH:mm:ss", local time
    // Settled rows only.
    QString draw;
    QString result;     // "中" or "挂"; empty while open
    double returned = 0;
    QString settled_at;
    // An order is written before it is sent: "unconfirmed" until the platform's answer (or the
    // balance) confirms it. `ref` finds it again; `balance_before` is the balance read before
    // it was sent (real money), by which a lost answer is resolved.
    QString state = QString::fromUtf16(kConfirmedState);
    QString ref;
    std::optional<double> balance_before;
    // An unconfirmed order the user was told of once after a restart: not told again.
    bool told = false;
    bool confirmed() const { return state == QStringView(kConfirmedState); }
};

struct BetFilter {
    std::optional<QDate> day;
    QString lottery;
    QString monitor;
    std::optional<bool> simulated; // one kind of money only
};

// Totals count confirmed orders only, and never add simulated money to real money.
struct DayTotals {
    QString day;
    bool simulated = false;
    int bets = 0;
    double cost = 0;
    double returned = 0;
    double income() const { return returned - cost; }
};

// One connection to one records file, on the thread that made it.
class RecordStore {
public:
    RecordStore();
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // Opens (creating it owner-only) and migrates the file; false with error() when it cannot.
    bool open(const QString& path, bool read_only = false);
    bool is_open() const;
    QString error() const { return error_; }
    int schema_version();
    // True when the file is a records database of this program (its version and bets table).
    bool holds_records();

    // Each write is one committed transaction; false with error() when it failed.
    bool add_draw(const QString& lottery, const QString& issue, const QString& numbers, const QString& seen_at);
    bool add_bet(const BetRecord& bet);
    // The order of that reference is placed (its number and what it cost) or was never placed.
    bool confirm(const QString& ref, const QString& order_no, double cost);
    bool drop(const QString& ref);
    // The user has been told that the order of that reference is still not known.
    bool mark_told(const QString& ref);
    // The orders whose placement is not known, oldest first.
    QVector<BetRecord> unconfirmed_bets();
    // Settles the open row of that order; rows already settled stay as they are.
    bool settle(const QString& lottery, const QString& issue, const QString& order_no, const QString& draw,
                const QString& result, double returned, const QString& at);
    bool session_started(const QString& lottery, const QString& at);
    // Ends the open sessions of a lottery (of every lottery when it is empty): why is "button",
    // "stop rule" or "exit".
    bool session_stopped(const QString& why, const QString& at, const QString& lottery = {});
    // The sessions a killed run left open end ("exit") at the last thing recorded for them.
    bool close_killed_sessions();

    QVector<BetRecord> bets(const BetFilter& filter = {});
    // Confirmed orders not settled yet.
    QVector<BetRecord> open_bets();
    // The numbers of a draw the records hold, empty when none.
    QString draw_numbers(const QString& lottery, const QString& issue);
    // One row per day and kind of money, days in order, real money first.
    QVector<DayTotals> day_totals(const BetFilter& filter = {});
    QStringList lotteries();
    // The monitors with bets: of that lottery, or of every lottery when it is empty.
    QStringList monitors(const QString& lottery = {});
    // The lottery's recorded draws as a history text ("issue:numbers" joined by "|").
    QString draws_text(const QString& lottery);
    // The days with bets, newest first ("yyyy-MM-dd").
    QStringList days();

private:
    bool exec(const QString& sql);
    bool migrate();
    // The bets of "SELECT … FROM bets" followed by `rest` (a condition and an order).
    QVector<BetRecord> select_bets(const QString& rest, const QVariantList& values);
    QString connection_;
    QString error_;
};

// The text of a time for the records.
QString record_time(const class QDateTime& at);

// The rows as CSV (RFC 4180): a header row, then one row per bet, CR LF after each.
QString bets_csv(const QVector<BetRecord>& bets);
// A CSV field, quoted when it holds a comma, a quote or a line break.
QString csv_field(const QString& text);

} // namespace zorvik::records
