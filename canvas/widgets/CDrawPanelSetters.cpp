#include <QApplication>
#include <QCursor>

#include "canvas/effects/ParameterRules.h"
#include "canvas/widgets/CDrawPanel.h"

namespace quillora::canvas {

namespace {

void RepaintIf(QWidget& widget, bool changed) {
    if (changed) {
        widget.update();
    }
}

}  // namespace

void CDrawPanel::SetShadowDistance(int distance) {
    RepaintIf(*this, effects_.SetShadowDistance(distance));
}

void CDrawPanel::SetShadowAngle(int degrees) {
    RepaintIf(*this, effects_.SetShadowAngle(degrees));
}

void CDrawPanel::SetShadowBlur(int radius) {
    RepaintIf(*this, effects_.SetShadowBlur(radius));
}

void CDrawPanel::SetShadowTransparency(int percent) {
    RepaintIf(*this, effects_.SetShadowTransparency(percent));
}

void CDrawPanel::SetShadowColour(ColourRef ref, bool off) {
    RepaintIf(*this, effects_.SetShadowColour(ref, off));
}

void CDrawPanel::SetBorderThickness(int thickness) {
    RepaintIf(*this, effects_.SetBorderThickness(thickness));
}

void CDrawPanel::SetBorderTransparency(int percent) {
    RepaintIf(*this, effects_.SetBorderTransparency(percent));
}

void CDrawPanel::SetBorderColour(ColourRef ref, bool off) {
    RepaintIf(*this, effects_.SetBorderColour(ref, off));
}

void CDrawPanel::SetFilterPreset(int preset) {
    RepaintIf(*this, effects_.SetFilterPreset(preset));
}

void CDrawPanel::SetBrightness(int level) {
    RepaintIf(*this, effects_.SetBrightness(level));
}

void CDrawPanel::SetContrast(int level) {
    RepaintIf(*this, effects_.SetContrast(level));
}

void CDrawPanel::SetSaturation(int level) {
    RepaintIf(*this, effects_.SetSaturation(level));
}

void CDrawPanel::SetBlurry(int radius) {
    RepaintIf(*this, effects_.SetBlurry(radius));
}

void CDrawPanel::SetSharpen(int level) {
    RepaintIf(*this, effects_.SetSharpen(level));
}

void CDrawPanel::SetFilterTransparency(int percent) {
    RepaintIf(*this, effects_.SetFilterTransparency(percent));
}

void CDrawPanel::SetTintColour(ColourRef ref) {
    RepaintIf(*this, effects_.SetTintColour(ref));
}

void CDrawPanel::SetBrushKind(int kind) {
    canvas::SetBrushKind(doc_.brush, kind);
}

// The brush disc under the cursor takes the new size or softness at once.
void CDrawPanel::SetBrushSize(int size) {
    RepaintIf(*this, canvas::SetBrushSize(doc_.brush, size));
}

void CDrawPanel::SetBrushSoftness(int softness) {
    RepaintIf(*this, canvas::SetBrushSoftness(doc_.brush, softness));
}

void CDrawPanel::SetBackgroundColour(ColourRef ref, bool off) {
    RepaintIf(*this, layout_.SetBackgroundColour(ref, off));
}

bool CDrawPanel::SetBackgroundImage(const QString& path) {
    const bool taken = layout_.SetBackgroundImage(path);
    RepaintIf(*this, taken);
    return taken;
}

bool CDrawPanel::SetSizePreset(int preset) {
    const bool chosen = layout_.SetSizePreset(preset);
    if (chosen) {
        // A withdrawn crop shows the whole picture again.
        ClearAndRepaint();
    }
    return chosen;
}

void CDrawPanel::ApplyCrop() {
    if (layout_.ApplyCrop()) {
        ClearAndRepaint();
    }
}

ExportStatus CDrawPanel::RenderOutput(const QString& path) {
    // A full-size save takes a moment: the cursor says so.
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    const ExportStatus status = canvas::RenderOutput(doc_, path);
    QApplication::restoreOverrideCursor();
    // The strokes may have been applied for the save: the effect view
    // shows the same cut-out.
    update();
    return status;
}

}  // namespace quillora::canvas
