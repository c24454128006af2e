#include "canvas/effects/EffectLayers.h"

#include "canvas/effects/FilterChain.h"
#include "canvas/effects/ParameterRules.h"
#include "canvas/effects/ShadowBorder.h"
#include "canvas/effects/Silhouette.h"

namespace quillora::canvas {

EffectLayers::EffectLayers(CanvasDocument& doc) : doc_(doc) {
    doc_.AddObserver(this);
}

EffectLayers::~EffectLayers() {
    doc_.RemoveObserver(this);
}

void EffectLayers::RunShadowPipeline() {
    DocumentBitmaps& b = doc_.bitmaps;
    if (b.shadowSilhouette.isNull()) {
        return;
    }
    b.shadowImage = BuildShadowImage(b.shadowSilhouette, doc_.shadow, doc_.view.Scale());
}

void EffectLayers::RunBorderPipeline() {
    DocumentBitmaps& b = doc_.bitmaps;
    if (b.borderSilhouette.isNull()) {
        return;
    }
    b.borderImage = BuildBorderImage(b.borderSilhouette, doc_.border);
}

void EffectLayers::RunFilterChain() {
    DocumentBitmaps& b = doc_.bitmaps;
    if (b.viewResult.isNull()) {
        return;
    }
    b.filterImage = FilteredCopy(b.viewResult, doc_.filter);
}

void EffectLayers::RebuildShadow() {
    DocumentBitmaps& b = doc_.bitmaps;
    if (AlphaOf(doc_.shadow.colour) == 0 || b.viewResult.isNull()) {
        return;
    }
    b.shadowSilhouette = MakeSilhouette(b.viewResult, doc_.shadow.colour);
    b.shadowImage = QImage();
    RunShadowPipeline();
}

void EffectLayers::RebuildBorder() {
    DocumentBitmaps& b = doc_.bitmaps;
    if (AlphaOf(doc_.border.colour) == 0 || b.viewResult.isNull()) {
        return;
    }
    b.borderSilhouette = MakeSilhouette(b.viewResult, doc_.border.colour);
    b.borderImage = QImage();
    RunBorderPipeline();
}

void EffectLayers::RebuildShadowAndBorder() {
    RebuildShadow();
    RebuildBorder();
}

bool EffectLayers::SetShadowDistance(int distance) {
    return canvas::SetShadowDistance(doc_.shadow, distance);
}

bool EffectLayers::SetShadowAngle(int degrees) {
    return canvas::SetShadowAngle(doc_.shadow, degrees);
}

bool EffectLayers::SetShadowBlur(int radius) {
    if (!canvas::SetShadowBlur(doc_.shadow, radius)) {
        return false;
    }
    RunShadowPipeline();
    return true;
}

bool EffectLayers::SetShadowTransparency(int percent) {
    if (!canvas::SetShadowTransparency(doc_.shadow, percent)) {
        return false;
    }
    RunShadowPipeline();
    return true;
}

bool EffectLayers::SetShadowColour(ColourRef ref, bool off) {
    switch (canvas::SetShadowColour(doc_.shadow, ref, off)) {
        case ColourChange::None:
            return false;
        case ColourChange::TurnedOff:
            doc_.bitmaps.shadowSilhouette = QImage();
            doc_.bitmaps.shadowImage = QImage();
            return true;
        case ColourChange::Changed:
            RebuildShadow();
            return true;
    }
    return false;
}

bool EffectLayers::SetBorderThickness(int thickness) {
    return canvas::SetBorderThickness(doc_.border, thickness);
}

bool EffectLayers::SetBorderTransparency(int percent) {
    if (!canvas::SetBorderTransparency(doc_.border, percent)) {
        return false;
    }
    RunBorderPipeline();
    return true;
}

bool EffectLayers::SetBorderColour(ColourRef ref, bool off) {
    switch (canvas::SetBorderColour(doc_.border, ref, off)) {
        case ColourChange::None:
            return false;
        case ColourChange::TurnedOff:
            doc_.bitmaps.borderSilhouette = QImage();
            doc_.bitmaps.borderImage = QImage();
            return true;
        case ColourChange::Changed:
            RebuildBorder();
            return true;
    }
    return false;
}

namespace {

// Runs the chain when the setter reports a change.
template <typename Setter>
bool Filtered(EffectLayers& layers, Setter setter) {
    if (!setter()) {
        return false;
    }
    layers.RunFilterChain();
    return true;
}

}  // namespace

bool EffectLayers::SetFilterPreset(int preset) {
    return Filtered(*this, [&] { return canvas::SetFilterPreset(doc_.filter, preset); });
}

bool EffectLayers::SetBrightness(int level) {
    return Filtered(*this, [&] { return canvas::SetBrightness(doc_.filter, level); });
}

bool EffectLayers::SetContrast(int level) {
    return Filtered(*this, [&] { return canvas::SetContrast(doc_.filter, level); });
}

bool EffectLayers::SetSaturation(int level) {
    return Filtered(*this, [&] { return canvas::SetSaturation(doc_.filter, level); });
}

bool EffectLayers::SetBlurry(int radius) {
    return Filtered(*this, [&] { return canvas::SetBlurry(doc_.filter, radius); });
}

bool EffectLayers::SetSharpen(int level) {
    canvas::SetSharpen(doc_.filter, level);
    return false;
}

bool EffectLayers::SetFilterTransparency(int percent) {
    return Filtered(*this, [&] { return canvas::SetFilterTransparency(doc_.filter, percent); });
}

bool EffectLayers::SetTintColour(ColourRef ref) {
    if (!canvas::SetTintColour(doc_.brush, ref)) {
        return false;
    }
    if (doc_.HasCutOut()) {
        doc_.bitmaps.tintMask = MakeSilhouette(doc_.bitmaps.resultImage, doc_.brush.tintColour);
    }
    return true;
}

void EffectLayers::CutOutTaken(CanvasDocument&) {
    if (!IsNeutral(doc_.filter)) {
        RunFilterChain();
    }
}

// The document resets filterImage to a plain copy of the new viewResult; the
// filter values still hold, so the picture gets them again at once (the
// panel and the saved picture show them too).
void EffectLayers::StrokesReplayed(CanvasDocument&) {
    if (!IsNeutral(doc_.filter)) {
        RunFilterChain();
    }
}

void EffectLayers::Resized(CanvasDocument&) {
    if (!IsNeutral(doc_.filter)) {
        RunFilterChain();
    }
    RebuildShadowAndBorder();
}

void EffectLayers::EffectPageEntered(CanvasDocument&) {
    RebuildShadowAndBorder();
}

}  // namespace quillora::canvas
