#pragma once

#include <QString>

#include <optional>

// Crash capture: a fatal signal writes a short report ("Error.tmp": signal,
// address, backtrace) with async-signal-safe calls only, then starts the
// program again in place of the crashed process when that is allowed. The
// restarted program learns about the crash from one environment variable.
namespace quillora::shell {

inline constexpr char kCrashReportName[] = "Error.tmp";
inline constexpr char kCrashVariable[] = "QUILLORA_CRASHED";

struct CrashHandlerSetup {
    QString reportPath;      // written (created or overwritten) on a crash
    QString executablePath;  // started again, with no arguments
    bool restartAllowed = true;
};

// Installs the handler for SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT on a
// stack of its own. False when a path is too long or a handler could not be
// installed.
bool InstallCrashHandler(const CrashHandlerSetup& setup);

// cd.dat [Config] ExcepRunAuto == 1.
void SetCrashRestartAllowed(bool allowed);
// Set when the main window records an error: no restart after a crash.
void SetNoRestart(bool noRestart);
bool NoRestart();
// A program that was itself started after a crash is not restarted again
// until its main window is up, so a crash at start-up cannot loop.
void SetRestartArmed(bool armed);

struct CrashInfo {
    int signal = 0;
    quintptr address = 0;
};
// The crash that ended the previous run, when this run is its restart; the
// variable is removed so children do not inherit it.
std::optional<CrashInfo> TakeCrashInfo();
// Reads the variable's value ("11:7f00aa"); nullopt when it is malformed.
std::optional<CrashInfo> ParseCrashInfo(const QByteArray& value);

// Writes the report to an open file; async-signal-safe.
void WriteCrashReport(int fd, int signal, const void* address);

}  // namespace quillora::shell
