#include "app/shell/core/CommandLine.h"
#include "app/shell/core/CrashHandler.h"
#include "app/shell/core/DpiChoice.h"
#include "app/shell/core/LogFile.h"
#include "app/shell/core/ProcessValues.h"
#include "app/shell/core/SingleInstance.h"
#include "app/shell/program/ProgramHooks.h"
#include "app/shell/program/Run.h"
#include "app/shell/program/StartupRecords.h"
#include "app/shell/program/UsageReports.h"
#include "net/transport/Diagnostics.h"
#include "platform/folders/Folders.h"
#include "ui/Dpi.h"
#include "ui/PaintManager.h"
#include "update/FrameCommands.h"
#include "update/ProgramUpdate.h"
#include "workspace/core/batch/CommandLineBatch.h"
#include "workspace/frame/MainFrame.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdlib>
#include <exception>

namespace {

using namespace quillora;
using namespace quillora::shell;

// The update check and the toolbox: the daily check starts once the main
// window is up, and the window gets the update and toolbox commands then.
void PlugInUpdates(StartupRecords& records) {
    update::ProgramUpdateSetup setup;
    setup.userDataFolder = records.values.userDataFolder;
    setup.appFolder = records.values.applicationFolder;
    setup.versionText = records.values.versionText;
    setup.settings = records.settings;
    setup.oemPartnerId = records.oem.partnerId;
    setup.oemNewVersionUrl = records.oem.newVersionUrl;
    setup.sendAction = [&records](int type) {
        if (records.reporter != nullptr) {
            records.reporter->SendAction(type, true);
        }
    };
    auto daily = update::MakeProgramUpdate(setup);
    SetUpdateCheckStarter([daily, &records](QWidget* window) {
        if (auto* frame = qobject_cast<CMainFrame*>(window)) {
            update::AttachUpdateCommands(*frame, records.oem, records.values.userDataFolder);
        }
        daily(window);
    });
}

QString ExecutablePath() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

// Step 7: the display scale for the main monitor.
void ChooseDisplayScale() {
    const DpiChoice choice = ChooseDpi(ui::CDPI::GetMainMonitorDPI());
    ui::CDPI& dpi = ui::CPaintManagerUI::GetDPIObj();
    dpi.SetAware(choice.awareness == DpiAwareness::SystemAware);
    ui::CPaintManagerUI::SetAllDPI(choice.scaleDpi);
}

}  // namespace

int main(int argc, char* argv[]) {
    // The command-line batch and the help text need no window, so they run
    // before anything of the desktop program starts.
    QStringList given;
    for (int i = 1; i < argc; ++i) {
        given.append(QString::fromLocal8Bit(argv[i]));
    }
    if (batch::IsCutoutCommand(given) || given == QStringList{QStringLiteral("--help")} ||
        given == QStringList{QStringLiteral("-h")}) {
        QCoreApplication app(argc, argv);
        return batch::RunCutoutCommandLine(given, VersionText(BuiltVersion()));
    }

    // 1. Crash capture first, so that nothing after it crashes unseen.
    const std::optional<CrashInfo> previousCrash = TakeCrashInfo();
    const QString executable = ExecutablePath();
    InstallCrashHandler({platform::AppFolder() + QLatin1Char('/') + QLatin1String(kCrashReportName),
                         executable, true});
    if (previousCrash) {
        SetRestartArmed(false);
    }
    std::set_terminate([] {
        WriteLog(u"terminated by an unhandled exception");
        std::abort();
    });

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillora"));
    QApplication::setDesktopFileName(QStringLiteral("quillora"));
    QApplication::setQuitOnLastWindowClosed(false);

    // 2. One instance per user: a second start hands over to the first.
    SingleInstance instance(SingleInstance::KeyFor(platform::UserDataFolder()));
    if (!instance.Claim()) {
        return 0;
    }

    // 4. to 6. Settings, language, services, reports, the last crash report.
    PlugInUsageReports();
    StartupRecords records;
    LoadStartupRecords(records);
    net::SetLogWriter([](const std::string& line) { WriteLog(QString::fromStdString(line)); });
    FillReportContext(records);
    UploadCrashReport(records);

    // 7. Display scale.
    ChooseDisplayScale();

    // 8. The program itself.
    RunOptions options;
    const QStringList arguments = QApplication::arguments();
    options.arguments = ArgumentText(arguments);
    options.executablePath = executable;
    options.previousCrash = previousCrash;
    options.crashTest = arguments.mid(1).contains(QLatin1String(kCrashTestSwitch));
    PlugInUpdates(records);
    const int code = Run(records, instance, options);
    // A running check reports through the records: it ends before they go.
    update::EndProgramUpdate();

    // 9. The exit report.
    if (records.settings.sendAction != 0 && records.reporter != nullptr) {
        records.reporter->SendEvents();
    }
    // 10. Tear-down happens as the records and the application go out of scope.
    net::SetLogWriter(nullptr);
    return code;
}
