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
        ask_bet(uid);
    emit rebuilt();
}

// ---------------------------------------------------------------------------------------------
// Bets

void MonitorEngine::ask_bet(quint64 uid)
{
    if (!monitoring_)
        return;
    if (lottery_.contains(u"经纬"_s)) {
        set_line(Line::BetStatus, u"当前不能投注，你必须选择合乐或U彩平台"_s);
        return;
    }
    // One placement at a time: a bet asked for by a rebuild nested in a bet's wait (its own
    // monitor's included) is asked again once that bet is done, with everything checked anew,
    // so the platform's page answers one order at a time.
    if (!placing_.isEmpty()) {
        if (!deferred_.contains(uid))
            deferred_.append(uid);
        return;
    }
    const Monitor* live = list_.find(list_.position_of(uid));
    if (!live || live->field(kAutoBet) != u"1" || live->field(kBetPending) != u"false")
        return;
    const Monitor m = *live;
    const DrawState state = draw_state();
    if (!state.bet_iss.isEmpty() && last_bet_issue_.value(uid) == state.bet_iss)
        return;

    // The multiplier: the plan walked one entry per losing bet, back to the first past its end.
    const QStringList plan = m.field(kBetPlan).split(u',');
    int step = support::to_int(m.field(kPlanStep));
    if (step > plan.size() - 1)
        step = 0;
    bool ok = false;
    const int multiplier = support::trim_blanks(plan[step]).toInt(&ok);
    if (!ok || multiplier <= 0)
        return; // a plan entry that is not a number places nothing
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

    placing_.insert(uid);
    last_bet_issue_.insert(uid, state.bet_iss);
    const BetResult result = placer_->place(order);
    placing_.remove(uid);
    // The bets deferred meanwhile, for the draw state as it is now.
    const auto place_deferred = qScopeGuard([this] {
        while (!deferred_.isEmpty() && placing_.isEmpty())
            ask_bet(deferred_.takeFirst());
    });
    if (result.status != 1) {
        last_bet_issue_.remove(uid);
        if (!result.message.isEmpty()) { // an abandoned bet says nothing
            set_line(Line::BetStatus, result.message);
            emit bet_refused(state.bet_iss, m.field(kTitle), result.message);
        }
        return;
    }
    const QString amount = support::money_text(number(result.amount).value_or(0));
    // Written into the monitor the bet was made for, wherever the list holds it now; a monitor
    // deleted meanwhile still has its bet in the log.
    if (Monitor* placed = list_.find(list_.position_of(uid))) {
        placed->set(kBetPending, u"true"_s);
        placed->set(kPlanStep, QString::number(support::to_int(m.field(kPlanStep)) + 1));
        placed->set(kBetInfo, QString::number(count) + u':' + amount + u':' + prize + u':' + odds);
        placed->set(kOrderId, result.order_id);
    }
    BetRow row;
    row.columns = {state.bet_iss,
                   QString::fromUtf16(kOpen),
                   m.field(kTitle),
                   QString::number(multiplier),
                   amount,
                   QString::fromUtf16(kOpen),
                   QString::fromUtf16(kOpen),
                   result.order_id,
                   m.field(kNumbers),
                   m.field(kPositions) + u'|' + support::trim_blanks(m.field(kPlay)) + u'|' + prize};
    row.monitor = uid;
    bet_log_.append(row);
    ++session_.bets;
    emit bet_added(int(bet_log_.size()) - 1);
    set_line(Line::BetStatus, state.bet_iss + u"期投注成功！"_s);
}

void MonitorEngine::settle_bets(const DrawState& state)
{
    for (int i = 0; i < bet_log_.size(); ++i) {
        BetRow& row = bet_log_[i];
        if (row.columns[kBetIssue] == state.bet_iss || !row.open() || !state.lookup)
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
        session_.income += returned - number(row.columns[kBetCost]).value_or(0);
        emit bet_settled(i);
    }
    session_.best = std::max(session_.best, session_.income);
    session_.worst = std::min(session_.worst, session_.income);
    // The line's text is made again only when its figures have changed: most draws change none.
    if (!summarized_ || summarized_->bets != session_.bets || summarized_->wins != session_.wins ||
        summarized_->best != session_.best || summarized_->worst != session_.worst) {
        summarized_ = session_;
        summary_text_ = u"投注"_s + QString::number(session_.bets) + u"次，中奖"_s +
                        QString::number(session_.wins) + u"次\n最大盈利"_s +
                        support::money_text(session_.best) + u"，最小收益"_s +
                        support::money_text(session_.worst);
    }
    set_line(Line::BetSummary, summary_text_);
    // A stop box that does not hold a number ends the settlement here for this draw.
    // The boxes are read after every draw and seldom change: their numbers are read again only
    // when their texts have.
    std::pair<QString, QString> stops = stop_source_ ? stop_source_() : std::pair<QString, QString>();
    if (!stop_values_ || stops != stop_texts_) {
        stop_values_ = {number(stops.first), number(stops.second)};
        stop_texts_ = std::move(stops);
    }
    const auto [profit, loss] = *stop_values_;
    if (!profit || !loss)
        return;
    if (session_.income >= *profit || session_.income <= *loss) {
        set_monitoring(false);
        // Said after the stop's own line, so that the user reads why monitoring stopped.
        set_line(Line::BetStatus, u"达到止盈或止损额，停止监控和投注"_s);
    }
    if (bet_log_.size() > kBetLogLimit) {
        const int dropped = int(bet_log_.size()) - kBetLogLimit;
        bet_log_.remove(0, dropped);
        emit bet_rows_dropped(dropped);
    }
    if (!summarized_income_ || *summarized_income_ != session_.income) {
        summarized_income_ = session_.income;
        income_text_ = u"当前收入："_s + support::money_text(session_.income);
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
    monitoring_ = on;
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
    bet_log_.clear();
    emit bet_log_reset();
    session_.bets = session_.wins = 0;
    session_.best = session_.worst = 0;
    set_line(Line::BetSummary, QString());
    set_line(Line::BetStatus, u"启动投注，等待预警结果中...(列表仅保留最近100条数据)"_s);
    if (!judge_now)
        return;
    evaluate_draw();
    refresh();
}

Q_ALWAYS_INLINE void MonitorEngine::judge(Monitor& m, const DrawState& state,
                                          const std::optional<rules::DrawDigits>& digits)
{
    const std::optional<bool> hit = update_monitor(m, state.awd_nums, digits);
    if (!hit || !m.awaiting_result())
        return; // a monitor that cannot be updated keeps its own fields
    if (*hit) {
        m.set(kPlanStep, u"0"_s);
        ++session_.wins;
    }
    m.set(kBetPending, u"false"_s);
}

void MonitorEngine::evaluate_draw()
{
    if (!monitoring_)
        return;
    const DrawState state = draw_state();
    const std::optional<rules::DrawDigits> digits = rules::read_draw(state.awd_nums);
    // Each monitor is judged and its row made in one walk of the list. When the window's events
    // have to run during the pass, the monitors still to judge are noted first by identity: a
    // monitor added, modified or deleted meanwhile is taken as the user left it, and the rows
    // are made again at the end.
    QVector<MonitorRow> rows;
    rows.swap(pass_rows_); // kept from pass to pass (a nested pass gets its own)
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
            judge_by_identity(position, rest, state, digits);
            events_ran = true;
            break;
        }
        Monitor* m = list_.find(position);
        if (!m)
            continue;
        judge(*m, state, digits);
        fill_row(*row++, position, *m);
    }
    if (events_ran) {
        pass_rows_.swap(rows);
        refresh();
    } else {
        rows.resize(row - rows.data());
        rows_.swap(rows);
        pass_rows_.swap(rows);
        raise_alerts();
    }
    settle_bets(state);
}

void MonitorEngine::judge_by_identity(int position, const QVector<quint64>& uids,
                                      const DrawState& state,
                                      const std::optional<rules::DrawDigits>& digits)
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
        judge(*m, state, digits);
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
