#pragma once

#include "app/core/settings/AppSettings.h"
#include "app/core/settings/OemInfo.h"
#include "app/shell/core/ProcessValues.h"
#include "app/shell/core/Reports.h"

#include <memory>

namespace quillora::matting {
class ConfigFetcher;
class ServiceFields;
}  // namespace quillora::matting

namespace quillora::shell {

// Everything start-up reads once and keeps for the whole run.
struct StartupRecords {
    StartupRecords();
    ~StartupRecords();

    ProcessValues values;
    AppSettings settings;
    OemInfo oem;
    std::shared_ptr<matting::ServiceFields> serviceFields;
    std::unique_ptr<matting::ConfigFetcher> configFetcher;
    std::unique_ptr<StartupReporter> reporter;
};

// Settings and language, in the order they depend on each other: the
// application values, oem.ini's language, the user data folder, the user
// file's language, the endpoint table, the settings, the branding, the login
// token, the service-configuration download, the product names and the log.
void LoadStartupRecords(StartupRecords& records);

// Hands the report context to the reporter (when one is plugged in).
void FillReportContext(StartupRecords& records);

// Sends the last crash report when SendAction allows it.
void UploadCrashReport(StartupRecords& records);

}  // namespace quillora::shell
