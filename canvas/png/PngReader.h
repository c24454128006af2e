#pragma once

#include <QImage>

#include <cstddef>
#include <cstdint>

// Fast PNG reading for the pictures the program handles most: 8-bit,
// non-interlaced grey, grey with alpha, RGB and RGBA files, such as the
// cut-outs the matting service answers with. The whole stream is inflated in
// one call by libdeflate and the rows are restored with vector code, several
// times faster than reading through Qt. Anything else is left to Qt's reader.
namespace quillora::png {

// Larger pictures are left to Qt's reader: it decodes row by row into the
// picture, where this reader holds the inflated rows beside it (twice the
// memory for a moment).
inline constexpr qint64 kMaxFastPixels = qint64{64} << 20;

enum class PngReadStatus {
    Ok,
    NotPng,       // no PNG signature
    Unsupported,  // a PNG this reader leaves to Qt (palette, 16-bit,
                  // interlaced, colour key, embedded colour profile, above
                  // kMaxFastPixels, ...)
    Broken,       // damaged or cut short: bad CRC, missing chunks, a stream
                  // that does not inflate to the announced rows
    TooLarge,     // above imaging::kMaxPixels
    OutOfMemory,
};

// The picture in ARGB32 (straight alpha; opaque for files without alpha).
// Null unless status is Ok. Never reads outside [data, data + size).
QImage DecodePng(const std::uint8_t* data, std::size_t size, PngReadStatus* status = nullptr);

// True when data starts with the 8-byte PNG signature.
bool HasPngSignature(const std::uint8_t* data, std::size_t size);

}  // namespace quillora::png
