#pragma once

#include "app/core/language/LangKeys.h"
#include "app/core/settings/AppSettings.h"
#include "app/core/settings/QuilloraRegistry.h"
#include "update/core/Downloader.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace quillora::update {

// Message posted to the main window when a newer version is known (the update
// dialog is to be shown), with no parameters.
inline constexpr int kMsgNewVersionKnown = 0x408;

// Paths on the update host.
inline constexpr char kVersionAnswerPath[] = "/quillora/newversion.htm";
inline constexpr char kReleaseListPath[] = "/quillora/version.htm";
inline constexpr char kUpdateConfigPath[] = "/quillora/cd.cab";
inline constexpr char kPatchVersionPath[] = "/quillora/patchversion.htm";
inline constexpr char kPatchModulePath[] = "/quillora/patch.dll.cab";
inline constexpr char kInstallerPath[] = "/quillora/QuilloraSetup.exe";

// Files in the user data folder.
inline constexpr char kInstallerFileName[] = "QuilloraSetup.exe";
inline constexpr char kPatchFileName[] = "patch.so";
inline constexpr char kCompanionFileName[] = "LiveUpdate.so";

// Usage report types sent by the update code.
inline constexpr int kReportInstall = 1;
inline constexpr int kReportDownload = 4;

// Everything the check needs from the rest of the program. The program fills
// it from its start-up records; each function has a working default where one
// makes sense (see MakeDefaultContext).
struct UpdateContext {
    std::string updateBase;  // "http://host:port" of the update host
    QString userDataFolder;
    QString appFolder;
    std::string runningVersion;
    AppSettings settings;      // loaded flag and the user Config.ini path
    QString oemPartnerId;      // oem.ini [Partner] Id
    QString oemNewVersionUrl;  // oem.ini [Partner] NewVersion
    std::shared_ptr<QuilloraRegistry> registry;
    DownloadOptions downloadOptions;  // signature key and limits

    // The name of the release-notes value: [UI] Information of the language.
    std::function<std::string()> notesName;
    // Plain text GET; empty text on failure.
    std::function<std::string(const std::string& url)> fetchText;
    // Synchronous usage report of the given type.
    std::function<void(int type)> sendAction;
    // Shows a message dialog (from any thread) and returns its result.
    std::function<int(const LangKey& key, QObject* parent, unsigned kind)> showMessage;
    // Posts kMsgNewVersionKnown to the window.
    std::function<void(QObject* window)> notifyNewVersion;
    // Loads a library for its own start-up code; nothing in it is called.
    std::function<bool(const QString& path)> loadModule;
    // Makes the file executable and starts it; false when it cannot start.
    std::function<bool(const QString& program)> runProgram;
    // Today's day of the month, local time.
    std::function<int()> dayOfMonth;
};

// Defaults: the program's text GET, message dialogs, dlopen, starting a
// program detached and the local clock; nothing is reported and nobody is
// notified until the caller sets those.
UpdateContext MakeDefaultContext();

// Makes the file executable by its owner and starts it detached, in its own
// folder. False when it is missing or does not start.
bool StartProgramFile(const QString& program, const QStringList& arguments = {});

// The process-wide update check: once a day at start, and on request.
class CUpdate {
public:
    explicit CUpdate(UpdateContext context);
    ~CUpdate();
    CUpdate(const CUpdate&) = delete;
    CUpdate& operator=(const CUpdate&) = delete;

    // The automatic check: runs when today's day of the month differs from
    // the stored UpdateDay (which is then set to today). True when it started.
    bool StartDaily(QObject* mainWindow);
    // The manual check: "Updating" while a check runs, the waiting installer
    // when there is one, otherwise a check whose result is told to the user.
    void CheckNow(QObject* parent);
    bool IsRunning() const { return running_; }
    // Waits for a running check to end (closing and tests).
    void Join();
    // The program is closing: a running check shows and posts nothing more.
    void BeginClosing() { closing_ = true; }

    // User Config.ini [main] HasNewInstaller is non-zero and the installer
    // file exists in the user data folder.
    bool HasWaitingInstaller() const;
    // Asks "HasUpdate" when an installer is waiting; on yes starts it and
    // returns true.
    bool AskAndRunWaitingInstaller(QObject* parent);
    QString InstallerPath() const;

    // The newest version (set only when newer than the running one) and its
    // notes, from the last check.
    std::string NewVersion() const;
    std::string Notes() const;
    const UpdateContext& Context() const { return context_; }

    // The two checks, as the thread runs them.
    void RunDaily();
    void RunManual();

private:
    void Start(bool daily, QObject* parent);
    void TakeVersionAnswer(const std::string& answer, bool& newer);
    void UpdatePartner();
    void UpdatePatch();
    void DownloadUpdateConfig();
    // The context's message and notification, unless the program is closing.
    int Say(const LangKey& key, unsigned kind);
    void Notify();
    std::string Url(const char* path) const { return context_.updateBase + path; }

    UpdateContext context_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> closing_{false};
    bool daily_ = true;
    QPointer<QObject> parent_;
    mutable std::mutex mutex_;
    std::string notes_;
    std::string newVersion_;
};

// The process-wide object, when the program has made one.
void InstallProgramUpdate(std::unique_ptr<CUpdate> update);
CUpdate* ProgramUpdate();

}  // namespace quillora::update
