#include "update/core/UpdateCheck.h"

#include "app/core/language/LangLookup.h"
#include "app/core/language/Messages.h"
#include "net/transport/TextRequests.h"
#include "update/core/VersionText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <dlfcn.h>

namespace quillora::update {

namespace {

QString InFolder(const QString& folder, const char* name) {
    return folder + QLatin1Char('/') + QLatin1String(name);
}

std::string Local8(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

bool StartProgramFile(const QString& program, const QStringList& arguments) {
    QFile file(program);
    if (!file.exists()) {
        return false;
    }
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ReadOwner);
    return QProcess::startDetached(program, arguments, QFileInfo(program).absolutePath());
}

UpdateContext MakeDefaultContext() {
    UpdateContext context;
    context.notesName = [] { return LangText(langkey::ui::kInformation).toStdString(); };
    context.fetchText = [](const std::string& url) { return net::GetStringFromUrl(url, true); };
    context.sendAction = [](int) {};
    context.showMessage = [](const LangKey& key, QObject* parent, unsigned kind) {
        return ShowMessage(key, parent, kind);
    };
    context.notifyNewVersion = [](QObject*) {};
    context.loadModule = [](const QString& path) {
        return dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL) != nullptr;
    };
    context.runProgram = [](const QString& program) { return StartProgramFile(program); };
    context.dayOfMonth = [] { return QDate::currentDate().day(); };
    return context;
}

CUpdate::CUpdate(UpdateContext context) : context_(std::move(context)) {
    const QString companion = InFolder(context_.appFolder, kCompanionFileName);
    if (!context_.appFolder.isEmpty() && QFileInfo::exists(companion) && context_.loadModule) {
        context_.loadModule(companion);
    }
}

CUpdate::~CUpdate() {
    Join();
}

void CUpdate::Join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool CUpdate::StartDaily(QObject* mainWindow) {
    if (running_) {
        return false;
    }
    const auto today = static_cast<std::uint32_t>(context_.dayOfMonth());
    if (context_.registry->readUpdateDay() == today) {
        return false;
    }
    context_.registry->writeUpdateDay(today);
    Start(true, mainWindow);
    return true;
}

void CUpdate::CheckNow(QObject* parent) {
    if (running_) {
        context_.showMessage(langkey::message::kUpdating, parent, kMessageInformation);
        return;
    }
    if (HasWaitingInstaller()) {
        AskAndRunWaitingInstaller(parent);
        return;
    }
    Start(false, parent);
}

void CUpdate::Start(bool daily, QObject* parent) {
    Join();
    parent_ = parent;
    daily_ = daily;
    running_ = true;
    thread_ = std::thread([this, daily] {
        if (daily) {
            RunDaily();
        } else {
            RunManual();
        }
        running_ = false;
    });
}

QString CUpdate::InstallerPath() const {
    return InFolder(context_.userDataFolder, kInstallerFileName);
}

bool CUpdate::HasWaitingInstaller() const {
    return ReadHasNewInstaller(context_.settings) != 0 && QFileInfo::exists(InstallerPath());
}

bool CUpdate::AskAndRunWaitingInstaller(QObject* parent) {
    if (!HasWaitingInstaller()) {
        return false;
    }
    if (context_.showMessage(langkey::message::kHasUpdate, parent, kMessageQuestion) !=
        kMessageYes) {
        return false;
    }
    return context_.runProgram(InstallerPath());
}

std::string CUpdate::NewVersion() const {
    const std::lock_guard lock(mutex_);
    return newVersion_;
}

std::string CUpdate::Notes() const {
    const std::lock_guard lock(mutex_);
    return notes_;
}

void CUpdate::UpdatePartner() {
    const QString partner = context_.registry->partnerId();
    if (!context_.oemPartnerId.isEmpty() && context_.oemPartnerId != partner) {
        context_.registry->writePartner(context_.oemPartnerId);
    }
}

void CUpdate::UpdatePatch() {
    const std::optional<std::string> patch =
        VersionAfterPrefix(context_.fetchText(Url(kPatchVersionPath)));
    if (!patch || patch->empty()) {
        return;
    }
    const std::string installed = context_.registry->readPatchVersion().toStdString();
    if (CompareVersion(*patch, installed) <= 0) {
        return;
    }
    const QString path = InFolder(context_.userDataFolder, kPatchFileName);
    DownloadOptions options = context_.downloadOptions;
    options.verifySignature = true;
    FileDownloader downloader;
    if (downloader.Download(Url(kPatchModulePath), Local8(path), CreationMode::AlwaysCreate,
                            options) != kDownloadOk) {
        return;
    }
    context_.registry->writePatchVersion(QString::fromStdString(*patch));
    context_.loadModule(path);
}

void CUpdate::DownloadUpdateConfig() {
    FileDownloader downloader;
    DownloadOptions options = context_.downloadOptions;
    options.verifySignature = false;
    downloader.Download(Url(kUpdateConfigPath), Local8(InFolder(context_.userDataFolder, "cd.dat")),
                        CreationMode::AlwaysCreate, options);
}

void CUpdate::TakeVersionAnswer(const std::string& answer, bool& newer) {
    const std::string version = GetTaggedValue(answer, "version");
    newer = !version.empty() && CompareVersion(version, context_.runningVersion) > 0;
    if (newer) {
        const std::string notes = GetTaggedValue(answer, context_.notesName());
        const std::lock_guard lock(mutex_);
        newVersion_ = version;
        notes_ = notes;
    }
}

int CUpdate::Say(const LangKey& key, unsigned kind) {
    return closing_ ? kMessageNo : context_.showMessage(key, parent_.data(), kind);
}

void CUpdate::Notify() {
    if (!closing_) {
        context_.notifyNewVersion(parent_.data());
    }
}

void CUpdate::RunDaily() {
    UpdatePartner();
    if (context_.registry->hasSendInstallMessage()) {
        context_.sendAction(kReportInstall);
        context_.registry->deleteSendInstallMessage();
    }
    const QString downloaded = context_.registry->readDownloadedUpdateVersion();
    if (!downloaded.isEmpty() && downloaded.toStdString() == context_.runningVersion) {
        context_.registry->deleteDownloadedUpdateVersion();
    }
    UpdatePatch();
    {
        const std::lock_guard lock(mutex_);
        notes_.clear();
        newVersion_.clear();
    }
    const std::string answer = context_.fetchText(Url(kVersionAnswerPath));
    const std::string version = GetTaggedValue(answer, "version");
    if (!version.empty() && context_.settings.loaded && !HasWaitingInstaller()) {
        bool newer = false;
        TakeVersionAnswer(answer, newer);
        if (newer) {
            Notify();
        }
    }
    DownloadUpdateConfig();
}

void CUpdate::RunManual() {
    UpdatePartner();
    const std::string address = context_.oemNewVersionUrl.startsWith(QLatin1String("http"))
                                    ? context_.oemNewVersionUrl.toStdString()
                                    : Url(kVersionAnswerPath);
    const std::string answer = StripLineBreaks(context_.fetchText(address));
    DownloadUpdateConfig();
    {
        const std::lock_guard lock(mutex_);
        notes_.clear();
        newVersion_.clear();
    }
    if (GetTaggedValue(answer, "version").empty()) {
        Say(langkey::message::kNoVersion, kMessageInformation);
        return;
    }
    bool newer = false;
    TakeVersionAnswer(answer, newer);
    if (newer) {
        Notify();
    } else {
        Say(langkey::message::kNotUpdate, kMessageInformation);
    }
}

namespace {
std::unique_ptr<CUpdate>& ProgramUpdateSlot() {
    static std::unique_ptr<CUpdate> slot;
    return slot;
}
}  // namespace

void InstallProgramUpdate(std::unique_ptr<CUpdate> update) {
    ProgramUpdateSlot() = std::move(update);
}

CUpdate* ProgramUpdate() {
    return ProgramUpdateSlot().get();
}

}  // namespace quillora::update
