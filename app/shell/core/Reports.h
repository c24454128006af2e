#pragma once

#include <QString>

#include <functional>
#include <memory>

// What start-up needs from the usage reports and the machine code, behind a
// small seam: the reporter and the machine-code reader live in other folders
// and are plugged in by the program's entry point. Until they are, start-up
// runs with no reporter (nothing is sent) and an empty machine code.
namespace quillora::shell {

// Action report types sent by start-up.
inline constexpr int kReportUninstall = 2;
inline constexpr int kReportStart = 3;

struct ReportContext {
    QString host;  // statistics base address
    int applicationId = 54;
    int applicationApiId = 1;
    QString channelId;
    QString partnerId;
    QString versionText;
    QString machineCode;
    QString osName;
    int osBits = 64;
};

class StartupReporter {
public:
    virtual ~StartupReporter() = default;
    virtual void SetContext(const ReportContext& context) = 0;
    // Sends a crash report file in the background.
    virtual void UploadFile(const QString& path) = 0;
    virtual void SendAction(int type, bool synchronous) = 0;
    // The exit report, sent synchronously.
    virtual void SendEvents() = 0;
};

using ReporterFactory = std::function<std::unique_ptr<StartupReporter>()>;
using MachineCodeSource = std::function<QString()>;

void SetReporterFactory(ReporterFactory factory);
// Null when no reporter is plugged in.
std::unique_ptr<StartupReporter> MakeReporter();

void SetMachineCodeSource(MachineCodeSource source);
QString MachineCode();

}  // namespace quillora::shell
