#pragma once

#include <QHash>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <functional>

#include "app/shell/dialogs/MyBaseWindow.h"

namespace quillora {

namespace thumbnails {
class ThumbnailLoader;
struct ThumbnailRequest;
}  // namespace thumbnails

namespace ui {
class CListUI;
}

// The dialog that gathers photos before they join the batch: the chosen
// or dropped files as tiles with thumbnails, each removable, the running
// total, "add more" and confirm. The batch limit covers the batch list as a
// whole: the count starts at the number of files already in it.
//
// UI thread only. Thumbnails come from the main window's loader; a tile
// removed before its thumbnail arrived withdraws its request.
class CAddBatchFileDlg : public MyBaseWindow {
    Q_OBJECT
public:
    // Asks for more photos (the open-file dialog in batch mode); empty when
    // the user cancelled.
    using PictureChooser = std::function<QStringList(QWidget* owner)>;

    CAddBatchFileDlg(int existingCount, int batchLimit, PictureChooser choose,
                     thumbnails::ThumbnailLoader* loader);
    ~CAddBatchFileDlg() override;

    QString GetSkinFile() const override { return QStringLiteral("dlg_add_batch_file.xml"); }
    void OnWindowInit() override;
    void Notify(ui::TNotifyUI& msg) override;
    void OnClick(ui::TNotifyUI& msg) override;

    // Paths for the first adding pass; call before showing.
    void SetFiles(const QStringList& paths) { pendingPaths_ = paths; }
    // The files of every tile, in list order (after ShowModal).
    QStringList TakeFiles() const;
    bool Confirmed() const { return confirmed_; }
    int Count() const { return count_; }

    // Runs an adding pass on the files a drop delivered: the four picture
    // extensions are kept, the rest ignored without a word.
    void DropFiles(const QStringList& paths);
    // Takes the pending paths (or asks for photos) up to the batch limit.
    void AddingPass();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void RefreshTotal();
    void RemoveItem(QWidget* item);
    void ShowThumbnail(const thumbnails::ThumbnailRequest& request);

    int count_;
    int batchLimit_;
    PictureChooser choose_;
    thumbnails::ThumbnailLoader* loader_;
    bool confirmed_ = false;
    QPointer<ui::CListUI> listFile_;
    QStringList pendingPaths_;
    // Tiles waiting for their thumbnails, by request ticket.
    QHash<std::uint64_t, QPointer<QWidget>> waiting_;
};

}  // namespace quillora
