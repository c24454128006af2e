#include "update/core/ToolboxLogic.h"

#include "app/core/settings/AppSettings.h"
#include "app/core/settings/SettingKeys.h"
#include "platform/folders/Folders.h"
#include "update/core/VersionText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <vector>

extern char** environ;

namespace quillora::update {

namespace {

QString ToolboxFile(const QString& folder) {
    return folder + QLatin1Char('/') + QLatin1String(kToolboxFileName);
}

std::string Local8(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

bool IsToolboxAvailable(const QString& userDataFolder) {
    return ReadUpdateSwitch(settingkey::kToolbox, userDataFolder) == 1 &&
           QFileInfo(ToolboxFile(userDataFolder)).isFile();
}

bool ToolboxRefreshDue(const QuilloraRegistry& registry, int dayOfMonth) {
    return registry.readToolboxDay() != static_cast<std::uint32_t>(dayOfMonth);
}

RefreshResult RunToolboxRefresh(const ToolboxRefreshContext& context) {
    RefreshResult result;
    const std::string base = context.toolboxBase + "/" + context.toolboxId;
    const QString stored = context.registry->readToolboxVersion();
    const std::optional<std::string> version =
        VersionAfterPrefix(context.fetchText(base + "/version.html"));
    const bool availableBefore = IsToolboxAvailable(context.userDataFolder);
    if (!version || version->empty() || CompareVersion(*version, stored.toStdString()) <= 0) {
        return result;
    }
    const QString archive = ToolboxFile(context.userDataFolder);
    const QString temporary = archive + QLatin1String(".tmp");
    QFile::remove(temporary);
    QFile::remove(archive);
    DownloadOptions options = context.downloadOptions;
    options.verifySignature = true;
    FileDownloader downloader;
    if (downloader.Download(base + "/toolbox.zip", Local8(temporary), CreationMode::AlwaysCreate,
                            options) != kDownloadOk) {
        result.outcome = RefreshOutcome::Failed;
        return result;
    }
    context.registry->writeToolboxVersion(QString::fromStdString(*version));
    context.registry->writeToolboxDay(static_cast<std::uint32_t>(context.dayOfMonth));
    if (!QFile::rename(temporary, archive)) {
        QFile::remove(temporary);
        result.outcome = RefreshOutcome::Failed;
        return result;
    }
    result.outcome = RefreshOutcome::Installed;
    result.notify = !availableBefore;
    return result;
}

ToolItem ToolItem::Parse(const QString& userData) {
    const std::string text = userData.toStdString();
    auto field = [&text](const char* name) {
        return QString::fromStdString(ConfigValue(text, name));
    };
    return ToolItem{field("url"), field("regedit"), field("exe"), field("installer"),
                    field("setupcommond")};
}

QString InstalledToolFolder(const platform::RegistryStore& machine, const QString& regedit) {
    if (regedit.isEmpty()) {
        return {};
    }
    const QString key = QStringLiteral("Software\\") + regedit;
    const std::optional<QString> path = machine.readString(key, u"Path");
    if (!path || path->isEmpty() || !QFileInfo(*path).isDir()) {
        return {};
    }
    return *path;
}

QString InstalledToolProgram(const QString& folder, const QString& exe) {
    if (folder.isEmpty() || exe.isEmpty() || QDir::isAbsolutePath(exe)) {
        return {};
    }
    const QString cleaned = QDir::cleanPath(exe);
    if (cleaned == QLatin1String("..") || cleaned.startsWith(QLatin1String("../"))) {
        return {};
    }
    return QDir(folder).filePath(cleaned);
}

bool IsPlainFileName(const QString& name) {
    return !name.isEmpty() && !name.startsWith(QLatin1Char('.')) &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

ToolButton ButtonFor(const ToolItem& item, bool installed, bool installing) {
    if (!item.url.isEmpty()) {
        return ToolButton::Learn;
    }
    if (installed) {
        return ToolButton::Open;
    }
    return installing ? ToolButton::Keep : ToolButton::Get;
}

const char* ButtonTextKey(ToolButton button) {
    switch (button) {
        case ToolButton::Learn:
            return "learn";
        case ToolButton::Open:
            return "open";
        case ToolButton::Keep:
            return "installing";
        case ToolButton::Get:
            return "get";
    }
    return "get";
}

InstallOutcome RunToolInstaller(const std::string& url, const QString& folder,
                                const QString& fileName, const QString& parameters,
                                IDownLoadCallBack* progress, ManualResetEvent& stop,
                                const DownloadOptions& options,
                                const std::function<void()>& started) {
    if (!IsPlainFileName(fileName)) {
        return InstallOutcome::DownloadFailed;
    }
    const QString path = folder + QLatin1Char('/') + fileName;
    DownloadOptions signedOptions = options;
    signedOptions.verifySignature = true;
    FileDownloader downloader(progress);
    if (downloader.Download(url, Local8(path), CreationMode::AlwaysCreate, signedOptions) !=
        kDownloadOk) {
        return InstallOutcome::DownloadFailed;
    }
    QFile::setPermissions(path,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    std::vector<std::string> arguments{Local8(path)};
    for (const QString& part : parameters.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        arguments.push_back(part.toStdString());
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    // The installer learns where this program lives (its settings store is
    // there) from the same variable the program itself honours.
    std::vector<std::string> environment;
    const std::string appFolderVariable = "QUILLORA_APP_DIR=";
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (std::string_view(*entry).substr(0, appFolderVariable.size()) != appFolderVariable) {
            environment.emplace_back(*entry);
        }
    }
    environment.push_back(appFolderVariable + Local8(platform::AppFolder()));
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) {
        return InstallOutcome::StartFailed;
    }
    if (started) {
        started();
    }
    while (true) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            return InstallOutcome::Finished;
        }
        if (stop.WaitFor(std::chrono::milliseconds(100))) {
            // The installer goes on by itself; it is not waited for any more.
            return InstallOutcome::Stopped;
        }
    }
}

}  // namespace quillora::update
