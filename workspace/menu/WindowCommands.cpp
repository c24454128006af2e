#include "workspace/menu/WindowCommands.h"

#include "app/shell/dialogs/OpenUrl.h"
#include "net/endpoints/Endpoints.h"
#include "platform/folders/Folders.h"
#include "workspace/core/naming/OutputNaming.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QUrl>

namespace quillora {

namespace {
constexpr char kCustomerServicePath[] = "/kefu.html";
constexpr char kPrivacyPath[] = "/privacy.html";
constexpr char kInstallerName[] = "QuilloraSetup.exe";

QString WebAddress(const char* path) {
    return QString::fromStdString(net::CurrentEndpoints().Url(net::Service::Web, path));
}
}  // namespace

QString CustomerServiceAddress() {
    return WebAddress(kCustomerServicePath);
}

QString PrivacyAddress() {
    return WebAddress(kPrivacyPath);
}

bool OpenWebAddress(const QString& address, QWidget* parent) {
    return OpenUrl(address, parent);
}

bool OpenFolder(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

LogExportResult ExportLog(const std::function<QString()>& pickFolder, const QString& logPath,
                          const QString& subFolder) {
    LogExportResult result;
    const QString picked = pickFolder ? pickFolder() : QString();
    if (picked.isEmpty()) {
        return result;
    }
    QFile log(logPath);
    if (logPath.isEmpty() || !log.open(QIODevice::ReadOnly)) {
        result.status = LogExport::NoLog;
        return result;
    }
    result.folder = workspace::OutputFolderFor(picked, subFolder);
    result.file = workspace::ExportedLogPath(result.folder, workspace::MicrosecondsNow());
    result.status = LogExport::Failed;
    if (!platform::MakeFolderPath(result.folder)) {
        return result;
    }
    QSaveFile copy(result.file);
    if (!copy.open(QIODevice::WriteOnly)) {
        return result;
    }
    while (!log.atEnd()) {
        const QByteArray chunk = log.read(1 << 20);
        if (chunk.isEmpty() || copy.write(chunk) != chunk.size()) {
            copy.cancelWriting();
            return result;
        }
    }
    if (copy.commit()) {
        result.status = LogExport::Done;
    }
    return result;
}

QString InstallerPath(const QString& userDataFolder) {
    return userDataFolder + QLatin1Char('/') + QLatin1String(kInstallerName);
}

bool StartInstaller(const QString& installerPath) {
    const QFileInfo installer(installerPath);
    if (!installer.isFile()) {
        return false;
    }
    return QProcess::startDetached(installer.absoluteFilePath(), {}, installer.absolutePath());
}

}  // namespace quillora
