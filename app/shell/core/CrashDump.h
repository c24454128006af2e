#pragma once

#include <QString>

#include <cstdint>
#include <functional>

namespace quillora {
class QuilloraRegistry;
}

// The rule for sending the last crash report at start: a report is sent once
// per modification time (registry UpDumpDay keeps the last one) and only when
// it is between 1 byte and 2 MiB. The file itself is kept.
namespace quillora::shell {

inline constexpr qint64 kMaxDumpUploadBytes = 2'097'152;

struct DumpFileState {
    bool exists = false;
    qint64 size = 0;
    std::uint32_t modifiedLow = 0;  // low 32 bits of the modification time
};

struct DumpDecision {
    bool storeDay = false;  // write `day` to UpDumpDay
    std::uint32_t day = 0;
    bool upload = false;
};

DumpDecision DecideDumpUpload(const DumpFileState& dump, std::uint32_t storedDay);

// A modification time as a Windows file time (100-nanosecond steps since
// 1601-01-01 UTC), low 32 bits: the value UpDumpDay holds.
std::uint32_t FileTimeLow32(qint64 secondsSinceEpoch, qint64 nanoseconds);

DumpFileState ReadDumpFile(const QString& path);

// The whole step: reads and updates UpDumpDay and hands the file to `upload`
// (which sends it in the background). True when the file was handed over.
bool UploadPendingDump(const QString& dumpPath, QuilloraRegistry& registry,
                       const std::function<void(const QString&)>& upload);

}  // namespace quillora::shell
