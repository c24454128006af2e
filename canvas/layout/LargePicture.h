#pragma once

#include <QImage>

namespace quillora::canvas {

// An ARGB32 picture for a full-size composition, its pixels not yet set.
// Its memory asks the kernel for huge pages before anything touches it: a
// fresh 48 MB picture costs about 115 ms to fault in with ordinary pages
// and a few with huge ones. Null for a size imaging::newBitmap would refuse
// or when memory runs out.
QImage AllocatePicture(int width, int height);

}  // namespace quillora::canvas
