#pragma once

#include "app/shell/core/CrashHandler.h"

#include <QString>

#include <optional>

namespace quillora::shell {

struct StartupRecords;
class SingleInstance;

struct RunOptions {
    QString arguments;       // the command line after the program's path
    QString executablePath;  // this program
    std::optional<CrashInfo> previousCrash;
    bool crashTest = false;  // crash on purpose once the window is up
};

// The skin, the switches, the pending installer, the main window and the
// message loop. Returns the process exit code (0).
int Run(StartupRecords& records, SingleInstance& instance, const RunOptions& options);

}  // namespace quillora::shell
