#include "core/desk.h"

#include "feed/catalogue.h"
#include "monitor/trend.h"
#include "platform/session.h"
#include "records/record_writer.h"
#include "service/service_link.h"
#include "support/clock.h"
#include "support/identity.h"
#include "support/shell.h"

#include <QPointer>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

QString platform_of(const QString& lottery)
{
    if (lottery.contains(u"合乐"_s))
        return u"hele"_s;
    if (lottery.contains(u"U彩"_s))
        return u"ucai"_s;
    return QString();
}

QStringList bet_columns(const monitor::BetRow& row)
{
    QStringList columns;
    for (const QString& c : row.columns)
        columns << c;
    return columns;
}

void Desk::SharedPlatformPlacer::submit(monitor::BetJob job)
{
    const int which = desk_.host_.account_of(desk_.lottery_);
    // Never placed within the draw's judging: the pass ends at once, the order in its turn.
    desk_.host_.post_to_platform(which, [desk = QPointer<Desk>(&desk_), which, job = std::move(job)] {
        if (!desk || !job.send()) {
            job.done(monitor::BetResult{monitor::kNotSent, {}, {}, {}});
            return;
        }
        DeskHost& host = desk->host_;
        platform::PlatformSession& session = host.platform(which);
        const feed::Lottery* lottery = feed::find_lottery(desk->lottery_);
        session.set_lottery(desk->lottery_, lottery ? lottery->plt_page : QString(), lottery ? lottery->ucai_game : 0);
        const monitor::BetResult result = session.place(job.order);
        host.follow_home(which);
        job.done(result);
    });
}

Desk::Desk(DeskHost& host, int number)
    : host_(host), number_(number), feed_(host.http(), host.clock(), host.shell()),
      engine_(host.shell(), host.settings_file())
{
    feed_.endpoints().public_base = host.net().public_base;
    feed_.endpoints().trend_base = host.net().trend_base;
    feed_.endpoints().datacenter_base = host.service().datacenter_base();
    feed_.endpoints().upload_base = host.service().upload_base();
    if (number_ > 1) {
        engine_.set_list_place(desk_section(number_), QString::fromUtf16(keys::kList));
        engine_.set_stop_source([this] { return kept_stops(); });
    }
    connect(&engine_, &monitor::MonitorEngine::write_failed, this, [this] { host_.report_write(false); });
    engine_.set_draw_source([this] {
        monitor::DrawState state;
        state.awd_iss = feed_.awd_iss();
        state.awd_nums = feed_.awd_nums();
        state.next_iss_no = feed_.next_iss_no();
        state.bet_iss = feed_.bet_iss();
        state.lookup = &feed_.awd_lookup();
        state.history = &feed_.awd_history();
        return state;
    });
    engine_.set_placer(&host_.no_account());
    // The betting page is loaded again after every rebuild, once a platform has been used.
    connect(&engine_, &monitor::MonitorEngine::rebuilt, this, [this] {
        // One notification per rebuild that raised the alert, while monitoring.
        if (!alerting_.isEmpty() && engine_.monitoring())
            host_.notify(lottery_, u"alert"_s, feed_.bet_iss(), alerting_.first(),
                         QString::fromUtf16(monitor::kAlertTip) + u' ' + alerting_.join(u'，'),
                         alert_message(lottery_, feed_.bet_iss(), alert_lines_));
        alerting_.clear();
        alert_lines_.clear();
        for (int which = 0; which < DeskHost::kAccounts; ++which)
            if (host_.home_desk(which) == this)
                host_.post_to_platform(which, [&host = host_, which] { host.platform(which).load_game_page(); });
    });
    connect(&engine_, &monitor::MonitorEngine::alerted, this, [this](int position, const QString& title) {
        alerting_ << title;
        const auto record = engine_.list().at(position);
        alert_lines_.append({title, record ? record->field(monitor::kCategory) : QString(),
                             record ? record->field(monitor::kCurrent) : QString()});
    });
    connect(&engine_, &monitor::MonitorEngine::bet_refused, this,
            [this](const QString& issue, const QString& title, const QString& message) {
                host_.notify(lottery_, u"refused"_s, issue, title, message,
                             refused_message(lottery_, issue, title, message));
            });
    connect(this, &Desk::bet_unconfirmed, this, [this](const QStringList& c) { host_.tell_unconfirmed(lottery_, c); });
    connect(&engine_, &monitor::MonitorEngine::bet_added, this, [this](int row) {
        record_bet(row);
        if (!host_.virtual_betting())
            host_.refresh_balance(host_.account_of(lottery_));
    });
    // Every order is in the records before it is sent; real money is not sent without them.
    engine_.set_order_recorder([this](const monitor::BetRow& row) { return host_.record_order(lottery_, row); });
    connect(&engine_, &monitor::MonitorEngine::bet_unconfirmed, this,
            [this](const monitor::BetRow& row) { emit bet_unconfirmed(bet_columns(row)); });
    connect(&engine_, &monitor::MonitorEngine::order_dropped, this,
            [this](const monitor::BetRow& row, bool was_unconfirmed) {
                if (!row.ref.isEmpty())
                    host_.records().drop(row.ref);
                if (was_unconfirmed)
                    emit bet_cancelled(bet_columns(row));
            });
    // A late answer placed an unconfirmed order: confirmed in the records, told as a bet.
    connect(&engine_, &monitor::MonitorEngine::bet_resolved, this, [this](int row) {
        if (engine_.bet_log().at(row).awaiting_draw())
            record_bet(row);
    });
    connect(&engine_, &monitor::MonitorEngine::bet_settled, this, &Desk::record_settlement);
    connect(&engine_, &monitor::MonitorEngine::bet_settled, this, [this] { host_.bet_settled(); });
    // A bet waits for a draw the feed skipped: the whole draw history is fetched again, once the
    // pass that found it has ended.
    connect(
        &engine_, &monitor::MonitorEngine::draw_missing, this,
        [this] {
            feed_.reload_awd();
            engine_.resolve_waiting();
        },
        Qt::QueuedConnection);
    connect(&engine_, &monitor::MonitorEngine::monitoring_changed, this, [this](bool on) {
        const QString now = records::record_time(host_.clock().local_now());
        const QString why = stop_why_.isEmpty() ? u"stop rule"_s : stop_why_;
        if (on) {
            host_.records().session_started(lottery_, now);
            // A start after the total stop: stopped again while the totals are still reached.
            host_.desk_started();
        } else {
            host_.records().session_stopped(why, now, lottery_);
            host_.notify(lottery_, u"stop"_s, feed_.bet_iss(), QString(), u"停止监控（"_s + stop_reason(why) + u'）',
                         stop_message(lottery_, why));
            // The total stop is said on this desk after its own stop line, whenever its stop
            // came (a desk in its pass stops when the pass ends).
            if (why == u"total stop")
                QMetaObject::invokeMethod(
                    this, [this] { engine_.set_line(monitor::Line::BetStatus, host_.total_stop_text()); },
                    Qt::QueuedConnection);
        }
        stop_why_.clear();
    });
    connect(&feed_, &feed::DrawFeed::new_draw, this, [this](const QString& issue, const QString& numbers) {
        const QString now = records::record_time(host_.clock().local_now());
        host_.records().add_draw(lottery_, issue, numbers, now);
        // Bets of earlier runs are settled as their draws become known.
        host_.records().settle_open(lottery_, feed_.awd_lookup(), now);
        emit new_draw(issue, numbers); // told first, then judged
        // A start that waited for draw history judges this draw itself.
        if (start_pending_ && !engine_.monitoring() && feed_.awd_history().size() > 0) {
            start_pending_ = false;
            start_monitoring();
            return;
        }
        engine_.evaluate_draw();
    });
}

Desk::~Desk() = default;

std::pair<QString, QString> Desk::kept_stops() const
{
    // Read at every settlement, as the window's boxes are: an amount changed in the file applies.
    return load_desk_stops(host_.settings_file(), number_);
}

void Desk::record_bet(int row)
{
    const monitor::BetRow& bet = engine_.bet_log().at(row);
    if (bet.unconfirmed)
        return; // stays in the records as sent, not confirmed
    const records::BetRecord r = host_.bet_record(lottery_, bet);
    const QStringList columns = bet_columns(bet);
    host_.notify(lottery_, u"bet"_s, r.issue, r.monitor,
                 r.issue + u"期投注 倍数"_s + QString::number(r.multiplier) + u" 成本"_s +
                     bet.columns[monitor::kBetCost] + u" 订单号"_s + r.order_no,
                 bet_message(lottery_, r.issue, r.monitor, r.multiplier, r.cost, r.order_no));
    // Told from the records' thread, perhaps as the program ends: only to a desk still there.
    const auto committed = [desk = QPointer<Desk>(this), columns](bool) {
        if (desk)
            QMetaObject::invokeMethod(
                desk, [desk, columns] { emit desk->bet_committed(columns); }, Qt::QueuedConnection);
    };
    if (r.ref.isEmpty())
        host_.records().add_bet(r, committed);
    else
        host_.records().confirm(r.ref, r.order_no, r.cost, committed);
}

void Desk::record_settlement(int row)
{
    const monitor::BetRow& bet = engine_.bet_log().at(row);
    host_.records().settle(lottery_, bet.columns[monitor::kBetIssue], bet.columns[monitor::kBetOrder],
                          bet.columns[monitor::kBetDraw], bet.columns[monitor::kBetResult],
                          bet.columns[monitor::kBetReturn].toDouble(),
                          records::record_time(host_.clock().local_now()));
}

QVector<monitor::HistoryDraw> Desk::known_draws()
{
    QStringList texts{feed_.awd_history()};
    host_.records().flush();
    records::RecordStore store;
    if (store.open(host_.records_file()))
        texts << store.draws_text(lottery_);
    return monitor::merge_histories(texts);
}

QString Desk::start_refusal() const
{
    return feed_.awd_history().isEmpty() ? u"还未获取到历史开奖号，无法开启监控"_s : QString();
}

bool Desk::start_monitoring()
{
    if (const QString refusal = start_refusal(); !refusal.isEmpty()) {
        host_.shell().message(refusal);
        return false;
    }
    if (number_ == 1) {
        // The password is kept by the login alone (in the keyring where there is one).
        Options options = host_.options();
        options.plt_pass.clear();
        host_.report_write(settings_save(host_.settings_file(), options));
    }
    engine_.set_monitoring(true);
    return true;
}

void Desk::begin_plan_clicked()
{
    if (!engine_.monitoring()) {
        start_monitoring();
        return;
    }
    if (host_.shell().confirm(u"确认要停止监控？"_s, QString::fromUtf16(support::kTitle) + u" - 确认停止"_s))
        stop(u"button"_s);
}

void Desk::stop(const QString& why)
{
    if (!engine_.monitoring())
        return;
    stop_why_ = why;
    engine_.set_monitoring(false);
}

LotteryChoice Desk::choose_lottery(const QString& name)
{
    feed_.set_lottery(name);
    engine_.set_lottery(name);
    const QString previous = std::exchange(lottery_, name);
    LotteryChoice choice;
    choice.platform = u"hele"_s;
    choice.units = QString::fromUtf16(kUnits);
    if (name.contains(u"合乐"_s)) {
        choice.platform = u"hele"_s;
    } else if (name.contains(u"U彩"_s)) {
        choice.platform = u"ucai"_s;
        choice.units = QString::fromUtf16(kUnitsUcai);
    } else if (name.contains(u"经纬"_s)) {
        choice.platform = u"jw"_s;
        choice.auto_bet = false;
    }
    // The balance of the platform this desk followed before is not this lottery's.
    if (platform_of(name).isEmpty() && !platform_of(previous).isEmpty())
        engine_.set_line(monitor::Line::Balance, QString());
    choice.addresses = host_.service().platform_addresses(choice.platform);
    choice.saved_index = load_desk_line(host_.settings_file(), number_);
    feed_.endpoints().platform_base = choice.saved_index >= 0 && choice.saved_index < choice.addresses.size()
                                          ? choice.addresses[choice.saved_index]
                                          : QString();
    host_.choose_placer(); // the desk bets with its platform's account; the sessions follow
    return choice;
}

void Desk::pick_address(const QString& address, int index)
{
    feed_.endpoints().platform_base = address;
    host_.choose_placer();
    feed_.reload_awd();
    host_.report_write(save_desk_line(host_.settings_file(), number_, index));
}

void Desk::enter_address(const QString& address)
{
    feed_.endpoints().platform_base = address;
    host_.choose_placer();
    feed_.reload_awd();
}

} // namespace zorvik::app
