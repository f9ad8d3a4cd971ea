#pragma once
// Headless mode: the same program without a window, printing one line per event.

#include "core/options.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace zorvik::support {
class Clock;
}

namespace zorvik::app {

class AppCore;

// What a program adds to headless mode once the core is set up (the web dashboard): it is kept
// until the program ends; `said` is printed as a "web" line.
using HeadlessServe = std::function<std::unique_ptr<QObject>(AppCore& core, const support::Clock& clock, QString& said)>;

struct HeadlessOptions {
    QStringList lotteries; // empty: every lottery the settings file follows
    bool start = false;        // start monitoring as soon as draw history is there
    bool virtual_money = false; // "我要装逼": bets with simulated money
    bool data_writable = true;  // the data folder could be written at start
    HeadlessServe serve;
};

// Runs until SIGINT or SIGTERM.
int run_headless(const QString& data_dir, const NetConfig& net, const HeadlessOptions& options);


} // namespace zorvik::app
