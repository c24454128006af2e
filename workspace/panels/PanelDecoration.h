#pragma once

#include "canvas/document/Colour.h"

class QWidget;

namespace quillora {

// The option's colour as its swatch shows it; the "none" value draws as an
// empty swatch crossed out.
void PaintSwatch(QWidget* option, canvas::ColourRef ref);

// Every filter option under root gets a small preview of its filter, made
// from a sample picture of the skin with the canvas's own colour matrix.
void PaintFilterPreviews(QWidget* root);

}  // namespace quillora
