#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <libdeflate.h>
#include <sys/resource.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "canvas/png/PngFile.h"
#include "canvas/png/PngRows.h"

namespace quillora::png {
namespace {

QImage RandomPicture(int width, int height, unsigned start) {
    std::mt19937 random(start);
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            row[x] = static_cast<std::uint32_t>(random());
        }
    }
    return image;
}

// Smooth ramps and flat areas, where the filters other than None win.
QImage GradientPicture(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::uint32_t a = x < width / 4 ? 0u : 255u;
            const std::uint32_t r = (x * 3 + y) & 0xFF;
            const std::uint32_t g = (y * 2) & 0xFF;
            const std::uint32_t b = y < height / 2 ? 40u : (x ^ y) & 0xFF;
            row[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    return image;
}

// Pixel-exact comparison of straight-alpha pictures, colour under alpha 0
// included.
::testing::AssertionResult SamePixels(const QImage& expected, const QImage& actualAnyFormat) {
    if (actualAnyFormat.isNull()) {
        return ::testing::AssertionFailure() << "the file did not decode";
    }
    const QImage actual = actualAnyFormat.convertToFormat(QImage::Format_ARGB32);
    if (actual.size() != expected.size()) {
        return ::testing::AssertionFailure() << "size " << actual.width() << "x" << actual.height();
    }
    for (int y = 0; y < expected.height(); ++y) {
        const auto* want = reinterpret_cast<const std::uint32_t*>(expected.constScanLine(y));
        const auto* got = reinterpret_cast<const std::uint32_t*>(actual.constScanLine(y));
        for (int x = 0; x < expected.width(); ++x) {
            if (want[x] != got[x]) {
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << "): " << std::hex << got[x]
                       << " instead of " << want[x];
            }
        }
    }
    return ::testing::AssertionSuccess();
}

QImage Decode(const QByteArray& png) {
    return QImage::fromData(png, "PNG");
}

std::uint32_t BigEndian(const QByteArray& bytes, qsizetype at) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.constData() + at);
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

struct Chunk {
    QByteArray type;
    QByteArray data;
    bool crcMatches = false;
};

// Splits a PNG file into its chunks, checking each CRC with a bitwise CRC-32.
std::vector<Chunk> Chunks(const QByteArray& png) {
    std::vector<Chunk> chunks;
    qsizetype at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = BigEndian(png, at);
        Chunk chunk;
        chunk.type = png.mid(at + 4, 4);
        chunk.data = png.mid(at + 8, length);
        std::uint32_t crc = 0xFFFFFFFFu;
        for (char c : png.mid(at + 4, 4 + length)) {
            crc ^= static_cast<std::uint8_t>(c);
            for (int k = 0; k < 8; ++k) {
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
            }
        }
        chunk.crcMatches = ~crc == BigEndian(png, at + 8 + length);
        chunks.push_back(chunk);
        at += 12 + length;
    }
    return chunks;
}

// The scanlines inside the IDAT chunks, inflated with zlib.
QByteArray Scanlines(const QByteArray& png, qsizetype expectedSize) {
    QByteArray stream;
    for (const Chunk& chunk : Chunks(png)) {
        if (chunk.type == "IDAT") {
            stream.append(chunk.data);
        }
    }
    QByteArray raw(expectedSize, '\0');
    uLongf rawSize = static_cast<uLongf>(raw.size());
    if (uncompress(reinterpret_cast<Bytef*>(raw.data()), &rawSize,
                   reinterpret_cast<const Bytef*>(stream.constData()),
                   static_cast<uLong>(stream.size())) != Z_OK ||
        rawSize != static_cast<uLongf>(expectedSize)) {
        return {};
    }
    return raw;
}

TEST(PngWriterTest, RandomPicturesComeBackExactly) {
    const QSize sizes[] = {{1, 1}, {1, 57}, {61, 1}, {2, 2}, {37, 23}, {300, 211}};
    unsigned start = 1;
    for (const QSize& size : sizes) {
        const QImage picture = RandomPicture(size.width(), size.height(), start++);
        PngStatus status = PngStatus::WriteFailed;
        const QByteArray png = EncodePng(picture, &status);
        EXPECT_EQ(status, PngStatus::Ok);
        EXPECT_TRUE(SamePixels(picture, Decode(png))) << size.width() << " x " << size.height();
    }
}

TEST(PngWriterTest, GradientsAndTransparencyComeBackExactly) {
    const QImage gradient = GradientPicture(513, 300);
    EXPECT_TRUE(SamePixels(gradient, Decode(EncodePng(gradient))));

    QImage clear(64, 48, QImage::Format_ARGB32);
    clear.fill(0u);
    const QImage decoded = Decode(EncodePng(clear));
    EXPECT_TRUE(SamePixels(clear, decoded));
    EXPECT_TRUE(decoded.hasAlphaChannel());
}

TEST(PngWriterTest, ManyChunksAndBandsOfALargerPicture) {
    // Random pixels do not compress, so the stream spans several IDAT chunks,
    // and the rows are filtered in several bands.
    const QImage picture = RandomPicture(700, 400, 99);
    const QByteArray png = EncodePng(picture);
    int idatChunks = 0;
    for (const Chunk& chunk : Chunks(png)) {
        EXPECT_TRUE(chunk.crcMatches) << chunk.type.constData();
        idatChunks += chunk.type == "IDAT" ? 1 : 0;
    }
    EXPECT_GT(idatChunks, 1);
    EXPECT_TRUE(SamePixels(picture, Decode(png)));
}

TEST(PngWriterTest, FileLayoutIsStandardRgba) {
    const QImage picture = GradientPicture(5, 3);
    const QByteArray png = EncodePng(picture);
    ASSERT_GE(png.size(), 8);
    EXPECT_EQ(png.left(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
    const std::vector<Chunk> chunks = Chunks(png);
    ASSERT_GE(chunks.size(), 3u);
    EXPECT_EQ(chunks.front().type, "IHDR");
    EXPECT_EQ(chunks.back().type, "IEND");
    EXPECT_TRUE(chunks.back().data.isEmpty());
    const QByteArray& header = chunks.front().data;
    ASSERT_EQ(header.size(), 13);
    EXPECT_EQ(BigEndian(header, 0), 5u);
    EXPECT_EQ(BigEndian(header, 4), 3u);
    EXPECT_EQ(header.at(8), 8);   // bits per channel
    EXPECT_EQ(header.at(9), 6);   // RGBA
    EXPECT_EQ(header.at(12), 0);  // not interlaced
    for (const Chunk& chunk : chunks) {
        EXPECT_TRUE(chunk.crcMatches) << chunk.type.constData();
    }
}

QImage OpaqueRandomPicture(int width, int height, unsigned start) {
    QImage image = RandomPicture(width, height, start);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            row[x] |= 0xFF000000u;
        }
    }
    return image;
}

// A picture without transparency is written as 8-bit RGB (colour type 2):
// three bytes a pixel, and it decodes to the same opaque pixels.
TEST(PngWriterTest, OpaquePicturesAreWrittenAsRgbAndComeBackExactly) {
    for (const QSize& size : {QSize(1, 1), QSize(5, 3), QSize(17, 9), QSize(300, 200)}) {
        const QImage picture = OpaqueRandomPicture(size.width(), size.height(), 3);
        const QByteArray png = EncodePng(picture);
        const std::vector<Chunk> chunks = Chunks(png);
        ASSERT_FALSE(chunks.empty());
        ASSERT_EQ(chunks.front().data.size(), 13);
        EXPECT_EQ(chunks.front().data.at(9), 2) << size.width();
        EXPECT_FALSE(
            Scanlines(png, qsizetype{size.height()} * (1 + 3 * qsizetype{size.width()})).isEmpty());
        EXPECT_TRUE(SamePixels(picture, Decode(png))) << size.width();
    }
    // One pixel short of opaque, in the last band: RGBA again.
    QImage picture = OpaqueRandomPicture(300, 200, 4);
    picture.setPixel(299, 199, 0xFE123456u);
    const QByteArray png = EncodePng(picture);
    EXPECT_EQ(Chunks(png).front().data.at(9), 6);
    EXPECT_TRUE(SamePixels(picture, Decode(png)));
}

TEST(PngWriterTest, SmallestSumRowsPickTheFilterThatLeavesLeast) {
    // Row 0 is flat: Sub leaves zeros after the first pixel. Row 1 repeats
    // row 0 exactly: Up leaves only zeros. Row 2 is random: nothing helps.
    QImage picture(16, 3, QImage::Format_ARGB32);
    picture.fill(0xFF102030u);
    const QImage noise = RandomPicture(16, 1, 5);
    std::memcpy(picture.scanLine(2), noise.constScanLine(0), 16 * 4);
    QByteArray raw(3 * (1 + 16 * 4), '\x7f');
    FilterRows(picture, 0, 3, reinterpret_cast<std::uint8_t*>(raw.data()), kBytesPerPixel,
               FilterChoice::SmallestSum);
    EXPECT_EQ(raw.at(0), 1);  // Sub
    EXPECT_EQ(raw.at(1), 0x10);
    EXPECT_EQ(raw.at(2), 0x20);
    EXPECT_EQ(raw.at(3), 0x30);
    EXPECT_EQ(static_cast<std::uint8_t>(raw.at(4)), 0xFF);
    EXPECT_EQ(raw.mid(5, 60), QByteArray(60, '\0'));
    EXPECT_EQ(raw.at(65), 2);  // Up
    EXPECT_EQ(raw.mid(66, 64), QByteArray(64, '\0'));
    EXPECT_TRUE(SamePixels(picture, Decode(EncodePng(picture))));
}

// A photograph-like picture that went through JPEG: smooth shapes and
// sensor noise, colour stored at half resolution.
QImage JpegPhotoPicture(int width, int height) {
    std::mt19937 random(11);
    std::normal_distribution<float> noise(0.0f, 1.5f);
    QImage photo(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const float shade = 120.0f + 50.0f * std::sin(x * 0.05f) * std::cos(y * 0.07f);
            const auto level = [&](float v) { return std::clamp(int(v + noise(random)), 0, 255); };
            out[x] = qRgb(level(shade + 20), level(shade), level(shade - 25));
        }
    }
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    photo.save(&buffer, "JPG", 92);
    QImage decoded;
    decoded.loadFromData(jpeg, "JPG");
    // Transparent on the left, as a cut-out is around its subject.
    QImage cut = decoded.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(cut.scanLine(y));
        for (int x = 0; x < width / 4; ++x) {
            out[x] = 0u;
        }
    }
    return cut;
}

// The trial rows compressed as the writer compresses them.
std::size_t TrialSize(const QImage& picture, int first, FilterChoice choice) {
    const int end = std::min(picture.height(), first + kTrialRows);
    std::vector<std::uint8_t> rows(FilteredRowBytes(picture.width()) * std::size_t(end - first));
    FilterRows(picture, first, end, rows.data(), kBytesPerPixel, choice);
    std::vector<std::uint8_t> packed(compressBound(uLong(rows.size())));
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(1);
    const std::size_t size = libdeflate_deflate_compress(compressor, rows.data(), rows.size(),
                                                         packed.data(), packed.size());
    libdeflate_free_compressor(compressor);
    return size;
}

TEST(PngWriterTest, EachBandTakesTheFilteringThatCompressesSmaller) {
    // A horizontal ramp that changes from row to row at random: Sub leaves
    // zeros, Up leaves noise.
    QImage ramps(512, 40, QImage::Format_ARGB32);
    std::mt19937 random(5);
    for (int y = 0; y < 40; ++y) {
        const int start = int(random() % 256);
        auto* out = reinterpret_cast<QRgb*>(ramps.scanLine(y));
        for (int x = 0; x < 512; ++x) {
            const int v = (start + x) & 255;
            out[x] = qRgba(v, 255 - v, (v * 3) & 255, 200);
        }
    }
    EXPECT_EQ(ChooseFilterChoice(ramps, 0, 40), FilterChoice::SmallestSum);
    EXPECT_EQ(ChooseFilterChoice(ramps, 40, 40), FilterChoice::SmallestSum);  // no rows
    EXPECT_TRUE(SamePixels(ramps, Decode(EncodePng(ramps))));

    const QImage photo = JpegPhotoPicture(640, 3 * 64);
    int upBands = 0;
    for (int first = 0; first < photo.height(); first += 64) {
        const bool upSmaller = TrialSize(photo, first, FilterChoice::AlwaysUp) <
                               TrialSize(photo, first, FilterChoice::SmallestSum);
        const FilterChoice choice = ChooseFilterChoice(photo, first, first + 64);
        EXPECT_EQ(choice, upSmaller ? FilterChoice::AlwaysUp : FilterChoice::SmallestSum) << first;
        upBands += choice == FilterChoice::AlwaysUp ? 1 : 0;
    }
    EXPECT_GT(upBands, 0);
    // Each band of the written file is filtered as chosen, and the pixels
    // come back.
    const std::size_t rowBytes = FilteredRowBytes(photo.width());
    const QByteArray png = EncodePng(photo);
    const QByteArray raw = Scanlines(png, qsizetype(rowBytes) * photo.height());
    ASSERT_FALSE(raw.isEmpty());
    for (int y = 0; y < photo.height(); ++y) {
        const bool up =
            ChooseFilterChoice(photo, y / 64 * 64, y / 64 * 64 + 64) == FilterChoice::AlwaysUp;
        if (up) {
            ASSERT_EQ(raw.at(qsizetype(rowBytes) * y), 2) << y;
        }
    }
    // Up's residual is this row minus the one above, byte by byte (RGBA).
    const int y = 70;
    const auto* row = reinterpret_cast<const QRgb*>(photo.constScanLine(y));
    const auto* above = reinterpret_cast<const QRgb*>(photo.constScanLine(y - 1));
    std::vector<std::uint8_t> up(rowBytes * 2);
    FilterRows(photo, y - 1, y + 1, up.data(), kBytesPerPixel, FilterChoice::AlwaysUp);
    EXPECT_EQ(up[rowBytes], 2);
    for (int x = 0; x < photo.width(); x += 37) {
        const std::uint8_t* px = up.data() + rowBytes + 1 + x * 4;
        EXPECT_EQ(px[0], std::uint8_t(qRed(row[x]) - qRed(above[x]))) << x;
        EXPECT_EQ(px[2], std::uint8_t(qBlue(row[x]) - qBlue(above[x]))) << x;
        EXPECT_EQ(px[3], std::uint8_t(qAlpha(row[x]) - qAlpha(above[x]))) << x;
    }
    EXPECT_TRUE(SamePixels(photo, Decode(png)));
}

TEST(PngWriterTest, OtherFormatsAreWrittenAsStraightAlpha) {
    QImage premultiplied(3, 1, QImage::Format_ARGB32_Premultiplied);
    // Alpha 0x33 (51) with premultiplied red 0x11 (17): straight red 17 * 255 / 51 = 0x55.
    premultiplied.setPixel(0, 0, 0x33110000u);
    premultiplied.setPixel(1, 0, 0xFF00FF00u);
    premultiplied.setPixel(2, 0, 0x00000000u);
    const QImage decoded = Decode(EncodePng(premultiplied)).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(decoded.isNull());
    EXPECT_EQ(decoded.pixel(0, 0), 0x33550000u);
    EXPECT_EQ(decoded.pixel(1, 0), 0xFF00FF00u);
    EXPECT_EQ(qAlpha(decoded.pixel(2, 0)), 0);

    QImage opaque(2, 2, QImage::Format_RGB32);
    opaque.fill(0xFF123456u);
    EXPECT_EQ(Decode(EncodePng(opaque)).convertToFormat(QImage::Format_ARGB32).pixel(1, 1),
              0xFF123456u);
}

TEST(PngWriterTest, NullPictureGivesNothing) {
    PngStatus status = PngStatus::Ok;
    EXPECT_TRUE(EncodePng(QImage(), &status).isEmpty());
    EXPECT_EQ(status, PngStatus::NullImage);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("none.png");
    EXPECT_EQ(WritePngFile(QImage(), path), PngStatus::NullImage);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(WritePngFile(GradientPicture(4, 4), QString()), PngStatus::NullImage);
}

TEST(PngWriterTest, FileIsWrittenAndReplaced) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("out.png");
    const QImage first = RandomPicture(40, 30, 11);
    ASSERT_EQ(WritePngFile(first, path), PngStatus::Ok);
    EXPECT_TRUE(SamePixels(first, QImage(path, "PNG")));
    const QImage second = GradientPicture(90, 20);
    ASSERT_EQ(WritePngFile(second, path), PngStatus::Ok);
    EXPECT_TRUE(SamePixels(second, QImage(path, "PNG")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"out.png"});
}

TEST(PngWriterTest, MissingFolderFails) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(WritePngFile(GradientPicture(4, 4), dir.filePath("no/such/folder/x.png")),
              PngStatus::WriteFailed);
}

// Makes every write past limit bytes fail for this process (root ignores
// file permissions, the size limit still applies), and puts it back after.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = limit;
        active_ = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    bool active() const { return active_; }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
    bool active_ = false;
};

TEST(PngWriterTest, FailedWriteLeavesTheOldFileIntact) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("keep.png");
    const QImage old = GradientPicture(8, 8);
    ASSERT_EQ(WritePngFile(old, path), PngStatus::Ok);
    QFile oldFile(path);
    ASSERT_TRUE(oldFile.open(QIODevice::ReadOnly));
    const QByteArray oldBytes = oldFile.readAll();
    oldFile.close();

    // Random pixels do not compress: far above the limit.
    const QImage large = RandomPicture(200, 200, 3);
    PngStatus status = PngStatus::Ok;
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.active());
        status = WritePngFile(large, path);
    }
    EXPECT_EQ(status, PngStatus::WriteFailed);
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), oldBytes);
    EXPECT_TRUE(SamePixels(old, QImage(path, "PNG")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.png"});
}

}  // namespace
}  // namespace quillora::png
