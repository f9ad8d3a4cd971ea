#pragma once
// zorvik-sim's servers: one loopback HTTP server per outside role, sharing the draw schedule,
// the injected faults and the record of what they received.

#include "schedule.h"

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

struct Options {
    std::uint64_t seed = 1;
    double period = 60;
    int port = 18080;
    bool newer_release = false;
};

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
};

} // namespace zorvik::sim
