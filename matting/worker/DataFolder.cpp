#include "matting/worker/DataFolder.h"

#include <QDir>
#include <QFileInfo>

#include <atomic>

#include "common/text/TimeStamp.h"

namespace quillora::matting {

QString DataFolderPath(const QString& dataDirectory) {
    return dataDirectory + QLatin1Char('/') + QLatin1String(kDataFolderName);
}

bool EmptyDataFolder(const QString& folder) {
    QDir dir(folder);
    if (!dir.exists()) {
        return true;
    }
    bool allGone = true;
    const QFileInfoList files =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& file : files) {
        allGone = dir.remove(file.fileName()) && allGone;
    }
    return allGone;
}

QString NextResultPath(const QString& folder) {
    static std::atomic<std::int64_t> lastStamp{0};
    std::int64_t stamp = NowMicros();
    std::int64_t last = lastStamp.load();
    do {
        if (stamp <= last) {
            stamp = last + 1;
        }
    } while (!lastStamp.compare_exchange_weak(last, stamp));
    return folder + QLatin1Char('/') + QString::number(stamp);
}

}  // namespace quillora::matting
