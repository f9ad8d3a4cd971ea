#include "monitor/engine.h"

#include "monitor/evaluate.h"
#include "rules/hit.h"
#include "support/identity.h"
#include "support/ini.h"
#include "support/shell.h"
#include "support/waits.h"
#include "support/text.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaMethod>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::monitor {

namespace {

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
    // No platform operation starts while the pass breathes: it would hold the pass until done.
    const support::FeedWait breathing;
    QCoreApplication::processEvents();
    breathed_at_ = pass_clock().elapsed();
}

void MonitorEngine::load()
{
    load_text(support::ini_read_whole(list_section_, list_key_, settings_file_));
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
            shell_.tip(tip_prefix_ + QString::fromUtf16(kAlertTip));
        if (alert_sound_)
            shell_.alert_sound(QString());
    }
    for (quint64 uid : bets)
        ask_bet({uid, QString()});
    emit rebuilt();
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
            start_monitoring(*m);
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
    ++session_no_;
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
    return stored(support::ini_write(list_section_, list_key_, list_.stored_form(), settings_file_) != 0);
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

bool MonitorEngine::set_auto_bet(int position, bool on)
{
    Monitor* m = list_.find(position);
    if (!m)
        return false;
    m->set(kAutoBet, on ? u"1"_s : u"0"_s);
    for (MonitorRow& row : rows_)
        if (row.position == position)
            fill_row(row, position, *m);
    emit rows_changed();
    save_list();
    return true;
}

namespace {

// The monitor a question is about, on a line of its own: its title and numbers (cut at 30).
QString named(const std::optional<Monitor>& m)
{
    if (!m)
        return QString();
    const QString numbers = m->field(kNumbers);
    return u"\r\n"_s + m->field(kTitle) + u' ' + (numbers.size() > 30 ? numbers.left(30) + u"..."_s : numbers);
}

} // namespace

std::optional<EditorRecord> MonitorEngine::modify_monitor(std::optional<int> position,
                                                          const EditorRecord& base)
{
    if (!position) {
        shell_.message(u"请选择一条要修改的监控"_s);
        return std::nullopt;
    }
    const std::optional<Monitor> shown = list_.at(*position);
    if (!shell_.confirm(u"修改后将会重置监控数据和投注记录，确认修改？"_s + named(shown), confirm_title()))
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
    if (!shell_.confirm(u"确认删除？"_s + named(list_.at(*position)), confirm_title()))
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
    stored(support::ini_write(list_section_, list_key_, u"|"_s, settings_file_) != 0);
}

} // namespace zorvik::monitor
