#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>

#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/settings/AppSettings.h"
#include "app/core/settings/QuilloraRegistry.h"
#include "matting/config/ServiceConfig.h"
#include "matting/reports/ReportBody.h"
#include "matting/worker/WorkerIdentity.h"
#include "net/endpoints/NetworkConfig.h"
#include "platform/folders/Folders.h"
#include "tools/cutout/CutoutRun.h"

namespace {

constexpr int kExitAllDone = 0;
constexpr int kExitSomeFailed = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "Usage: quillora-cutout PHOTO... --output DIR\n"
    "\n"
    "Cuts the subject out of each photo through the matting service, without a\n"
    "window, and writes it as DIR/<base name>.png (\"-2\", \"-3\", ... are added\n"
    "when two photos share a base name). Existing files of that name are\n"
    "replaced only once the new cut-out is complete.\n"
    "\n"
    "  -o, --output DIR  folder for the cut-outs (created when missing)\n"
    "  -h, --help        show this text\n"
    "\n"
    "The service configuration is fetched first; photos above its size limit\n"
    "are refused. One line per photo is printed (\"ok -> FILE\" or the reason\n"
    "it failed), then a summary. The exit status is 0 when every photo was cut\n"
    "out, 1 when any failed, 2 for a usage error. The service address comes\n"
    "from Config.ini beside the program or the QUILLORA_SERVICE variable.\n";

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList photos;
    QString output;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == u"-h" || arg == u"--help") {
            std::fputs(kUsage, stdout);
            return kExitAllDone;
        }
        if (arg == u"-o" || arg == u"--output") {
            if (i + 1 >= args.size()) {
                std::fputs("quillora-cutout: --output needs a folder\n", stderr);
                return kExitUsage;
            }
            output = args[++i];
        } else if (arg.startsWith(u"--output=")) {
            output = arg.mid(9);
        } else if (arg.startsWith(u'-') && arg.size() > 1) {
            std::fprintf(stderr, "quillora-cutout: unknown option %s\n", qPrintable(arg));
            return kExitUsage;
        } else {
            photos.append(arg);
        }
    }
    if (photos.isEmpty() || output.isEmpty()) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    if (!quillora::platform::MakeFolderPath(output)) {
        std::fprintf(stderr, "quillora-cutout: cannot create %s\n", qPrintable(output));
        return kExitSomeFailed;
    }

    using namespace quillora;
    AppSettings settings;
    LoadSettings(settings, platform::UserDataFolder(), platform::AppFolder());
    net::LoadNetworkConfig(settings.appConfigPath.toStdString());
    auto fields = std::make_shared<matting::ServiceFields>();
    if (!matting::FetchServiceConfig(matting::DefaultConfigRequest(), *fields)) {
        std::fputs(
            "quillora-cutout: the service configuration was not reached; "
            "its defaults apply\n",
            stderr);
    }

    QuilloraRegistry registry = QuilloraRegistry::Open();
    matting::MattingWorkerSettings workerSettings;
    workerSettings.identity =
        matting::WorkerIdentity(registry.channelId(), QStringLiteral(QUILLORA_VERSION_TEXT),
                                QString(), registry.partnerId(), matting::kQuilloraAppApiId);
    workerSettings.highQualityJpeg = settings.highQualityJpeg != 0;
    workerSettings.alphaMatting = settings.alphaMatting != 0;

    const cutout::CutoutOutcome outcome =
        cutout::RunCutouts(photos, QDir(output).absolutePath(), fields, workerSettings);
    std::printf("%d of %d photos cut out, %d failed\n", outcome.succeeded,
                outcome.succeeded + outcome.failed, outcome.failed);
    return outcome.failed == 0 ? kExitAllDone : kExitSomeFailed;
}
