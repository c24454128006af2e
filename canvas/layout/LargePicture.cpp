#include "canvas/layout/LargePicture.h"

#include "canvas/imaging/Imaging.h"

namespace quillora::canvas {

QImage AllocatePicture(int width, int height) {
    return imaging::allocateBitmap(width, height);
}

}  // namespace quillora::canvas
