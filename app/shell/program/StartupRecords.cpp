#include "app/shell/program/StartupRecords.h"

#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/language/LanguageState.h"
#include "app/core/settings/LanguageKeys.h"
#include "app/core/settings/QuilloraRegistry.h"
#include "app/shell/core/CrashDump.h"
#include "app/shell/core/CrashHandler.h"
#include "app/shell/core/LogFile.h"
#include "matting/config/ConfigFetcher.h"
#include "matting/config/ServiceFields.h"
#include "net/endpoints/Endpoints.h"
#include "net/endpoints/NetworkConfig.h"
#include "platform/folders/Folders.h"
#include "platform/system/OsInfo.h"

namespace quillora::shell {

StartupRecords::StartupRecords() = default;
StartupRecords::~StartupRecords() = default;

void LoadStartupRecords(StartupRecords& records) {
    ProcessValues& values = records.values;
    QuilloraRegistry registry = QuilloraRegistry::Open();

    values.applicationFolder = platform::AppFolder();
    values.osName = platform::OsName();
    values.osBits = platform::OsBitness();
    values.channelId = registry.channelId();
    values.partnerId = registry.partnerId();
    const ProgramVersion built = BuiltVersion();
    values.versionText = built.major + built.minor + built.patch + built.build > 0
                             ? VersionText(built)
                             : registry.readSoftwareVersion();
    values.versionNumber = VersionNumber(values.versionText);

    int languageId = ReadOemLanguageKey(kDefaultLanguageId, values.applicationFolder);
    values.userDataFolder = platform::UserDataFolder();
    languageId = ReadUserLanguageKey(languageId, values.userDataFolder);
    values.languageId = languageId;
    SetCurrentLanguageId(languageId);

    LoadSettings(records.settings, values.userDataFolder, values.applicationFolder);
    net::LoadNetworkConfig(records.settings.appConfigPath.toStdString());
    LoadOem(records.oem, values.applicationFolder,
            QString::fromStdString(
                net::CurrentEndpoints().Url(net::Service::Web, kOnlineToolsPathAndQuery)));
    values.loginToken = registry.loginToken(MachineCode());

    records.serviceFields = std::make_shared<matting::ServiceFields>();
    records.configFetcher = std::make_unique<matting::ConfigFetcher>(records.serviceFields);
    records.configFetcher->StartConfigFetch();

    values.productName = BrandedName(LangText(langkey::ui::kProductName), records.oem.productName);
    values.shortName = BrandedName(LangText(langkey::ui::kShortName), records.oem.shortName);
    values.logFilePath = values.userDataFolder + QLatin1Char('/') + QLatin1String(kLogFileName);
    SetLogFilePath(values.logFilePath);

    // cd.dat is read now: the crash handler cannot read files.
    SetCrashRestartAllowed(ReadUpdateSwitch(u"ExcepRunAuto", values.userDataFolder) == 1);
}

void FillReportContext(StartupRecords& records) {
    records.reporter = MakeReporter();
    if (records.reporter == nullptr) {
        return;
    }
    ReportContext context;
    context.host = QString::fromStdString(net::CurrentEndpoints().Base(net::Service::Statistics));
    context.channelId = records.values.channelId;
    context.partnerId =
        records.oem.partnerId.isEmpty() ? records.values.partnerId : records.oem.partnerId;
    context.versionText = records.values.versionText;
    context.machineCode = MachineCode();
    context.osName = records.values.osName;
    context.osBits = records.values.osBits;
    records.reporter->SetContext(context);
}

void UploadCrashReport(StartupRecords& records) {
    // Without a reporter the report would be marked as sent and never go out.
    if (records.settings.sendAction == 0 || records.reporter == nullptr) {
        return;
    }
    QuilloraRegistry registry = QuilloraRegistry::Open();
    const QString report =
        records.values.applicationFolder + QLatin1Char('/') + QLatin1String(kCrashReportName);
    UploadPendingDump(report, registry,
                      [&records](const QString& path) { records.reporter->UploadFile(path); });
}

}  // namespace quillora::shell
