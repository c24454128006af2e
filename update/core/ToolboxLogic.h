#pragma once

#include "app/core/settings/QuilloraRegistry.h"
#include "common/thread/ManualResetEvent.h"
#include "update/core/Downloader.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>

namespace quillora::update {

// The toolbox archive in the user data folder and the product's toolbox id.
inline constexpr char kToolboxFileName[] = "toolbox.dat";
inline constexpr char kToolboxId[] = "quillora";
// Message the toolbox posts to its notify window when a first archive arrived.
inline constexpr int kMsgToolboxInstalled = 0x404;

// cd.dat [Config] Toolbox is 1 (default 1) and the archive exists.
bool IsToolboxAvailable(const QString& userDataFolder);

// True unless today's day of the month equals the stored ToolboxDay.
bool ToolboxRefreshDue(const QuilloraRegistry& registry, int dayOfMonth);

struct ToolboxRefreshContext {
    std::string toolboxBase;  // "http://host:port" of the toolbox host
    std::string toolboxId = kToolboxId;
    QString userDataFolder;
    std::shared_ptr<QuilloraRegistry> registry;
    std::function<std::string(const std::string& url)> fetchText;
    int dayOfMonth = 0;
    DownloadOptions downloadOptions;  // signature key and limits
};

enum class RefreshOutcome {
    Unchanged,  // no "version=" answer, or not newer than the stored one
    Failed,     // a newer archive could not be had; the old one is gone
    Installed,  // a newer archive is in place
};

struct RefreshResult {
    RefreshOutcome outcome = RefreshOutcome::Unchanged;
    // The archive arrived while the toolbox was not available before: the
    // notify window is to re-evaluate the toolbox button.
    bool notify = false;
};

// The refresh thread's work: the version answer, and when it names a newer
// version the signed archive, ToolboxVersion and ToolboxDay.
RefreshResult RunToolboxRefresh(const ToolboxRefreshContext& context);

// The user data of one tool item: "url=...;regedit=...;exe=...;installer=...;
// setupcommond=...".
struct ToolItem {
    QString url;
    QString regedit;
    QString exe;
    QString installer;
    QString setupCommand;
    static ToolItem Parse(const QString& userData);
};

// The folder of an installed tool: the machine-wide store's value "Path"
// under "Software\<regedit>" when it names an existing folder; empty otherwise.
QString InstalledToolFolder(const platform::RegistryStore& machine, const QString& regedit);

// The program of an installed tool (folder + exe); empty when the exe field is
// empty, absolute or climbs out of the folder.
QString InstalledToolProgram(const QString& folder, const QString& exe);

// An installer file name is one plain name: no folder part, no leading dot.
bool IsPlainFileName(const QString& name);

enum class ToolButton { Learn, Open, Keep, Get };
// Which text a tool's button shows: a web tool "learn", an installed tool
// "open", a tool whose installation is running keeps its text, else "get".
ToolButton ButtonFor(const ToolItem& item, bool installed, bool installing);
// The state key of the button text in the list's user data.
const char* ButtonTextKey(ToolButton button);

enum class InstallOutcome { DownloadFailed, StartFailed, Stopped, Finished };

// Downloads a tool's signed installer into `folder`, makes it executable,
// runs it with the parameters (split at blanks) and waits until it ends or
// `stop` is set. `downloaded` runs once the installer has started.
InstallOutcome RunToolInstaller(const std::string& url, const QString& folder,
                                const QString& fileName, const QString& parameters,
                                IDownLoadCallBack* progress, ManualResetEvent& stop,
                                const DownloadOptions& options,
                                const std::function<void()>& started);

}  // namespace quillora::update
