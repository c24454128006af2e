#include "canvas/layout/Background.h"

#include "canvas/imaging/Imaging.h"

namespace quillora::canvas {

bool SetBackgroundColour(BackgroundParams& background, QImage& backgroundImage, ColourRef ref,
                         bool off) {
    if (off || ref == kColourRefNone) {
        if (background.kind == BackgroundKind::None) {
            return false;
        }
        backgroundImage = QImage();
        background.kind = BackgroundKind::None;
        return true;
    }
    const Argb colour = imaging::swapRedBlue(ref);
    if (background.kind == BackgroundKind::Colour &&
        (background.colour & 0x00FFFFFFu) == (colour & 0x00FFFFFFu)) {
        return false;
    }
    backgroundImage = QImage();
    background.kind = BackgroundKind::Colour;
    background.colour = colour;
    return true;
}

bool SetBackgroundImage(BackgroundParams& background, QImage& backgroundImage,
                        const QString& path) {
    QImage picture = imaging::decodeFile(path);
    if (picture.isNull()) {
        return false;
    }
    backgroundImage = std::move(picture);
    background.kind = BackgroundKind::Picture;
    return true;
}

void DrawBackgroundLayer(imaging::Surface& surface, const QRectF& target,
                         const BackgroundLayer& layer, EditMode page, bool forExport) {
    if (page != EditMode::CutOut) {
        if (layer.kind == BackgroundKind::Colour) {
            surface.fillRectangle(WithAlpha(layer.colour, 0xFF), target);
            return;
        }
        if (layer.kind == BackgroundKind::Picture && !layer.picture.isNull()) {
            surface.drawImage(target, layer.picture);
            return;
        }
    }
    if (!forExport) {
        surface.drawTiled(target, layer.checkerTile);
    }
}

}  // namespace quillora::canvas
