#include "canvas/png/PngChunks.h"

#include <libdeflate.h>

#include <array>

namespace quillora::png {

namespace {

constexpr std::array<char, 8> kSignature{'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
constexpr std::size_t kChunkOverhead = 12;  // length, type, CRC
constexpr std::size_t kHeaderBytes = 13;
constexpr std::uint8_t kBitDepth = 8;
constexpr std::uint8_t kColourTypeRgb = 2;
constexpr std::uint8_t kColourTypeRgba = 6;

void PutBigEndian(std::uint8_t* out, std::uint32_t value) {
    out[0] = static_cast<std::uint8_t>(value >> 24);
    out[1] = static_cast<std::uint8_t>(value >> 16);
    out[2] = static_cast<std::uint8_t>(value >> 8);
    out[3] = static_cast<std::uint8_t>(value);
}

bool WriteAll(QIODevice& device, const void* data, std::size_t size) {
    return device.write(static_cast<const char*>(data), static_cast<qint64>(size)) ==
           static_cast<qint64>(size);
}

bool WriteChunk(QIODevice& device, const char (&type)[5], const std::uint8_t* data,
                std::size_t size) {
    std::array<std::uint8_t, 8> head{};
    PutBigEndian(head.data(), static_cast<std::uint32_t>(size));
    for (int i = 0; i < 4; ++i) {
        head[4 + i] = static_cast<std::uint8_t>(type[i]);
    }
    std::uint32_t crc = libdeflate_crc32(0, head.data() + 4, 4);
    if (size > 0) {
        crc = libdeflate_crc32(crc, data, size);
    }
    std::array<std::uint8_t, 4> tail{};
    PutBigEndian(tail.data(), static_cast<std::uint32_t>(crc));
    return WriteAll(device, head.data(), head.size()) &&
           (size == 0 || WriteAll(device, data, size)) &&
           WriteAll(device, tail.data(), tail.size());
}

}  // namespace

bool WriteSignature(QIODevice& device) {
    return WriteAll(device, kSignature.data(), kSignature.size());
}

bool WriteHeader(QIODevice& device, std::uint32_t width, std::uint32_t height, bool rgb) {
    std::array<std::uint8_t, kHeaderBytes> header{};
    PutBigEndian(header.data(), width);
    PutBigEndian(header.data() + 4, height);
    header[8] = kBitDepth;
    header[9] = rgb ? kColourTypeRgb : kColourTypeRgba;
    // compression, filter method and interlace all 0
    return WriteChunk(device, "IHDR", header.data(), header.size());
}

bool WriteImageData(QIODevice& device, const std::uint8_t* stream, std::size_t size) {
    for (std::size_t offset = 0; offset < size; offset += kIdatChunkBytes) {
        const std::size_t part = std::min(kIdatChunkBytes, size - offset);
        if (!WriteChunk(device, "IDAT", stream + offset, part)) {
            return false;
        }
    }
    return true;
}

bool WriteEnd(QIODevice& device) {
    return WriteChunk(device, "IEND", nullptr, 0);
}

std::size_t PngFileSize(std::size_t streamSize) {
    const std::size_t idatChunks = (streamSize + kIdatChunkBytes - 1) / kIdatChunkBytes;
    return kSignature.size() + (kChunkOverhead + kHeaderBytes) + idatChunks * kChunkOverhead +
           streamSize + kChunkOverhead;
}

}  // namespace quillora::png
