#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "canvas/document/Colour.h"
#include "canvas/document/EditMode.h"
#include "ui/Notify.h"
#include "workspace/panels/ToolPanelBinding.h"

namespace quillora {

class CAddBatchFileDlg;
class CListFileElementUI;
class CMainFrame;
class CProgressDlg;

namespace matting {
struct MattingJob;
}
namespace thumbnails {
class ThumbnailLoader;
}
namespace ui {
class CListUI;
}

// The batch page's behaviour: adding photos (through the add-files
// dialog), the batch tools applied to every element (the tool panel binding
// calls them: tool tab, colour, background picture, size preset), an
// element's delete and download, the matting answers for the elements, and
// the whole-batch save with its progress dialog.
//
// It belongs to the main window: created with it, it listens to the
// window's notifications and takes over the window's batch hooks. UI thread
// only.
class BatchPage : public QObject, public ui::INotifyUI, public IBatchPanelTarget {
    Q_OBJECT
public:
    explicit BatchPage(CMainFrame& frame);
    ~BatchPage() override;
    BatchPage(const BatchPage&) = delete;
    BatchPage& operator=(const BatchPage&) = delete;

    void Notify(ui::TNotifyUI& msg) override;

    // Runs the add-files dialog over the chosen photos, then makes an
    // element and a matting job for each confirmed one.
    void AddFiles(const QStringList& chosen);
    // btnAddBatchFile: asks for photos first (refused while the service is
    // closed).
    void AddMoreFiles();
    // A matting answer for a batch task: true when an element took it.
    bool TakeAnswer(const matting::MattingJob& job, bool success);
    // "clickbottom_deletebtn": the element leaves the list; the last one
    // leaving returns to the home page.
    void DeleteElement(CListFileElementUI* element);
    // "clickbottom_downloadbtn": one element saved into a picked folder.
    void SaveBatchItem(CListFileElementUI* element);
    // btnBatchDownload: every element saved into a picked folder, with
    // progress.
    void SaveWholeBatch();

    // The batch tools, applied to every element.
    void SetModeAll(canvas::EditMode mode);
    void SetColourAll(canvas::ColourRef ref, bool off);
    // The picture is decoded once and shared; false (after saying so) when
    // it cannot be decoded.
    bool SetBackgroundImageAll(const QString& path);
    void SetSizePresetAll(int preset);

    std::vector<CListFileElementUI*> Elements() const;

    // The tool panel binding's calls.
    bool HasBatchList() const override;
    void SetBatchMode(int mode) override;
    void SetBatchBackgroundColour(canvas::ColourRef ref, bool off) override;
    void SetBatchBackgroundImage(const QString& path) override;
    void SetBatchSizePreset(int preset) override;

    // Seams for tests: how the two modal dialogs run and how the result
    // notice is shown.
    using AddDialogRunner = std::function<void(CAddBatchFileDlg& dialog)>;
    using ProgressRunner = std::function<void(CProgressDlg& dialog)>;
    using NoticePresenter =
        std::function<void(QWidget* owner, const QString& text, const QString& folder)>;
    void SetAddDialogRunner(AddDialogRunner runner) { addRunner_ = std::move(runner); }
    void SetProgressRunner(ProgressRunner runner) { progressRunner_ = std::move(runner); }
    void SetNoticePresenter(NoticePresenter presenter) { notice_ = std::move(presenter); }

private:
    ui::CListUI* List() const;
    void ReturnHome();
    QString NextItemId();
    thumbnails::ThumbnailLoader& Thumbnails();

    CMainFrame& frame_;
    // The window's paint manager goes before its children do, this page
    // among them: the page lets go of it only while it still exists.
    QPointer<QObject> manager_;
    std::unique_ptr<thumbnails::ThumbnailLoader> thumbnails_;
    std::int64_t lastItemId_ = 0;
    // The batch's background, remembered for elements added later.
    canvas::EditMode mode_ = canvas::EditMode::ChangeBackground;
    int sizePreset_ = -1;  // none chosen yet
    bool colourOff_ = true;
    canvas::ColourRef colour_ = 0;
    QImage backgroundPicture_;
    AddDialogRunner addRunner_;
    ProgressRunner progressRunner_;
    NoticePresenter notice_;
};

}  // namespace quillora
