#include "workspace/core/naming/BatchNames.h"

#include <QDir>
#include <QFileInfo>

#include "workspace/core/naming/OutputNaming.h"

namespace quillora::naming {

bool FileExists(const QString& path) {
    return QFileInfo::exists(path);
}

OutputNamer::OutputNamer(QString folder, PathExists exists)
    : folder_(std::move(folder)), exists_(std::move(exists)) {}

bool OutputNamer::Taken(const QString& path) const {
    return given_.contains(path) || (exists_ && exists_(path));
}

QString OutputNamer::Claim(QString path) {
    given_.insert(path);
    return path;
}

QString OutputNamer::Stamped(const QString& base, const QString& extension, std::int64_t stamp) {
    QString path;
    do {
        path = QDir(folder_).filePath(
            QStringLiteral("%1_%2%3").arg(base).arg(qlonglong{stamp}).arg(extension));
        ++stamp;
    } while (Taken(path));
    return Claim(path);
}

QString OutputNamer::ElementPath(const QString& sourcePath, std::int64_t stamp) {
    const workspace::SourceName name = workspace::SplitSourceName(sourcePath);
    const QString first = QDir(folder_).filePath(name.base + name.extension);
    if (!Taken(first)) {
        return Claim(first);
    }
    return Stamped(name.base, name.extension, stamp);
}

QString OutputNamer::WholeBatchPath(const QString& sourcePath, bool timestampOnCollision,
                                    std::int64_t stamp) {
    const workspace::SourceName name = workspace::SplitSourceName(sourcePath);
    const QString png = QStringLiteral(".png");
    const QString first = QDir(folder_).filePath(name.base + png);
    const bool givenInRun = given_.contains(first);
    if (!givenInRun && (!timestampOnCollision || !Taken(first))) {
        return Claim(first);
    }
    return Stamped(name.base, png, stamp);
}

}  // namespace quillora::naming
