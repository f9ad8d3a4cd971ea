#include "core/core.h"

#include "feed/catalogue.h"
#include "monitor/trend.h"
#include "platform/browser_page.h"
#include "support/qt_http.h"

#include <QDir>
#include "support/money.h"
#include <QFileInfo>
#include <QMetaMethod>
#include <QPointer>
#include <QTimer>
#include <QUuid>
#include "support/clock.h"
#include "support/identity.h"
#include "support/shell.h"

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

AppCore::AppCore(const QString& data_dir, support::Shell& shell, const support::Clock& clock,
                 support::HttpClient& http, const NetConfig& net, QObject* parent)
    : QObject(parent), settings_file_(settings_path(data_dir)), shell_(shell), clock_(clock), net_(net),
      simulated_(clock), http_(http),
      notify_urls_store_(settings_file_, 5000, QString::fromUtf16(keys::kAlertSection),
                         QString::fromUtf16(keys::kNotifyUrls)),
      service_(http, net.service_base, net.datacenter_default)
{
    for (int which = 0; which < kAccounts; ++which) {
        accounts_[which] = std::make_unique<PlatformAccount>(*this, which);
        platform::PlatformView view;
        view.status = [this, which](const QString& text) { set_account_line(which, monitor::Line::BetStatus, text); };
        view.balance = [this, which](const QString& text) { set_account_line(which, monitor::Line::Balance, text); };
        view.show_login = [this, which](bool shown) { emit login_shown(which, shown); };
        view.enable_login = [this, which](bool enabled) { emit login_enabled(which, enabled); };
        view.logged = [this](const QString& text) { emit logged(text); };
        // Bets turned away while a login, a balance read or another desk's order waited are
        // placed now.
        view.idle = [this] {
            for (const auto& d : desks_)
                d->engine().place_queued();
        };
        // An order's answer that came after its wait: to the desk of its lottery.
        view.late_answer = [this](const monitor::BetOrder& order, const monitor::BetResult& result) {
            for (const auto& d : desks_)
                if (d->lottery() == order.lottery && d->engine().take_late_answer(order, result))
                    return;
        };
        accounts_[which]->session.set_view(view);
    }
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
                    engine().set_line(monitor::Line::BetStatus, u"通知服务发送失败（"_s + scheme + u'：' + reason + u'）');
                }
                emit notify_result(event, index, scheme, u"failed "_s + reason);
            });
    summary_timer_ = new QTimer(this);
    summary_timer_->setInterval(20000);
    connect(summary_timer_, &QTimer::timeout, this, &AppCore::summary_due);
    connect(&webhook_, &notify::Webhook::delivered, this, [this](const QString& event, int status) {
        emit webhook_result(event, QString::number(status));
    });
    connect(&webhook_, &notify::Webhook::failed, this, [this](const QString& event, const QString& reason) {
        engine().set_line(monitor::Line::BetStatus, u"通知发送失败："_s + reason);
        emit webhook_result(event, u"failed "_s + reason);
    });

    // The records: every draw, bet and session. They never hold up monitoring: a failure is told
    // once in the status line, and told again only after a write succeeded in between.
    records_.open(records_file());
    records_.close_killed_sessions(); // a run that was killed
    connect(&records_, &records::RecordWriter::failed, this, [this](const QString& error, const QString& lottery) {
        if (records_failure_told_)
            return;
        records_failure_told_ = true;
        // Told on the desk of the write's lottery (on every desk when it concerns them all).
        // Real orders are not sent without their records; simulated bets go on.
        for (const auto& d : desks_)
            if (lottery.isEmpty() || d->lottery() == lottery)
                d->engine().set_line(monitor::Line::BetStatus,
                                     u"投注记录写入失败（"_s + error +
                                         (virtual_ ? u"），监控和投注照常进行"_s : u"），监控照常进行，真实订单暂不下单"_s));
    });
    connect(&records_, &records::RecordWriter::succeeded, this, [this] { records_failure_told_ = false; });

    wire_desk(*desks_.emplace_back(std::make_unique<Desk>(static_cast<DeskHost&>(*this), 1)));
    connect(&feed(), &feed::DrawFeed::started_up, this, [this] { emit announced(service_.fetch_announcements()); });
    connect(&desk(), &Desk::new_draw, this, &AppCore::new_draw);
}

AppCore::PlatformAccount::PlatformAccount(AppCore& core, int which)
    : session(core.http_, core.shell_, core.clock_,
              [&core, which]() -> platform::PageBridge& { return core.bridge(which); }),
      passwords(which == 0 ? PasswordStore(core.settings_file_)
                           : PasswordStore(core.settings_file_, 5000, QString::fromUtf16(kOtherAccountSection),
                                           QString::fromUtf16(kOtherPassword)))
{
}

QString AppCore::account_platform(int which) const
{
    // The first account's platform is the first desk's, or where that one bets on none (a
    // Jingwei lottery), the first platform a desk bets on; the second account's is the other.
    QString first;
    for (const auto& d : desks_)
        if (first.isEmpty())
            first = platform_of(d->lottery());
    if (which == 0 || first.isEmpty())
        return first;
    return first == u"hele"_s ? u"ucai"_s : u"hele"_s;
}

int AppCore::account_of(const QString& lottery) const
{
    const QString platform = platform_of(lottery);
    return !platform.isEmpty() && platform == account_platform(1) ? 1 : 0;
}

Desk* AppCore::home_desk(int which)
{
    const QString platform = account_platform(which);
    for (const auto& d : desks_)
        if (!platform.isEmpty() && platform_of(d->lottery()) == platform)
            return d.get();
    // Without a desk on a platform, the first account stays with the first desk.
    return which == 0 && !desks_.empty() ? desks_.front().get() : nullptr;
}

void AppCore::follow_home(int which)
{
    platform::PlatformSession& session = platform(which);
    Desk* home = home_desk(which);
    if (!home || session.busy())
        return;
    const feed::Lottery* lottery = feed::find_lottery(home->lottery());
    session.set_lottery(home->lottery(), lottery ? lottery->plt_page : QString(), lottery ? lottery->ucai_game : 0);
    session.set_base(home->feed().endpoints().platform_base);
}

void AppCore::set_account_line(int which, monitor::Line line, const QString& text)
{
    // A desk of a lottery that cannot be bet (经纬) has no platform account: another
    // platform's balance or login there would read as its own.
    for (const auto& d : desks_)
        if (account_of(d->lottery()) == which && !platform_of(d->lottery()).isEmpty())
            d->engine().set_line(line, text);
}

void AppCore::wire_desk(Desk& d)
{
    // The window hears the bets of every desk.
    connect(&d, &Desk::bet_committed, this, &AppCore::bet_committed);
    connect(&d, &Desk::bet_unconfirmed, this, &AppCore::bet_unconfirmed);
    connect(&d, &Desk::bet_cancelled, this, &AppCore::bet_cancelled);
    choose_placer();
}

Desk& AppCore::add_desk(int number)
{
    Desk& d = *desks_.emplace_back(std::make_unique<Desk>(static_cast<DeskHost&>(*this), number));
    d.engine().set_simulated(virtual_);
    d.engine().set_alert_options(alert_tips_, alert_sound_);
    wire_desk(d);
    emit desk_added(d);
    return d;
}

bool AppCore::remove_desk(int number)
{
    const auto it = std::find_if(desks_.begin(), desks_.end(), [number](const auto& d) { return d->number() == number; });
    if (number == 1 || it == desks_.end() || (*it)->engine().monitoring())
        return false;
    desks_.erase(it);
    report_write(app::remove_desk(settings_file_, number));
    choose_placer();
    emit desk_removed(number);
    return true;
}

int AppCore::free_desk_number() const
{
    for (int number = 2; number <= kMostDesks; ++number)
        if (std::none_of(desks_.begin(), desks_.end(), [number](const auto& d) { return d->number() == number; }))
            return number;
    return 0;
}

void AppCore::set_alert_options(bool tips, bool sound)
{
    alert_tips_ = tips;
    alert_sound_ = sound;
    for (const auto& d : desks_)
        d->engine().set_alert_options(tips, sound);
}

void AppCore::start_when_ready()
{
    for (const auto& d : desks_)
        d->start_when_ready();
}

bool AppCore::set_stops(Desk& desk, const QString& profit, const QString& loss)
{
    const bool written = save_desk_stops(settings_file_, desk.number(), profit, loss);
    report_write(written);
    emit stops_changed(desk.number(), profit, loss);
    return written;
}

void AppCore::set_total_stops(const QString& profit, const QString& loss)
{
    const auto number = [](const QString& text) -> std::optional<double> {
        bool ok = false;
        const double v = text.trimmed().toDouble(&ok);
        return ok ? std::optional<double>(v) : std::nullopt;
    };
    total_profit_ = number(profit);
    total_loss_ = number(loss);
}

void AppCore::check_total_stop()
{
    if ((!total_profit_ && !total_loss_) || total_stopped_)
        return;
    double income = 0;
    bool monitoring = false;
    for (const auto& d : desks_) {
        income += d->engine().session().income;
        monitoring = monitoring || d->engine().monitoring();
    }
    if (!monitoring || !((total_profit_ && income >= *total_profit_) || (total_loss_ && income <= *total_loss_)))
        return;
    // Told once: a desk in its pass stops when the pass ends, its settlements still coming.
    total_stopped_ = true;
    const QString text = u"达到总止盈或总止损额（合计收入"_s + support::amount_text(income) + u"），停止所有彩种的监控和投注"_s;
    total_stop_text_ = text;
    for (const auto& d : desks_)
        d->stop(u"total stop"_s); // each desk says it once stopped
    shell_.tip(text);
    emit total_stop_reached(text);
}

void AppCore::settled()
{
    check_total_stop();
    // Real money: the balance is read again once a draw's settlement is over.
    if (virtual_ || balance_due_)
        return;
    balance_due_ = true;
    QTimer::singleShot(0, this, [this] {
        balance_due_ = false;
        refresh_balance();
    });
}

void AppCore::tell_unconfirmed(const QString& lottery, const QStringList& c)
{
    notify(lottery, u"unconfirmed"_s, c.value(monitor::kBetIssue), c.value(monitor::kBetTitle),
           c.value(monitor::kBetIssue) + u"期订单未确认 成本"_s + c.value(monitor::kBetCost),
           unconfirmed_message(lottery, c.value(monitor::kBetIssue), c.value(monitor::kBetTitle),
                               c.value(monitor::kBetMultiplier).toInt(), c.value(monitor::kBetCost).toDouble()));
}

monitor::BetResult AppCore::NoAccountPlacer::place(const monitor::BetOrder&)
{
    return {0, QString(), QString(), u"未登录平台，无法投注（勾选“我要装逼”可模拟投注）"_s};
}

AppCore::~AppCore()
{
    for (const auto& d : desks_)
        d->stop(u"exit"_s);
    desks_.clear(); // before the records and the platform they use
}

void AppCore::refresh_balance()
{
    if (virtual_)
        return;
    for (int which = 0; which < kAccounts; ++which)
        if (!accounts_[which]->account.isEmpty() && home_desk(which))
            refresh_balance(which);
}

void AppCore::refresh_balance(int which)
{
    PlatformAccount& a = *accounts_[which];
    if (a.balance_queued)
        return;
    a.balance_queued = true;
    run_on_platform(which, [this, which] {
        accounts_[which]->balance_queued = false;
        platform(which).refresh_balance();
    });
}

void AppCore::shutdown()
{
    stopping_ = true;
    // Nothing more is bet; every wait (a page, a script) ends now.
    for (const auto& d : desks_)
        d->stop(u"exit"_s);
    for (const auto& a : accounts_) {
        a->queue.clear();
        if (a->web)
            a->web->stop_waiting();
    }
}

QString AppCore::records_file() const
{
    return QFileInfo(settings_file_).dir().filePath(u"records.db"_s);
}

Options AppCore::options() const
{
    return options_source_ ? options_source_() : settings_load(settings_file_);
}

void AppCore::desk_started()
{
    total_stopped_ = false;
    check_total_stop();
}

records::BetRecord AppCore::bet_record(const QString& lottery, const monitor::BetRow& bet) const
{
    const QStringList note = bet.columns[monitor::kBetNote].split(u'|');
    records::BetRecord r;
    r.lottery = lottery;
    r.monitor = bet.columns[monitor::kBetTitle];
    r.positions = note.value(0);
    r.play = note.value(1);
    r.numbers = bet.columns[monitor::kBetNumbers];
    r.issue = bet.columns[monitor::kBetIssue];
    r.multiplier = bet.columns[monitor::kBetMultiplier].toInt();
    r.cost = bet.columns[monitor::kBetCost].toDouble();
    // The line's prize as the platform computes it, finer than the note's text.
    r.prize = bet.plan ? bet.line_prize : note.value(2).toDouble();
    r.order_no = bet.columns[monitor::kBetOrder];
    r.simulated = bet.simulated;
    r.placed_at = records::record_time(clock_.local_now());
    r.ref = bet.ref;
    return r;
}

QString AppCore::record_order(const QString& lottery, const monitor::BetRow& row)
{
    records::BetRecord r = bet_record(lottery, row);
    r.state = QString::fromUtf16(records::kUnconfirmedState);
    r.ref = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!row.simulated) {
        // The balance before the order: an answer that never comes is resolved against it.
        platform::PlatformSession& session = platform(account_of(lottery));
        r.balance_before = session.balance_value();
        session.expect_order(r.balance_before);
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

platform::PageBridge& AppCore::bridge(int which)
{
    if (bridge_factory_)
        return bridge_factory_();
    auto& web = accounts_[which]->web;
    if (!web) {
        // The browser shares the session of the program's own HTTP client.
        auto* qt_http = dynamic_cast<support::QtHttpClient*>(&http_);
        platform::BrowserHooks hooks;
        hooks.made = [this](QWebEnginePage* page) { emit browser_made(page); };
        // A page's dialog was answered by the page itself; the user reads what it said.
        hooks.dialog = [this, which](const QString& text) {
            set_account_line(which, monitor::Line::BetStatus, u"平台页面弹窗："_s + text);
            emit page_dialog(text);
        };
        hooks.revived = [this, which](const QString& text) {
            set_account_line(which, monitor::Line::BetStatus, text);
        };
        QString why;
        web = platform::open_browser_page(shell_, qt_http ? qt_http->cookie_jar() : nullptr,
                                          std::move(hooks), &why);
        if (!why.isEmpty())
            set_account_line(which, monitor::Line::BetStatus, why);
        if (stopping_)
            web->stop_waiting();
    }
    return *web;
}

void AppCore::choose_placer()
{
    // Each desk bets with the account of its platform; every order goes through its desk's
    // placer, which has the account's session take the desk's lottery for it.
    for (const auto& d : desks_) {
        monitor::BetPlacer* placer = &no_account_;
        if (virtual_)
            placer = &simulated_;
        else if (!accounts_[account_of(d->lottery())]->account.isEmpty())
            placer = &d->platform_placer();
        d->engine().set_placer(placer);
        // With several lotteries, an alert tip says whose it is.
        d->engine().set_tip_prefix(desks_.size() > 1 && !d->lottery().isEmpty() ? u'【' + d->lottery() + u'】' : QString());
    }
    for (int which = 0; which < kAccounts; ++which)
        follow_home(which);
}

void AppCore::set_virtual(bool on)
{
    virtual_ = on;
    for (const auto& d : desks_)
        d->engine().set_simulated(on);
    choose_placer();
}

void AppCore::set_credentials(const QString& account, const QString& password, int which)
{
    PlatformAccount& a = *accounts_[which];
    a.account = platform::account_name(account);
    a.password = password;
    a.session.set_credentials(account, password);
    choose_placer();
}

void AppCore::login_at_start()
{
    if (virtual_)
        return;
    for (int which = 0; which < kAccounts; ++which)
        if (!accounts_[which]->account.isEmpty() && home_desk(which))
            login_clicked(which);
}

void AppCore::login_clicked(int which)
{
    run_on_platform(which, [this, which] { log_in(which); });
}

void AppCore::log_in(int which)
{
    PlatformAccount& a = *accounts_[which];
    follow_home(which);
    if (a.session.login()) {
        // The account in the settings file; the password where it is kept (cleared when empty).
        const bool user_kept = which == 0 ? save_platform_user(settings_file_, a.account)
                                          : save_other_user(settings_file_, a.account);
        report_write(a.passwords.save(a.password) && user_kept);
        tell_password_place();
        resolve_unconfirmed(which);
    }
}

QString AppCore::stored_account(int which) const
{
    return which == 0 ? settings_load(settings_file_).plt_user : load_other_user(settings_file_);
}

QString AppCore::stored_password(int which)
{
    const QString password = accounts_[which]->passwords.load();
    tell_password_place();
    return password;
}

void AppCore::tell_password_place()
{
    const PasswordStore& passwords = accounts_[0]->passwords;
    if (password_place_told_ || passwords.in_keyring().value_or(true))
        return;
    password_place_told_ = true;
    engine().set_line(monitor::Line::BetStatus, passwords.file_text());
    emit password_place(passwords.file_text());
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
    for (const auto& d : desks_) {
        d->feed().endpoints().datacenter_base = service_.datacenter_base();
        d->feed().endpoints().upload_base = service_.upload_base();
    }
}

void AppCore::start()
{
    for (const auto& d : desks_)
        d->feed().start();
}

} // namespace zorvik::app
