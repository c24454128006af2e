#include "workspace/batch/BatchPage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include "app/core/language/LangFormat.h"
#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/language/Messages.h"
#include "app/core/settings/AppSettings.h"
#include "app/shell/core/LogFile.h"
#include "canvas/imaging/Imaging.h"
#include "common/text/TimeStamp.h"
#include "matting/config/ServiceFields.h"
#include "matting/worker/MattingJob.h"
#include "matting/worker/MattingWorker.h"
#include "ui/Controls.h"
#include "ui/ListUI.h"
#include "ui/TextSupplier.h"
#include "ui/WaitCursor.h"
#include "workspace/batch/AddBatchFileDlg.h"
#include "workspace/batch/ListFileElement.h"
#include "workspace/batch/ProgressDlg.h"
#include "workspace/core/batch/BatchSaveRun.h"
#include "workspace/core/batch/ElementOutput.h"
#include "workspace/core/naming/BatchNames.h"
#include "workspace/core/thumbnails/ThumbnailLoader.h"
#include "workspace/frame/MainFrame.h"
#include "workspace/saving/SingleSave.h"

namespace quillora {

namespace {

constexpr char kListBatchFile[] = "listBatchFile";
constexpr char kPhotoUnreadable[] = "PhotoUnreadable";

// Matting jobs of the portrait batch ask for a person, the others for an
// object.
std::uint8_t JobKindFor(int workKind) {
    return workKind == CMainFrame::kWorkPortraitBatch ? 1 : 0;
}

void DefaultNotice(QWidget* owner, const QString& text, const QString& folder) {
    ShowSavedNotice(owner, text, folder);
}

}  // namespace

BatchPage::BatchPage(CMainFrame& frame) : QObject(&frame), frame_(frame), notice_(&DefaultNotice) {
    frame_.PaintManager().AddNotifier(this);
    manager_ = &frame_.PaintManager();
    frame_.SetBatchFilesHandler([this](CMainFrame&, const QStringList& paths) { AddFiles(paths); });
    frame_.SetBatchAnswerHandler([this](CMainFrame&, const matting::MattingJob& job, bool success) {
        return TakeAnswer(job, success);
    });
    frame_.SetClickHandler(QStringLiteral("btnAddBatchFile"),
                           [this](CMainFrame&, ui::TNotifyUI&) { AddMoreFiles(); });
    frame_.SetClickHandler(QStringLiteral("btnBatchDownload"),
                           [this](CMainFrame&, ui::TNotifyUI&) { SaveWholeBatch(); });
}

BatchPage::~BatchPage() {
    if (auto* manager = qobject_cast<ui::CPaintManagerUI*>(manager_.data())) {
        manager->RemoveNotifier(this);
    }
}

ui::CListUI* BatchPage::List() const {
    return frame_.FindControl<ui::CListUI>(QString::fromLatin1(kListBatchFile));
}

std::vector<CListFileElementUI*> BatchPage::Elements() const {
    std::vector<CListFileElementUI*> elements;
    if (ui::CListUI* list = List()) {
        for (int i = 0; i < list->GetCount(); ++i) {
            if (auto* element = qobject_cast<CListFileElementUI*>(list->GetItemAt(i))) {
                elements.push_back(element);
            }
        }
    }
    return elements;
}

thumbnails::ThumbnailLoader& BatchPage::Thumbnails() {
    if (!thumbnails_) {
        thumbnails_ = std::make_unique<thumbnails::ThumbnailLoader>();
    }
    return *thumbnails_;
}

void BatchPage::Notify(ui::TNotifyUI& msg) {
    if (msg.sType == kNotifyElementDelete) {
        DeleteElement(qobject_cast<CListFileElementUI*>(msg.pSender));
    } else if (msg.sType == kNotifyElementDownload) {
        SaveBatchItem(qobject_cast<CListFileElementUI*>(msg.pSender));
    }
}

QString BatchPage::NextItemId() {
    // Ids stay distinct even for files added within one microsecond.
    lastItemId_ = std::max(NowMicros(), lastItemId_ + 1);
    return QString::number(lastItemId_);
}

void BatchPage::AddMoreFiles() {
    if (List() == nullptr) {
        return;
    }
    if (!frame_.ServiceFields().serviceOpen()) {
        ShowMessage(langkey::message::kApiClose, &frame_, kMessageInformation);
        return;
    }
    QStringList paths;
    if (!frame_.OpenPictures(true, paths) || paths.isEmpty()) {
        return;
    }
    AddFiles(paths);
}

void BatchPage::AddFiles(const QStringList& chosen) {
    ui::CListUI* list = List();
    if (list == nullptr) {
        return;
    }
    QStringList paths;
    {
        CAddBatchFileDlg dialog(
            list->GetCount(), frame_.ServiceFields().batchLimit(),
            [this](QWidget*) {
                QStringList more;
                return frame_.OpenPictures(true, more) ? more : QStringList();
            },
            &Thumbnails());
        dialog.SetFiles(chosen);
        if (addRunner_) {
            addRunner_(dialog);
        } else if (dialog.Create(&frame_, QString(), kDialogStyle)) {
            dialog.CenterWindow();
            dialog.ShowModal();
        }
        if (dialog.Confirmed()) {
            paths = dialog.TakeFiles();
        }
    }
    if (paths.isEmpty()) {
        if (list->GetCount() == 0) {
            ReturnHome();  // a batch that never got a photo is no task
        }
        return;
    }
    matting::MattingWorker* worker = frame_.Worker();
    const int workKind = frame_.CurrentWorkKind();
    std::vector<std::unique_ptr<matting::MattingJob>> jobs;
    int unreadable = 0;
    for (const QString& path : paths) {
        auto element = std::make_unique<CListFileElementUI>();
        if (!element->SetSource(path)) {
            ++unreadable;
            continue;
        }
        const QString id = NextItemId();
        element->SetMode(mode_);
        if (!backgroundPicture_.isNull()) {
            element->SetBackgroundPicture(backgroundPicture_);
        } else {
            element->SetBackgroundColour(colour_, colourOff_);
        }
        if (sizePreset_ >= 0) {
            element->SetSizePreset(sizePreset_);
        }
        ui::SetUserData(element.get(), id);
        CListFileElementUI* added = element.get();
        if (!list->Add(element.release())) {
            continue;
        }
        std::unique_ptr<matting::MattingJob> job =
            worker != nullptr ? worker->CreateJob(JobKindFor(workKind), added, path) : nullptr;
        if (!job) {
            added->SetResult(QString());  // no request can be made: failed
            continue;
        }
        job->tag = workKind;
        job->name = id;
        jobs.push_back(std::move(job));
    }
    if (!jobs.empty()) {
        worker->Enqueue(std::move(jobs));
        worker->Start();
    }
    if (unreadable > 0) {
        shell::WriteLog(QStringLiteral("%1 batch photos could not be read").arg(unreadable));
        PresentMessage({LangText(u"Title", u"Message"),
                        ui::CSkinManager::ControlText(QString::fromLatin1(kPhotoUnreadable)),
                        kMessageError, kMessageHighlight, &frame_});
    }
    if (list->GetCount() == 0) {
        ReturnHome();
    }
}

bool BatchPage::TakeAnswer(const matting::MattingJob& job, bool success) {
    for (CListFileElementUI* element : Elements()) {
        if (element != job.owner || ui::UserData(element) != job.name || job.name.isEmpty()) {
            continue;
        }
        // Only the cut-out file counts: on success it is the job's second
        // path, never the photo itself.
        QString cutOut;
        if (success && job.paths.size() > 1 && QFileInfo::exists(job.paths.back())) {
            cutOut = job.paths.back();
        }
        element->SetResult(cutOut);
        return true;
    }
    return false;
}

void BatchPage::ReturnHome() {
    frame_.workKind_ = CMainFrame::kWorkNone;
    frame_.SelectPage(CMainFrame::kPageHome);
}

void BatchPage::DeleteElement(CListFileElementUI* element) {
    ui::CListUI* list = List();
    if (list == nullptr || element == nullptr || list->GetItemIndex(element) < 0) {
        return;
    }
    // Its cut-out file is of no further use.
    const QString cutOut = element->ResultPath();
    matting::MattingWorker* worker = frame_.Worker();
    if (!cutOut.isEmpty() && worker != nullptr && !worker->dataFolder().isEmpty() &&
        QFileInfo(cutOut).absolutePath() == QFileInfo(worker->dataFolder()).absoluteFilePath()) {
        QFile::remove(cutOut);
    }
    list->Remove(element);
    if (list->GetCount() == 0) {
        ReturnHome();
    }
}

void BatchPage::SaveBatchItem(CListFileElementUI* element) {
    if (element == nullptr || element->SourcePath().isEmpty()) {
        return;
    }
    const QString folder = PickOutputFolder(&frame_, frame_.FileChoosers().folder);
    if (folder.isEmpty()) {
        return;
    }
    naming::OutputNamer namer(folder);
    const QString path = namer.ElementPath(element->SourcePath(), NowMicros());
    bool saved = false;
    {
        ui::CWaitCursor wait;
        saved = element->SaveOutput(path);
    }
    if (saved) {
        notice_(&frame_, MessageTextsFor(u"SaveFileSuccess").text, folder);
    } else {
        ShowMessage(langkey::message::kSaveFileFailed, &frame_, kMessageError);
    }
}

void BatchPage::SaveWholeBatch() {
    const std::vector<CListFileElementUI*> elements = Elements();
    if (List() == nullptr || elements.empty()) {
        return;
    }
    const QString folder = PickOutputFolder(&frame_, frame_.FileChoosers().folder);
    if (folder.isEmpty()) {
        return;
    }
    const AppSettings* settings = frame_.Services().settings;
    const bool stamp = settings == nullptr || settings->timestamp != 0;
    // Names are chosen here, one after the other, so elements saved side
    // by side never pick the same name; each task carries copies only.
    naming::OutputNamer namer(folder);
    std::vector<batch::ElementSaveTask> tasks;
    tasks.reserve(elements.size());
    for (CListFileElementUI* element : elements) {
        if (element->SourcePath().isEmpty()) {
            tasks.emplace_back();  // nothing to name: counts as failed
            continue;
        }
        const QString path = namer.WholeBatchPath(element->SourcePath(), stamp, NowMicros());
        tasks.emplace_back([cutOut = element->ResultPath(), look = element->Look(), path] {
            return batch::SaveElementOutput(cutOut, look, path) == batch::ElementSaveStatus::Ok;
        });
    }
    const int threads = batch::BatchThreadCount(static_cast<int>(tasks.size()));
    CProgressDlg dialog(folder, std::move(tasks), threads);
    dialog.SetResultPresenter([this](QWidget*, int saved, int failed, const QString& out) {
        notice_(&frame_, FormatLangText(langkey::message::kBatchSaveFileResult, {saved, failed}),
                out);
    });
    if (progressRunner_) {
        progressRunner_(dialog);
    } else if (dialog.Create(&frame_, QString(), kDialogStyle)) {
        dialog.CenterWindow();
        dialog.ShowModal();
    }
}

bool BatchPage::HasBatchList() const {
    return List() != nullptr;
}

void BatchPage::SetBatchMode(int mode) {
    if (mode == static_cast<int>(canvas::EditMode::ChangeBackground) ||
        mode == static_cast<int>(canvas::EditMode::ChangeSize)) {
        SetModeAll(static_cast<canvas::EditMode>(mode));
    }
}

void BatchPage::SetBatchBackgroundColour(canvas::ColourRef ref, bool off) {
    SetColourAll(ref, off);
}

void BatchPage::SetBatchBackgroundImage(const QString& path) {
    SetBackgroundImageAll(path);
}

void BatchPage::SetBatchSizePreset(int preset) {
    SetSizePresetAll(preset);
}

void BatchPage::SetModeAll(canvas::EditMode mode) {
    mode_ = mode;
    for (CListFileElementUI* element : Elements()) {
        element->SetMode(mode);
    }
}

void BatchPage::SetColourAll(canvas::ColourRef ref, bool off) {
    colour_ = ref;
    colourOff_ = off;
    backgroundPicture_ = QImage();
    for (CListFileElementUI* element : Elements()) {
        element->SetBackgroundColour(ref, off);
    }
}

bool BatchPage::SetBackgroundImageAll(const QString& path) {
    QImage picture = imaging::decodeFile(path);
    if (picture.isNull()) {
        PresentMessage({LangText(u"Title", u"Message"),
                        ui::CSkinManager::ControlText(QString::fromLatin1(kPhotoUnreadable)),
                        kMessageError, kMessageHighlight, &frame_});
        return false;
    }
    backgroundPicture_ = picture;
    for (CListFileElementUI* element : Elements()) {
        element->SetBackgroundPicture(backgroundPicture_);
    }
    return true;
}

void BatchPage::SetSizePresetAll(int preset) {
    sizePreset_ = preset;
    for (CListFileElementUI* element : Elements()) {
        element->SetSizePreset(preset);
    }
}

}  // namespace quillora
