#pragma once
// Headless mode: the same program without a window, printing one line per event.

#include "core/options.h"

#include <QString>
#include <QStringList>

namespace zorvik::app {

struct HeadlessOptions {
    QStringList lotteries; // empty: every lottery the settings file follows
    bool start = false;        // start monitoring as soon as draw history is there
    bool virtual_money = false; // "我要装逼": bets with simulated money
    bool data_writable = true;  // the data folder could be written at start
};

// Runs until SIGINT or SIGTERM.
int run_headless(const QString& data_dir, const NetConfig& net, const HeadlessOptions& options);


} // namespace zorvik::app
