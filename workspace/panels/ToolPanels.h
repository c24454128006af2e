#pragma once

#include "workspace/core/thumbnails/ThumbnailLoader.h"
#include "workspace/panels/ToolPanelBinding.h"
#include "workspace/tiles/BackgroundTiles.h"

#include <QStringList>

#include <functional>
#include <memory>

namespace quillora {

// Everything of the tool columns that the main window owns in one piece:
// the binding of the single page's panels and the batch tools, the
// background picture tiles of both pages, and the thumbnail loader (which
// the add-files dialog uses too, through Thumbnails()).
//
// The window hands it every notification first (HandleNotify) and calls
// ResetToolPanels where the panels go back to their start. UI thread only.
class CToolPanels {
public:
    struct Hooks {
        // The single page's canvas; null while there is none.
        CToolPanelBinding::CanvasSource canvas;
        // What the user started from the home page (1..3 single, 4..5 batch).
        std::function<int()> workKind;
        // Pictures to put behind the cut-out, chosen by the user (the
        // window's open-file step in batch mode); empty when cancelled.
        std::function<QStringList()> pickPictures;
        // The batch page's elements; null while there is no batch page.
        IBatchPanelTarget* batch = nullptr;
    };

    CToolPanels(ui::WindowImplBase& window, Hooks hooks);
    ~CToolPanels();

    // Once the window's body is built.
    void Attach();
    bool HandleNotify(ui::TNotifyUI& msg);
    void ResetToolPanels();

    CToolPanelBinding& Binding() { return binding_; }
    CBackgroundTiles& Tiles() { return *tiles_; }
    thumbnails::ThumbnailLoader& Thumbnails() { return *loader_; }
    // The tile list of the current kind: listFile_bg for 1..3,
    // listBatchFile_bg for 4..5, null otherwise.
    QWidget* CurrentTileList() const;

private:
    bool OnTileClick(QWidget* tile);
    bool OnClick(const QString& name, QWidget* sender);

    ui::WindowImplBase& window_;
    Hooks hooks_;
    // Declared before the tiles: the tiles withdraw from it, and it stops
    // (joining its thread) only after they are gone.
    std::unique_ptr<thumbnails::ThumbnailLoader> loader_;
    std::unique_ptr<CBackgroundTiles> tiles_;
    CToolPanelBinding binding_;
};

}  // namespace quillora
