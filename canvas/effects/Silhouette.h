#pragma once

#include <QImage>

#include "canvas/document/Colour.h"

namespace quillora::canvas {

// The cut-out's shape in one colour: a copy in which every pixel with alpha
// above 0 takes the colour's red, green and blue and keeps its own alpha.
// Fully transparent pixels stay as they are. The shadow, the border and the
// brush tint start from it. Null for a null picture or when memory runs out.
QImage MakeSilhouette(const QImage& picture, Argb colour);

}  // namespace quillora::canvas
