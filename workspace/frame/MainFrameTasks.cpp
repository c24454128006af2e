#include "workspace/frame/MainFrame.h"

#include "app/core/language/ByteSize.h"
#include "app/core/language/LangFormat.h"
#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/language/Messages.h"
#include "app/shell/core/LogFile.h"
#include "canvas/imaging/Imaging.h"
#include "canvas/widgets/CDrawPanel.h"
#include "matting/config/ServiceFields.h"
#include "matting/worker/MattingJob.h"
#include "matting/worker/MattingWorker.h"
#include "ui/Controls.h"
#include "ui/OffUiThread.h"
#include "ui/TextSupplier.h"
#include "workspace/core/naming/OutputNaming.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFuture>
#include <QPromise>

#include <utility>

namespace quillora {

namespace {

constexpr char kPictureExtensions[] =
    "(BMP/JPG/PNG/Exif/TIFF) (*.bmp *.jpg *.jpeg *.png *.exif *.tif *.tiff *.tiff2)";
// Text id of the notice for a photo that cannot be read, and its text when
// the string table lacks it.
constexpr char kPhotoUnreadableId[] = "PhotoUnreadable";
constexpr char kPhotoUnreadableFallback[] = "This photo could not be opened.";

// The matting job kind of each work kind: 0 asks for an object cut-out.
std::uint8_t JobKindFor(int workKind) {
    return (workKind == CMainFrame::kWorkGoods || workKind == CMainFrame::kWorkGoodsBatch) ? 0 : 1;
}

bool IsSingleKind(int workKind) {
    return workKind == CMainFrame::kWorkPortrait || workKind == CMainFrame::kWorkGoods ||
           workKind == CMainFrame::kWorkCard || workKind == CMainFrame::kWorkEdit;
}

// The job's last path that still exists; empty when none does.
QString LastExistingPath(const matting::MattingJob& job) {
    for (qsizetype i = job.paths.size() - 1; i >= 0; --i) {
        if (!job.paths[i].isEmpty() && QFileInfo::exists(job.paths[i])) {
            return job.paths[i];
        }
    }
    return {};
}

}  // namespace

bool CMainFrame::OpenPictures(bool batch, QStringList& paths) {
    paths.clear();
    const QString filter = LangText(langkey::ui::kPicFilter) + QLatin1String(kPictureExtensions);
    QStringList chosen =
        services_.choosers.pictures(this, LangText(langkey::ui::kChoosePath), filter, batch);
    if (chosen.isEmpty()) {
        return false;
    }
    if (!batch) {
        chosen = chosen.mid(0, 1);
    }
    // A limit of 0 or less is no limit: a configuration that names none
    // must not refuse every photo.
    const std::int64_t limit = services_.serviceFields->fileSizeLimit();
    for (const QString& path : chosen) {
        const QFileInfo info(path);
        const std::int64_t size = info.exists() ? info.size() : 0;
        if (limit > 0 && size > limit) {
            if (!batch) {
                QString limitText = services_.serviceFields->fileSizeLimitText();
                if (limitText.isEmpty()) {
                    limitText = FormatByteSize(static_cast<std::uint64_t>(limit));
                }
                MessageRequest request;
                request.title = LangText(langkey::message::kError);
                request.text = FormatLangText(langkey::message::kLimitBigSize, {limitText});
                request.kind = kMessageError;
                request.parent = this;
                PresentMessage(request);
                paths.clear();
                return false;
            }
            continue;
        }
        paths.append(QDir::cleanPath(info.absoluteFilePath()));
    }
    return true;
}

void CMainFrame::StartTask(int kind, bool batch) {
    // A single task needs the single page's container, a batch the list.
    if ((batch && listBatchFile_.isNull()) || (!batch && layPicImg_.isNull())) {
        return;
    }
    if (!services_.serviceFields->serviceOpen()) {
        ShowMessage(langkey::message::kApiClose, this, kMessageInformation);
        return;
    }
    QStringList paths;
    if (!OpenPictures(batch, paths) || paths.isEmpty()) {
        return;
    }
    if (batch) {
        ++photoGeneration_;  // a single photo still decoding is not wanted
        workKind_ = kind;
        SelectPage(kPageBatch);
        if (batchFiles_) {
            batchFiles_(*this, paths);
        }
        return;
    }
    workKind_ = kind;
    SelectPage(kPageConver);
    SetCheck(QStringLiteral("optTabOrg"), true);
    LoadSinglePhoto(paths.front());
}

bool CMainFrame::LoadSinglePhoto(const QString& path) {
    if (canvas_.isNull() || layPicImg_.isNull() || !worker_) {
        return false;
    }
    // The new item is marked at once: an answer still coming for the photo
    // it replaces is dropped from now on.
    const std::uint64_t photo = ++photoGeneration_;
    const QString itemId = workspace::StampText(workspace::MicrosecondsNow());
    ui::SetUserData(layPicImg_, itemId);
    // Nothing to save until the cut-out is in; the old photo leaves the
    // canvas while the new one decodes.
    EnableControl(QStringLiteral("btnDownload"), false);
    canvas_->ClearDocument();
    canvas_->show();
    canvas_->raise();
    ui::RunOffUiThread<QImage>(
        this, [path] { return imaging::decodeFile(path); },
        [this, photo, path](QImage decoded) { TakeDecodedPhoto(photo, path, std::move(decoded)); });
    return true;
}

void CMainFrame::TakeDecodedPhoto(std::uint64_t photo, const QString& path, QImage decoded) {
    if (photo != photoGeneration_ || !IsSingleKind(workKind_) || canvas_.isNull() ||
        layPicImg_.isNull() || !worker_) {
        return;  // the user has moved on
    }
    const bool loaded =
        !decoded.isNull() && canvas_->LoadSourceImage(std::move(decoded), path, 0.0f, true);
    std::unique_ptr<matting::MattingJob> job;
    if (loaded) {
        job = worker_->CreateJob(JobKindFor(workKind_), layPicImg_.data(), path);
    }
    if (!job) {
        // Not decodable, or gone between choosing and loading: nothing to
        // cut out, no job, and the page is left.
        shell::WriteLog(u"a photo could not be opened");
        FailSingleTask(true);
        return;
    }
    canvas_->show();
    canvas_->raise();
    job->tag = workKind_;
    job->name = ui::UserData(layPicImg_);
    std::vector<std::unique_ptr<matting::MattingJob>> jobs;
    jobs.push_back(std::move(job));
    worker_->Enqueue(std::move(jobs));
    worker_->Start();
}

void CMainFrame::FailSingleTask(bool unreadablePhoto) {
    ++photoGeneration_;
    if (!layPicImg_.isNull()) {
        ui::SetUserData(layPicImg_, QString());
    }
    if (unreadablePhoto) {
        if (!canvas_.isNull()) {
            canvas_->ClearDocument();
        }
        QString text = ui::CSkinManager::ControlText(QString::fromLatin1(kPhotoUnreadableId));
        if (text.isEmpty()) {
            text = QString::fromLatin1(kPhotoUnreadableFallback);
        }
        MessageRequest request;
        request.title = LangText(langkey::message::kTitle);
        request.text = text;
        request.kind = kMessageError;
        request.parent = this;
        PresentMessage(request);
    } else {
        ShowMessage(langkey::message::kQuilloraFailed, this, kMessageError);
    }
    workKind_ = kWorkNone;
    SelectPage(kPageHome);
}

void CMainFrame::ReplacePhoto() {
    if (ShowMessage(langkey::message::kSureReload, this, kMessageQuestion) == kMessageNo) {
        return;
    }
    if (!services_.serviceFields->serviceOpen()) {
        ShowMessage(langkey::message::kApiClose, this, kMessageInformation);
        return;
    }
    QStringList paths;
    if (!OpenPictures(false, paths) || paths.isEmpty()) {
        return;
    }
    SetCheck(QStringLiteral("optTabOrg"), true);
    ResetToolPanels();
    LoadSinglePhoto(paths.front());
}

void CMainFrame::GoHome(bool emptyBatch) {
    if (ShowMessage(langkey::message::kSureGoHome, this, kMessageQuestion) == kMessageNo) {
        return;
    }
    if (worker_) {
        worker_->setStopRequested(true);
    }
    if (emptyBatch && !listBatchFile_.isNull()) {
        ui::ContainerRemoveAll(listBatchFile_);
    }
    // An answer still on its way finds no item to go to, a photo or cut-out
    // still decoding is dropped.
    ++photoGeneration_;
    if (!layPicImg_.isNull()) {
        ui::SetUserData(layPicImg_, QString());
    }
    workKind_ = kWorkNone;
    SelectPage(kPageHome);
}

void CMainFrame::TakeMattingAnswer(std::unique_ptr<matting::MattingJob> job, bool success) {
    if (!job) {
        return;
    }
    bool taken = false;
    // An answer for a task the user has left is dropped.
    if (job->tag == workKind_) {
        if (IsSingleKind(workKind_)) {
            taken = TakeSingleAnswer(*job, success);
        } else if (batchAnswer_) {
            taken = batchAnswer_(*this, *job, success);
        }
    }
    if (!taken && success && job->paths.size() > 1) {
        RemoveDroppedCutOut(job->paths.back());
    }
}

void CMainFrame::RemoveDroppedCutOut(const QString& path) {
    if (path.isEmpty() || !worker_ || worker_->dataFolder().isEmpty()) {
        return;
    }
    // Nobody will use a dropped cut-out: it leaves the data folder.
    const QFileInfo cutOut(path);
    if (cutOut.absolutePath() == QFileInfo(worker_->dataFolder()).absoluteFilePath()) {
        QFile::remove(cutOut.absoluteFilePath());
    }
}

bool CMainFrame::TakeSingleAnswer(const matting::MattingJob& job, bool success) {
    if (layPicImg_.isNull() ||
        ui::UserData(layPicImg_).compare(job.name, Qt::CaseInsensitive) != 0 ||
        job.name.isEmpty()) {
        return false;  // another item's answer: dropped
    }
    if (success && !canvas_.isNull() && canvas_->Document().HasSource()) {
        // Decoded, brought to the photo's size, its view picture and
        // silhouette made off the UI thread; the canvas takes it when it
        // comes back, if the photo is still there.
        const std::uint64_t photo = photoGeneration_;
        const QString path = LastExistingPath(job);
        const canvas::CanvasDocument& doc = canvas_->Document();
        const QSize photoSize = doc.bitmaps.sourceImage.size();
        const float viewScale = doc.view.Scale();
        const canvas::Argb tint = doc.brush.tintColour;
        ui::RunOffUiThread<canvas::CanvasDocument::PreparedCutOut>(
            this,
            [path, photoSize, viewScale, tint] {
                return canvas::CanvasDocument::PrepareCutOut(
                    path.isEmpty() ? QImage() : imaging::decodeFile(path), photoSize, viewScale,
                    tint);
            },
            [this, photo, itemId = job.name, path](canvas::CanvasDocument::PreparedCutOut cutOut) {
                TakeDecodedCutOut(photo, itemId, path, std::move(cutOut));
            });
        return true;
    }
    if (success) {
        shell::WriteLog(u"the cut-out answer came without a photo");
    }
    FailSingleTask(false);
    return true;
}

void CMainFrame::TakeDecodedCutOut(std::uint64_t photo, const QString& itemId, const QString& path,
                                   canvas::CanvasDocument::PreparedCutOut cutOut) {
    if (photo != photoGeneration_ || canvas_.isNull() || layPicImg_.isNull() ||
        ui::UserData(layPicImg_).compare(itemId, Qt::CaseInsensitive) != 0) {
        RemoveDroppedCutOut(path);  // the photo was replaced or left
        return;
    }
    if (!cutOut.cutOut.isNull() && canvas_->LoadResultImage(std::move(cutOut), path)) {
        SetCheck(QStringLiteral("optTabEff"), true);
        EnableControl(QStringLiteral("btnDownload"), true);
        return;
    }
    // A cut-out that cannot be read counts as a failed one.
    shell::WriteLog(u"the cut-out answer could not be read");
    FailSingleTask(false);
}

}  // namespace quillora
