#pragma once
// zorvik-sim's servers: one loopback HTTP server per outside role, sharing the draw schedule,
// the injected faults and the record of what they received.

#include "platform_bets.h"
#include "schedule.h"

#include <QJsonArray>
#include <QJsonObject>
#include <optional>

#include <QString>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace zorvik::sim {

struct Fault {
    int remaining = 0;
    int delay_ms = 0;
    int status = 200;
    bool empty = false;
    bool malformed = false;
};

struct Account {
    std::string name;
    std::string password;
    double balance = 0;
};

struct Options {
    std::uint64_t seed = 1;
    double period = 60;
    int port = 18080;
    bool newer_release = false;
    std::vector<Account> accounts; // the platforms' accounts
    int order_ms = 0; // how long every order's answer takes (taken first, answered after)
    std::map<std::string, double> game_periods; // a game code's own period in seconds
};

// The prize level of the Hele platform's accounts: an order must ask for exactly this.
inline constexpr double kHelePrize = 1920;

// The Hele platform's id of a draw on sale.
qint64 hele_draw_id(const Game& game, qint64 index);

class Simulator {
public:
    explicit Simulator(const Options& options);
    ~Simulator();

    // Binds every role from the first free port at or above the given one, starts serving and
    // returns the "ROLE URL" lines.
    std::vector<std::string> start();
    void stop();

private:
    struct Role {
        std::string name;
        std::unique_ptr<httplib::Server> server;
        int port = 0;
        std::thread thread;
        std::string url() const;
    };

    void routes_service(httplib::Server& s);
    void routes_datacenter(httplib::Server& s);
    void routes_public(httplib::Server& s);
    void routes_trend(httplib::Server& s);
    void routes_hele(httplib::Server& s);
    void routes_ucai(httplib::Server& s);
    void routes_hele_pages(httplib::Server& s);
    void routes_ucai_pages(httplib::Server& s);
    void serve_jquery(httplib::Server& s);
    // The platform's session: the account its cookie names, or empty.
    std::string session_account(const std::string& platform, const httplib::Request& req);
    // A new session for the account; its cookie is set on the reply.
    void open_session(const std::string& platform, const std::string& account, httplib::Response& res);
    bool check_login(const std::string& platform, const std::string& name, const std::string& password);
    // The draw on sale (the one after the newest; one earlier while the platform is held back).
    qint64 on_sale(const Game& game, const std::string& platform);
    // Pays the accepted orders whose draws have come. Called with the mutex held.
    void settle_locked();
    // Takes an order's cost from the account; false when its balance is short. Mutex held.
    bool debit_locked(const std::string& account, double cost);
    std::string hele_order(const httplib::Request& req);
    std::string ucai_order(const httplib::Request& req);
    // A forced reply for the platform's next order, if one is due (the code it carries).
    std::optional<int> forced_order_code(const std::string& platform);
    // The dialog the platform's next page raises (taken), and the wait before an order's
    // answer (taken; the order is taken and debited before it).
    std::string next_dialog(const std::string& platform);
    void answer_late(const std::string& platform);
    // An order's request begins (+1) or ends (-1) on the platform: the most ever under way at
    // once on one platform is kept (a page that sends an order before the last one's answer).
    void order_flight(const std::string& platform, int step);
    void record_order(const std::string& platform, const std::string& account,
                      const QJsonObject& fields, bool accepted, const std::string& reply);
    void routes_admin(httplib::Server& s);
    // Runs `body` unless a fault is due for the role; a fault may delay, change the status or
    // spoil the body.
    void serve(const std::string& role, httplib::Response& res, const std::string& type,
               const std::function<std::string()>& body);

    double elapsed() const;
    // The newest draw index as `role` serves it (a lagging role serves older draws).
    qint64 newest(const Game& game, const std::string& role);
    std::string datacenter_newest(const Game& game);
    std::string url_of(const std::string& role) const;

    Options options_;
    Schedule schedule_;
    std::chrono::steady_clock::time_point started_;
    mutable std::mutex mutex_;
    std::map<std::string, std::deque<Fault>> faults_;
    std::map<std::string, int> requests_;
    std::map<std::string, int> lag_;
    std::vector<std::pair<std::string, std::string>> uploads_;
    std::vector<Role> roles_;

    // The platforms: accounts, sessions by cookie, orders and logins as received.
    struct Order {
        std::string platform;
        std::string account;
        QJsonObject fields;
        bool accepted = false;
        std::string reply;
        // Accepted orders only: what is settled when the draw comes.
        const Game* game = nullptr;
        qint64 draw = 0;
        double stake = 0;   // money per line (unit times multiplier)
        double prize = 1920; // the prize level the order asked for (Hele) or the platform's
        std::optional<PlacedBet> bet;
        bool settled = false;
        double returned = 0;
        double at = 0; // seconds after the simulator started, when the order came
    };
    Order order_record(const std::string& platform, const std::string& account,
                              const QJsonObject& fields, bool accepted, const std::string& reply);
    std::map<std::string, Account> accounts_;
    std::map<std::string, std::map<std::string, std::string>> sessions_; // platform → sid → account
    std::vector<Order> orders_;
    QJsonArray logins_;
    std::map<std::string, bool> held_;
    std::map<std::string, std::deque<int>> forced_codes_;
    std::map<std::string, std::string> dialogs_;
    std::map<std::string, int> order_delays_;
    std::map<std::string, int> in_flight_;
    std::map<std::string, int> most_at_once_;
    std::uint64_t next_sid_ = 1;
    std::uint64_t next_order_ = 1;
    std::string jquery_;
};

} // namespace zorvik::sim
