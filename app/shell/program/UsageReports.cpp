#include "app/shell/program/UsageReports.h"

#include "app/shell/core/Reports.h"
#include "identity/MachineCode.h"
#include "matting/reports/UsageReporter.h"

namespace quillora::shell {

namespace {

// Start-up's view of the statistics reporter. The reporter keeps its own
// host (from the endpoint table) and OS values; start-up fills the rest.
class StatisticsReporter : public StartupReporter {
public:
    void SetContext(const ReportContext& context) override {
        matting::ReportIdentity& identity = reporter_.identity();
        identity.appId = context.applicationId;
        identity.appApiId = context.applicationApiId;
        identity.adId = context.channelId.toStdString();
        identity.channelCode = context.partnerId.toStdString();
        identity.version = context.versionText.toStdString();
        identity.machineCode = context.machineCode.toStdString();
    }
    void UploadFile(const QString& path) override {
        reporter_.UploadFile(path.toStdString(), true);
    }
    void SendAction(int type, bool synchronous) override {
        reporter_.SendAction(type, !synchronous);
    }
    void SendEvents() override { reporter_.SendEvents(false); }

private:
    matting::UsageReporter reporter_;
};

}  // namespace

void PlugInUsageReports() {
    SetReporterFactory([] { return std::make_unique<StatisticsReporter>(); });
    SetMachineCodeSource([] { return QString::fromStdString(identity::GetMachineCode()); });
}

}  // namespace quillora::shell
