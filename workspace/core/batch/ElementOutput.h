#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include "canvas/document/EditMode.h"
#include "canvas/document/ParameterGroups.h"

namespace quillora::batch {

// How one batch element looks, as plain values: the batch tool page it
// follows (change background or change size), its background, placement and
// crop in preview pixels, and the preview's scale. Copied out of the element
// on the UI thread, so a save on another thread reads nothing the window
// owns.
struct ElementLook {
    canvas::EditMode mode = canvas::EditMode::ChangeBackground;
    canvas::BackgroundParams background;
    // The background picture at its own size (picture kind). QImage shares
    // its pixels, so every element of a batch holds the same copy.
    QImage backgroundPicture;
    float previewScale = 1.0f;  // preview pixels per cut-out pixel
};

// The look of a cut-out shown at its own size (scale 1, the cut-out over
// the whole picture, the preset's crop box applied): what the command line
// saves for a cut-out of fullSize pixels.
ElementLook FullSizeLook(const QSize& fullSize, canvas::BackgroundKind kind, canvas::Argb colour,
                         const QImage& backgroundPicture, int sizePreset);

enum class ElementSaveStatus {
    Ok,
    NoCutOut,     // no cut-out file, or it cannot be decoded
    TooLarge,     // above the saved picture limit
    OutOfMemory,  // a full-size picture could not be made
    EmptyCrop,    // the crop box holds no whole pixel
    WriteFailed,  // the file could not be written (nothing half-written is left)
};

// The saved picture from the full-size cut-out: the background (nothing for
// none), the cut-out stretched into the placement divided by the preview
// scale and, in the change-size page with the crop applied, the crop box
// divided by that scale, stretched to the identity-photo presets' fixed
// sizes. An empty placement stands for the whole picture.
QImage RenderElementPicture(const QImage& cutOut, const ElementLook& look,
                            ElementSaveStatus* status = nullptr);

// Decodes the cut-out file, renders it and writes it as PNG at path through
// a temporary file.
ElementSaveStatus SaveElementOutput(const QString& cutOutPath, const ElementLook& look,
                                    const QString& path);

// The preview of an element, previewPixels in size, cleared to transparent
// white: the background (the checker tile where there is none), the preview
// cut-out stretched into the placement, then the crop box (change size with
// the crop applied) or the placement frame (change background while the
// cut-out is selected). previewBackground is the background picture already
// brought near the preview's size.
QImage ComposeElementPreview(const QSize& previewPixels, const QImage& previewCutOut,
                             const ElementLook& look, const QImage& previewBackground,
                             const QImage& checkerTile, bool placementSelected);

}  // namespace quillora::batch
