#include "canvas/png/PngReader.h"

#include <QColorSpace>

#include <libdeflate.h>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "canvas/imaging/Imaging.h"
#include "canvas/png/PngUnfilter.h"

namespace quillora::png {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFFu;

enum ColourType : std::uint8_t { Grey = 0, Rgb = 2, Palette = 3, GreyAlpha = 4, Rgba = 6 };

struct Header {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t colourType = 0;
    int channels = 0;
};

std::uint32_t ReadBigEndian(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

bool TypeIs(const std::uint8_t* type, const char* name) {
    return std::memcmp(type, name, 4) == 0;
}

// A chunk whose type starts with a capital letter must be understood.
bool IsCritical(const std::uint8_t* type) {
    return (type[0] & 0x20) == 0;
}

PngReadStatus ParseHeader(const std::uint8_t* data, std::uint32_t length, Header& header) {
    if (length != 13) {
        return PngReadStatus::Broken;
    }
    header.width = ReadBigEndian(data);
    header.height = ReadBigEndian(data + 4);
    const std::uint8_t bitDepth = data[8];
    header.colourType = data[9];
    const std::uint8_t compression = data[10];
    const std::uint8_t filterMethod = data[11];
    const std::uint8_t interlace = data[12];
    if (header.width == 0 || header.height == 0 || header.width > kMaxChunkLength ||
        header.height > kMaxChunkLength || compression != 0 || filterMethod != 0 || interlace > 1) {
        return PngReadStatus::Broken;
    }
    if (qint64(header.width) * qint64(header.height) > imaging::kMaxPixels) {
        return PngReadStatus::TooLarge;
    }
    switch (header.colourType) {
        case Grey:
            header.channels = 1;
            break;
        case GreyAlpha:
            header.channels = 2;
            break;
        case Rgb:
            header.channels = 3;
            break;
        case Rgba:
            header.channels = 4;
            break;
        default:
            return PngReadStatus::Unsupported;
    }
    if (bitDepth != 8 || interlace != 0 || qint64(header.width) * header.height > kMaxFastPixels) {
        return PngReadStatus::Unsupported;
    }
    return PngReadStatus::Ok;
}

// Chunks that change how the pixels are meant: Qt's reader handles them.
bool NeedsQtReader(const std::uint8_t* type, std::uint8_t colourType) {
    if (TypeIs(type, "iCCP") || TypeIs(type, "gAMA") || TypeIs(type, "cHRM")) {
        return true;
    }
    // A colour key makes one grey or RGB value transparent.
    return TypeIs(type, "tRNS") && (colourType == Grey || colourType == Rgb);
}

struct FreeDeleter {
    void operator()(std::uint8_t* p) const { std::free(p); }
};
using Buffer = std::unique_ptr<std::uint8_t, FreeDeleter>;

// The inflated rows of a large picture are written once, front to back:
// huge pages make faulting them in far cheaper. The advice is a hint only.
Buffer AllocateRows(std::size_t bytes) {
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    if (bytes >= kHugePage) {
        const std::size_t rounded = (bytes + kHugePage - 1) & ~(kHugePage - 1);
        Buffer buffer(static_cast<std::uint8_t*>(std::aligned_alloc(kHugePage, rounded)));
#if defined(__linux__)
        if (buffer) {
            madvise(buffer.get(), rounded, MADV_HUGEPAGE);
        }
#endif
        return buffer;
    }
    return Buffer(static_cast<std::uint8_t*>(std::malloc(bytes)));
}

struct DecompressorDeleter {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

void ConvertRow(const std::uint8_t* src, QRgb* out, std::uint32_t width, int channels) {
    switch (channels) {
        case 1:
            for (std::uint32_t x = 0; x < width; ++x) {
                out[x] = 0xFF000000u | (std::uint32_t(src[x]) * 0x010101u);
            }
            break;
        case 2:
            for (std::uint32_t x = 0; x < width; ++x) {
                out[x] =
                    (std::uint32_t(src[2 * x + 1]) << 24) | (std::uint32_t(src[2 * x]) * 0x010101u);
            }
            break;
        case 3:
            for (std::uint32_t x = 0; x < width; ++x) {
                const std::uint8_t* p = src + 3 * std::size_t(x);
                out[x] = 0xFF000000u | (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) |
                         std::uint32_t(p[2]);
            }
            break;
        default:
            for (std::uint32_t x = 0; x < width; ++x) {
                std::uint32_t p;
                std::memcpy(&p, src + 4 * std::size_t(x), sizeof p);
                // Bytes R, G, B, A become B, G, R, A in memory.
                out[x] = (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
            }
            break;
    }
}

QImage Fail(PngReadStatus* status, PngReadStatus value) {
    if (status != nullptr) {
        *status = value;
    }
    return {};
}

}  // namespace

bool HasPngSignature(const std::uint8_t* data, std::size_t size) {
    return data != nullptr && size >= sizeof kSignature &&
           std::memcmp(data, kSignature, sizeof kSignature) == 0;
}

QImage DecodePng(const std::uint8_t* data, std::size_t size, PngReadStatus* status) {
    if (!HasPngSignature(data, size)) {
        return Fail(status, PngReadStatus::NotPng);
    }
    Header header;
    bool sawHeader = false;
    bool sawEnd = false;
    bool sRgb = false;
    enum { BeforeData, InData, AfterData } dataState = BeforeData;
    std::vector<std::uint8_t> stream;
    try {
        stream.reserve(size);  // the data chunks never hold more than the file
    } catch (const std::bad_alloc&) {
        return Fail(status, PngReadStatus::OutOfMemory);
    }
    std::size_t pos = sizeof kSignature;
    while (!sawEnd) {
        if (size - pos < 12) {
            return Fail(status, PngReadStatus::Broken);
        }
        const std::uint32_t length = ReadBigEndian(data + pos);
        const std::uint8_t* type = data + pos + 4;
        if (length > kMaxChunkLength || size - pos - 12 < length) {
            return Fail(status, PngReadStatus::Broken);
        }
        const std::uint8_t* body = type + 4;
        const std::uint32_t storedCrc = ReadBigEndian(body + length);
        const bool crcGood = libdeflate_crc32(0, type, std::size_t(length) + 4) == storedCrc;
        pos += std::size_t(length) + 12;
        if (!sawHeader && !TypeIs(type, "IHDR")) {
            return Fail(status, PngReadStatus::Broken);
        }
        if (!crcGood) {
            if (IsCritical(type)) {
                return Fail(status, PngReadStatus::Broken);
            }
            continue;  // a damaged ancillary chunk is skipped, as libpng does
        }
        if (!sawHeader) {
            const PngReadStatus parsed = ParseHeader(body, length, header);
            if (parsed != PngReadStatus::Ok) {
                return Fail(status, parsed);
            }
            sawHeader = true;
            continue;
        }
        if (TypeIs(type, "IDAT")) {
            if (dataState == AfterData) {
                return Fail(status, PngReadStatus::Broken);
            }
            dataState = InData;
            try {
                stream.insert(stream.end(), body, body + length);
            } catch (const std::bad_alloc&) {
                return Fail(status, PngReadStatus::OutOfMemory);
            }
            continue;
        }
        if (dataState == InData) {
            dataState = AfterData;
        }
        if (TypeIs(type, "IEND")) {
            sawEnd = true;
        } else if (TypeIs(type, "sRGB")) {
            sRgb = true;
        } else if (NeedsQtReader(type, header.colourType)) {
            return Fail(status, PngReadStatus::Unsupported);
        } else if (IsCritical(type) && !TypeIs(type, "PLTE")) {
            return Fail(status, PngReadStatus::Unsupported);
        }
    }
    if (dataState == BeforeData) {
        return Fail(status, PngReadStatus::Broken);
    }

    const std::size_t rowBytes = std::size_t(header.width) * std::size_t(header.channels);
    const std::size_t stride = rowBytes + 1;
    const std::size_t inflatedBytes = stride * header.height;
    const Buffer rows = AllocateRows(inflatedBytes);
    std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor(
        libdeflate_alloc_decompressor());
    if (!rows || !decompressor) {
        return Fail(status, PngReadStatus::OutOfMemory);
    }
    std::size_t inflated = 0;
    const libdeflate_result result = libdeflate_zlib_decompress(
        decompressor.get(), stream.data(), stream.size(), rows.get(), inflatedBytes, &inflated);
    if (result != LIBDEFLATE_SUCCESS || inflated != inflatedBytes) {
        return Fail(status, PngReadStatus::Broken);
    }
    std::vector<std::uint8_t>().swap(stream);

    QImage image = imaging::allocateBitmap(int(header.width), int(header.height));
    if (image.isNull()) {
        return Fail(status, PngReadStatus::OutOfMemory);
    }
    const std::vector<std::uint8_t> zeros(rowBytes, 0);
    const std::uint8_t* prior = zeros.data();
    for (std::uint32_t y = 0; y < header.height; ++y) {
        std::uint8_t* line = rows.get() + std::size_t(y) * stride;
        if (!UnfilterRow(line[0], line + 1, prior, rowBytes, header.channels)) {
            return Fail(status, PngReadStatus::Broken);
        }
        ConvertRow(line + 1, reinterpret_cast<QRgb*>(image.scanLine(int(y))), header.width,
                   header.channels);
        prior = line + 1;
    }
    if (sRgb) {
        image.setColorSpace(QColorSpace::SRgb);
    }
    if (status != nullptr) {
        *status = PngReadStatus::Ok;
    }
    return image;
}

}  // namespace quillora::png
