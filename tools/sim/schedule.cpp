#include "schedule.h"

#include <QStringList>
#include <cmath>
#include <random>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::sim {

const QVector<Game>& games()
{
    static const QVector<Game> list = {
        {u"hele_fenfen"_s, u"HELSSC1"_s, IssueForm::Compact, 1440},
        {u"hele_5fen"_s, u"HELSSC"_s, IssueForm::Compact, 288},
        {u"chongqing"_s, QString(), IssueForm::Public, 120},
        {u"ucai_60s"_s, QString(), IssueForm::Dashed, 1440},
        {u"ucai_300s"_s, QString(), IssueForm::Dashed, 288},
        {u"jw_60s"_s, QString(), IssueForm::Dashed, 1440},
        {u"jw_180s"_s, QString(), IssueForm::Dashed, 480},
    };
    return list;
}

const Game* game_by_code(const QString& code)
{
    for (const Game& g : games())
        if (g.code == code)
            return &g;
    return nullptr;
}

const Game* game_by_site(const QString& site_code)
{
    for (const Game& g : games())
        if (!g.site_code.isEmpty() && g.site_code == site_code)
            return &g;
    return nullptr;
}

Schedule::Schedule(std::uint64_t seed, double period_seconds, QDate start_date, int start_seconds_of_day)
    : seed_(seed), period_(period_seconds), start_date_(start_date), start_seconds_(start_seconds_of_day)
{
}

qint64 Schedule::newest(double elapsed, const Game& game) const
{
    return qint64(std::floor(std::max(0.0, elapsed) / periods_.value(game.code, period_))) + forced_;
}

double Schedule::seconds_left(double elapsed, const Game& game) const
{
    const double period = periods_.value(game.code, period_);
    const double done = std::floor(std::max(0.0, elapsed) / period);
    return (done + 1) * period - elapsed;
}

QString Schedule::issue_at(const Game& game, qint64 index) const
{
    // Draw 0 takes the sequence number the time of day gives; later and earlier draws count on
    // from there, rolling over to the next (or previous) day.
    const qint64 first = qint64(start_seconds_) * game.per_day / 86400 + 1;
    const qint64 absolute = first - 1 + index; // 0-based sequence from the start date
    const qint64 day = absolute >= 0 ? absolute / game.per_day : -((-absolute - 1) / game.per_day) - 1;
    const qint64 sequence = absolute - day * game.per_day + 1;
    const QDate date = start_date_.addDays(day);
    switch (game.form) {
    case IssueForm::Public:
        return date.toString(u"yyMMdd"_s) + QString::number(sequence).rightJustified(3, u'0');
    case IssueForm::Compact:
        return date.toString(u"yyyyMMdd"_s) + QString::number(sequence).rightJustified(4, u'0');
    case IssueForm::Dashed:
        return date.toString(u"yyyyMMdd"_s) + u'-' + QString::number(sequence).rightJustified(4, u'0');
    }
    return QString();
}

Draw Schedule::draw(const Game& game, qint64 index) const
{
    // The numbers follow from the seed and the issue, so a restarted simulator agrees with
    // itself about past draws.
    const QString issue = issue_at(game, index);
    std::seed_seq seq{seed_, std::uint64_t(qHash(game.code)), std::uint64_t(qHash(issue))};
    std::mt19937_64 rng(seq);
    QStringList digits;
    for (int i = 0; i < 5; ++i)
        digits << QString::number(rng() % 10);
    return {index, issue, digits.join(u',')};
}

QString Schedule::next_issue(const Game& game, qint64 index) const
{
    return issue_at(game, index + 1);
}

} // namespace zorvik::sim
