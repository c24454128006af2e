#include "canvas/imaging/Imaging.h"

#include <QFile>
#include <QImageReader>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "canvas/imaging/AreaScale.h"
#include "canvas/imaging/FileIntegrity.h"
#include "canvas/png/PngReader.h"

namespace quillora::imaging {

namespace {

// Qt's own guard refuses decoded pictures above 256 MiB (64 megapixels in
// ARGB32), below what cameras produce; raise it so kMaxPixels decides.
constexpr int kReaderAllocationLimitMiB = 1100;
// An animation may hold many small frames; its total is bounded like one
// large picture.
constexpr qint64 kMaxAnimationPixels = kMaxPixels;
constexpr int kMaxAnimationFrames = 4096;

void raiseReaderLimit() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (QImageReader::allocationLimit() < kReaderAllocationLimitMiB) {
            QImageReader::setAllocationLimit(kReaderAllocationLimitMiB);
        }
    });
}

bool acceptableSize(qint64 width, qint64 height) {
    return width > 0 && height > 0 && width * height <= kMaxPixels;
}

// A reader size of (-1, -1) means the format cannot tell before decoding;
// the allocation limit still guards that case.
bool sizeLooksSafe(const QImageReader& reader) {
    const QSize size = reader.size();
    return !size.isValid() || acceptableSize(size.width(), size.height());
}

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

// Only whole huge pages inside the picture's block can be advised; the
// advice is a hint, and the picture works the same without it.
void adviseHugePages(QImage& picture) {
#if defined(__linux__)
    const auto begin = reinterpret_cast<std::uintptr_t>(picture.bits());
    const std::uintptr_t end = begin + static_cast<std::uintptr_t>(picture.sizeInBytes());
    const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = end & ~(kHugePage - 1);
    if (last > first) {
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#else
    (void)picture;
#endif
}

QImage toArgb32(QImage image) {
    if (image.isNull() || !acceptableSize(image.width(), image.height())) {
        return {};
    }
    if (image.format() != QImage::Format_ARGB32) {
        image = image.convertToFormat(QImage::Format_ARGB32);
    }
    return image;
}

// How many leading frames are whole (kUnchecked: the decoder decides). The
// file is read, not mapped: a file cut short while it is mapped would crash
// the program instead of failing the decode.
int wholeFramesOf(QFile& file, const QByteArray& format) {
    const Examination examination = examinationFor(format);
    if (examination == Examination::None) {
        return kUnchecked;
    }
    const qint64 position = file.pos();
    if (!file.seek(0)) {
        return 0;
    }
    const QByteArray bytes =
        examination == Examination::HeaderOnly ? file.read(kHeaderBytes) : file.readAll();
    const int frames = wholeFrames(format, reinterpret_cast<const uint8_t*>(bytes.constData()),
                                   bytes.size(), file.size());
    return file.seek(position) ? frames : 0;
}

// Opens the file and checks what can be checked before decoding: that a
// decoder exists, the announced size, and for some formats how many frames
// the file holds in full (frameLimit; kUnchecked when not known). The reader
// reads from file.
bool prepareReader(QFile& file, QImageReader& reader, int& frameLimit) {
    raiseReaderLimit();
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    reader.setDevice(&file);
    reader.setAutoTransform(false);
    if (!reader.canRead() || !sizeLooksSafe(reader)) {
        return false;
    }
    frameLimit = wholeFramesOf(file, reader.format());
    return frameLimit != 0;
}

QImage decodeFirstFrame(const QString& path) {
    QFile file(path);
    QImageReader reader;
    int frameLimit = kUnchecked;
    if (!prepareReader(file, reader, frameLimit)) {
        return {};
    }
    QImage image;
    if (!reader.read(&image)) {
        return {};
    }
    return toArgb32(std::move(image));
}

// Files above this are left to Qt's reader, which decodes them row by row
// instead of holding the whole file in memory.
constexpr qint64 kLargestPngReadWhole = qint64{512} << 20;

// The common 8-bit PNGs through the fast reader. handled is false when the
// file is not one it reads (or is damaged): Qt's reader then decides.
QImage decodeCommonPng(const QString& path, bool& handled) {
    handled = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestPngReadWhole) {
        return {};
    }
    const QByteArray start = file.read(8);
    const auto* startBytes = reinterpret_cast<const std::uint8_t*>(start.constData());
    if (!png::HasPngSignature(startBytes, std::size_t(start.size())) || !file.seek(0)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    png::PngReadStatus status = png::PngReadStatus::NotPng;
    QImage image = png::DecodePng(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                  std::size_t(bytes.size()), &status);
    switch (status) {
        case png::PngReadStatus::Ok:
        case png::PngReadStatus::TooLarge:
        case png::PngReadStatus::OutOfMemory:
            handled = true;
            return image;
        case png::PngReadStatus::NotPng:
        case png::PngReadStatus::Unsupported:
        case png::PngReadStatus::Broken:
            break;
    }
    return {};
}

}  // namespace

QImage decodeFile(const QString& path) {
    if (path.isEmpty()) {
        return {};
    }
    bool handled = false;
    QImage png = decodeCommonPng(path, handled);
    if (handled) {
        return png;
    }
    return decodeFirstFrame(path);
}

QImage decodeResource(const QString& resourcePath) {
    if (!resourcePath.startsWith(QLatin1Char(':'))) {
        return {};
    }
    return decodeFirstFrame(resourcePath);
}

QImage allocateBitmap(int width, int height) {
    if (!acceptableSize(width, height)) {
        return {};
    }
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull()) {
        return {};
    }
    adviseHugePages(image);
    return image;
}

QImage newBitmap(int width, int height) {
    QImage image = allocateBitmap(width, height);
    if (!image.isNull()) {
        image.fill(Qt::transparent);
    }
    return image;
}

QImage copyArea(const QImage& image) {
    if (image.isNull()) {
        return {};
    }
    if (image.format() != QImage::Format_ARGB32) {
        return toArgb32(image);
    }
    QImage copy = allocateBitmap(image.width(), image.height());
    if (copy.isNull()) {
        return {};
    }
    const std::size_t rowBytes = std::size_t(image.width()) * sizeof(QRgb);
    for (int y = 0; y < image.height(); ++y) {
        std::memcpy(copy.scanLine(y), image.constScanLine(y), rowBytes);
    }
    return copy;
}

QImage scaledCopy(const QImage& image, int width, int height) {
    if (image.isNull() || !acceptableSize(width, height)) {
        return {};
    }
    if (width <= image.width() && height <= image.height()) {
        // Shrinking (every view picture of a photo): averaged in place, in
        // bands, without a full-size premultiplied copy.
        if (image.format() == QImage::Format_ARGB32) {
            return areaDownscale(image, width, height);
        }
        return areaDownscale(toArgb32(image), width, height);
    }
    // Qt's smooth scaling of a straight-alpha picture would weigh the colour
    // of transparent pixels; premultiplied input keeps them out.
    const QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (source.isNull()) {
        return {};
    }
    return toArgb32(source.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

AnimationFrames decodeAnimation(const QString& path) {
    AnimationFrames result;
    if (path.isEmpty()) {
        return result;
    }
    QFile file(path);
    QImageReader reader;
    int frameLimit = kUnchecked;
    if (!prepareReader(file, reader, frameLimit)) {
        return result;
    }
    const int maxFrames =
        frameLimit == kUnchecked ? kMaxAnimationFrames : std::min(frameLimit, kMaxAnimationFrames);
    qint64 totalPixels = 0;
    while (static_cast<int>(result.frames.size()) < maxFrames) {
        QImage frame;
        if (!reader.read(&frame)) {
            break;
        }
        totalPixels += qint64{frame.width()} * frame.height();
        if (totalPixels > kMaxAnimationPixels) {
            break;
        }
        frame = toArgb32(std::move(frame));
        if (frame.isNull()) {
            break;
        }
        result.frames.push_back(std::move(frame));
        result.delaysMs.push_back(std::max(0, reader.nextImageDelay()));
        if (!reader.canRead()) {
            break;
        }
    }
    return result;
}

}  // namespace quillora::imaging
