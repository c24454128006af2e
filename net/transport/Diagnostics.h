#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace quillora::net {

// Transport failures never reach the user. Debug lines go to the debugger
// output (stderr here) only while the program's debug-output switch is on;
// the few lines meant for the log file go through the writer that start-up
// installs (the log lives above this folder).
void SetDebugOutput(bool on);
void DebugLine(std::string_view line);

using LogWriter = std::function<void(const std::string& line)>;
void SetLogWriter(LogWriter writer);
void WriteLogLine(const std::string& line);

}  // namespace quillora::net
