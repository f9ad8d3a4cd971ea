#pragma once
// Headless mode: the same program without a window, printing one line per event.

#include "app/options.h"

#include <QString>

namespace zorvik::app {

// Runs until SIGINT or SIGTERM; `lottery` empty means the one in the settings file.
int run_headless(const QString& data_dir, const NetConfig& net, const QString& lottery);

} // namespace zorvik::app
