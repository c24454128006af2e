#include "canvas/png/PngFile.h"

#include <QBuffer>
#include <QSaveFile>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <limits>

#include "canvas/imaging/Imaging.h"
#include "canvas/imaging/Parallel.h"
#include "canvas/imaging/ScratchBuffer.h"
#include "canvas/png/PngChunks.h"
#include "canvas/png/PngDeflate.h"
#include "canvas/png/PngRows.h"

namespace quillora::png {

namespace {

// Rows per band of the parallel filtering: large enough to amortise the
// hand-over, small enough that a thread slowed by other work is helped.
constexpr int kRowsPerBand = 64;

// Working memory of the encoder, kept by each thread between saves:
// faulting in some 100 MB of fresh pages for a 12-megapixel picture costs
// more than a tenth of the encoding. Blocks above ScratchBuffer's keep limit
// are given back after each save.
struct EncoderMemory {
    imaging::ScratchBuffer scanlines;
    imaging::ScratchBuffer stream;
    void trim() {
        scanlines.trim();
        stream.trim();
    }
};

EncoderMemory& ThreadMemory() {
    thread_local EncoderMemory memory;
    return memory;
}

struct Encoded {
    imaging::ScratchBuffer& buffer = ThreadMemory().stream;
    const std::uint8_t* stream = nullptr;
    std::size_t size = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool rgb = false;  // colour type 2: every pixel opaque
};

// IsOpaque over bands of rows on every core; stops early once a band finds
// a transparent pixel.
bool Opaque(const QImage& image) {
    std::atomic<bool> opaque{true};
    const int height = image.height();
    const int bands = (height + kRowsPerBand - 1) / kRowsPerBand;
    const bool ran = imaging::parallelFor(bands, [&](int band) {
        if (!opaque.load(std::memory_order_relaxed)) {
            return;
        }
        const int first = band * kRowsPerBand;
        const int rows = std::min(height, first + kRowsPerBand) - first;
        const QImage part(image.constScanLine(first), image.width(), rows, image.bytesPerLine(),
                          QImage::Format_ARGB32);
        if (!IsOpaque(part)) {
            opaque.store(false, std::memory_order_relaxed);
        }
    });
    return ran && opaque.load();
}

QImage AsArgb32(const QImage& image) {
    return image.format() == QImage::Format_ARGB32 ? image
                                                   : image.convertToFormat(QImage::Format_ARGB32);
}

PngStatus Encode(const QImage& input, Encoded& encoded) {
    if (input.isNull()) {
        return PngStatus::NullImage;
    }
    if (qint64{input.width()} * input.height() > imaging::kMaxPixels) {
        return PngStatus::TooLarge;
    }
    const QImage image = AsArgb32(input);
    if (image.isNull()) {
        return PngStatus::OutOfMemory;
    }
    const int height = image.height();
    // A picture without any transparency (a save over a colour or picture
    // background) needs no alpha bytes: a quarter less to compress, and the
    // file decodes to the same pixels.
    encoded.rgb = Opaque(image);
    const int bytesPerPixel = encoded.rgb ? kRgbBytesPerPixel : kBytesPerPixel;
    const std::size_t rowBytes = FilteredRowBytes(image.width(), bytesPerPixel);
    imaging::ScratchBuffer& scanlines = ThreadMemory().scanlines;
    auto* filtered = static_cast<std::uint8_t*>(scanlines.reserve(rowBytes * height));
    if (filtered == nullptr) {
        return PngStatus::OutOfMemory;
    }
    const int bands = (height + kRowsPerBand - 1) / kRowsPerBand;
    const bool filteredAll = imaging::parallelFor(bands, [&](int band) {
        const int first = band * kRowsPerBand;
        const int end = std::min(height, first + kRowsPerBand);
        FilterRows(image, first, end, filtered + rowBytes * first, bytesPerPixel,
                   ChooseFilterChoice(image, first, end, bytesPerPixel));
    });
    if (!filteredAll) {
        return PngStatus::OutOfMemory;
    }
    encoded.size = CompressScanlines(filtered, rowBytes * height, rowBytes, encoded.buffer);
    if (encoded.size == 0) {
        return PngStatus::EncodeFailed;
    }
    encoded.stream = static_cast<const std::uint8_t*>(encoded.buffer.reserve(encoded.size));
    encoded.width = static_cast<std::uint32_t>(image.width());
    encoded.height = static_cast<std::uint32_t>(height);
    return PngStatus::Ok;
}

bool WriteFile(QIODevice& device, const Encoded& encoded) {
    return WriteSignature(device) &&
           WriteHeader(device, encoded.width, encoded.height, encoded.rgb) &&
           WriteImageData(device, encoded.stream, encoded.size) && WriteEnd(device);
}

}  // namespace

QByteArray EncodePng(const QImage& image, PngStatus* status) {
    Encoded encoded;
    PngStatus result = Encode(image, encoded);
    QByteArray bytes;
    if (result == PngStatus::Ok) {
        const std::size_t total = PngFileSize(encoded.size);
        if (total > static_cast<std::size_t>(std::numeric_limits<qsizetype>::max())) {
            result = PngStatus::TooLarge;
        } else {
            bytes.reserve(static_cast<qsizetype>(total));
            QBuffer buffer(&bytes);
            if (!buffer.open(QIODevice::WriteOnly) || !WriteFile(buffer, encoded)) {
                bytes.clear();
                result = PngStatus::OutOfMemory;
            }
        }
    }
    ThreadMemory().trim();
    if (status != nullptr) {
        *status = result;
    }
    return bytes;
}

PngStatus WritePngFile(const QImage& image, const QString& path) {
    if (path.isEmpty()) {
        return PngStatus::NullImage;
    }
    Encoded encoded;
    const PngStatus status = Encode(image, encoded);
    struct Trim {
        ~Trim() { ThreadMemory().trim(); }
    } trimAfterwards;
    if (status != PngStatus::Ok) {
        return status;
    }
    QSaveFile file(path);
    // Writing straight into the destination would leave half a file behind
    // a failure.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        return PngStatus::WriteFailed;
    }
    if (!WriteFile(file, encoded)) {
        file.cancelWriting();
        return PngStatus::WriteFailed;
    }
    return file.commit() ? PngStatus::Ok : PngStatus::WriteFailed;
}

}  // namespace quillora::png
