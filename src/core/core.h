#pragma once
// The program without its window: the service link, the draw feed and the monitoring engine,
// wired together. The window and headless mode both run on it.

#include "core/desk.h"
#include "core/options.h"
#include "core/password_store.h"
#include "feed/draw_feed.h"
#include "monitor/bet_placer.h"
#include "monitor/backtest.h"
#include "monitor/engine.h"
#include "platform/operation_queue.h"
#include "platform/session.h"
#include "platform/simulated_placer.h"
#include "core/notify_texts.h"
#include "notify/apprise.h"
#include "notify/webhook.h"
#include "records/record_writer.h"
#include "service/service_link.h"

#include <QObject>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

class QWebEnginePage;

class QTimer;

namespace zorvik::platform {
class PageBridge;
class BrowserPage;
} // namespace zorvik::platform
namespace zorvik::support {
class Clock;
class HttpClient;
class Shell;
} // namespace zorvik::support

namespace zorvik::app {

// Told once when the settings file cannot be written.
QString write_failure_text(const QString& file);

class AppCore : public QObject, private DeskHost {
    Q_OBJECT
public:
    AppCore(const QString& data_dir, support::Shell& shell, const support::Clock& clock,
            support::HttpClient& http, const NetConfig& net, QObject* parent = nullptr);
    ~AppCore() override;

    QString settings_file() const override { return settings_file_; }
    // The desks, the first one's lottery being the settings file's own (the window's).
    const std::vector<std::unique_ptr<Desk>>& desks() const { return desks_; }
    Desk& desk() { return *desks_.front(); }
    feed::DrawFeed& feed() { return desk().feed(); }
    monitor::MonitorEngine& engine() { return desk().engine(); }
    // Adds a desk (number 2, 3, …) keeping its settings in section desk_N; it follows no
    // lottery until one is chosen.
    Desk& add_desk(int number);
    // Removes a further desk that does not monitor, with its section of the settings file;
    // false (nothing done) for the first desk, an unknown one or one that monitors.
    bool remove_desk(int number);
    // The lowest desk number free (2 … kMostDesks), or 0 when every one is taken.
    int free_desk_number() const;
    // The alert options ("弹窗报警", "声音报警") of every desk, and of desks added later.
    void set_alert_options(bool tips, bool sound);
    service::ServiceLink& service() override { return service_; }
    // The platform accounts: 0 on the first desk's platform (the settings file's own keys), 1 on
    // the other platform (section platform_2, ours). Each has its own session and browser page;
    // the desks of one platform share its account.
    static constexpr int kAccounts = DeskHost::kAccounts;
    platform::PlatformSession& platform(int which = 0) override { return accounts_[which]->session; }
    // The account a lottery bets with; "hele", "ucai" (or empty) for an account's platform.
    int account_of(const QString& lottery) const override;
    QString account_platform(int which) const;
    // The desk whose lottery and line an account's session follows between orders: the first
    // desk of its platform (none: nullptr; the first account, the first desk).
    Desk* home_desk(int which) override;
    records::RecordWriter& records() override { return records_; }
    // The draws known for the first desk's lottery, oldest first: the draw list's and the records'.
    QVector<monitor::HistoryDraw> known_draws() { return desk().known_draws(); }
    QString records_file() const override;
    // Where the page bridge comes from (by default the embedded browser, made on first use).
    void set_bridge_factory(std::function<platform::PageBridge&()> factory)
    {
        bridge_factory_ = std::move(factory);
    }

    // Asks the service for the data-centre and upload addresses and sets up the feed's.
    void init_var();
    // Starts the draw clock; the announcements follow its first poll.
    void start();

    // The first desk's lottery, as the user's choice would apply it: the feed follows it and the
    // platform's address list is fetched.
    LotteryChoice choose_lottery(const QString& name) { return desk().choose_lottery(name); }
    // The first desk's draw line: picked from the list (saved) or typed and confirmed (not saved).
    void pick_address(const QString& address, int index) { desk().pick_address(address, index); }
    void enter_address(const QString& address) { desk().enter_address(address); }

    // The "自动报号" box was clicked to `on` while "弹窗报警" is `alert_tips`: ticking it against
    // the pop-up alerts asks first, and the resulting state is saved. Returns that state.
    bool show_award_tips_clicked(bool on, bool alert_tips);

    // The first desk's start button: asks before stopping a running session, else starts one.
    void begin_plan_clicked() { desk().begin_plan_clicked(); }
    // Starts the first desk's monitoring once draw history is there (saving the options first);
    // false, with a message, before that.
    bool start_monitoring() { return desk().start_monitoring(); }
    // Every desk starts monitoring at the first new draw that finds draw history.
    void start_when_ready();
    // A desk's stop amounts (止盈, 止损) changed from outside the window: kept (the first desk's
    // in tz_cfg, a further desk's in its section) and told to the window. False when the file
    // could not be written.
    bool set_stops(Desk& desk, const QString& profit, const QString& loss);
    // A remote action, done or refused, told to whoever shows the program's events.
    void remote_action(const QString& text) { emit web_action(text); }
    // Totals over every desk's session income (止盈, 止损; empty: none) that stop every desk.
    void set_total_stops(const QString& profit, const QString& loss);
    // Stops every desk when the summed income has reached a total.
    void check_total_stop();
    // "我要装逼": bets are placed with simulated money.
    void set_virtual(bool on);
    bool virtual_betting() const override { return virtual_; }
    // Where the window's options (saved at every start) and the stop amounts come from.
    void set_options_source(std::function<Options()> source) { options_source_ = std::move(source); }

    // A platform account as typed (the account label's text and the password box's).
    void set_credentials(const QString& account, const QString& password, int which = 0);
    // The account name and password as kept (the password in the keyring, or the settings file
    // where none answers; a password an older file holds moves into the keyring).
    QString stored_account(int which) const;
    QString stored_password(int which = 0);
    // "登录平台": logs in to the account's platform and keeps account and password.
    void login_clicked(int which = 0);
    // Orders a killed run left unconfirmed on the account's platform, judged by its balance now
    // (after a login).
    void resolve_unconfirmed(int which = 0);
    // Real betting started from the command line: logs in every account that has a name and a
    // desk of its platform.
    void login_at_start();

    // The webhook address (empty: no notifications), and a test event sent to it.
    void set_webhook_url(const QString& url) { webhook_.set_url(url); }
    // The address as the user left the box: kept in the settings file.
    void keep_webhook_url(const QString& url);
    // Sends the test event to the webhook and every notification service; what went out.
    QString send_test_notification();
    notify::Webhook& webhook() { return webhook_; }
    // The notification services' addresses as kept (the keyring, or the settings file where
    // none answers), one a line; they are used from now on.
    QString stored_notify_urls();
    // The addresses as the user left the box: used and kept. False when they could not be kept.
    bool keep_notify_urls(const QString& text);
    // Which events go to the services, and the daily summary's time ("HH:mm", empty: none).
    void set_notify_choice(const NotifyChoice& choice);
    notify::Apprise& apprise() { return apprise_; }
    // The day's summary from the records, sent now.
    void send_summary(const QDate& day);
    // Sends the day's summary once the time chosen has come, once a day (a timer asks often).
    void summary_due();

    // Reads the platform account's balance again (real money, with an account), once the
    // operations asked for before it are done; a read already waiting its turn serves.
    void refresh_balance();
    void refresh_balance(int which) override;
    // Runs a platform operation of the account in its turn (see OperationQueue).
    void run_on_platform(int which, std::function<void()> op) { accounts_[which]->queue.run(std::move(op)); }
    void post_to_platform(int which, std::function<void()> op) override
    {
        accounts_[which]->queue.post(std::move(op));
    }
    platform::OperationQueue& platform_queue(int which) { return accounts_[which]->queue; }
    // The program is ending (a signal in headless mode): monitoring stops, no bet is placed any
    // more, and whatever waits gives up at once.
    void shutdown();

    // Reports the outcome of a settings-file write: the first failure is told (as a tip, never
    // a box that would hold up the draw cycle); after a write succeeds again, the next is told.
    void report_write(bool written) override;

signals:
    void announced(const service::Announcement& announcement);
    // A new draw of the first desk, before the monitors judge it.
    void new_draw(const QString& issue, const QString& numbers);
    // A platform's page was made (its browser runs with or without a view); the window shows it.
    void browser_made(QWebEnginePage* page);
    // An account's password, its caption and the login button; the login button's state.
    void login_shown(int which, bool shown);
    void login_enabled(int which, bool enabled);
    void logged(const QString& text); // the status line after a login attempt
    // A bet's row (the bet log's columns) once the records hold it, or failed to take it (of
    // any desk).
    void bet_committed(const QStringList& columns);
    // An order whose answer did not come in time (the row as sent), and one of those found
    // not placed after all.
    void bet_unconfirmed(const QStringList& columns);
    void bet_cancelled(const QStringList& columns);
    // No keyring answers: where the password is kept instead (told once).
    void password_place(const QString& text);
    // A platform page raised a dialog (answered by the page itself): its text.
    void page_dialog(const QString& text);
    // A webhook delivery: its event and the HTTP status, or "failed" and the reason.
    void webhook_result(const QString& event, const QString& status);
    // A notification service's delivery: the event, the address's line (from 0) and scheme,
    // and "OK" or "failed REASON".
    void notify_result(const QString& event, int index, const QString& scheme, const QString& status);

    // The total stop was reached: every desk stopped.
    void total_stop_reached(const QString& text);
    // A desk's stop amounts were set from outside the window.
    void stops_changed(int desk, const QString& profit, const QString& loss);
    // A desk was added, or removed.
    void desk_added(zorvik::app::Desk& desk);
    void desk_removed(int number);
    // A remote action was done or refused: "ACTION DESK DETAIL FROM_ADDRESS".
    void web_action(const QString& text);

private:
    // What the desks are given (DeskHost).
    support::HttpClient& http() override { return http_; }
    const support::Clock& clock() const override { return clock_; }
    support::Shell& shell() override { return shell_; }
    const NetConfig& net() const override { return net_; }
    Options options() const override;
    monitor::BetPlacer& no_account() override { return no_account_; }
    void bet_settled() override { settled(); }
    void desk_started() override;
    QString total_stop_text() const override { return total_stop_text_; }

    // Real bets go through the platform drivers; until an account is logged in, none is placed.
    class NoAccountPlacer final : public monitor::ImmediatePlacer {
    public:
        monitor::BetResult place(const monitor::BetOrder&) override;
    };

    QString settings_file_;
    support::Shell& shell_;
    const support::Clock& clock_;
    bool virtual_ = false;
    NetConfig net_;
    std::function<Options()> options_source_;
    void choose_placer() override;
    void wire_desk(Desk& desk);
    QString record_order(const QString& lottery, const monitor::BetRow& row) override;
    records::BetRecord bet_record(const QString& lottery, const monitor::BetRow& row) const override;
    // A bet was settled: real money's balance is read once the draw's settlement is over, and
    // the total stop applied.
    void settled();
    // The account's session follows its home desk's lottery and line (not while it is busy).
    void follow_home(int which) override;
    // The login itself, in the account's turn.
    void log_in(int which);
    void tell_unconfirmed(const QString& lottery, const QStringList& columns) override;
    void notify(const QString& lottery, const QString& event, const QString& issue, const QString& monitor,
                const QString& text, const NotifyMessage& message) override;
    platform::PageBridge& bridge(int which);
    // Sets a line of every desk betting with the account.
    void set_account_line(int which, monitor::Line line, const QString& text);

    platform::SimulatedPlacer simulated_;
    NoAccountPlacer no_account_;
    support::HttpClient& http_;
    bool password_place_told_ = false;
    void tell_password_place();
    std::function<platform::PageBridge&()> bridge_factory_;
    struct PlatformAccount {
        PlatformAccount(AppCore& core, int which);
        platform::PlatformSession session;
        platform::OperationQueue queue;
        bool balance_queued = false;
        PasswordStore passwords;
        QString account;
        QString password;
        std::unique_ptr<platform::BrowserPage> web;
    };
    std::array<std::unique_ptr<PlatformAccount>, kAccounts> accounts_;
    bool records_failure_told_ = false;
    bool stopping_ = false;
    bool balance_due_ = false;
    records::RecordWriter records_;
    notify::Webhook webhook_;
    PasswordStore notify_urls_store_;
    notify::Apprise apprise_;
    bool notify_failure_told_ = false;
    QString summary_at_;  // "HH:mm", empty: no daily summary
    QDate summary_sent_;  // the day whose summary went out
    QTimer* summary_timer_ = nullptr;
    bool write_failure_told_ = false;
    std::optional<double> total_profit_;
    std::optional<double> total_loss_;
    bool total_stopped_ = false; // until a desk starts again
    QString total_stop_text_;    // what each desk the total stop stopped says
    bool alert_tips_ = true;
    bool alert_sound_ = true;
    service::ServiceLink service_;
    std::vector<std::unique_ptr<Desk>> desks_; // last: they use everything above
};

} // namespace zorvik::app
