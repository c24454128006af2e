#include "workspace/core/naming/OutputNaming.h"

#include <chrono>

namespace quillora::workspace {

namespace {
constexpr char kPngExtension[] = ".png";

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.endsWith(QLatin1Char('/'))) {
        return folder + name;
    }
    return folder + QLatin1Char('/') + name;
}
}  // namespace

std::int64_t MicrosecondsNow() {
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

QString StampText(std::int64_t micros) {
    return QString::number(static_cast<qlonglong>(micros));
}

SourceName SplitSourceName(const QString& sourcePath) {
    const qsizetype slash = sourcePath.lastIndexOf(QLatin1Char('/'));
    const QString fileName = sourcePath.mid(slash + 1);
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0) {
        return {fileName, QString()};
    }
    return {fileName.left(dot), fileName.mid(dot)};
}

QString OutputFolderFor(const QString& pickedFolder, const QString& subFolder) {
    if (pickedFolder.isEmpty()) {
        return {};
    }
    return JoinPath(pickedFolder, subFolder);
}

QString SinglePageOutputPath(const QString& folder, const QString& sourcePath,
                             bool stampOnCollision, std::int64_t stamp, const PathTaken& taken) {
    const SourceName name = SplitSourceName(sourcePath);
    if (name.base.isEmpty()) {
        return {};
    }
    const QString first = JoinPath(folder, name.base + QLatin1String(kPngExtension));
    if (!stampOnCollision || !taken || !taken(first)) {
        return first;
    }
    return JoinPath(folder,
                    name.base + QLatin1Char('_') + StampText(stamp) + QLatin1String(kPngExtension));
}

QString ExportedLogPath(const QString& folder, std::int64_t stamp) {
    return JoinPath(folder, QStringLiteral("LOG_") + StampText(stamp) + QStringLiteral(".dat"));
}

}  // namespace quillora::workspace
