#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Fast PNG writing for saved pictures: 8-bit RGBA, rows filtered like
// libpng's default and compressed with libdeflate, so a 12-megapixel picture
// is written many times faster than through Qt's writer.
namespace quillora::png {

enum class PngStatus {
    Ok,
    NullImage,     // nothing to write (null picture or empty path)
    TooLarge,      // above imaging::kMaxPixels
    OutOfMemory,   // a working buffer could not be had
    EncodeFailed,  // the compressor refused the data
    WriteFailed,   // the file could not be created, written or renamed
};

// The picture (any QImage format; converted to straight-alpha ARGB32 first)
// as a complete PNG file in memory. Empty on failure; status tells why.
QByteArray EncodePng(const QImage& image, PngStatus* status = nullptr);

// Writes the picture as a PNG file at path. The file is written under a
// temporary name beside the destination and renamed over it only once all of
// it is on disk, so a failed save leaves an existing file as it was.
PngStatus WritePngFile(const QImage& image, const QString& path);

}  // namespace quillora::png
