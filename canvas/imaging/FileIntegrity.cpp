#include "canvas/imaging/FileIntegrity.h"

#include <cstdlib>
#include <cstring>

namespace quillora::imaging {

namespace {

constexpr uint8_t kMarker = 0xFF;
constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kEndOfImage = 0xD9;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kFirstRestart = 0xD0;
constexpr uint8_t kLastRestart = 0xD7;
constexpr uint8_t kTemporary = 0x01;

bool standalone(uint8_t marker) {
    return marker == kTemporary || (marker >= kFirstRestart && marker <= kLastRestart);
}

uint32_t little32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t little16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

// BMP header fields (offsets from the start of the file).
constexpr int64_t kBmpPixelOffset = 10;
constexpr int64_t kBmpInfoSize = 14;
constexpr int64_t kBmpCoreHeaderSize = 12;
constexpr int64_t kBmpInfoHeaderSize = 40;
constexpr uint32_t kBmpUncompressed = 0;
constexpr uint32_t kBmpBitFields = 3;
constexpr uint32_t kBmpAlphaBitFields = 6;

// GIF layout: a 13-byte header with the screen flags at offset 10, then
// extensions (0x21), images (0x2C, a 10-byte descriptor with its flags
// last) and the trailer (0x3B).
constexpr int64_t kGifHeader = 13;
constexpr int64_t kGifScreenFlags = 10;
constexpr int64_t kGifImageDescriptor = 10;
constexpr uint8_t kGifHasTable = 0x80;
constexpr uint8_t kGifTableBits = 0x07;
constexpr uint8_t kGifExtension = 0x21;
constexpr uint8_t kGifImage = 0x2C;
constexpr uint8_t kGifTrailer = 0x3B;

}  // namespace

bool jpegLooksComplete(const uint8_t* data, int64_t size) {
    if (size < 4 || data[0] != kMarker || data[1] != kStartOfImage) {
        return true;  // not a JPEG stream the walk understands
    }
    int64_t pos = 2;
    while (pos + 1 < size) {
        if (data[pos] != kMarker) {
            return false;  // something other than a marker where one belongs
        }
        while (pos + 1 < size && data[pos + 1] == kMarker) {
            ++pos;  // fill bytes
        }
        if (pos + 1 >= size) {
            return false;
        }
        const uint8_t marker = data[pos + 1];
        if (marker == kEndOfImage) {
            return true;
        }
        if (standalone(marker)) {
            pos += 2;
            continue;
        }
        if (pos + 4 > size) {
            return false;
        }
        const int length = data[pos + 2] << 8 | data[pos + 3];
        if (length < 2) {
            return false;
        }
        pos += 2 + length;
        if (marker != kStartOfScan) {
            continue;
        }
        // Entropy-coded data runs to the next marker that is neither a
        // stuffed 0xFF 0x00 nor a restart marker.
        for (;;) {
            const auto* next = static_cast<const uint8_t*>(
                pos < size ? std::memchr(data + pos, kMarker, size_t(size - pos)) : nullptr);
            if (next == nullptr || next + 1 >= data + size) {
                return false;
            }
            pos = next - data;
            const uint8_t following = data[pos + 1];
            if (following == 0x00 || (following >= kFirstRestart && following <= kLastRestart)) {
                pos += 2;
                continue;
            }
            if (following == kMarker) {
                ++pos;
                continue;
            }
            break;
        }
    }
    return false;
}

bool bmpLooksComplete(const uint8_t* data, int64_t available, int64_t fileSize) {
    const int64_t size = available;
    if (size < kBmpInfoSize + 4 || data[0] != 'B' || data[1] != 'M') {
        return true;
    }
    const int64_t pixelOffset = little32(data + kBmpPixelOffset);
    const int64_t headerSize = little32(data + kBmpInfoSize);
    int64_t width = 0;
    int64_t height = 0;
    int bitsPerPixel = 0;
    if (headerSize == kBmpCoreHeaderSize && size >= kBmpInfoSize + kBmpCoreHeaderSize) {
        width = little16(data + 18);
        height = little16(data + 20);
        bitsPerPixel = little16(data + 24);
    } else if (headerSize >= kBmpInfoHeaderSize && size >= kBmpInfoSize + kBmpInfoHeaderSize) {
        const uint32_t compression = little32(data + 30);
        if (compression != kBmpUncompressed && compression != kBmpBitFields &&
            compression != kBmpAlphaBitFields) {
            return true;  // run-length data has no fixed size to check
        }
        width = int32_t(little32(data + 18));
        height = std::llabs(int64_t(int32_t(little32(data + 22))));
        bitsPerPixel = little16(data + 28);
    } else {
        return true;
    }
    if (width <= 0 || height <= 0 || bitsPerPixel <= 0 || bitsPerPixel > 64) {
        return true;  // the decoder judges nonsense headers itself
    }
    const int64_t stride = (width * bitsPerPixel + 31) / 32 * 4;
    const int64_t pixelBytes = fileSize - pixelOffset;
    return pixelBytes >= 0 && pixelBytes / stride >= height;
}

int gifWholeImages(const uint8_t* data, int64_t size) {
    if (size < kGifHeader || std::memcmp(data, "GIF", 3) != 0) {
        return 0;
    }
    int64_t pos = kGifHeader;
    if (data[kGifScreenFlags] & kGifHasTable) {
        pos += 3 * (int64_t{2} << (data[kGifScreenFlags] & kGifTableBits));
    }
    // Sub-blocks: a length byte, that many bytes, until a length of 0.
    const auto skipBlocks = [&](int64_t at) -> int64_t {
        while (at < size) {
            const int length = data[at];
            at += 1 + length;
            if (length == 0) {
                return at;
            }
        }
        return -1;
    };
    int images = 0;
    while (pos < size) {
        const uint8_t introducer = data[pos];
        if (introducer == kGifTrailer) {
            break;
        }
        if (introducer == kGifExtension) {
            pos = pos + 2 <= size ? skipBlocks(pos + 2) : -1;
        } else if (introducer == kGifImage) {
            if (pos + kGifImageDescriptor + 1 > size) {
                break;
            }
            const uint8_t flags = data[pos + kGifImageDescriptor - 1];
            pos += kGifImageDescriptor;
            if (flags & kGifHasTable) {
                pos += 3 * (int64_t{2} << (flags & kGifTableBits));
            }
            pos = pos + 1 <= size ? skipBlocks(pos + 1) : -1;  // after the code size
            if (pos >= 0) {
                ++images;
            }
        } else {
            break;
        }
        if (pos < 0) {
            break;
        }
    }
    return images;
}

Examination examinationFor(const QByteArray& format) {
    if (format == "jpeg" || format == "jpg" || format == "gif") {
        return Examination::WholeFile;
    }
    if (format == "bmp" || format == "dib") {
        return Examination::HeaderOnly;
    }
    return Examination::None;
}

int wholeFrames(const QByteArray& format, const uint8_t* data, int64_t available,
                int64_t fileSize) {
    if (format == "jpeg" || format == "jpg") {
        return jpegLooksComplete(data, available) ? 1 : 0;
    }
    if (format == "bmp" || format == "dib") {
        return bmpLooksComplete(data, available, fileSize) ? 1 : 0;
    }
    if (format == "gif") {
        return gifWholeImages(data, available);
    }
    return kUnchecked;
}

}  // namespace quillora::imaging
