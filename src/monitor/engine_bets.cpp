#include "monitor/engine.h"

#include "monitor/bet_placer.h"
#include "monitor/bet_plan.h"
#include "rules/bets.h"
#include "rules/hit.h"
#include "support/money.h"
#include "support/shell.h"
#include "support/text.h"

#include <QPointer>
#include <QScopeGuard>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

// The engine's bets: asking for them with the multiplier plan, their placement and records, the
// queue of requests, the settlement of the bet log, the stop rule and the status lines.

namespace zorvik::monitor {

namespace {

// A text read as a number, or nothing ("1,000" or "abc" are not numbers).
std::optional<double> number(const QString& text)
{
    bool ok = false;
    const double v = support::trim_blanks(text).toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

// True when `issue` with every "-" removed is `key`.
bool same_key(QStringView issue, QStringView key)
{
    qsizetype k = 0;
    for (const QChar ch : issue) {
        if (ch == u'-')
            continue;
        if (k == key.size() || key[k++] != ch)
            return false;
    }
    return k == key.size();
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
    // Without the issue on sale (the feed lost its draws meanwhile) nothing can be bet.
    if (state.bet_iss.isEmpty() || state.next_iss_no.isEmpty()) {
        set_line(Line::BetStatus, u"投注期号未知（开奖数据未更新），本次不投注"_s);
        return;
    }
    // A request belongs to the draw it was judged on: once another issue is on sale, that
    // draw's own rebuild asks again for what still alerts or chases.
    if (!request.issue.isEmpty() && request.issue != state.bet_iss) {
        // Already counted among the draw's orders that came too late: not said again.
        if (late_.issue == request.issue)
            return;
        if (const Monitor* m = list_.find(list_.position_of(uid)))
            set_line(Line::BetStatus, request.issue + u"期已截止，排队的投注不再下单："_s + m->field(kTitle));
        return;
    }
    // A monitor's bet under way (waiting its turn at the platform, or its answer): asked again
    // once it is done, with everything checked anew. The placer's queue has the platform's
    // page answer one order at a time.
    if (placing_.contains(uid)) {
        const auto queued = std::find_if(deferred_.cbegin(), deferred_.cend(),
                                         [uid](const BetRequest& r) { return r.uid == uid; });
        if (queued == deferred_.cend())
            deferred_.append({uid, state.bet_iss});
        return;
    }
    const Monitor* live = list_.find(list_.position_of(uid));
    if (!live || live->raw(kAutoBet) != u"1" || live->raw(kBetPending) != u"false" || live->stuck())
        return;
    // Never twice for one issue, across a stop and a start too.
    if (!state.bet_iss.isEmpty() && last_bet_issue_.value(uid) == state.bet_iss)
        return;

    // The multiplier: the plan walked one entry per losing bet, back to the first past its end.
    // Every amount and text of the entry was worked out with the plan.
    const std::shared_ptr<const BetPlan> plan = live->bet_plan();
    const int plan_step = support::to_int(live->field(kPlanStep));
    const int step = plan_step < 0 || plan_step > qsizetype(plan->entries.size()) - 1 ? 0 : plan_step;
    const StakeEntry& stake = plan->entries[size_t(step)];
    const QString title = live->field(kTitle);
    if (stake.multiplier <= 0) {
        set_line(Line::BetStatus,
                 u"投注计划第"_s + QString::number(step + 1) + u"项不是正数，本次不投注"_s);
        return;
    }

    // The row's text: an auto-bet monitor's title with its "* ".
    set_line(Line::BetStatus, u"准备投注："_s + state.next_iss_no + u"期，玩法：* "_s + title);
    if (!placer_)
        return;
    BetOrder order;
    order.lottery = lottery_;
    order.issue = state.next_iss_no;
    if (issue_date_.first != state.bet_iss) // the same for every bet of a draw
        issue_date_ = {state.bet_iss, state.bet_iss.contains(u'-') ? state.bet_iss.section(u'-', 0, 0) : QString()};
    order.issue_date = issue_date_.second;
    order.title = title;
    order.numbers = live->field(kNumbers);
    order.unit_index = support::to_int(live->field(kMoneyUnit));
    order.odds = plan->odds;
    order.count = plan->count;
    order.multiplier = stake.multiplier;
    order.cost = stake.cost;

    BetRow row;
    row.columns = {state.bet_iss,
                   QString::fromUtf16(kOpen),
                   title,
                   stake.multiplier_text,
                   stake.cost,
                   QString::fromUtf16(kUnconfirmedMark),
                   QString::fromUtf16(kOpen),
                   QString(),
                   order.numbers,
                   stake.note};
    row.monitor = uid;
    row.simulated = simulated_;
    row.plan = plan;
    row.prize_value = stake.prize_value;
    row.line_prize = stake.line_prize;
    row.prize_shown = stake.prize_shown;
    // Under way from here until the placer answers: a rebuild meanwhile must not ask for this
    // monitor again, and this engine's next bet waits its turn.
    placing_.insert(uid);
    last_bet_issue_.insert(uid, state.bet_iss);
    auto placement = std::make_shared<Placement>(Placement{std::move(row), uid, step, plan_step, state.bet_iss, title, {}});
    BetJob job;
    job.order = order;
    const QPointer<MonitorEngine> self(this);
    job.send = [self, placement] { return self && self->may_send(*placement); };
    job.done = [self, placement](const BetResult& result) {
        if (self)
            self->bet_done(*placement, result);
    };
    placer_->submit(std::move(job));
}

bool MonitorEngine::may_send(Placement& p)
{
    // An order that waited its turn goes out only for the issue still on sale, while monitoring
    // and with its monitor still betting.
    const Monitor* live = list_.find(list_.position_of(p.uid));
    if (!monitoring_ || stop_pending_) {
        p.kept_back = u"监控已停止，排队的投注不再下单："_s + p.title;
        return false;
    }
    if (draw_state().bet_iss != p.issue) {
        p.kept_back = p.issue + u"期已截止，排队的投注不再下单："_s + p.title;
        p.late = true;
        return false;
    }
    if (!live || live->raw(kAutoBet) != u"1") {
        p.kept_back = u"监控已改为不投注，排队的投注不再下单："_s + p.title;
        return false;
    }
    // The order is in the records before it is sent: a kill at any moment loses none.
    if (order_recorder_) {
        p.row.ref = order_recorder_(p.row);
        if (p.row.ref.isEmpty()) {
            p.kept_back = u"投注记录无法写入，本次不下单"_s;
            return false;
        }
    }
    return true;
}

void MonitorEngine::bet_done(Placement& p, const BetResult& result)
{
    const quint64 uid = p.uid;
    BetRow& row = p.row;
    const StakeEntry& stake = row.plan->entries[size_t(p.step)];
    const std::shared_ptr<const BetPlan>& plan = row.plan;
    const int plan_step = p.plan_step;
    const QString& title = p.title;
    placing_.remove(uid);
    // The bets deferred meanwhile, for the draw state as it is now.
    auto place_deferred = qScopeGuard([this] {
        place_queued();
        tell_late();
    });
    if (result.status == kNotSent) {
        last_bet_issue_.remove(uid);
        if (!row.ref.isEmpty())
            emit order_dropped(row, false);
        if (p.late)
            count_late(p.issue);
        else
            set_line(Line::BetStatus, p.kept_back);
        return;
    }
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
        deferred_.append({uid, p.issue});
        set_line(Line::BetStatus, result.message);
        return;
    }
    if (result.status == kIssueClosed) {
        // The platform had closed the issue: nothing was placed, the plan stays where it was.
        last_bet_issue_.remove(uid);
        emit order_dropped(row, false);
        count_late(p.issue);
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
            emit bet_refused(p.issue, title, result.message);
        }
        return;
    }
    const bool unconfirmed = result.status == kUnconfirmed;
    // The amount charged: the plan's texts when it is the cost (as simulated money always is),
    // else read from the platform's answer.
    const bool as_planned = !unconfirmed && result.amount == stake.cost;
    const QString amount = unconfirmed  ? stake.cost
                           : as_planned ? stake.placed_amount
                                        : support::amount_text(number(result.amount).value_or(0));
    // Written into the monitor the bet was made for, wherever the list holds it now; a monitor
    // deleted meanwhile still has its bet in the log. An order not confirmed counts as placed
    // here: it is never sent again for this issue.
    if (Monitor* placed = list_.find(list_.position_of(uid)))
        placed->set_placed(QString::number(plan_step + 1),
                           as_planned ? stake.bet_info
                                      : plan->count_text + u':' + amount + u':' + stake.prize + u':' + plan->odds,
                           result.order_id);
    row.columns[kBetCost] = amount;
    row.cost_value = as_planned ? stake.placed_value : number(amount).value_or(0);
    row.columns[kBetOrder] = result.order_id;
    row.columns[kBetResult] = unconfirmed ? QString::fromUtf16(kUnconfirmedMark) : QString::fromUtf16(kOpen);
    row.unconfirmed = unconfirmed;
    bet_log_.append(std::move(row));
    bet_session_.insert(uid, session_no_);
    if (!unconfirmed)
        ++sessions_[simulated_].bets;
    emit bet_added(int(bet_log_.size()) - 1);
    set_line(Line::BetStatus, unconfirmed ? result.message : p.issue + u"期投注成功！"_s);
}

void MonitorEngine::count_late(const QString& issue)
{
    if (late_.issue != issue)
        late_ = {issue, 0, true};
    ++late_.count;
    late_.told = false;
}

void MonitorEngine::tell_late()
{
    // Said once the draw's orders are done, with their count: once per draw, not per order.
    if (late_.told || !placing_.isEmpty() || !deferred_.isEmpty())
        return;
    late_.told = true;
    set_line(Line::BetStatus, QString::number(late_.count) + u"注因期号已截止未能投注"_s);
}

bool MonitorEngine::take_late_answer(const BetOrder& order, const BetResult& result)
{
    for (int i = 0; i < bet_log_.size(); ++i) {
        BetRow& row = bet_log_[i];
        if (!row.unconfirmed || !row.columns[kBetIssue].endsWith(order.issue) || row.columns[kBetTitle] != order.title ||
            row.columns[kBetNumbers] != order.numbers ||
            row.columns[kBetMultiplier] != QString::number(order.multiplier))
            continue;
        row.unconfirmed = false;
        if (result.status == 1) {
            // Placed: counted from now on and settled by its draw, as any placed bet.
            const QString amount = result.amount == row.columns[kBetCost] || number(result.amount).value_or(0) == 0
                                       ? row.columns[kBetCost]
                                       : support::amount_text(number(result.amount).value_or(0));
            row.columns[kBetCost] = amount;
            row.cost_value = number(amount).value_or(0);
            row.columns[kBetOrder] = result.order_id;
            row.columns[kBetResult] = QString::fromUtf16(kOpen);
            ++sessions_[row.simulated].bets;
            emit bet_resolved(i);
            set_line(Line::BetStatus, row.columns[kBetIssue] + u"期投注成功！（平台的答复迟到）"_s);
        } else {
            // Refused: never counted; the row says so and is never settled.
            row.columns[kBetResult] = u"未成交"_s;
            row.columns[kBetReturn] = support::money_text(0);
            emit bet_resolved(i);
            emit order_dropped(row, true);
            set_line(Line::BetStatus, result.message);
        }
        return true;
    }
    return false;
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
    if (deferred_.isEmpty())
        return;
    // The queue as it stands: a request queued again meanwhile waits for the next turn.
    const QVector<BetRequest> queued = std::exchange(deferred_, {});
    for (const BetRequest& request : queued) {
        if (placing_.contains(request.uid)) {
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
    static const QString zero = support::money_text(0);
    // The rows of one issue follow each other: its draw is looked up and read once for them.
    QString issue;
    std::optional<QHash<QString, QString>::const_iterator> found;
    std::optional<rules::DrawDigits> digits;
    for (int i = 0; i < bet_log_.size(); ++i) {
        BetRow& row = bet_log_[i];
        if (row.columns[kBetIssue] == state.bet_iss || !row.open() || row.unconfirmed || !state.lookup)
            continue;
        if (!found || row.columns[kBetIssue] != issue) {
            issue = row.columns[kBetIssue];
            found = state.lookup->constFind(QString(issue).remove(u'-'));
            digits = *found == state.lookup->cend() ? std::nullopt : rules::read_draw(**found);
        }
        if (*found == state.lookup->cend())
            continue;
        const QString& draw = **found;
        bool hit = false;
        double returned = 0;
        if (row.plan) {
            const BetPlan& plan = *row.plan;
            const bool compiled = plan.rule && digits;
            hit = compiled ? plan.rule->hit(*digits)
                           : rules::bet_hit(draw, plan.positions, row.columns[kBetNumbers], plan.play).hit;
            // A hit pays every line it wins; most win one, whose texts are made already.
            const qint64 lines = !hit ? 0
                                 : compiled ? plan.rule->lines(*digits)
                                            : rules::bet_lines(draw, plan.positions, row.columns[kBetNumbers], plan.play);
            returned = lines == 1 ? row.prize_value : hit_return(row.line_prize, lines);
            row.columns[kBetReturn] = !hit ? zero : lines == 1 ? row.prize_shown : support::amount_text(returned);
        } else {
            const QStringList note = row.columns[kBetNote].split(u'|');
            const qint64 lines = rules::bet_lines(draw, note.value(0), row.columns[kBetNumbers], note.value(1));
            hit = lines > 0;
            returned = hit_return(number(note.value(2)).value_or(0), lines);
            row.columns[kBetReturn] = support::amount_text(returned);
            row.cost_value = number(row.columns[kBetCost]).value_or(0);
        }
        row.columns[kBetDraw] = draw;
        row.columns[kBetResult] = hit ? u"中"_s : u"挂"_s;
        sessions_[row.simulated].income += returned - row.cost_value;
        // While monitoring runs, the win is counted where its monitor is judged; after a stop
        // nobody judges it, and the row is all there is to count.
        if (hit && !monitoring_ && bet_session_.value(row.monitor) == session_no_)
            ++sessions_[row.simulated].wins;
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
        // The oldest rows go, except those still waiting for their draw: a draw that placed
        // more than the cap would otherwise lose bets before they are settled (and counted).
        qsizetype excess = bet_log_.size() - kBetLogLimit;
        const qsizetype before = bet_log_.size();
        bet_log_.removeIf([&excess](const BetRow& row) {
            if (excess == 0 || row.awaiting_draw())
                return false;
            --excess;
            return true;
        });
        if (bet_log_.size() != before)
            emit bet_rows_dropped(int(before - bet_log_.size()));
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
                            support::amount_text(now.best) + u"，最小收益"_s +
                            support::amount_text(now.worst);
        }
        set_line(Line::BetSummary, summary_text_);
        return;
    }
    if (!summarized_income_ || summarized_income_->first != simulated_ ||
        summarized_income_->second != now.income) {
        summarized_income_ = {simulated_, now.income};
        income_text_ = u"当前收入："_s + support::amount_text(now.income);
    }
    set_line(Line::Income, income_text_);
}

void MonitorEngine::set_virtual_balance(const QString& text)
{
    set_line(Line::Balance, text);
    shell_.message(u"装逼成功"_s);
}


void MonitorEngine::settle_plan(Monitor& m, bool hit, const Judged& draw)
{
    // A bet is judged by its own issue's draw, which the pass has judged in order; a bet whose
    // draw is not this one waits for it (or takes it from the lookup once known).
    const auto issue = last_bet_issue_.constFind(m.uid());
    if (issue != last_bet_issue_.cend() && !issue->isEmpty()) {
        if (!same_key(*issue, draw.key)) {
            const QString key = QString(*issue).remove(u'-');
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
        // A win counts in the session its bet was placed in: one of an earlier session (or of
        // an earlier run) is in the records, not in this session's figures.
        if (bet_session_.value(m.uid()) == session_no_)
            ++sessions_[simulated_].wins;
    }
    m.set(kBetPending, u"false"_s);
}


} // namespace zorvik::monitor
