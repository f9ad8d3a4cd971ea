#pragma once
// What both programs (the window's and the headless one) do before and as they start: Qt's
// messages filtered, the browser engine's flags, and the command line read.

#include "core/headless.h"
#include "core/options.h"

#include <QString>
#include <vector>

namespace zorvik::app {

struct ProgramArgs {
    QString data_dir;
    bool data_writable = true;
    NetConfig net;
    bool headless = false;
    bool start = false;
    bool virtual_money = false;
    QStringList lotteries;
    QString web; // --web ADDRESS:PORT: the dashboard's address (headless)
};

// Before the application object: Qt's warnings reach standard error at most once a minute each,
// and the browser engine keeps the pace of pages nobody looks at.
void prepare_program();
// The arguments with "-platform offscreen" added when none is chosen (headless runs).
std::vector<char*> offscreen_args(int argc, char** argv);
// Reads the command line (after the application object exists); --help and errors end the
// program as Qt's parser does.
ProgramArgs read_program_args();
// The headless run of those arguments.
int run_headless(const ProgramArgs& args, HeadlessServe serve = {});

} // namespace zorvik::app
