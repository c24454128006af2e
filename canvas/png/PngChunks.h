#pragma once

#include <QIODevice>

#include <cstddef>
#include <cstdint>

// PNG file framing: the signature and chunks (length, type, data, CRC-32 of
// type and data).
namespace quillora::png {

// Largest IDAT chunk written; the stream is split into chunks of this size.
inline constexpr std::size_t kIdatChunkBytes = std::size_t{1} << 18;

bool WriteSignature(QIODevice& device);
// IHDR for an 8-bit, non-interlaced picture: RGBA, or RGB when rgb (a
// picture without transparency).
bool WriteHeader(QIODevice& device, std::uint32_t width, std::uint32_t height, bool rgb = false);
// The compressed stream as IDAT chunks of at most kIdatChunkBytes.
bool WriteImageData(QIODevice& device, const std::uint8_t* stream, std::size_t size);
bool WriteEnd(QIODevice& device);

// Bytes the four parts above add to a stream of streamSize bytes.
std::size_t PngFileSize(std::size_t streamSize);

}  // namespace quillora::png
