#pragma once
// Which folder holds bao/cfg.ini: the one given on the command line; else the program's own
// folder when it already has a bao folder or can be written (a build tree, a portable copy, a
// settings file brought over from Windows); else the user's data location. An installed program
// (under /usr, /usr/local aside) never writes beside itself.

#include <QString>
#include <functional>

namespace zorvik::app {

struct DataDirInputs {
    QString given;       // --data-dir, empty when not given
    QString program_dir; // the folder of the running binary
    QString user_dir;    // the user's data location (QStandardPaths::AppDataLocation)
    // Whether the program may write into a folder; the real check by default.
    std::function<bool(const QString&)> writable;
};

QString choose_data_dir(const DataDirInputs& inputs);

// Creates the folder (owner-only when it is made here) and checks that bao/ in it can be
// written; false when it cannot.
bool prepare_data_dir(const QString& dir);

// Said once when the data folder cannot be written.
QString unwritable_data_text(const QString& dir);

} // namespace zorvik::app
