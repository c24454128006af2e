#include "workspace/core/batch/CommandLineBatch.h"

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "app/core/settings/AppSettings.h"
#include "app/core/settings/QuilloraRegistry.h"
#include "canvas/imaging/Imaging.h"
#include "canvas/layout/SizePresets.h"
#include "common/text/TimeStamp.h"
#include "matting/config/ServiceConfig.h"
#include "matting/reports/ReportBody.h"
#include "matting/worker/MattingJob.h"
#include "matting/worker/WorkerIdentity.h"
#include "net/endpoints/NetworkConfig.h"
#include "platform/folders/Folders.h"
#include "ui/WindowMessage.h"
#include "workspace/core/batch/ElementOutput.h"
#include "workspace/core/naming/BatchNames.h"

namespace quillora::batch {

namespace {

constexpr int kBarWidth = 30;

const char kUsage[] =
    "Usage: quillora --cutout PHOTO... --output DIR [--kind object|person]\n"
    "                [--background COLOUR|IMAGE] [--size PRESET]\n"
    "\n"
    "Cuts the subject out of each photo through the matting service and saves\n"
    "it into DIR as the batch page's \"Save all\" does, without opening a window.\n"
    "\n"
    "  --output DIR          folder for the results (created when missing)\n"
    "  --kind object|person  what to cut out (default: object)\n"
    "  --background VALUE    a colour (#RRGGBB or a name such as white) or a\n"
    "                        picture file, put behind every cut-out (default:\n"
    "                        transparent)\n"
    "  --size PRESET         crop every result: a ratio (1:1, 2:3, 3:2, 3:4,\n"
    "                        4:3, 9:16, 16:9), an ID-photo size in pixels\n"
    "                        (260x378, 295x413, 390x567, 413x579, 413x531,\n"
    "                        413x626, 649x991, 1051x1500), or a preset number\n"
    "                        0..17\n"
    "  -h, --help            show this text\n"
    "\n"
    "Each result is DIR/<photo's base name>.png; a name that is taken gets the\n"
    "time in microseconds added (unless the settings turn time stamps off).\n"
    "One line per photo is printed, a progress bar while the output is a\n"
    "terminal, then a summary. The exit status is 0 when every photo was saved,\n"
    "1 when any failed, 2 for a usage error.\n"
    "\n"
    "Example:\n"
    "  quillora --cutout shoes/*.jpg --output shop --background white --size 1:1\n";

// One photo of the run.
struct Slot {
    QString photo;
    QString line;
    bool done = false;
    bool ok = false;
};

struct Run {
    const CutoutCommand& command;
    ElementLook look;  // the background; the size comes per cut-out
    naming::OutputNamer& namer;
    bool stamp;
};

void Finish(Slot& slot, const matting::MattingJob& job, bool succeeded, Run& run) {
    slot.done = true;
    if (!succeeded || job.paths.size() < 2 || !QFileInfo::exists(job.paths.back())) {
        slot.line = QStringLiteral("failed: the matting service gave no cut-out");
        return;
    }
    const QString cutOut = job.paths.back();
    const QSize size = QImageReader(cutOut).size();
    if (!size.isValid()) {
        slot.line = QStringLiteral("failed: the cut-out could not be read");
        return;
    }
    const ElementLook look =
        FullSizeLook(size, run.look.background.kind, run.look.background.colour,
                     run.look.backgroundPicture, run.command.sizePreset);
    const QString path = run.namer.WholeBatchPath(slot.photo, run.stamp, NowMicros());
    switch (SaveElementOutput(cutOut, look, path)) {
        case ElementSaveStatus::Ok:
            slot.ok = true;
            slot.line = QStringLiteral("saved -> %1").arg(path);
            break;
        case ElementSaveStatus::NoCutOut:
            slot.line = QStringLiteral("failed: the cut-out could not be read");
            break;
        case ElementSaveStatus::TooLarge:
            slot.line = QStringLiteral("failed: the picture is too large");
            break;
        case ElementSaveStatus::OutOfMemory:
            slot.line = QStringLiteral("failed: not enough memory");
            break;
        case ElementSaveStatus::EmptyCrop:
            slot.line = QStringLiteral("failed: the crop holds no pixel");
            break;
        case ElementSaveStatus::WriteFailed:
            slot.line = QStringLiteral("failed: cannot write %1").arg(path);
            break;
    }
    QFile::remove(cutOut);
}

// Receives the worker's messages on the main thread.
class Receiver : public QObject {
public:
    explicit Receiver(Run& run) : run_(run) {}

    bool event(QEvent* event) override {
        if (event->type() != ui::WindowMessageEvent::EventType()) {
            return QObject::event(event);
        }
        auto& message = static_cast<ui::WindowMessageEvent*>(event)->message;
        if (std::unique_ptr<matting::MattingJob> job = matting::TakeMattingJob(message)) {
            auto* slot = const_cast<Slot*>(static_cast<const Slot*>(job->owner));
            Finish(*slot, *job, message.lParam == matting::kMattingSucceeded, run_);
        }
        return true;
    }

private:
    Run& run_;
};

void ClearBar(std::FILE* out, bool terminal) {
    if (terminal) {
        std::fputs("\r\033[K", out);
    }
}

void DrawBar(std::FILE* out, bool terminal, int finished, int total) {
    if (!terminal || total == 0) {
        return;
    }
    const int filled = finished * kBarWidth / total;
    std::fprintf(out, "\r[%s%s] %d/%d", std::string(std::size_t(filled), '#').c_str(),
                 std::string(std::size_t(kBarWidth - filled), '.').c_str(), finished, total);
    std::fflush(out);
}

}  // namespace

bool IsCutoutCommand(const QStringList& arguments) {
    return arguments.contains(QLatin1String(kCutoutSwitch));
}

int ParseSizePreset(const QString& text) {
    const QString t = text.trimmed().toLower();
    bool number = false;
    const int value = t.toInt(&number);
    if (number) {
        return canvas::IsValidSizePreset(value) ? value : -1;
    }
    const QStringList ratio = t.split(u':');
    const QStringList pixels = t.split(u'x');
    const bool isRatio = ratio.size() == 2;
    const QStringList& parts = isRatio ? ratio : pixels;
    if (parts.size() != 2) {
        return -1;
    }
    bool okW = false;
    bool okH = false;
    const int w = parts[0].trimmed().toInt(&okW);
    const int h = parts[1].trimmed().toInt(&okH);
    if (!okW || !okH) {
        return -1;
    }
    for (int preset = 0; preset < canvas::kSizePresetCount; ++preset) {
        const canvas::SizePreset& p = canvas::kSizePresets[std::size_t(preset)];
        if (isRatio && !p.HasFixedOutput() && p.ratioWidth == w && p.ratioHeight == h) {
            return preset;
        }
        if (!isRatio && p.HasFixedOutput() && p.outputWidth == w && p.outputHeight == h) {
            return preset;
        }
    }
    return -1;
}

CutoutCommand ParseCutoutCommand(const QStringList& arguments) {
    CutoutCommand command;
    const auto valueOf = [&](qsizetype& i, const QString& option) -> std::optional<QString> {
        if (i + 1 >= arguments.size()) {
            command.error = QStringLiteral("%1 needs a value").arg(option);
            return std::nullopt;
        }
        return arguments[++i];
    };
    bool photos = false;
    for (qsizetype i = 0; i < arguments.size() && command.error.isEmpty(); ++i) {
        const QString& arg = arguments[i];
        if (arg == u"-h" || arg == u"--help") {
            command.help = true;
        } else if (arg == QLatin1String(kCutoutSwitch)) {
            photos = true;
        } else if (arg == u"--output" || arg == u"-o") {
            photos = false;
            if (auto value = valueOf(i, arg)) {
                command.output = *value;
            }
        } else if (arg == u"--kind") {
            photos = false;
            if (auto value = valueOf(i, arg)) {
                if (*value == u"person") {
                    command.person = true;
                } else if (*value != u"object") {
                    command.error = QStringLiteral("--kind is object or person");
                }
            }
        } else if (arg == u"--background") {
            photos = false;
            if (auto value = valueOf(i, arg)) {
                if (QFileInfo(*value).isFile()) {
                    command.background = canvas::BackgroundKind::Picture;
                    command.picturePath = *value;
                } else if (QColor colour = QColor::fromString(*value); colour.isValid()) {
                    command.background = canvas::BackgroundKind::Colour;
                    command.colour = colour.rgb() | 0xFF000000u;
                } else {
                    command.error = QStringLiteral("--background %1 is neither a colour nor a file")
                                        .arg(*value);
                }
            }
        } else if (arg == u"--size") {
            photos = false;
            if (auto value = valueOf(i, arg)) {
                command.sizePreset = ParseSizePreset(*value);
                if (command.sizePreset < 0) {
                    command.error = QStringLiteral("--size %1 is not a known size").arg(*value);
                }
            }
        } else if (arg.startsWith(u'-') && arg.size() > 1) {
            command.error = QStringLiteral("unknown option %1").arg(arg);
        } else if (photos) {
            command.photos.append(arg);
        } else {
            command.error = QStringLiteral("%1 is not a photo of --cutout").arg(arg);
        }
    }
    if (command.error.isEmpty() && !command.help) {
        if (command.photos.isEmpty()) {
            command.error = QStringLiteral("no photo given");
        } else if (command.output.isEmpty()) {
            command.error = QStringLiteral("--output is missing");
        }
    }
    return command;
}

const char* CutoutUsage() {
    return kUsage;
}

int RunCutoutCommand(const CutoutCommand& command, std::shared_ptr<matting::ServiceFields> fields,
                     matting::MattingWorkerSettings settings, bool timestampOnCollision,
                     std::FILE* out, std::FILE* err) {
    ElementLook look;
    look.background.kind = command.background;
    look.background.colour = command.colour;
    if (command.background == canvas::BackgroundKind::Picture) {
        look.backgroundPicture = imaging::decodeFile(command.picturePath);
        if (look.backgroundPicture.isNull()) {
            std::fprintf(err, "quillora: the background picture %s cannot be read\n",
                         qPrintable(command.picturePath));
            return kExitUsage;
        }
    }
    if (!platform::MakeFolderPath(command.output) || !QFileInfo(command.output).isDir()) {
        std::fprintf(err, "quillora: cannot create %s\n", qPrintable(command.output));
        return kExitSomeFailed;
    }
    naming::OutputNamer namer(QDir(command.output).absolutePath());
    Run run{command, look, namer, timestampOnCollision};
    std::vector<Slot> entries(std::size_t(command.photos.size()));
    QTemporaryDir workFolder;
    Receiver receiver(run);
    settings.fields = fields;
    settings.dataDirectory = workFolder.path();
    matting::MattingWorker worker(&receiver, std::move(settings));

    std::vector<std::unique_ptr<matting::MattingJob>> jobs;
    for (qsizetype i = 0; i < command.photos.size(); ++i) {
        Slot& slot = entries[std::size_t(i)];
        slot.photo = command.photos[i];
        const QFileInfo info(slot.photo);
        if (!fields->serviceOpen()) {
            slot.line = QStringLiteral("failed: the matting service is closed");
        } else if (!info.isFile()) {
            slot.line = QStringLiteral("failed: no such file");
        } else if (info.size() > fields->fileSizeLimit()) {
            slot.line = QStringLiteral("failed: larger than the size limit of %1")
                            .arg(fields->fileSizeLimitText());
        } else if (auto job = worker.CreateJob(command.person ? 1 : 0, &slot, slot.photo)) {
            jobs.push_back(std::move(job));
            continue;
        } else {
            slot.line = QStringLiteral("failed: cannot be read");
        }
        slot.done = true;
    }
    if (!jobs.empty()) {
        worker.Enqueue(std::move(jobs));
        worker.Start();
    }
    const bool terminal = isatty(fileno(out)) != 0;
    const int total = static_cast<int>(entries.size());
    int saved = 0;
    int failed = 0;
    std::size_t printed = 0;
    for (;;) {
        while (printed < entries.size() && entries[printed].done) {
            const Slot& slot = entries[printed];
            ClearBar(out, terminal);
            std::fprintf(out, "%s: %s\n", QFile::encodeName(slot.photo).constData(),
                         slot.line.toUtf8().constData());
            slot.ok ? ++saved : ++failed;
            ++printed;
            DrawBar(out, terminal && printed < entries.size(), int(printed), total);
        }
        std::fflush(out);
        if (printed == entries.size()) {
            break;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    ClearBar(out, terminal);
    std::fprintf(out, "%d saved, %d failed\n", saved, failed);
    std::fflush(out);
    return failed == 0 ? kExitAllSaved : kExitSomeFailed;
}

int RunCutoutCommandLine(const QStringList& arguments, const QString& versionText) {
    const CutoutCommand command = ParseCutoutCommand(arguments);
    if (command.help) {
        std::fputs(kUsage, stdout);
        return kExitAllSaved;
    }
    if (!command.error.isEmpty()) {
        std::fprintf(stderr, "quillora: %s\n\n%s", qPrintable(command.error), kUsage);
        return kExitUsage;
    }
    AppSettings settings;
    LoadSettings(settings, platform::UserDataFolder(), platform::AppFolder());
    net::LoadNetworkConfig(settings.appConfigPath.toStdString());
    auto fields = std::make_shared<matting::ServiceFields>();
    if (!matting::FetchServiceConfig(matting::DefaultConfigRequest(), *fields)) {
        std::fputs("quillora: the service configuration was not reached; its defaults apply\n",
                   stderr);
    }
    QuilloraRegistry registry = QuilloraRegistry::Open();
    matting::MattingWorkerSettings workerSettings;
    workerSettings.identity =
        matting::WorkerIdentity(registry.channelId(), versionText, QString(), registry.partnerId(),
                                matting::kQuilloraAppApiId);
    workerSettings.highQualityJpeg = settings.highQualityJpeg != 0;
    workerSettings.alphaMatting = settings.alphaMatting != 0;
    return RunCutoutCommand(command, fields, std::move(workerSettings), settings.timestamp != 0,
                            stdout, stderr);
}

}  // namespace quillora::batch
