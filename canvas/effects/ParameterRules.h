#pragma once

#include "canvas/document/Colour.h"
#include "canvas/document/ParameterGroups.h"

namespace quillora::canvas {

// How the canvas takes in a value from the tool panels. Every setter clamps
// to the range of the value's table entry and answers whether the value
// changed, which is what decides whether a pipeline runs again (moving a
// slider back and forth over the same value costs nothing).

// What a shadow or border colour choice asks of the canvas.
enum class ColourChange {
    None,       // nothing to do
    TurnedOff,  // release the silhouette and the processed picture, repaint
    Changed,    // rebuild the silhouette in the new colour, rerun the pipeline
};

bool SetShadowDistance(ShadowParams& shadow, int distance);
bool SetShadowAngle(ShadowParams& shadow, int degrees);
bool SetShadowBlur(ShadowParams& shadow, int radius);
bool SetShadowTransparency(ShadowParams& shadow, int percent);
// off: the panel chose "none". Choosing none while the shadow is already off,
// or the colour it already has, does nothing. A chosen colour is opaque.
ColourChange SetShadowColour(ShadowParams& shadow, ColourRef ref, bool off);

// The border picture does not depend on the thickness: a change only moves
// where it is drawn, so it asks for a repaint, not for the pipeline.
bool SetBorderThickness(BorderParams& border, int thickness);
bool SetBorderTransparency(BorderParams& border, int percent);
ColourChange SetBorderColour(BorderParams& border, ColourRef ref, bool off);

bool SetFilterPreset(FilterParams& filter, int preset);
bool SetBrightness(FilterParams& filter, int level);
bool SetContrast(FilterParams& filter, int level);
bool SetSaturation(FilterParams& filter, int level);
bool SetBlurry(FilterParams& filter, int radius);
bool SetFilterTransparency(FilterParams& filter, int percent);
// Sharpen is kept for the panel but no step of the chain uses it, so it
// never asks for the chain to run.
void SetSharpen(FilterParams& filter, int level);
// True when the chain leaves a picture exactly as it is.
bool IsNeutral(const FilterParams& filter);

bool SetBrushSize(BrushParams& brush, int size);
bool SetBrushSoftness(BrushParams& brush, int softness);
bool SetBrushKind(BrushParams& brush, int kind);
// The tint keeps the alpha byte it had; true when the colour changed (the
// tint mask is then recoloured).
bool SetTintColour(BrushParams& brush, ColourRef ref);

}  // namespace quillora::canvas
