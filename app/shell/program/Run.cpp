#include "app/shell/program/Run.h"

#include "app/core/language/LangFormat.h"
#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/language/LanguageTable.h"
#include "app/core/language/Messages.h"
#include "app/shell/core/CommandLine.h"
#include "app/shell/core/LogFile.h"
#include "app/shell/core/SingleInstance.h"
#include "app/shell/dialogs/MessageDlg.h"
#include "app/shell/dialogs/MessagePresenter.h"
#include "app/shell/dialogs/OpenUrl.h"
#include "app/shell/program/ProgramHooks.h"
#include "app/shell/program/StartupRecords.h"
#include "matting/reports/ReportBody.h"
#include "matting/worker/MattingWorker.h"
#include "matting/worker/WorkerIdentity.h"
#include "skin/SkinData.h"
#include "workspace/account/AccountHooks.h"
#include "ui/PaintManager.h"
#include "ui/TextSupplier.h"
#include "workspace/frame/MainFrame.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>

#include <dlfcn.h>

namespace quillora::shell {

namespace {

constexpr char kInstallerName[] = "QuilloraSetup.exe";
// Arabic reads from right to left: windows are mirrored.
constexpr int kArabicLanguageId = 864;
constexpr char kUninstallerName[] = "uninst";
constexpr char kExtensionName[] = "ext.so";
// The main window's size before its layout gives its own.
constexpr int kInitialWidth = 800;
constexpr int kInitialHeight = 600;

UpdateCheckStarter& UpdateStarter() {
    static UpdateCheckStarter starter;
    return starter;
}

// Registers the archive compiled into the program; false when it is missing.
bool LoadSkin(StartupRecords& records) {
    static const QByteArray archive = skin::EmbeddedArchive();
    const auto* data = reinterpret_cast<const uchar*>(archive.constData());
    if (archive.isEmpty() || !ui::CPaintManagerUI::SetResourceZip(data, archive.size())) {
        return false;
    }
    records.oem.skinData = data;
    records.oem.skinSize = static_cast<std::uint32_t>(archive.size());
    ui::CPaintManagerUI::SetSkinExt(QStringLiteral(".skin"));
    ui::CPaintManagerUI::SetSkinPath(records.values.applicationFolder + QStringLiteral("/skin/"));
    ui::CPaintManagerUI::ApplyStyleSheet();
    ui::CSkinManager::LoadStringTable(LanguageCode(records.values.languageId));
    if (records.values.languageId == kArabicLanguageId) {
        QApplication::setLayoutDirection(Qt::RightToLeft);
    }
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/skin/icons/quillora.svg")));
    return true;
}

void ShowCrashNotice(const CrashInfo& crash) {
    WriteLogF("restarted after a crash (signal %d)", crash.signal);
    const QString text = FormatLangPattern(
        LangText(langkey::ui::kExceptInfo),
        {static_cast<long long>(crash.signal), reinterpret_cast<const void*>(crash.address)});
    CMessageDlg dialog(text, QStringLiteral("except"), kMessageError, false, kMessageHighlight);
    RunMessageDialog(dialog, nullptr);
}

// True when a switch was handled and the program ends here.
bool HandleSwitch(StartupRecords& records, SingleInstance& instance, const RunOptions& options) {
    switch (FindStartSwitch(options.arguments)) {
        case StartSwitch::None:
            return false;
        case StartSwitch::Uninstall: {
            // This process holds the instance, so no other main window is open.
            const QString uninstaller = records.values.applicationFolder + QLatin1Char('/') +
                                        QLatin1String(kUninstallerName);
            if (QFileInfo(uninstaller).isExecutable()) {
                QProcess::startDetached(uninstaller, {}, records.values.applicationFolder);
            }
            return true;
        }
        case StartSwitch::TjUninstall:
            if (records.reporter != nullptr) {
                records.reporter->SendAction(kReportUninstall, true);
            }
            return true;
        case StartSwitch::Install:
            // The new program must become the instance, not hand over to us.
            instance.Release();
            StartAsDesktopUser(options.executablePath);
            return true;
    }
    return false;
}

// True when the user chose to run a downloaded installer instead.
bool RunPendingInstaller(StartupRecords& records, SingleInstance& instance) {
    const QString installer =
        records.values.userDataFolder + QLatin1Char('/') + QLatin1String(kInstallerName);
    if (!records.settings.loaded || ReadHasNewInstaller(records.settings) == 0 ||
        !QFileInfo::exists(installer)) {
        return false;
    }
    if (ShowMessage(langkey::message::kHasUpdate, nullptr, kMessageQuestion) != kMessageYes) {
        return false;
    }
    instance.Release();
    QProcess::startDetached(installer, {}, records.values.userDataFolder);
    return true;
}

void LoadExtension(const StartupRecords& records) {
    const QString extension =
        records.values.userDataFolder + QLatin1Char('/') + QLatin1String(kExtensionName);
    if (QFileInfo::exists(extension)) {
        // Loaded for its own start-up code; nothing in it is called.
        dlopen(QFile::encodeName(extension).constData(), RTLD_NOW | RTLD_LOCAL);
    }
}

void CrashOnPurpose() {
    WriteLog(u"crash test");
    // An address no mapping holds, so the fault carries a real address.
    volatile quintptr address = 0x10;
    *reinterpret_cast<volatile int*>(address) = 1;
}

}  // namespace

void SetUpdateCheckStarter(UpdateCheckStarter starter) {
    UpdateStarter() = std::move(starter);
}

void StartUpdateCheck(QWidget* mainWindow) {
    if (UpdateStarter()) {
        UpdateStarter()(mainWindow);
    }
}

int Run(StartupRecords& records, SingleInstance& instance, const RunOptions& options) {
    if (!LoadSkin(records)) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Error"),
                        LangText(langkey::ui::kSkinLost), QMessageBox::Ok);
        box.exec();
        return 0;
    }
    InstallDialogMessagePresenter();
    MyBaseWindow::SetFrameSwitches(records.settings.enableShadow != 0,
                                   records.settings.showDlgBorder != 0);
    if (options.previousCrash) {
        ShowCrashNotice(*options.previousCrash);
    }
    if (HandleSwitch(records, instance, options)) {
        return 0;
    }
    if (RunPendingInstaller(records, instance)) {
        return 0;
    }
    LoadExtension(records);
    if (records.reporter != nullptr) {
        records.reporter->SendAction(kReportStart, false);
    }

    MainFrameServices services;
    services.serviceFields = records.serviceFields;
    services.settings = &records.settings;
    services.userDataFolder = records.values.userDataFolder;
    services.productName = records.values.productName;
    services.versionText = records.values.versionText;
    services.workerSettings = std::make_unique<matting::MattingWorkerSettings>();
    services.workerSettings->identity =
        matting::WorkerIdentity(records.values.channelId, records.values.versionText, QString(),
                                records.values.partnerId, matting::kQuilloraAppApiId);
    services.workerSettings->fields = records.serviceFields;
    CMainFrame frame(records.oem, std::move(services));
    if (!frame.Create(nullptr, records.values.productName, kMainFrameStyle, 0, 0, kInitialWidth,
                      kInitialHeight)) {
        WriteLog(u"the main window could not be created");
        return 0;
    }
    frame.CenterWindow();
    CAccountHooks::Install(frame);
    frame.ShowWindow();
    QObject::connect(&instance, &SingleInstance::activateRequested, &frame, &CMainFrame::Activate);
    QObject::connect(&instance, &SingleInstance::closeRequested, &frame,
                     [&frame] { frame.PostMessage(ui::kWmClose); });
    // Up and running: a crash from here on may restart the program.
    SetRestartArmed(true);
    StartUpdateCheck(&frame);
    if (options.crashTest) {
        QTimer::singleShot(0, &CrashOnPurpose);
    }
    ui::CPaintManagerUI::MessageLoop();
    return 0;
}

}  // namespace quillora::shell
