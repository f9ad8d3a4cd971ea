#include "monitor/engine.h"

#include "monitor/bet_placer.h"
#include "monitor/evaluate.h"
#include "rules/bets.h"
#include "rules/hit.h"
#include "support/identity.h"
#include "support/ini.h"
#include "support/money.h"
#include "support/shell.h"
#include "support/text.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaMethod>
#include <QScopeGuard>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::monitor {

namespace {

const QString kSection = u"alert_cfg"_s;
const QString kKey = u"list"_s;

// One clock for every engine (a backtest's replay runs one on a worker thread): made once,
// safely, then only read.
const QElapsedTimer& pass_clock()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock;
}

// A text read as a number, or nothing ("1,000" or "abc" are not numbers).
std::optional<double> number(const QString& text)
{
    bool ok = false;
    const double v = support::trim_blanks(text).toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

// True when issue `a` comes before issue `b` (both without "-", of one lottery).
bool issue_before(const QString& a, const QString& b)
{
    if (a.size() == b.size())
        return a < b;
    bool ok_a = false;
    bool ok_b = false;
    const qint64 x = a.toLongLong(&ok_a);
    const qint64 y = b.toLongLong(&ok_b);
    return ok_a && ok_b && x < y;
}

} // namespace

MonitorEngine::MonitorEngine(support::Shell& shell, QString settings_file, QObject* parent)
    : QObject(parent), shell_(shell), settings_file_(std::move(settings_file))
{
    lines_[int(Line::Income)] = u"当前收入：0"_s;
}

MonitorEngine::~MonitorEngine() = default;

void MonitorEngine::set_alert_options(bool tips, bool sound)
{
    alert_tips_ = tips;
    alert_sound_ = sound;
}

QString MonitorEngine::line(Line which) const
{
    return lines_[int(which)];
}

void MonitorEngine::set_line(Line which, const QString& text)
{
    if (lines_[int(which)] == text)
        return;
    lines_[int(which)] = text;
    emit line_changed(which, text);
}

QString MonitorEngine::confirm_title() const
{
    return QString::fromUtf16(support::kTitle) + u" - 确认"_s;
}

DrawState MonitorEngine::draw_state() const
{
    return draw_source_ ? draw_source_() : DrawState();
}

bool MonitorEngine::breath_due_now() const
{
    return breathe_ms_ <= 0 || pass_clock().elapsed() - breathed_at_ >= breathe_ms_;
}

void MonitorEngine::breathe()
{
    QCoreApplication::processEvents();
    breathed_at_ = pass_clock().elapsed();
}

void MonitorEngine::load()
{
    load_text(support::ini_read_whole(kSection, kKey, settings_file_));
}

void MonitorEngine::load_text(const QString& stored)
{
    list_ = MonitorList::from_stored(stored);
    refresh();
}

// ---------------------------------------------------------------------------------------------
// The rebuild and its alert actions

void MonitorEngine::refresh()
{
    // The rows are written over the previous ones: a pass rebuilds them after every draw.
    qsizetype count = 0;
    for (int position = 1; position < list_.size(); ++position) {
        const Monitor* m = list_.find(position);
        if (!m)
            continue;
        if (count == rows_.size())
            rows_.emplace_back();
        fill_row(rows_[count++], position, *m);
    }
    rows_.resize(count);
    raise_alerts();
}

void MonitorEngine::raise_alerts()
{
    // The alert actions are gathered from the rows and carried out after the view has them. A
    // bet's wait runs the event loop, so a draw or an edit may rebuild again meanwhile: each bet
    // finds its monitor again by identity.
    const bool listened = isSignalConnected(QMetaMethod::fromSignal(&MonitorEngine::alerted));
    QVector<std::pair<int, QString>> alerting;
    bool any_alert = false;
    QVector<quint64> bets;
    for (const MonitorRow& row : std::as_const(rows_)) {
        if (!row.marked)
            continue;
        const Monitor* m = list_.find(row.position);
        if (row.alerts) {
            any_alert = true;
            if (listened)
                alerting.append({row.position, m->field(kTitle)});
        }
        if (m->ready_to_bet())
            bets.append(row.uid);
    }
    emit rows_changed();
    for (const auto& [position, title] : alerting)
        emit alerted(position, title);
    // One rebuild raises one tip and one sound, for its first alerting row.
    if (any_alert) {
        if (alert_tips_)
            shell_.tip(QString::fromUtf16(kAlertTip));
        if (alert_sound_)
            shell_.alert_sound(QString());
    }
    for (quint64 uid : bets)
        ask_bet({uid, QString()});
    emit rebuilt();
}

// ---------------------------------------------------------------------------------------------
// Bets

void MonitorEngine::ask_bet(const BetRequest& request)
{
    const quint64 uid = request.uid;
    if (!monitoring_ || stop_pending_)
        return;
    if (lottery_.contains(u"经纬"_s)) {
        set_line(Line::BetStatus, u"当前不能投注，你必须选择合乐或U彩平台"_s);
        return;
    }
    const DrawState state = draw_state();
    // A request belongs to the draw it was judged on: once another issue is on sale, that
    // draw's own rebuild asks again for what still alerts or chases.
    if (!request.issue.isEmpty() && request.issue != state.bet_iss) {
        if (const Monitor* m = list_.find(list_.position_of(uid)))
            set_line(Line::BetStatus, request.issue + u"期已截止，排队的投注不再下单："_s + m->field(kTitle));
        return;
    }
    // One placement at a time: a bet asked for by a rebuild nested in a bet's wait (its own
    // monitor's included) is asked again once that bet is done, with everything checked anew,
    // so the platform's page answers one order at a time.
    if (!placing_.isEmpty()) {
        const auto queued = std::find_if(deferred_.cbegin(), deferred_.cend(),
                                         [uid](const BetRequest& r) { return r.uid == uid; });
        if (queued == deferred_.cend())
            deferred_.append({uid, state.bet_iss});
        return;
    }
    const Monitor* live = list_.find(list_.position_of(uid));
    if (!live || live->field(kAutoBet) != u"1" || live->field(kBetPending) != u"false" || live->stuck())
        return;
    const Monitor m = *live;
    // Never twice for one issue, across a stop and a start too.
    if (!state.bet_iss.isEmpty() && last_bet_issue_.value(uid) == state.bet_iss)
        return;

    // The multiplier: the plan walked one entry per losing bet, back to the first past its end.
    const QStringList plan = m.field(kBetPlan).split(u',');
    int step = support::to_int(m.field(kPlanStep));
    if (step < 0 || step > plan.size() - 1)
        step = 0;
    bool ok = false;
    const int multiplier = support::trim_blanks(plan[step]).toInt(&ok);
    if (!ok || multiplier <= 0) {
        set_line(Line::BetStatus,
                 u"投注计划第"_s + QString::number(step + 1) + u"项不是正数，本次不投注"_s);
        return;
    }
    const QString unit = rules::unit_name(support::to_int(m.field(kMoneyUnit)));
    qint64 count = qint64(number(m.part(kBetInfo, 0)).value_or(0));
    if (count == 0)
        count = rules::bet_count(m.field(kTitle), m.field(kNumbers));
    const QString odds = m.part(kBetInfo, 3);
    const QString cost = rules::bet_cost(double(count), multiplier, unit);
    const QString prize = rules::win_amount(m.field(kTitle), multiplier, unit, odds);

    // The row's text: an auto-bet monitor's title with its "* ".
    set_line(Line::BetStatus,
             u"准备投注："_s + state.next_iss_no + u"期，玩法：* "_s + m.field(kTitle));
    if (!placer_)
        return;
    BetOrder order;
    order.lottery = lottery_;
    order.issue = state.next_iss_no;
    order.issue_date = state.bet_iss.contains(u'-') ? state.bet_iss.section(u'-', 0, 0) : QString();
    order.title = m.field(kTitle);
    order.numbers = m.field(kNumbers);
    order.unit_index = support::to_int(m.field(kMoneyUnit));
    order.odds = odds;
    order.count = count;
    order.multiplier = multiplier;
    order.cost = cost;

    BetRow row;
    row.columns = {state.bet_iss,
                   QString::fromUtf16(kOpen),
                   m.field(kTitle),
                   QString::number(multiplier),
                   cost,
                   QString::fromUtf16(kUnconfirmedMark),
                   QString::fromUtf16(kOpen),
                   QString(),
                   m.field(kNumbers),
                   m.field(kPositions) + u'|' + support::trim_blanks(m.field(kPlay)) + u'|' + prize};
    row.monitor = uid;
    row.simulated = simulated_;
    // Under way from here: recording the order may wait (the balance is read), and a rebuild
    // nested in that wait must not ask for this monitor again.
    placing_.insert(uid);
    last_bet_issue_.insert(uid, state.bet_iss);
    // The order is in the records before it is sent: a kill at any moment loses none.
    if (order_recorder_) {
        row.ref = order_recorder_(row);
        if (row.ref.isEmpty()) {
            placing_.remove(uid);
            last_bet_issue_.remove(uid);
            set_line(Line::BetStatus, u"投注记录无法写入，本次不下单"_s);
            place_queued();
            return;
        }
    }
    const BetResult result = placer_->place(order);
    placing_.remove(uid);
    // The bets deferred meanwhile, for the draw state as it is now.
    auto place_deferred = qScopeGuard([this] { place_queued(); });
    if (result.timed_out) {
        emit bet_unconfirmed(row);
        if (result.status != 1 && result.status != kUnconfirmed)
            set_line(Line::BetStatus, result.message);
    }
    if (result.status == kPlacerBusy) {
        // Not sent: asked again once the platform's operation has ended (it says when).
        place_deferred.dismiss();
        last_bet_issue_.remove(uid);
        emit order_dropped(row, false);
        deferred_.append({uid, state.bet_iss});
        set_line(Line::BetStatus, result.message);
        return;
    }
    if (result.status != 1 && result.status != kUnconfirmed) {
        // A refusal may be asked again; an order whose answer never came is not, for this
        // issue, even when the balance says it was not taken: the platform may take it late.
        if (!result.timed_out)
            last_bet_issue_.remove(uid);
        emit order_dropped(row, result.timed_out);
        if (!result.message.isEmpty()) { // an abandoned bet says nothing
            set_line(Line::BetStatus, result.message);
            emit bet_refused(state.bet_iss, m.field(kTitle), result.message);
        }
        return;
    }
    const bool unconfirmed = result.status == kUnconfirmed;
    const QString amount =
        unconfirmed ? cost : support::money_text(number(result.amount).value_or(0));
    // Written into the monitor the bet was made for, wherever the list holds it now; a monitor
    // deleted meanwhile still has its bet in the log. An order not confirmed counts as placed
    // here: it is never sent again for this issue.
    if (Monitor* placed = list_.find(list_.position_of(uid))) {
        placed->set(kBetPending, u"true"_s);
        placed->set(kPlanStep, QString::number(support::to_int(m.field(kPlanStep)) + 1));
        placed->set(kBetInfo, QString::number(count) + u':' + amount + u':' + prize + u':' + odds);
        placed->set(kOrderId, result.order_id);
    }
    row.columns[kBetCost] = amount;
    row.columns[kBetOrder] = result.order_id;
    row.columns[kBetResult] = unconfirmed ? QString::fromUtf16(kUnconfirmedMark) : QString::fromUtf16(kOpen);
    row.unconfirmed = unconfirmed;
    bet_log_.append(row);
    if (!unconfirmed)
        ++sessions_[simulated_].bets;
    emit bet_added(int(bet_log_.size()) - 1);
    set_line(Line::BetStatus, unconfirmed ? result.message : state.bet_iss + u"期投注成功！"_s);
}

void MonitorEngine::resolve_waiting()
{
    if (!monitoring_ || in_pass_)
        return; // the pass will judge them
    const DrawState state = draw_state();
    // Only while the feed shows the draw judged last, with an issue on sale (a reload that has
    // not found its draws again leaves them empty).
    if (!state.lookup || state.bet_iss.isEmpty() || QString(state.awd_iss).remove(u'-') != judged_key_)
        return;
    bool any = false;
    for (int position = 1; position < list_.size(); ++position) {
        Monitor* m = list_.find(position);
        if (!m || !m->awaiting_result())
            continue;
        const QString key = QString(last_bet_issue_.value(m->uid())).remove(u'-');
        const auto known = state.lookup->constFind(key);
        if (key.isEmpty() || key == judged_key_ || !issue_before(key, judged_key_) ||
            known == state.lookup->cend())
            continue;
        const Judged draw{key, *known, rules::read_draw(*known), state.lookup};
        settle_plan(*m, rules::bet_hit(*known, m->field(kPositions), m->field(kNumbers),
                                       support::trim_blanks(m->field(kPlay)))
                            .hit,
                    draw);
        any = true;
    }
    if (!any)
        return;
    // As at a draw: earlier bets settled and the stop rule applied before any bet is asked for.
    const bool settled = settle_bets(state, true);
    refresh();
    if (settled)
        finish_settlement();
}

void MonitorEngine::place_queued()
{
    if (!placing_.isEmpty() || deferred_.isEmpty())
        return;
    // The queue as it stands: a request queued again meanwhile waits for the next turn.
    const QVector<BetRequest> queued = std::exchange(deferred_, {});
    for (const BetRequest& request : queued) {
        if (!placing_.isEmpty()) {
            deferred_.append(request);
            continue;
        }
        ask_bet(request);
    }
}

void MonitorEngine::restart_plans()
{
    for (int position = 1; position < list_.size(); ++position) {
        if (Monitor* m = list_.find(position)) {
            m->set(kPlanStep, u"0"_s);
            m->set(kBetPending, u"false"_s);
        }
    }
    deferred_.clear();
    emit rows_changed();
}

void MonitorEngine::set_simulated(bool simulated)
{
    if (simulated_ == simulated)
        return;
    simulated_ = simulated;
    restart_plans();
    summarized_.reset();
    summarized_income_.reset();
    refresh_lines(false);
}

bool MonitorEngine::settle_bets(const DrawState& state, bool stop_rule)
{
    for (int i = 0; i < bet_log_.size(); ++i) {
        BetRow& row = bet_log_[i];
        if (row.columns[kBetIssue] == state.bet_iss || !row.open() || row.unconfirmed || !state.lookup)
            continue;
        const auto found = state.lookup->constFind(QString(row.columns[kBetIssue]).remove(u'-'));
        if (found == state.lookup->cend())
            continue;
        const QStringList note = row.columns[kBetNote].split(u'|');
        const QString positions = note.value(0);
        const QString play = note.value(1);
        const rules::HitResult hit = rules::bet_hit(*found, positions, row.columns[kBetNumbers], play);
        const double returned = hit.hit ? number(note.value(2)).value_or(0) : 0;
        row.columns[kBetDraw] = *found;
        row.columns[kBetResult] = hit.mark;
        row.columns[kBetReturn] = support::money_text(returned);
        sessions_[row.simulated].income += returned - number(row.columns[kBetCost]).value_or(0);
        emit bet_settled(i);
    }
    for (Session& s : sessions_) {
        s.best = std::max(s.best, s.income);
        s.worst = std::min(s.worst, s.income);
    }
    refresh_lines(true);
    if (!stop_rule)
        return true;
    // A stop box that does not hold a number ends the settlement here for this draw.
    // The boxes are read after every draw and seldom change: their numbers are read again
    // only when their texts have.
    std::pair<QString, QString> stops = stop_source_ ? stop_source_() : std::pair<QString, QString>();
    if (!stop_values_ || stops != stop_texts_) {
        stop_values_ = {number(stops.first), number(stops.second)};
        stop_texts_ = std::move(stops);
    }
    const auto [profit, loss] = *stop_values_;
    if (!profit || !loss)
        return false;
    const double income = session().income;
    if (income >= *profit || income <= *loss) {
        apply_monitoring(false, false);
        // Said after the stop's own line, so that the user reads why monitoring stopped.
        set_line(Line::BetStatus, u"达到止盈或止损额，停止监控和投注"_s);
    }
    return true;
}

void MonitorEngine::finish_settlement()
{
    // The draw's bets are in the log now: its figures, the cap and the income line.
    refresh_lines(true);
    if (bet_log_.size() > kBetLogLimit) {
        const int dropped = int(bet_log_.size()) - kBetLogLimit;
        bet_log_.remove(0, dropped);
        emit bet_rows_dropped(dropped);
    }
    refresh_lines(false);
}

void MonitorEngine::refresh_lines(bool summary)
{
    const Session& now = session();
    if (summary) {
        // The line's text is made again only when its figures have changed: most draws change
        // none.
        if (!summarized_ || summarized_->first != simulated_ || summarized_->second.bets != now.bets ||
            summarized_->second.wins != now.wins || summarized_->second.best != now.best ||
            summarized_->second.worst != now.worst) {
            summarized_ = {simulated_, now};
            summary_text_ = u"投注"_s + QString::number(now.bets) + u"次，中奖"_s +
                            QString::number(now.wins) + u"次\n最大盈利"_s +
                            support::money_text(now.best) + u"，最小收益"_s +
                            support::money_text(now.worst);
        }
        set_line(Line::BetSummary, summary_text_);
        return;
    }
    if (!summarized_income_ || summarized_income_->first != simulated_ ||
        summarized_income_->second != now.income) {
        summarized_income_ = {simulated_, now.income};
        income_text_ = u"当前收入："_s + support::money_text(now.income);
    }
    set_line(Line::Income, income_text_);
}

void MonitorEngine::set_virtual_balance(const QString& text)
{
    set_line(Line::Balance, text);
    shell_.message(u"装逼成功"_s);
}

// ---------------------------------------------------------------------------------------------
// The session and the draw pass

void MonitorEngine::set_monitoring(bool on, bool judge_now)
{
    if (in_pass_) {
        // Handled once the pass has ended; a stop places nothing more meanwhile.
        monitoring_due_ = {on, judge_now};
        stop_pending_ = !on;
        return;
    }
    apply_monitoring(on, judge_now);
}

void MonitorEngine::apply_monitoring(bool on, bool judge_now)
{
    monitoring_ = on;
    stop_pending_ = false;
    emit monitoring_changed(on);
    for (int position = 1; position < list_.size(); ++position) {
        Monitor* m = list_.find(position);
        if (!m)
            continue;
        if (on) {
            m->set(kStatus, u"监控中"_s);
            m->set(kCurrent, m->field(kInitial));
            m->set(kHistory, QString());
            m->set(kDrawCount, u"0"_s);
        } else {
            m->set(kStatus, u"待监控"_s);
        }
    }
    if (!on) {
        set_line(Line::BetStatus, u"停止投注..."_s);
        emit rows_changed();
        return;
    }
    // The rows of earlier sessions go, except those still open: they are settled as their
    // draws come and count in the income.
    const qsizetype before = bet_log_.size();
    bet_log_.removeIf([](const BetRow& row) { return !row.open() || row.unconfirmed; });
    if (before > 0 || !bet_log_.isEmpty())
        emit bet_log_reset();
    judged_key_.clear();
    deferred_.clear();
    for (Session& s : sessions_) {
        s.bets = s.wins = 0;
        s.best = s.worst = 0;
    }
    summarized_.reset();
    set_line(Line::BetSummary, QString());
    set_line(Line::BetStatus, u"启动投注，等待预警结果中...(列表仅保留最近100条数据)"_s);
    if (!judge_now)
        return;
    evaluate_draw();
    refresh();
}

void MonitorEngine::settle_plan(Monitor& m, bool hit, const Judged& draw)
{
    // A bet is judged by its own issue's draw, which the pass has judged in order; a bet whose
    // draw is not this one waits for it (or takes it from the lookup once known).
    const auto issue = last_bet_issue_.constFind(m.uid());
    if (issue != last_bet_issue_.cend() && !issue->isEmpty()) {
        const QString key = QString(*issue).remove(u'-');
        if (key != draw.key) {
            const auto known = draw.lookup ? draw.lookup->constFind(key) : QHash<QString, QString>::const_iterator();
            if (!draw.lookup || known == draw.lookup->cend()) {
                // Skipped by the feed and not in its history: the history is asked for again.
                // (A bet on an issue still to come simply waits.)
                if (issue_before(key, draw.key) && !missing_told_.contains(key)) {
                    missing_told_.insert(key);
                    emit draw_missing(*issue);
                }
                return;
            }
            hit = rules::bet_hit(*known, m.field(kPositions), m.field(kNumbers),
                                 support::trim_blanks(m.field(kPlay)))
                      .hit;
        }
    }
    if (hit) {
        m.set(kPlanStep, u"0"_s);
        ++sessions_[simulated_].wins;
    }
    m.set(kBetPending, u"false"_s);
}

Q_ALWAYS_INLINE void MonitorEngine::judge(Monitor& m, const Judged& draw)
{
    const std::optional<bool> hit = update_monitor(m, draw.nums, draw.digits);
    if (!hit) {
        // It cannot be updated: no alert and no bet; a bet it waits for is let go.
        m.set_stuck(true);
        if (m.awaiting_result())
            m.set(kBetPending, u"false"_s);
        return;
    }
    if (m.stuck())
        m.set_stuck(false);
    if (m.awaiting_result())
        settle_plan(m, *hit, draw);
}

QVector<std::pair<QString, QString>> MonitorEngine::skipped_draws(const DrawState& state) const
{
    QVector<std::pair<QString, QString>> out;
    if (judged_key_.isEmpty() || !state.history)
        return out;
    const QString newest = QString(state.awd_iss).remove(u'-');
    if (newest == judged_key_)
        return out;
    // Walk the newest entries back to the last judged draw; far behind, judge the newest only.
    constexpr int kMaxSkipped = 100;
    const QStringView history(*state.history);
    bool past_newest = false;
    for (const QStringView entry : history.tokenize(u'|')) {
        const qsizetype colon = entry.indexOf(u':');
        if (colon < 0)
            continue;
        const QString key = entry.left(colon).toString().remove(u'-');
        if (key == judged_key_) {
            std::reverse(out.begin(), out.end());
            return out;
        }
        if (!past_newest) {
            past_newest = true;
            if (key == newest)
                continue;
        }
        if (out.size() == kMaxSkipped)
            break;
        out.append({key, entry.mid(colon + 1).toString()});
    }
    return {};
}

void MonitorEngine::evaluate_draw()
{
    if (in_pass_) {
        draw_due_ = true;
        return;
    }
    in_pass_ = true;
    run_pass();
    in_pass_ = false;
    // What arrived meanwhile: a start or a stop, then a draw.
    if (monitoring_due_) {
        const auto [on, judge_now] = *std::exchange(monitoring_due_, std::nullopt);
        apply_monitoring(on, judge_now);
    }
    if (std::exchange(draw_due_, false))
        evaluate_draw();
}

void MonitorEngine::run_pass()
{
    const DrawState state = draw_state();
    if (!monitoring_) {
        // Bets still open when monitoring stopped are settled as their draws come.
        if (std::any_of(bet_log_.cbegin(), bet_log_.cend(), [](const BetRow& r) { return r.open(); })) {
            settle_bets(state, false);
            finish_settlement();
        }
        return;
    }
    // Requests queued for an earlier draw are dropped: this draw's rebuild asks again.
    deferred_.removeIf([&](const BetRequest& r) { return r.issue != state.bet_iss; });
    // Draws the feed skipped over are judged first, in order, so that every draw counts.
    for (const auto& [key, nums] : skipped_draws(state)) {
        const Judged skipped{key, nums, rules::read_draw(nums), state.lookup};
        for (int position = 1; position < list_.size(); ++position)
            if (Monitor* m = list_.find(position))
                judge(*m, skipped);
    }
    const Judged draw{QString(state.awd_iss).remove(u'-'), state.awd_nums,
                      rules::read_draw(state.awd_nums), state.lookup};
    judged_key_ = draw.key;
    // Each monitor is judged and its row made in one walk of the list. When the window's events
    // have to run during the pass, the monitors still to judge are noted first by identity: a
    // monitor added, modified or deleted meanwhile is taken as the user left it, and the rows
    // are made again at the end.
    QVector<MonitorRow> rows;
    rows.swap(pass_rows_); // kept from pass to pass
    rows.resize(list_.size() - 1);
    MonitorRow* row = rows.data();
    bool events_ran = false;
    const int end = list_.size(); // the list changes only while events run, and then this stops
    for (int position = 1; position < end; ++position) {
        if (breath_due(position)) {
            QVector<quint64> rest;
            for (int later = position; later < list_.size(); ++later)
                if (const Monitor* m = list_.find(later))
                    rest.append(m->uid());
            judge_by_identity(position, rest, draw);
            events_ran = true;
            break;
        }
        Monitor* m = list_.find(position);
        if (!m)
            continue;
        judge(*m, draw);
        fill_row(*row++, position, *m);
    }
    // Earlier bets are settled and the stop rule applied before this draw's bets are asked for.
    const bool settled = settle_bets(state, true);
    if (events_ran) {
        pass_rows_.swap(rows);
        refresh();
    } else {
        rows.resize(row - rows.data());
        rows_.swap(rows);
        pass_rows_.swap(rows);
        raise_alerts();
    }
    if (settled)
        finish_settlement();
}

void MonitorEngine::judge_by_identity(int position, const QVector<quint64>& uids, const Judged& draw)
{
    for (qsizetype i = 0; i < uids.size(); ++i) {
        if (i == 0 || breath_due(i))
            breathe();
        // Positions only move when the list changes; look the monitor up again only then.
        Monitor* m = list_.find(position++);
        if (!m || m->uid() != uids[i]) {
            position = list_.position_of(uids[i]);
            m = list_.find(position++);
            if (!m)
                continue; // deleted meanwhile
        }
        judge(*m, draw);
    }
}

// ---------------------------------------------------------------------------------------------
// Editing

bool MonitorEngine::save_list()
{
    return stored(support::ini_write(kSection, kKey, list_.stored_form(), settings_file_) != 0);
}

bool MonitorEngine::stored(bool written)
{
    if (!written)
        emit write_failed();
    return written;
}

QString MonitorEngine::save_monitor(EditorRecord& editor)
{
    const BuildResult built = build_monitor(editor, monitoring_);
    if (const auto* box = std::get_if<MessageBox>(&built)) {
        shell_.message(box->text);
        return QString();
    }
    if (const auto* box = std::get_if<ErrorBox>(&built))
        return box->text;
    const Monitor& record = std::get<Monitor>(built);

    // The list may have changed while the editor was open: the modified monitor is looked up by
    // its settings, so another monitor is never overwritten. If it is gone, the edit is added.
    int position = editor.id;
    const Monitor original = Monitor::from_text(editor.original);
    if (position > 0 && !same_settings(list_.at(position).value_or(Monitor()), original))
        position = list_.find_same(original);
    if (position <= 0) {
        editor.id = 0;
        if (list_.contains_text(record.text())) {
            shell_.message(u"已经存在同样的监控记录或投注配置，无法重复添加！"_s);
            return QString();
        }
        list_.append(record);
        refresh();
        shell_.message(u"添加成功"_s);
    } else {
        list_.replace(position, record);
        editor.id = 0;
        refresh();
        shell_.message(u"修改成功"_s);
    }
    save_list();
    return QString();
}

std::optional<EditorRecord> MonitorEngine::modify_monitor(std::optional<int> position,
                                                          const EditorRecord& base)
{
    if (!position) {
        shell_.message(u"请选择一条要修改的监控"_s);
        return std::nullopt;
    }
    if (!shell_.confirm(u"修改后将会重置监控数据和投注记录，确认修改？"_s, confirm_title()))
        return std::nullopt;
    const std::optional<Monitor> record = list_.at(*position);
    if (*position <= 0 || !record)
        return std::nullopt;
    return editor_from_monitor(*position, *record, base);
}

void MonitorEngine::delete_monitor(std::optional<int> position)
{
    if (!position) {
        shell_.message(u"请选择一条要删除的监控"_s);
        return;
    }
    if (!shell_.confirm(u"确认删除？"_s, confirm_title()))
        return;
    if (*position > 0) {
        list_.remove(*position);
        refresh();
    }
    save_list();
}

void MonitorEngine::delete_all()
{
    if (!shell_.confirm(u"确认清空所有监控项？"_s, confirm_title()))
        return;
    list_.clear();
    refresh();
    stored(support::ini_write(kSection, kKey, u"|"_s, settings_file_) != 0);
}

} // namespace zorvik::monitor
