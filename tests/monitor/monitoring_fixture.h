#pragma once
// What the monitoring-session tests share: a record made from a few fields, a placer that
// records its orders, and an engine with a draw, a stop amount and a settings file of its own.

#include "fakes/recording_shell.h"
#include "monitor/bet_placer.h"
#include "monitor/engine.h"
#include "support/ini.h"

#include <QHash>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace zorvik::monitor::testing {

using namespace Qt::Literals::StringLiterals;
using zorvik::testing::RecordingShell;


struct Fields {
    QString positions = u"ABC"_s;
    QString play = u"直选复式"_s;
    QString numbers = u"1*2*3"_s;
    QString category = u"遗漏"_s;
    QString condition = u"≥0"_s;
    QString current = u"0"_s;
    QString runs = u"0:0"_s;
    QString totals = u"0:0:0:0"_s;
    QString auto_bet = u"0"_s;
    QString plan = u"1,2,4"_s;
    QString unit = u"1"_s;
    QString pending = u"false"_s;
    QString step = u"0"_s;
    QString bet_info = u"1:0:0:1920"_s;
    QString draw_count = u"0"_s;
    QString initial; // null: the current value
};

// A record text with the given fields (the title from the positions ABC).
inline QString record(const Fields& f)
{
    return QStringList{f.positions,   f.play,      u"前三("_s + f.play + u')',
                       f.numbers,     f.category,  f.condition,
                       u"条件"_s,      f.current,   u"待监控"_s,
                       QString(),     f.draw_count, f.initial.isNull() ? f.current : f.initial,
                       f.runs,        f.totals,    f.auto_bet,
                       f.plan,        f.unit,      f.pending,
                       f.step,        f.bet_info,  u"0"_s}
        .join(u'~');
}

// Places what it is asked, after running `during` (as a platform's page would let events run).
class RecordingPlacer final : public ImmediatePlacer {
public:
    BetResult place(const BetOrder& order) override
    {
        orders.append(order);
        if (during)
            during();
        if (respond)
            return respond(order);
        return {status, u"ORDER"_s + QString::number(orders.size()), order.cost,
                status == 1 ? u"ok"_s : u"平台拒绝"_s};
    }
    QList<BetOrder> orders;
    std::function<void()> during;
    std::function<BetResult(const BetOrder&)> respond; // instead of `status`
    int status = 1;
};

class Monitoring : public ::testing::Test {
protected:
    Monitoring()
    {
        engine_.set_draw_source([this] { return state_; });
        engine_.set_stop_source([this] { return stops_; });
        engine_.set_placer(&placer_);
        engine_.set_lottery(u"合乐平台-HI彩分分彩"_s);
        state_.lookup = &lookup_;
        // Before any draw of the test, issue 1 is on sale (a bet needs its issue).
        state_.next_iss_no = state_.bet_iss = u"1"_s;
    }

    void load(const QStringList& records)
    {
        zorvik::support::ini_write(u"alert_cfg"_s, u"list"_s, u"|"_s + records.join(u'|'),
                                   dir_.filePath(u"bao/cfg.ini"_s));
        engine_.load();
    }

    // Draw `issue` with `digits` arrives; the next one is bet on.
    void draw(int issue, const QString& digits)
    {
        state_.awd_iss = QString::number(issue);
        state_.awd_nums = digits;
        state_.next_iss_no = QString::number(issue + 1);
        state_.bet_iss = QString::number(issue + 1);
        lookup_.insert(QString::number(issue), digits);
        engine_.evaluate_draw();
    }

    Monitor at(int position) const { return *engine_.list().at(position); }

    QTemporaryDir dir_;
    RecordingShell shell_;
    MonitorEngine engine_{shell_, dir_.filePath(u"bao/cfg.ini"_s)};
    RecordingPlacer placer_;
    DrawState state_;
    QHash<QString, QString> lookup_;
    std::pair<QString, QString> stops_{u"1000"_s, u"-1000"_s};
};

inline const QString kMiss = u"9,9,9,9,9"_s;
inline const QString kHit = u"1,2,3,9,9"_s;

} // namespace zorvik::monitor::testing
