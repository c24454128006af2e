#include "net/transport/Diagnostics.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace quillora::net {
namespace {

std::atomic<bool> gDebugOutput{false};
std::mutex gLogMutex;
LogWriter gLogWriter;

}  // namespace

void SetDebugOutput(bool on) {
    gDebugOutput.store(on);
}

void DebugLine(std::string_view line) {
    if (gDebugOutput.load()) {
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
}

void SetLogWriter(LogWriter writer) {
    const std::lock_guard lock(gLogMutex);
    gLogWriter = std::move(writer);
}

void WriteLogLine(const std::string& line) {
    const std::lock_guard lock(gLogMutex);
    if (gLogWriter) {
        gLogWriter(line);
    }
}

}  // namespace quillora::net
