#pragma once

#include <QString>

#include "canvas/document/CanvasDocument.h"
#include "canvas/document/Colour.h"
#include "canvas/document/DocumentObserver.h"
#include "canvas/layout/LayoutInput.h"

namespace quillora::canvas {

// The change-background and change-size pages of one document: the panel
// setters (background colour or picture, size preset, crop submit), the
// mouse handlers of both pages, and the crop box kept in step with the view
// (every layout of the pages chooses the current preset again, which also
// withdraws a submitted crop).
//
// Attaches itself to the document for its own lifetime. UI thread only.
class BackgroundAndSize : public DocumentObserver {
public:
    explicit BackgroundAndSize(CanvasDocument& doc);
    ~BackgroundAndSize() override;
    BackgroundAndSize(const BackgroundAndSize&) = delete;
    BackgroundAndSize& operator=(const BackgroundAndSize&) = delete;

    // Each answers whether the window has to be repainted.
    bool SetBackgroundColour(ColourRef ref, bool off);
    // False when the file cannot be decoded; the background stays as it was
    // (the caller says so).
    bool SetBackgroundImage(const QString& path);
    // False for an unknown preset number.
    bool SetSizePreset(int preset);
    // True when the crop was applied: the canvas clears its window to white
    // and repaints.
    bool ApplyCrop();

    PageInputHandler& PlacementHandler() { return placement_; }
    PageInputHandler& CropHandler() { return crop_; }

    void PagesLaidOut(CanvasDocument& doc) override;

private:
    CanvasDocument& doc_;
    PlacementInput placement_;
    CropInput crop_;
};

}  // namespace quillora::canvas
