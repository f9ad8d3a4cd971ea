#include "app/core.h"

#include "feed/catalogue.h"
#include "monitor/trend.h"
#include "platform/web_bridge.h"
#include "support/qt_http.h"

#include <QDir>
#include "support/money.h"
#include <cmath>
#include <QFileInfo>
#include <QMetaMethod>
#include <QTimer>
#include <QUuid>
#include "support/clock.h"
#include "support/identity.h"
#include "support/shell.h"

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

AppCore::AppCore(const QString& data_dir, support::Shell& shell, const support::Clock& clock,
                 support::HttpClient& http, const NetConfig& net, QObject* parent)
    : QObject(parent), settings_file_(settings_path(data_dir)), shell_(shell), clock_(clock), simulated_(clock),
      http_(http), passwords_(settings_file_), platform_(http, shell, clock, [this]() -> platform::PageBridge& { return bridge(); }),
      notify_urls_store_(settings_file_, 5000, QString::fromUtf16(keys::kAlertSection),
                         QString::fromUtf16(keys::kNotifyUrls)),
      service_(http, net.service_base, net.datacenter_default), feed_(http, clock, shell),
      engine_(shell, settings_file_)
{
    feed_.endpoints().public_base = net.public_base;
    feed_.endpoints().trend_base = net.trend_base;
    feed_.endpoints().datacenter_base = net.datacenter_default;
    connect(&feed_, &feed::DrawFeed::started_up, this,
            [this] { emit announced(service_.fetch_announcements()); });
    connect(&engine_, &monitor::MonitorEngine::write_failed, this, [this] { report_write(false); });

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
    engine_.set_placer(&no_account_);
    platform::PlatformView view;
    view.status = [this](const QString& text) { engine_.set_line(monitor::Line::BetStatus, text); };
    view.balance = [this](const QString& text) { engine_.set_line(monitor::Line::Balance, text); };
    view.show_login = [this](bool shown) { emit login_shown(shown); };
    view.enable_login = [this](bool enabled) { emit login_enabled(enabled); };
    view.logged = [this](const QString& text) { emit logged(text); };
    // Bets turned away while a login or a balance read waited are placed now.
    view.idle = [this] { engine_.place_queued(); };
    platform_.set_view(view);
    // The betting page is loaded again after every rebuild, once a platform has been used.
    connect(&engine_, &monitor::MonitorEngine::rebuilt, this, [this] {
        // One notification per rebuild that raised the alert, while monitoring.
        if (!alerting_.isEmpty() && engine_.monitoring())
            notify(u"alert"_s, feed_.bet_iss(), alerting_.first(),
                   QString::fromUtf16(monitor::kAlertTip) + u' ' + alerting_.join(u'，'),
                   alert_message(lottery_, feed_.bet_iss(), alert_lines_));
        alerting_.clear();
        alert_lines_.clear();
        platform_.load_game_page();
    });
    connect(&engine_, &monitor::MonitorEngine::alerted, this, [this](int position, const QString& title) {
        alerting_ << title;
        const auto record = engine_.list().at(position);
        alert_lines_.append({title, record ? record->field(monitor::kCategory) : QString(),
                             record ? record->field(monitor::kCurrent) : QString()});
    });
    connect(&engine_, &monitor::MonitorEngine::bet_refused, this,
            [this](const QString& issue, const QString& title, const QString& message) {
                notify(u"refused"_s, issue, title, message, refused_message(lottery_, issue, title, message));
            });
    // The notification services: a failure is told once in the status line, and again only
    // after a delivery succeeded in between.
    connect(&apprise_, &notify::Apprise::delivered, this, [this](const QString& event, int index, const QString& scheme) {
        notify_failure_told_ = false;
        emit notify_result(event, index, scheme, u"OK"_s);
    });
    connect(&apprise_, &notify::Apprise::failed, this,
            [this](const QString& event, int index, const QString& scheme, const QString& reason) {
                if (!notify_failure_told_) {
                    notify_failure_told_ = true;
                    engine_.set_line(monitor::Line::BetStatus, u"通知服务发送失败（"_s + scheme + u'：' + reason + u'）');
                }
                emit notify_result(event, index, scheme, u"failed "_s + reason);
            });
    connect(this, &AppCore::bet_unconfirmed, this, [this](const QStringList& c) {
        notify(u"unconfirmed"_s, c.value(monitor::kBetIssue), c.value(monitor::kBetTitle),
               c.value(monitor::kBetIssue) + u"期订单未确认 成本"_s + c.value(monitor::kBetCost),
               unconfirmed_message(lottery_, c.value(monitor::kBetIssue), c.value(monitor::kBetTitle),
                                   c.value(monitor::kBetMultiplier).toInt(), c.value(monitor::kBetCost).toDouble()));
    });
    summary_timer_ = new QTimer(this);
    summary_timer_->setInterval(20000);
    connect(summary_timer_, &QTimer::timeout, this, &AppCore::summary_due);
    connect(&webhook_, &notify::Webhook::delivered, this, [this](const QString& event, int status) {
        emit webhook_result(event, QString::number(status));
    });
    connect(&webhook_, &notify::Webhook::failed, this, [this](const QString& event, const QString& reason) {
        engine_.set_line(monitor::Line::BetStatus, u"通知发送失败："_s + reason);
        emit webhook_result(event, u"failed "_s + reason);
    });
    connect(&engine_, &monitor::MonitorEngine::bet_added, this, [this](int row) {
        record_bet(row);
        if (!virtual_)
            platform_.refresh_balance();
    });
    // Every order is in the records before it is sent; real money is not sent without them.
    engine_.set_order_recorder([this](const monitor::BetRow& row) { return record_order(row); });
    connect(&engine_, &monitor::MonitorEngine::bet_unconfirmed, this,
            [this](const monitor::BetRow& row) { emit bet_unconfirmed(row_columns(row)); });
    connect(&engine_, &monitor::MonitorEngine::order_dropped, this,
            [this](const monitor::BetRow& row, bool was_unconfirmed) {
                if (!row.ref.isEmpty())
                    records_.drop(row.ref);
                if (was_unconfirmed)
                    emit bet_cancelled(row_columns(row));
            });
    connect(&engine_, &monitor::MonitorEngine::bet_settled, this, &AppCore::record_settlement);
    // Real money: the balance is read again once a draw's settlement is over.
    connect(&engine_, &monitor::MonitorEngine::bet_settled, this, [this] {
        if (virtual_ || balance_due_)
            return;
        balance_due_ = true;
        QTimer::singleShot(0, this, [this] {
            balance_due_ = false;
            refresh_balance();
        });
    });
    // A bet waits for a draw the feed skipped: the whole draw history is fetched again, once the
    // pass that found it has ended.
    connect(
        &engine_, &monitor::MonitorEngine::draw_missing, this,
        [this] {
            feed_.reload_awd();
            engine_.resolve_waiting();
        },
        Qt::QueuedConnection);

    // The records: every draw, bet and session. They never hold up monitoring: a failure is told
    // once in the status line, and told again only after a write succeeded in between.
    records_.open(records_file());
    records_.session_stopped(u"exit"_s, records::record_time(clock.local_now())); // a run that was killed
    connect(&records_, &records::RecordWriter::failed, this, [this](const QString& error) {
        if (records_failure_told_)
            return;
        records_failure_told_ = true;
        // Real orders are not sent without their records; simulated bets go on.
        engine_.set_line(monitor::Line::BetStatus,
                         u"投注记录写入失败（"_s + error +
                             (virtual_ ? u"），监控和投注照常进行"_s : u"），监控照常进行，真实订单暂不下单"_s));
    });
    connect(&records_, &records::RecordWriter::succeeded, this, [this] { records_failure_told_ = false; });
    connect(&engine_, &monitor::MonitorEngine::monitoring_changed, this, [this, &clock](bool on) {
        const QString now = records::record_time(clock.local_now());
        const QString why = stop_why_.isEmpty() ? u"stop rule"_s : stop_why_;
        if (on) {
            records_.session_started(lottery_, now);
        } else {
            records_.session_stopped(why, now);
            notify(u"stop"_s, feed_.bet_iss(), QString(), u"停止监控（"_s + why + u'）',
                   stop_message(lottery_, why));
        }
        stop_why_.clear();
    });
    connect(&feed_, &feed::DrawFeed::new_draw, this,
            [this, &clock](const QString& issue, const QString& numbers) {
                const QString now = records::record_time(clock.local_now());
                records_.add_draw(lottery_, issue, numbers, now);
                // Bets of earlier runs are settled as their draws become known.
                records_.settle_open(lottery_, feed_.awd_lookup(), now);
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

monitor::BetResult AppCore::NoAccountPlacer::place(const monitor::BetOrder&)
{
    return {0, QString(), QString(), u"未登录平台，无法投注（勾选“我要装逼”可模拟投注）"_s};
}

AppCore::~AppCore()
{
    if (engine_.monitoring()) {
        stop_why_ = u"exit"_s;
        engine_.set_monitoring(false);
    }
}

void AppCore::refresh_balance()
{
    if (!virtual_ && !account_.isEmpty())
        platform_.refresh_balance();
}

void AppCore::shutdown()
{
    stopping_ = true;
    // Nothing more is bet; every wait (a page, a script) ends now.
    if (engine_.monitoring()) {
        stop_why_ = u"exit"_s;
        engine_.set_monitoring(false);
    }
    if (web_bridge_)
        web_bridge_->stop_waiting();
}

QString AppCore::records_file() const
{
    return QFileInfo(settings_file_).dir().filePath(u"records.db"_s);
}

QVector<monitor::HistoryDraw> AppCore::known_draws()
{
    QStringList texts{feed_.awd_history()};
    records_.flush();
    records::RecordStore store;
    if (store.open(records_file()))
        texts << store.draws_text(lottery_);
    return monitor::merge_histories(texts);
}

QStringList AppCore::row_columns(const monitor::BetRow& row)
{
    QStringList columns;
    for (const QString& c : row.columns)
        columns << c;
    return columns;
}

records::BetRecord AppCore::bet_record(const monitor::BetRow& bet) const
{
    const QStringList note = bet.columns[monitor::kBetNote].split(u'|');
    records::BetRecord r;
    r.lottery = lottery_;
    r.monitor = bet.columns[monitor::kBetTitle];
    r.positions = note.value(0);
    r.play = note.value(1);
    r.numbers = bet.columns[monitor::kBetNumbers];
    r.issue = bet.columns[monitor::kBetIssue];
    r.multiplier = bet.columns[monitor::kBetMultiplier].toInt();
    r.cost = bet.columns[monitor::kBetCost].toDouble();
    r.prize = note.value(2).toDouble();
    r.order_no = bet.columns[monitor::kBetOrder];
    r.simulated = bet.simulated;
    r.placed_at = records::record_time(clock_.local_now());
    r.ref = bet.ref;
    return r;
}

QString AppCore::record_order(const monitor::BetRow& row)
{
    records::BetRecord r = bet_record(row);
    r.state = QString::fromUtf16(records::kUnconfirmedState);
    r.ref = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!row.simulated) {
        // The balance before the order: an answer that never comes is resolved against it.
        r.balance_before = platform_.balance_value();
        platform_.expect_order(r.balance_before);
    }
    // Nothing is sent for simulated money: its row is written in the background like any other
    // (a failure is told in the status line). A real order waits for its row to be committed,
    // and is not sent when it cannot be.
    if (row.simulated) {
        records_.add_bet(r);
        return r.ref;
    }
    return records_.add_bet_now(r) ? r.ref : QString();
}

void AppCore::record_bet(int row)
{
    const monitor::BetRow& bet = engine_.bet_log().at(row);
    if (bet.unconfirmed)
        return; // stays in the records as sent, not confirmed
    const records::BetRecord r = bet_record(bet);
    const QStringList columns = row_columns(bet);
    notify(u"bet"_s, r.issue, r.monitor,
           r.issue + u"期投注 倍数"_s + QString::number(r.multiplier) + u" 成本"_s +
               bet.columns[monitor::kBetCost] + u" 订单号"_s + r.order_no,
           bet_message(lottery_, r.issue, r.monitor, r.multiplier, r.cost, r.order_no));
    const auto committed = [this, columns](bool) {
        QMetaObject::invokeMethod(this, [this, columns] { emit bet_committed(columns); }, Qt::QueuedConnection);
    };
    if (r.ref.isEmpty())
        records_.add_bet(r, committed);
    else
        records_.confirm(r.ref, r.order_no, r.cost, committed);
}


void AppCore::record_settlement(int row)
{
    const monitor::BetRow& bet = engine_.bet_log().at(row);
    records_.settle(lottery_, bet.columns[monitor::kBetIssue], bet.columns[monitor::kBetOrder],
                    bet.columns[monitor::kBetDraw], bet.columns[monitor::kBetResult],
                    bet.columns[monitor::kBetReturn].toDouble(), records::record_time(clock_.local_now()));
}

platform::PageBridge& AppCore::bridge()
{
    if (bridge_factory_)
        return bridge_factory_();
    if (!web_bridge_) {
        // The browser shares the session of the program's own HTTP client.
        auto* qt_http = dynamic_cast<support::QtHttpClient*>(&http_);
        web_bridge_ = std::make_unique<platform::WebPageBridge>(
            shell_, qt_http ? qt_http->cookie_jar() : nullptr, [this](QWidget* browser) {
                // Without a window to take it, the browser runs on its own, unseen.
                if (!isSignalConnected(QMetaMethod::fromSignal(&AppCore::browser_made)))
                    return false;
                emit browser_made(browser);
                return true;
            });
        // A page's dialog was answered by the page itself; the user reads what it said.
        connect(web_bridge_.get(), &platform::WebPageBridge::dialog, this, [this](const QString& text) {
            engine_.set_line(monitor::Line::BetStatus, u"平台页面弹窗："_s + text);
            emit page_dialog(text);
        });
        if (stopping_)
            web_bridge_->stop_waiting();
    }
    return *web_bridge_;
}

void AppCore::choose_placer()
{
    monitor::BetPlacer* placer = &no_account_;
    if (virtual_)
        placer = &simulated_;
    else if (!account_.isEmpty())
        placer = &platform_;
    engine_.set_placer(placer);
}

void AppCore::set_virtual(bool on)
{
    virtual_ = on;
    engine_.set_simulated(on);
    choose_placer();
}

void AppCore::set_credentials(const QString& account, const QString& password)
{
    account_ = platform::account_name(account);
    password_ = password;
    platform_.set_credentials(account, password);
    choose_placer();
}

void AppCore::login_at_start()
{
    if (!account_.isEmpty() && !virtual_)
        login_clicked();
}

void AppCore::login_clicked()
{
    if (platform_.login()) {
        // The account in the settings file; the password where it is kept (cleared when empty).
        const bool user_kept = save_platform_user(settings_file_, account_);
        report_write(passwords_.save(password_) && user_kept);
        tell_password_place();
        resolve_unconfirmed();
    }
}

QString AppCore::stored_password()
{
    const QString password = passwords_.load();
    tell_password_place();
    return password;
}

void AppCore::tell_password_place()
{
    if (password_place_told_ || passwords_.in_keyring().value_or(true))
        return;
    password_place_told_ = true;
    engine_.set_line(monitor::Line::BetStatus, passwords_.file_text());
    emit password_place(passwords_.file_text());
}

namespace {

// A recorded order as the bet log's ten columns, its status column given.
QStringList record_columns(const records::BetRecord& b, const QString& status)
{
    return {b.issue,
            QString::fromUtf16(monitor::kOpen),
            b.monitor,
            QString::number(b.multiplier),
            support::money_text(b.cost),
            status,
            QString::fromUtf16(monitor::kOpen),
            b.order_no,
            b.numbers,
            b.positions + u'|' + b.play + u'|' + support::money_text(b.prize)};
}

} // namespace

void AppCore::resolve_unconfirmed()
{
    // Orders a killed run left unconfirmed on this lottery's platform are judged by the balance
    // as a late answer is: a drop by the order's cost confirms it, an unchanged balance cancels
    // it, anything else leaves it unconfirmed and says so.
    if (virtual_ || lottery_.isEmpty())
        return;
    records_.flush();
    records::RecordStore store;
    if (!store.open(records_file()))
        return;
    QVector<records::BetRecord> rows;
    for (const records::BetRecord& b : store.unconfirmed_bets())
        if (!b.simulated && b.lottery == lottery_)
            rows << b;
    if (rows.isEmpty())
        return;
    const std::optional<double> now = platform_.balance_value();
    for (const records::BetRecord& b : rows) {
        const QString mark = QString::fromUtf16(monitor::kUnconfirmedMark);
        if (now && b.balance_before && std::abs(*b.balance_before - *now) < 0.005) {
            records_.drop(b.ref);
            emit bet_cancelled(record_columns(b, mark));
        } else if (now && b.balance_before && std::abs(*b.balance_before - *now - b.cost) < 0.005) {
            const QStringList columns = record_columns(b, QString::fromUtf16(monitor::kOpen));
            records_.confirm(b.ref, b.order_no, b.cost, [this, columns](bool) {
                QMetaObject::invokeMethod(this, [this, columns] { emit bet_committed(columns); },
                                          Qt::QueuedConnection);
            });
        } else {
            emit bet_unconfirmed(record_columns(b, mark));
            engine_.set_line(monitor::Line::BetStatus,
                             b.issue + u"期的订单未确认（上次运行中断），余额无法确认，请到平台核对"_s);
        }
    }
}

bool AppCore::start_monitoring()
{
    if (feed_.awd_history().isEmpty()) {
        shell_.message(u"还未获取到历史开奖号，无法开启监控"_s);
        return false;
    }
    // The password is kept by the login alone (in the keyring where there is one).
    Options options = options_source_ ? options_source_() : settings_load(settings_file_);
    options.plt_pass.clear();
    report_write(settings_save(settings_file_, options));
    engine_.set_monitoring(true);
    return true;
}

void AppCore::begin_plan_clicked()
{
    if (!engine_.monitoring()) {
        start_monitoring();
        return;
    }
    if (shell_.confirm(u"确认要停止监控？"_s, QString::fromUtf16(support::kTitle) + u" - 确认停止"_s)) {
        stop_why_ = u"button"_s;
        engine_.set_monitoring(false);
    }
}

QString write_failure_text(const QString& file)
{
    return u"设置文件写入失败（磁盘已满或没有写入权限），刚才的修改没有保存："_s + file;
}

void AppCore::report_write(bool written)
{
    if (written) {
        write_failure_told_ = false;
        return;
    }
    if (write_failure_told_)
        return;
    write_failure_told_ = true;
    shell_.tip(write_failure_text(settings_file_));
}

bool AppCore::show_award_tips_clicked(bool on, bool alert_tips)
{
    if (!on || !alert_tips)
        return on;
    on = shell_.confirm(u"如果开启此功能，将会影响弹窗报警功能，仍然继续开启此功能么？"_s,
                        QString::fromUtf16(support::kTitle) + u" - 确认开启"_s);
    report_write(save_show_award_tips(settings_file_, on));
    return on;
}

void AppCore::init_var()
{
    service_.init();
    feed_.endpoints().datacenter_base = service_.datacenter_base();
    feed_.endpoints().upload_base = service_.upload_base();
}

void AppCore::start()
{
    feed_.start();
}

LotteryChoice AppCore::choose_lottery(const QString& name)
{
    feed_.set_lottery(name);
    engine_.set_lottery(name);
    lottery_ = name;
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
    choice.addresses = service_.platform_addresses(choice.platform);
    choice.saved_index = plt_path_load(settings_file_);
    feed_.endpoints().platform_base = choice.saved_index >= 0 && choice.saved_index < choice.addresses.size()
                                          ? choice.addresses[choice.saved_index]
                                          : QString();
    const feed::Lottery* lottery = feed::find_lottery(name);
    platform_.set_lottery(name, lottery ? lottery->plt_page : QString(), lottery ? lottery->ucai_game : 0);
    platform_.set_base(feed_.endpoints().platform_base);
    return choice;
}

void AppCore::pick_address(const QString& address, int index)
{
    feed_.endpoints().platform_base = address;
    platform_.set_base(address);
    feed_.reload_awd();
    report_write(plt_path_save(settings_file_, index));
}

void AppCore::enter_address(const QString& address)
{
    feed_.endpoints().platform_base = address;
    platform_.set_base(address);
    feed_.reload_awd();
}

} // namespace zorvik::app
