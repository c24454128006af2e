#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>
#include <vector>

#include "canvas/imaging/Effects.h"
#include "canvas/imaging/Surface.h"

// The imaging layer: every bitmap the canvas and the file list hold is a
// QImage in Format_ARGB32 (straight alpha, bytes blue, green, red, alpha in
// memory). Every operation reports failure as a null image, an empty array or
// false; none throws. Pixels are reached directly through QImage::scanLine()
// and bytesPerLine().
namespace quillora::imaging {

// Pictures above this many pixels are refused (about 1 GiB of ARGB32): a
// small file that claims a huge size must not exhaust memory.
inline constexpr qint64 kMaxPixels = qint64{16384} * 16384;

// The first frame of a picture file in ARGB32, without applying any
// orientation tag. Palette, greyscale, CMYK and 16-bit sources are converted.
// A missing, truncated or undecodable file, or one above kMaxPixels, gives a
// null image.
QImage decodeFile(const QString& path);

// The same for a compiled-in resource (":/..." path).
QImage decodeResource(const QString& resourcePath);

// A transparent ARGB32 bitmap; null for a non-positive size or one above
// kMaxPixels, or when memory runs out.
QImage newBitmap(int width, int height);

// An ARGB32 bitmap whose pixels are not set yet, for a caller that writes
// every one of them. Large ones ask the kernel for huge pages before
// anything touches them (a fresh 48 MB picture costs about 115 ms to fault
// in with ordinary pages and a few with huge ones). Null like newBitmap.
QImage allocateBitmap(int width, int height);

// An independent ARGB32 copy of the whole picture (null for a null input).
QImage copyArea(const QImage& image);

// A copy resampled to width x height with smooth filtering, weighed by alpha
// so transparent pixels leave no dark fringe. Shrinking averages the source
// area under each output pixel. Null for a null input or a size newBitmap
// would refuse.
QImage scaledCopy(const QImage& image, int width, int height);

// Every frame of an animated picture with its display time. A still picture
// gives one frame; a file that cannot be read gives no frames. Frames whose
// file carries no time get 0.
struct AnimationFrames {
    std::vector<QImage> frames;
    std::vector<int> delaysMs;
};
AnimationFrames decodeAnimation(const QString& path);

// PNG with alpha. encodePng gives an empty array on failure. savePng writes a
// temporary file beside the destination and renames it over the destination
// only once everything is written, so a failed save leaves an existing file
// as it was.
QByteArray encodePng(const QImage& image);
bool savePng(const QImage& image, const QString& path);
// True when a PNG writer is available ("image/png" among the writer's types).
bool hasPngEncoder();

// Colours: an ARGB value is 0xAARRGGBB, a colour reference from the panels
// is 0x00BBGGRR. Converting swaps red and blue; the top byte is replaced by
// the alpha given.
constexpr uint32_t colourRefToArgb(uint32_t ref, uint32_t alpha = 0xFF) {
    return ((alpha & 0xFFu) << 24) | ((ref & 0xFFu) << 16) | (ref & 0xFF00u) |
           ((ref >> 16) & 0xFFu);
}
// Swaps red and blue and keeps the top byte as it is.
constexpr uint32_t swapRedBlue(uint32_t value) {
    return (value & 0xFF00FF00u) | ((value & 0xFFu) << 16) | ((value >> 16) & 0xFFu);
}

}  // namespace quillora::imaging
