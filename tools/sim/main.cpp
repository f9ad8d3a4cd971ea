// zorvik-sim: plays every outside endpoint of the program on loopback ports.
// Usage: zorvik-sim [--period SECONDS] [--seed N] [--port P] [--newer-release] [--order-ms MS] [--game-period CODE=SECONDS]... [--account NAME:PASSWORD:BALANCE]...

#include "sim.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pthread.h>
#include <string>

int main(int argc, char** argv)
{
    zorvik::sim::Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--period" && has_value) {
            options.period = std::atof(argv[++i]);
        } else if (arg == "--seed" && has_value) {
            options.seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--port" && has_value) {
            options.port = std::atoi(argv[++i]);
        } else if (arg == "--account" && has_value) {
            // NAME:PASSWORD:BALANCE; the password may hold ":" itself.
            const std::string value = argv[++i];
            const size_t first = value.find(':');
            const size_t last = value.rfind(':');
            if (first == std::string::npos || first == last || first == 0) {
                std::fprintf(stderr, "zorvik-sim: --account wants NAME:PASSWORD:BALANCE\n");
                return 2;
            }
            zorvik::sim::Account account;
            account.name = value.substr(0, first);
            account.password = value.substr(first + 1, last - first - 1);
            account.balance = std::atof(value.c_str() + last + 1);
            options.accounts.push_back(account);
        } else if (arg == "--order-ms" && has_value) {
            options.order_ms = std::max(0, std::atoi(argv[++i]));
        } else if (arg == "--game-period" && has_value) {
            // CODE=SECONDS: one game drawn at its own period.
            const std::string value = argv[++i];
            const size_t eq = value.find('=');
            const double seconds = eq == std::string::npos ? 0 : std::atof(value.c_str() + eq + 1);
            if (eq == std::string::npos || eq == 0 || !(seconds > 0)) {
                std::fprintf(stderr, "zorvik-sim: --game-period wants CODE=SECONDS, above 0\n");
                return 2;
            }
            options.game_periods[value.substr(0, eq)] = seconds;
        } else if (arg == "--newer-release") {
            options.newer_release = true;
        } else {
            std::fprintf(stderr, "usage: zorvik-sim [--period SECONDS] [--seed N] [--port P] [--newer-release] [--order-ms MS] [--game-period CODE=SECONDS]... [--account NAME:PASSWORD:BALANCE]...\n");
            return 2;
        }
    }
    if (!(options.period > 0) || options.port < 0 || options.port > 65535) {
        std::fprintf(stderr, "zorvik-sim: the period must be above 0 and the port 0 to 65535\n");
        return 2;
    }

    // The serving threads inherit the blocked stop_signals; the main thread waits for them.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    zorvik::sim::Simulator sim(options);
    try {
        for (const std::string& line : sim.start())
            std::printf("%s\n", line.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zorvik-sim: %s\n", e.what());
        return 1;
    }
    std::fflush(stdout);

    int received = 0;
    sigwait(&stop_signals, &received);
    sim.stop();
    return 0;
}
