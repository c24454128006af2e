#pragma once

#include <QImage>

#include "canvas/document/ParameterGroups.h"

namespace quillora::canvas {

// The filter-and-toning chain, in place, in this order: brightness and
// contrast, saturation (hue and lightness 0), the preset's colour matrix with
// the opacity as its alpha entry, then a blur of radius blurry pixels (the
// picture's border pixels extending outwards, so the cut-out keeps its
// opacity to the edge). Steps whose values change nothing are skipped, so
// the initial values leave the picture exactly as it was. False when an
// effect fails; the picture may then be partly processed.
bool ApplyFilterChain(QImage& image, const FilterParams& filter);

// The on-screen picture of the filter page: a fresh copy of the view-sized
// cut-out with the chain applied (never the chain applied on top of an
// earlier result). Null when the copy or an effect fails.
QImage FilteredCopy(const QImage& viewResult, const FilterParams& filter);

}  // namespace quillora::canvas
