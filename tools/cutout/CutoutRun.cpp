#include "tools/cutout/CutoutRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

#include "matting/client/OutputFile.h"
#include "ui/WindowMessage.h"

namespace quillora::cutout {

namespace {

// One photo of the run: what the worker's message is matched against.
struct Slot {
    QString photo;
    QString output;
    QString line;  // the printed outcome, once known
    bool done = false;
    bool ok = false;
};

// Receives the worker's messages on the main thread.
class Receiver : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() != ui::WindowMessageEvent::EventType()) {
            return QObject::event(event);
        }
        auto& message = static_cast<ui::WindowMessageEvent*>(event)->message;
        std::unique_ptr<matting::MattingJob> job = matting::TakeMattingJob(message);
        if (job == nullptr) {
            return true;
        }
        auto* slot = const_cast<Slot*>(static_cast<const Slot*>(job->owner));
        Finish(*slot, *job, message.lParam == matting::kMattingSucceeded);
        ++finished;
        return true;
    }

    int finished = 0;

private:
    static void Finish(Slot& slot, const matting::MattingJob& job, bool succeeded) {
        slot.done = true;
        if (!succeeded || job.paths.size() < 2) {
            slot.line = QStringLiteral("the matting service gave no cut-out");
            return;
        }
        QFile result(job.paths[1]);
        if (!result.open(QIODevice::ReadOnly)) {
            slot.line = QStringLiteral("the cut-out could not be read back");
            return;
        }
        const QByteArray bytes = result.readAll();
        if (!matting::WriteOutputFile(
                QFile::encodeName(slot.output).toStdString(),
                {bytes.constData(), static_cast<std::size_t>(bytes.size())})) {
            slot.line = QStringLiteral("cannot write %1").arg(slot.output);
            return;
        }
        slot.ok = true;
        slot.line = QStringLiteral("ok -> %1").arg(slot.output);
    }
};

void PrintLine(const Slot& slot) {
    std::printf("%s: %s\n", QFile::encodeName(slot.photo).constData(),
                slot.line.toUtf8().constData());
    std::fflush(stdout);
}

}  // namespace

QString OutputPathFor(const QString& photo, const QString& outputFolder, QStringList& taken) {
    const QString base = QFileInfo(photo).completeBaseName();
    QString name = base + QStringLiteral(".png");
    for (int n = 2; taken.contains(name, Qt::CaseInsensitive); ++n) {
        name = QStringLiteral("%1-%2.png").arg(base).arg(n);
    }
    taken.append(name);
    return QDir(outputFolder).filePath(name);
}

CutoutOutcome RunCutouts(const QStringList& photos, const QString& outputFolder,
                         std::shared_ptr<matting::ServiceFields> fields,
                         matting::MattingWorkerSettings settings) {
    std::vector<Slot> entries(static_cast<std::size_t>(photos.size()));
    QStringList taken;
    QTemporaryDir workFolder;
    Receiver receiver;
    settings.fields = fields;
    settings.dataDirectory = workFolder.path();
    matting::MattingWorker worker(&receiver, std::move(settings));

    std::vector<std::unique_ptr<matting::MattingJob>> jobs;
    const std::int64_t limit = fields->fileSizeLimit();
    for (qsizetype i = 0; i < photos.size(); ++i) {
        Slot& slot = entries[static_cast<std::size_t>(i)];
        slot.photo = photos[i];
        const QFileInfo info(slot.photo);
        if (!fields->serviceOpen()) {
            slot.line = QStringLiteral("the matting service is closed");
        } else if (!info.isFile()) {
            slot.line = QStringLiteral("no such file");
        } else if (info.size() > limit) {
            slot.line =
                QStringLiteral("larger than the size limit of %1").arg(fields->fileSizeLimitText());
        } else if (auto job = worker.CreateJob(0, &slot, slot.photo)) {
            slot.output = OutputPathFor(slot.photo, outputFolder, taken);
            jobs.push_back(std::move(job));
            continue;
        } else {
            slot.line = QStringLiteral("cannot be read");
        }
        slot.done = true;
    }
    const int sent = static_cast<int>(jobs.size());
    if (sent > 0) {
        worker.Enqueue(std::move(jobs));
        worker.Start();
    }
    // Lines go out in the order the photos were given, each as soon as it
    // and every photo before it are known.
    CutoutOutcome outcome;
    std::size_t printed = 0;
    for (;;) {
        while (printed < entries.size() && entries[printed].done) {
            PrintLine(entries[printed]);
            entries[printed].ok ? ++outcome.succeeded : ++outcome.failed;
            ++printed;
        }
        if (printed == entries.size()) {
            break;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return outcome;
}

}  // namespace quillora::cutout
