#include "workspace/frame/MainFrame.h"

#include "app/core/language/ByteSize.h"
#include "app/core/language/LangFormat.h"
#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/language/Messages.h"
#include "app/shell/core/LogFile.h"
#include "canvas/widgets/CDrawPanel.h"
#include "matting/config/ServiceFields.h"
#include "matting/worker/MattingJob.h"
#include "matting/worker/MattingWorker.h"
#include "ui/Controls.h"
#include "ui/TextSupplier.h"
#include "ui/WaitCursor.h"
#include "workspace/core/naming/OutputNaming.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    const QString itemId = workspace::StampText(workspace::MicrosecondsNow());
    bool loaded = false;
    {
        ui::CWaitCursor wait;
        loaded = canvas_->LoadSource(path, 0.0f, true);
    }
    std::unique_ptr<matting::MattingJob> job;
    if (loaded) {
        job = worker_->CreateJob(JobKindFor(workKind_), layPicImg_.data(), path);
    }
    if (!job) {
        // Not decodable, or gone between choosing and loading: nothing to
        // cut out, no job, and the page is left.
        shell::WriteLog(u"a photo could not be opened");
        ui::SetUserData(layPicImg_, QString());
        canvas_->ClearDocument();
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
        workKind_ = kWorkNone;
        SelectPage(kPageHome);
        return false;
    }
    canvas_->show();
    canvas_->raise();
    // Nothing to save until the cut-out is in.
    EnableControl(QStringLiteral("btnDownload"), false);
    job->tag = workKind_;
    job->name = itemId;
    ui::SetUserData(layPicImg_, itemId);
    std::vector<std::unique_ptr<matting::MattingJob>> jobs;
    jobs.push_back(std::move(job));
    worker_->Enqueue(std::move(jobs));
    worker_->Start();
    return true;
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
    // An answer still on its way finds no item to go to.
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
    if (!taken && success && job->paths.size() > 1 && worker_ && !worker_->dataFolder().isEmpty()) {
        // Nobody will use a dropped cut-out: it leaves the data folder.
        const QFileInfo cutOut(job->paths.back());
        if (cutOut.absolutePath() == QFileInfo(worker_->dataFolder()).absoluteFilePath()) {
            QFile::remove(cutOut.absoluteFilePath());
        }
    }
}

bool CMainFrame::TakeSingleAnswer(const matting::MattingJob& job, bool success) {
    if (layPicImg_.isNull() ||
        ui::UserData(layPicImg_).compare(job.name, Qt::CaseInsensitive) != 0 ||
        job.name.isEmpty()) {
        return false;  // another item's answer: dropped
    }
    if (success && !canvas_.isNull()) {
        ui::CWaitCursor wait;
        if (canvas_->LoadResult(LastExistingPath(job))) {
            SetCheck(QStringLiteral("optTabEff"), true);
            EnableControl(QStringLiteral("btnDownload"), true);
            return true;
        }
        // A cut-out that cannot be read counts as a failed one.
        shell::WriteLog(u"the cut-out answer could not be read");
    }
    ui::SetUserData(layPicImg_, QString());
    ShowMessage(langkey::message::kQuilloraFailed, this, kMessageError);
    workKind_ = kWorkNone;
    SelectPage(kPageHome);
    return true;
}

}  // namespace quillora
