#include "platform/folders/Folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace quillora::platform {

namespace {

QString CleanAbsolute(const QString& path) {
    return QDir::cleanPath(QDir(path).absolutePath());
}

}  // namespace

QString AppFolder() {
    const QString overridden = qEnvironmentVariable("QUILLORA_APP_DIR");
    if (!overridden.isEmpty()) {
        return CleanAbsolute(overridden);
    }
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationDirPath();
    }
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    return self.exists() ? QFileInfo(self.symLinkTarget()).absolutePath() : QDir::currentPath();
}

QString AppDataFolder() {
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) {
        return QDir::cleanPath(xdg);
    }
    return QDir::homePath() + QStringLiteral("/.local/share");
}

QString UserDataFolder() {
    const QString overridden = qEnvironmentVariable("QUILLORA_USER_DATA");
    const QString folder = overridden.isEmpty() ? AppDataFolder() + QStringLiteral("/Quillora")
                                                : CleanAbsolute(overridden);
    MakeFolderPath(folder);
    return folder;
}

bool MakeFolderPath(const QString& path) {
    return !path.isEmpty() && QDir().mkpath(path);
}

}  // namespace quillora::platform
