#pragma once

#include "canvas/document/CanvasDocument.h"
#include "canvas/document/Colour.h"
#include "canvas/document/DocumentObserver.h"

namespace quillora::canvas {

// Keeps the document's derived pictures of the shadow-and-border and filter
// pages (shadowSilhouette, shadowImage, borderSilhouette, borderImage,
// filterImage) and the brush tint mask in step with their values and with
// the cut-out. The tool panels' values arrive through its setters; the
// document tells it (as an observer) when the cut-out, the page or the view
// size changed. Work runs only when a value really changed, and only the
// step that value feeds: a distance or angle moves the shadow without
// blurring it again, a thickness moves the border.
//
// Attaches itself to the document for its own lifetime. UI thread only.
class EffectLayers : public DocumentObserver {
public:
    explicit EffectLayers(CanvasDocument& doc);
    ~EffectLayers() override;
    EffectLayers(const EffectLayers&) = delete;
    EffectLayers& operator=(const EffectLayers&) = delete;

    // Every setter answers whether the window has to be repainted.
    bool SetShadowDistance(int distance);
    bool SetShadowAngle(int degrees);
    bool SetShadowBlur(int radius);
    bool SetShadowTransparency(int percent);
    // off: the panel chose "none" (its colour reference is kColourRefNone).
    bool SetShadowColour(ColourRef ref, bool off);
    bool SetBorderThickness(int thickness);
    bool SetBorderTransparency(int percent);
    bool SetBorderColour(ColourRef ref, bool off);

    bool SetFilterPreset(int preset);
    bool SetBrightness(int level);
    bool SetContrast(int level);
    bool SetSaturation(int level);
    bool SetBlurry(int radius);
    bool SetSharpen(int level);
    bool SetFilterTransparency(int percent);

    // The tint of the cut-out page; the tint mask is recoloured.
    bool SetTintColour(ColourRef ref);

    // The pipelines, on the view-sized pictures. Each does nothing without
    // its input (silhouette or viewResult); a failed effect leaves its
    // picture absent.
    void RunShadowPipeline();
    void RunBorderPipeline();
    void RunFilterChain();
    // The silhouettes of the layers that are on, from viewResult, and their
    // pipelines.
    void RebuildShadowAndBorder();

    void CutOutTaken(CanvasDocument& doc) override;
    void StrokesReplayed(CanvasDocument& doc) override;
    void Resized(CanvasDocument& doc) override;
    void EffectPageEntered(CanvasDocument& doc) override;

private:
    void RebuildShadow();
    void RebuildBorder();

    CanvasDocument& doc_;
};

}  // namespace quillora::canvas
