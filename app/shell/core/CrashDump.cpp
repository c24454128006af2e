#include "app/shell/core/CrashDump.h"

#include "app/core/settings/QuilloraRegistry.h"

#include <QFile>

#include <sys/stat.h>

namespace quillora::shell {

namespace {
// Seconds from 1601-01-01 to 1970-01-01.
constexpr qint64 kEpochDifference = 11'644'473'600;
constexpr qint64 kTicksPerSecond = 10'000'000;
}  // namespace

DumpDecision DecideDumpUpload(const DumpFileState& dump, std::uint32_t storedDay) {
    DumpDecision decision;
    if (!dump.exists || dump.modifiedLow == storedDay) {
        return decision;
    }
    decision.storeDay = true;
    decision.day = dump.modifiedLow;
    decision.upload = dump.size > 0 && dump.size <= kMaxDumpUploadBytes;
    return decision;
}

std::uint32_t FileTimeLow32(qint64 secondsSinceEpoch, qint64 nanoseconds) {
    const quint64 ticks =
        static_cast<quint64>(secondsSinceEpoch + kEpochDifference) * kTicksPerSecond +
        static_cast<quint64>(nanoseconds / 100);
    return static_cast<std::uint32_t>(ticks & 0xFFFFFFFFu);
}

DumpFileState ReadDumpFile(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    return {true, static_cast<qint64>(info.st_size),
            FileTimeLow32(info.st_mtim.tv_sec, info.st_mtim.tv_nsec)};
}

bool UploadPendingDump(const QString& dumpPath, QuilloraRegistry& registry,
                       const std::function<void(const QString&)>& upload) {
    const DumpDecision decision =
        DecideDumpUpload(ReadDumpFile(dumpPath), registry.readUpDumpDay());
    if (decision.storeDay) {
        registry.writeUpDumpDay(decision.day);
    }
    if (decision.upload && upload) {
        upload(dumpPath);
        return true;
    }
    return false;
}

}  // namespace quillora::shell
