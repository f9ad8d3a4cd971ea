#pragma once

#include <algorithm>
// The simulator's draws: one stream per game code, made from a seed on a fixed schedule, each
// issue written in the form its source uses.

#include <QDate>
#include <QMap>
#include <QString>
#include <QVector>
#include <cstdint>

namespace zorvik::sim {

enum class IssueForm {
    Public,     // yymmdd + three digits (the site prepends "20"), 120 draws a day
    Compact,    // yyyymmdd + four digits, as the Hele platform writes it
    Dashed,     // yyyymmdd "-" four digits, as the data centre writes it
};

struct Game {
    QString code;      // data-centre code, or "chongqing" for the public site
    QString site_code; // Hele site code, Hele games only
    IssueForm form;
    int per_day;
};

struct Draw {
    qint64 index;    // 0 is the newest draw when the simulator started
    QString issue;   // in the game's own form
    QString numbers; // five digits joined by commas
};

const QVector<Game>& games();
const Game* game_by_code(const QString& code);
const Game* game_by_site(const QString& site_code);

class Schedule {
public:
    Schedule(std::uint64_t seed, double period_seconds, QDate start_date, int start_seconds_of_day);

    // A game drawn at its own period (by default the schedule's).
    void set_period(const QString& code, double seconds) { periods_[code] = seconds; }
    // The game's newest draw index at `elapsed` seconds since the start (forced draws included).
    qint64 newest(double elapsed, const Game& game) const;
    // Seconds from `elapsed` to the game's next scheduled draw.
    double seconds_left(double elapsed, const Game& game) const;
    void force() { ++forced_; }
    // Seconds after the start at which the draw of that index was made (a draw of the start's
    // time and before: 0; draws forced by a fault are not counted apart).
    double drawn_at(const Game& game, qint64 index) const
    {
        return double(std::max<qint64>(0, index - forced_)) * periods_.value(game.code, period_);
    }

    Draw draw(const Game& game, qint64 index) const;
    // The issue after draw `index`.
    QString next_issue(const Game& game, qint64 index) const;

private:
    QString issue_at(const Game& game, qint64 index) const;

    std::uint64_t seed_;
    double period_;
    QMap<QString, double> periods_;
    QDate start_date_;
    int start_seconds_;
    qint64 forced_ = 0;
};

} // namespace zorvik::sim
