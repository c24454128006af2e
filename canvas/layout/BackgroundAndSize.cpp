#include "canvas/layout/BackgroundAndSize.h"

#include "canvas/layout/Background.h"
#include "canvas/layout/CropBox.h"

namespace quillora::canvas {

BackgroundAndSize::BackgroundAndSize(CanvasDocument& doc) : doc_(doc) {
    doc_.AddObserver(this);
}

BackgroundAndSize::~BackgroundAndSize() {
    doc_.RemoveObserver(this);
}

bool BackgroundAndSize::SetBackgroundColour(ColourRef ref, bool off) {
    return canvas::SetBackgroundColour(doc_.background, doc_.bitmaps.backgroundImage, ref, off);
}

bool BackgroundAndSize::SetBackgroundImage(const QString& path) {
    return canvas::SetBackgroundImage(doc_.background, doc_.bitmaps.backgroundImage, path);
}

bool BackgroundAndSize::SetSizePreset(int preset) {
    const RectF& view = doc_.view.PageRect(EditMode::ChangeSize);
    return ChooseSizePreset(doc_.background, preset, view.w, view.h);
}

bool BackgroundAndSize::ApplyCrop() {
    return ApplyCropBox(doc_.background);
}

void BackgroundAndSize::PagesLaidOut(CanvasDocument&) {
    SetSizePreset(doc_.background.sizePreset);
}

}  // namespace quillora::canvas
