#pragma once
// The draw clock: polls the chosen lottery's source, keeps the current draw, the history and
// the issue lookup, counts down to the bet cut-off and hands every new draw on, once.

#include "feed/parsers.h"
#include "feed/sources.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>
#include <optional>

namespace zorvik::support {
class Clock;
class HttpClient;
class Shell;
} // namespace zorvik::support

namespace zorvik::feed {

inline constexpr int kPollMs = 5000;
inline constexpr int kTickMs = 1000;
inline constexpr int kStartupMs = 2000;
inline constexpr int kReloadTicks = 300;

struct DrawRow {
    QString issue;
    QString numbers;
};

class DrawFeed : public QObject {
    Q_OBJECT
public:
    DrawFeed(support::HttpClient& http, const support::Clock& clock, support::Shell& shell,
             QObject* parent = nullptr);

    Endpoints& endpoints() { return endpoints_; }
    void set_lottery(const QString& name); // also clears the draw state
    QString lottery() const { return lottery_; }
    void set_announce(bool on) { announce_ = on; } // "自动报号"

    // The three timers: polls every 5 s, the countdown every second, a first poll after 2 s.
    void start();

    void poll_awd();
    void reset_awd();
    void reload_awd();
    void refresh_awd_list();
    void tick_countdown(const QString& seconds = QString());
    void on_tick(); // the countdown timer: a tick, and the reload every 301 ticks

    QString awd_iss() const { return awd_iss_; }
    QString awd_nums() const { return awd_nums_; }
    QString next_iss_no() const { return next_iss_no_; }
    QString bet_iss() const { return bet_iss_; }
    QString done_iss() const { return done_iss_; }
    const QString& awd_history() const { return awd_history_; }
    const QHash<QString, QString>& awd_lookup() const { return awd_lookup_; }
    const QVector<DrawRow>& rows() const { return rows_; }
    int countdown() const { return countdown_; }
    QString countdown_text() const { return countdown_text_; }
    int reload_counter() const { return reload_counter_; }

signals:
    void labels_changed(const QString& new_iss, const QString& next_iss, const QString& new_award);
    void countdown_changed(const QString& text);
    void rows_changed();
    void new_draw(const QString& issue, const QString& numbers);
    void started_up(); // after the first poll of the start-up timer

private:
    // What one poll read: the fetch record and, when a source gave one, a new history. It is
    // taken into the state only when the poll still belongs to the current lottery and line.
    struct Poll {
        FetchRecord record;
        std::optional<QString> history;
    };
    void fetch(const Lottery& lottery, Poll& poll, bool option);
    void fetch_public(Poll& poll, bool option, const Sources& sources);
    void fetch_public_trend(Poll& poll);
    void fetch_hele(Poll& poll, bool option, const Lottery& lottery, const Sources& sources);
    void fetch_hele_history(Poll& poll, const QString& query, const QString& countdown,
                            const QString& cz_code, bool option);
    void fetch_datacenter(Poll& poll, bool option, const Sources& sources);
    void take(const Poll& poll, bool option);
    void on_new_awd();
    QString epoch_text() const;
    QString stamp_text() const;

    support::HttpClient& http_;
    const support::Clock& clock_;
    support::Shell& shell_;
    Endpoints endpoints_;
    QString lottery_;
    bool announce_ = false;

    QString awd_iss_;
    QString awd_nums_;
    QString next_iss_no_;
    QString next_iss_date_;
    QString bet_iss_;
    QString done_iss_;
    QString awd_history_;
    QHash<QString, QString> awd_lookup_;
    QVector<DrawRow> rows_;
    bool hele_turn_ = false;
    QString last_upload_md5_;
    int countdown_ = 0;
    QString countdown_text_;
    int reload_counter_ = kReloadTicks;

    QString newest_handled_; // the newest issue handled for this lottery
    quint64 generation_ = 0;  // changes with the lottery and at every reload
    bool polling_ = false;
    bool reload_pending_ = false;
    // Children of the feed, named for whoever looks them up (the tests).
    QTimer poll_timer_{this};
    QTimer tick_timer_{this};
    QTimer startup_timer_{this};
};

} // namespace zorvik::feed
