#pragma once

#include <array>

#include "canvas/document/EditMode.h"
#include "canvas/document/Geometry.h"

namespace quillora::canvas {

// How image pixels map to window pixels: the fit scale, one scale and one
// view rectangle per page, zoom about the centre and pan of the cut-out page.
// Pure numbers; the canvas window feeds it the image and client sizes.
class ViewGeometry {
public:
    static constexpr float kZoomStep = 0.1f;
    static constexpr float kZoomMax = 2.0f;
    static constexpr float kZoomMin = 0.1f;
    static constexpr float kZoomTolerance = 0.00001f;
    // A fit scale is kept to two decimals; below this it would be 0 and every
    // window-to-image conversion a division by zero.
    static constexpr float kSmallestFitScale = 0.01f;

    // min(cw / w, ch / h) truncated to two decimals, never below
    // kSmallestFitScale. A small picture is enlarged to fit like a large one
    // is reduced.
    static float FitScale(int imageWidth, int imageHeight, int clientWidth, int clientHeight);

    // Back to the empty state: every scale 1.0, rectangles and pan offset 0.
    void Reset();

    void SetImageSize(int width, int height);
    void SetClientSize(int width, int height);
    int ImageWidth() const { return imageWidth_; }
    int ImageHeight() const { return imageHeight_; }
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }

    // The fit scale for the current image and client sizes.
    float CurrentFitScale() const;
    // Load and resize: scale, fitScale and every page's scale become s.
    void SetAllScales(float s);
    // Lays out all five pages from their scales (load and resize).
    void LayoutAll();
    // The rectangle page m would get: centred, or at the pan offset on an
    // axis where the picture is larger than the client area.
    RectF LayoutPage(EditMode mode) const;

    // Zoom steps of the cut-out page; every other page refuses them (false).
    // The refusal tests the current scale, so 1.95 still zooms to 2.05.
    bool ZoomIn(EditMode mode);
    bool ZoomOut(EditMode mode);
    // The cut-out page back to the fit scale (not to 1.0), centre kept.
    bool ZoomToFit(EditMode mode);

    // Moves page m's rectangle by (dx, dy); the old one becomes previousRect.
    void PanBy(EditMode mode, float dx, float dy);

    // Start of a paint: viewRect and scale are taken from page m.
    void SelectPage(EditMode mode);

    PointF WindowToImage(PointF window) const;
    PointF ImageToWindow(PointF image) const;

    // Whole-pixel size of the view bitmaps at the current scale.
    int ViewWidth() const { return ViewPixels(static_cast<float>(imageWidth_) * scale_); }
    int ViewHeight() const { return ViewPixels(static_cast<float>(imageHeight_) * scale_); }

    float Scale() const { return scale_; }
    float FitScaleValue() const { return fitScale_; }
    float PageScale(EditMode mode) const { return modeScale_[ModeIndex(mode)]; }
    const RectF& PageRect(EditMode mode) const { return modeRect_[ModeIndex(mode)]; }
    void SetPageRect(EditMode mode, const RectF& rect) { modeRect_[ModeIndex(mode)] = rect; }
    const RectF& ViewRect() const { return viewRect_; }
    const RectF& PreviousRect() const { return previousRect_; }
    void ClearPreviousRect() { previousRect_ = {}; }
    const PointF& PanOffset() const { return panOffset_; }
    void SetPanOffset(PointF offset) { panOffset_ = offset; }

private:
    // New scale for the cut-out page, view centre kept.
    void RescaleCutOutPage(float newScale);

    int imageWidth_ = 0;
    int imageHeight_ = 0;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    float scale_ = 1.0f;
    float fitScale_ = 1.0f;
    std::array<float, kEditModeCount> modeScale_{1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
    std::array<RectF, kEditModeCount> modeRect_{};
    RectF previousRect_{};
    RectF viewRect_{};
    PointF panOffset_{};
};

}  // namespace quillora::canvas
