#pragma once
// The platform account: logging in, the balance, and real bets placed through the platform's
// own pages (UCai or Hele, by the lottery's name). The browser behind the page bridge is made
// only when a platform is first used.

#include "monitor/bet_placer.h"

#include <QString>
#include <functional>
#include <optional>

namespace zorvik::support {
class Clock;
class HttpClient;
class Shell;
} // namespace zorvik::support

namespace zorvik::platform {

class PageBridge;

// What the session shows: the betting status line, the balance label, the login controls.
struct PlatformView {
    std::function<void(const QString&)> status;
    std::function<void(const QString&)> balance;
    std::function<void(bool)> show_login;    // false hides the password, its caption, the button
    std::function<void(bool)> enable_login;  // the login button
    std::function<void(const QString&)> logged; // the status line after each login attempt
    // The platform is free again after bets were turned away while it was busy.
    std::function<void()> idle;
    // The answer of an order that timed out and was left unconfirmed came after all (placed, or
    // refused), read from the page before anything else ran in it.
    std::function<void(const monitor::BetOrder&, const monitor::BetResult&)> late_answer;
};

// The session's part of "登录平台": the account name as the login reads it from the label.
QString account_name(const QString& caption);

class PlatformSession final {
public:
    // `bridge` makes (the first time) and gives the browser's page bridge.
    PlatformSession(support::HttpClient& http, support::Shell& shell, const support::Clock& clock,
                    std::function<PageBridge&()> bridge);

    void set_view(PlatformView view) { view_ = std::move(view); }
    // The selected lottery: its name, its betting page's path and, on UCai, its lottery id.
    void set_lottery(const QString& name, const QString& page_path, int ucai_game);
    void set_base(const QString& base) { base_ = base; }
    // The account name (as the label shows it) and the password (as typed).
    void set_credentials(const QString& account_caption, const QString& password);

    // The platform's page answers one operation at a time. An operation asked for while another
    // waits (from a timer or a click) is not run inside it: a login is refused, a balance refresh
    // and a page load run once the other is done, a bet is turned away as busy (kPlacerBusy) and
    // the view's `idle` says when it may be asked again.

    // Logs in with the credentials; false, after a message asking for it, without an account,
    // and false while another platform operation is under way.
    bool login();
    void refresh_balance();
    // The lottery's betting page, loaded after a rebuild once the browser exists.
    void load_game_page();
    // An operation is under way (a login, a balance read, an order): another is turned away.
    bool busy() const { return busy_ > 0; }
    const QString& lottery() const { return lottery_; }
    bool browser_made() const { return made_; }

    monitor::BetResult place(const monitor::BetOrder& order);

    // The lottery account's balance as a number, read over HTTP without logging in; nothing
    // when the platform does not give one.
    std::optional<double> balance_value();
    // The balance read just before the next order is sent: an order whose answer never comes
    // is resolved by comparing the balance with it.
    void expect_order(std::optional<double> balance_before) { balance_before_ = balance_before; }

private:
    class Busy;
    // `fresh`: the page is loaded again before the session is judged (after a refusal the page
    // held may still show the old session).
    bool start_login(bool fresh = false);
    // An order sent whose answer never came: placed, cancelled or still unknown, by the balance.
    monitor::BetResult unanswered(const monitor::BetOrder& order, const monitor::BetResult& refusal);
    void run_due();
    PageBridge& bridge();
    QString platform() const; // "hele", "ucai" or empty
    // The drivers' logins; each returns the status line's message.
    QString hele_login(bool fresh);
    // True when the page loaded now is on the platform's address (host and port).
    bool on_platform();
    QString hele_site_balance();
    QString ucai_money();
    QString off_platform_text();
    void hele_balance();
    monitor::BetResult hele_bet(const monitor::BetOrder& order);
    QString ucai_login();
    QString ucai_user();
    void ucai_balance();
    monitor::BetResult ucai_bet(const monitor::BetOrder& order);
    void status(const QString& text);
    void logged_in();
    // Polls window.vemto_val until it holds an answer or `ms` have passed.
    QString await_answer(QString reply, int ms, bool empty_waits);
    // The order's result from a Hele answer; `lost_session` is set for a session that ended.
    monitor::BetResult hele_result(const QString& reply, bool* lost_session) const;
    // Before anything else runs in the page: the answer of the order left unconfirmed, if it has
    // come meanwhile, is told to the view; past kLateAnswerMs it is no longer awaited.
    void take_late_answer();

    // An order whose answer did not come in time and whose outcome is not known: its answer may
    // still come into the page.
    struct LateOrder {
        monitor::BetOrder order;
        qint64 since = 0;
    };
    std::optional<LateOrder> late_;

    support::HttpClient& http_;
    support::Shell& shell_;
    const support::Clock& clock_;
    std::function<PageBridge&()> make_bridge_;
    bool made_ = false;
    PlatformView view_;
    QString lottery_;
    QString page_;
    QString site_code_;
    int ucai_game_ = 0;
    QString base_;
    QString account_;
    QString password_;
    int balance_logins_ = 0; // logins started by a balance refresh, still running
    int busy_ = 0;           // operations under way (nested ones are the drivers' own)
    bool balance_due_ = false;
    bool page_due_ = false;
    bool bets_turned_away_ = false;
    std::optional<double> balance_before_;
};

} // namespace zorvik::platform
