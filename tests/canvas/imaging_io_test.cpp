#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <unistd.h>

#include <cstdint>
#include <vector>

#include "canvas/imaging/FileIntegrity.h"
#include "canvas/imaging/Imaging.h"

namespace quillora::imaging {
namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

uint32_t crc32(const QByteArray& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= static_cast<uint8_t>(c);
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

void appendBigEndian(QByteArray& out, uint32_t v) {
    out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

// A PNG whose header claims a picture of width x height with a few bytes of
// data: what a decompression bomb looks like to the decoder.
QByteArray pngClaimingSize(uint32_t width, uint32_t height) {
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray chunk("IHDR");
    appendBigEndian(chunk, width);
    appendBigEndian(chunk, height);
    chunk.append(char(8)).append(char(6)).append(char(0)).append(char(0)).append(char(0));
    appendBigEndian(png, 13);
    png.append(chunk);
    appendBigEndian(png, crc32(chunk));
    QByteArray data("IDAT\x78\x9c\x03\x00\x00\x00\x00\x01", 12);
    appendBigEndian(png, 8);
    png.append(data);
    appendBigEndian(png, crc32(data));
    QByteArray end("IEND");
    appendBigEndian(png, 0);
    png.append(end);
    appendBigEndian(png, crc32(end));
    return png;
}

// A minimal animated GIF: 2 x 2 frames of one palette index each, with the
// given delays in hundredths of a second. The pixel codes are written
// without compression, a clear code before every pair keeping them 3 bits.
QByteArray animatedGif(const std::vector<int>& indices, const std::vector<int>& delays) {
    QByteArray gif("GIF89a", 6);
    gif.append(char(2)).append(char(0)).append(char(2)).append(char(0));
    gif.append(char(0xF1)).append(char(0)).append(char(0));  // 4-entry global palette
    const uint8_t palette[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    gif.append(reinterpret_cast<const char*>(palette), 12);
    gif.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    for (size_t f = 0; f < indices.size(); ++f) {
        gif.append("\x21\xF9\x04\x00", 4);
        gif.append(char(delays[f] & 0xFF)).append(char(delays[f] >> 8));
        gif.append(char(0)).append(char(0));
        gif.append(char(0x2C)).append(QByteArray(4, 0));
        gif.append(char(2)).append(char(0)).append(char(2)).append(char(0)).append(char(0));
        gif.append(char(2));  // minimum code size
        const int codes[] = {4, indices[f], indices[f], 4, indices[f], indices[f], 5};
        QByteArray packed;
        uint32_t bits = 0;
        int count = 0;
        for (int code : codes) {
            bits |= uint32_t(code) << count;
            count += 3;
            while (count >= 8) {
                packed.append(char(bits & 0xFF));
                bits >>= 8;
                count -= 8;
            }
        }
        if (count > 0) {
            packed.append(char(bits & 0xFF));
        }
        gif.append(char(packed.size())).append(packed).append(char(0));
    }
    gif.append(char(0x3B));
    return gif;
}

class ImagingFiles : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

TEST_F(ImagingFiles, UnreadableFilesDecodeToNull) {
    EXPECT_TRUE(decodeFile(path("missing.png")).isNull());
    EXPECT_TRUE(decodeFile(QString()).isNull());

    ASSERT_TRUE(writeAll(path("empty.png"), QByteArray()));
    EXPECT_TRUE(decodeFile(path("empty.png")).isNull());

    ASSERT_TRUE(writeAll(path("garbage.png"), QByteArray(4096, '\x5A')));
    EXPECT_TRUE(decodeFile(path("garbage.png")).isNull());

    QImage noise(64, 64, QImage::Format_ARGB32);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            noise.setPixel(x, y, qRgba(x * 37 % 256, y * 91 % 256, (x * y) % 256, 200));
        }
    }
    const QByteArray png = encodePng(noise);
    ASSERT_GT(png.size(), 1000);
    ASSERT_TRUE(writeAll(path("truncated.png"), png.left(png.size() / 2)));
    EXPECT_TRUE(decodeFile(path("truncated.png")).isNull());
}

QImage gradient(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
        }
    }
    return image;
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// The JPEG and BMP decoders fill in a cut-off end and report success; such
// files must still count as unreadable.
TEST_F(ImagingFiles, CutOffJpegAndBmpDecodeToNull) {
    const QImage picture = gradient(160, 120);
    for (const char* format : {"JPEG", "BMP"}) {
        const QByteArray whole = encoded(picture, format);
        ASSERT_GT(whole.size(), 1000) << format;
        ASSERT_TRUE(writeAll(path("whole"), whole));
        const QImage decoded = decodeFile(path("whole"));
        ASSERT_FALSE(decoded.isNull()) << format;
        EXPECT_EQ(decoded.size(), QSize(160, 120));
        for (double kept : {0.3, 0.9, 0.999}) {
            ASSERT_TRUE(writeAll(path("cut"), whole.left(int(whole.size() * kept))));
            EXPECT_TRUE(decodeFile(path("cut")).isNull()) << format << " " << kept;
        }
    }
    // Data after the end of a complete JPEG (as some cameras append) is fine.
    ASSERT_TRUE(writeAll(path("trailer.jpg"), encoded(picture, "JPEG") + QByteArray(5000, 'x')));
    EXPECT_FALSE(decodeFile(path("trailer.jpg")).isNull());
}

// A BMP header with the given size fields and no pixel data.
QByteArray bmpHeader(int32_t width, int32_t height, uint16_t bits) {
    QByteArray h(54, '\0');
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            h[at + i] = char(v >> (8 * i));
        }
    };
    h[0] = 'B';
    h[1] = 'M';
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    h[26] = 1;
    h[28] = char(bits);
    return h;
}

TEST(ImagingIntegrity, BmpSizeChecksSurviveAbsurdHeaders) {
    const auto complete = [](const QByteArray& file) {
        return bmpLooksComplete(reinterpret_cast<const uint8_t*>(file.constData()), file.size(),
                                file.size());
    };
    // 3 x 2 at 24 bits: rows of 9 bytes padded to 12.
    EXPECT_TRUE(complete(bmpHeader(3, 2, 24) + QByteArray(24, 'p')));
    EXPECT_FALSE(complete(bmpHeader(3, 2, 24) + QByteArray(23, 'p')));
    // Top-down rows (negative height) need the same bytes.
    EXPECT_TRUE(complete(bmpHeader(3, -2, 24) + QByteArray(24, 'p')));
    EXPECT_FALSE(complete(bmpHeader(3, -2, 24) + QByteArray(12, 'p')));
    // Largest sizes: no overflow, simply not there.
    EXPECT_FALSE(complete(bmpHeader(INT32_MAX, INT32_MAX, 32)));
    EXPECT_FALSE(complete(bmpHeader(INT32_MAX, INT32_MIN + 1, 64)));
}

TEST(ImagingIntegrity, JpegWalkNeedsTheEndMarker) {
    const auto complete = [](const QByteArray& bytes) {
        return jpegLooksComplete(reinterpret_cast<const uint8_t*>(bytes.constData()), bytes.size());
    };
    // Start, one segment, a scan whose data holds a stuffed byte and a
    // restart marker, then the end.
    const QByteArray head(
        "\xFF\xD8\xFF\xE0\x00\x04"
        "ab\xFF\xDA\x00\x02",
        12);
    const QByteArray data("\x12\xFF\x00\x34\xFF\xD3\x56", 7);
    EXPECT_TRUE(complete(head + data + QByteArray("\xFF\xD9", 2)));
    EXPECT_FALSE(complete(head + data));
    EXPECT_FALSE(complete(head + data.left(2)));
    // A segment length pointing past the end.
    EXPECT_FALSE(complete(QByteArray("\xFF\xD8\xFF\xE1\x7F\xFF", 6)));
}

TEST_F(ImagingFiles, HugeClaimedSizeIsRefusedWithoutDecoding) {
    ASSERT_TRUE(writeAll(path("bomb.png"), pngClaimingSize(100000, 100000)));
    EXPECT_TRUE(decodeFile(path("bomb.png")).isNull());
    EXPECT_TRUE(decodeAnimation(path("bomb.png")).frames.empty());
}

TEST_F(ImagingFiles, PaletteAndGreyscaleBecomeArgb32) {
    QImage indexed(3, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgba(10, 20, 30, 255), qRgba(200, 100, 50, 128), qRgba(0, 0, 0, 0)});
    for (int x = 0; x < 3; ++x) {
        indexed.setPixel(x, 0, uint(x));
    }
    ASSERT_TRUE(indexed.save(path("palette.png"), "PNG"));
    const QImage fromPalette = decodeFile(path("palette.png"));
    ASSERT_EQ(fromPalette.format(), QImage::Format_ARGB32);
    EXPECT_EQ(fromPalette.pixel(0, 0), 0xFF0A141Eu);
    EXPECT_EQ(fromPalette.pixel(1, 0), 0x80C86432u);
    EXPECT_EQ(qAlpha(fromPalette.pixel(2, 0)), 0);

    QImage grey(2, 1, QImage::Format_Grayscale8);
    grey.scanLine(0)[0] = 17;
    grey.scanLine(0)[1] = 240;
    ASSERT_TRUE(grey.save(path("grey.png"), "PNG"));
    const QImage fromGrey = decodeFile(path("grey.png"));
    ASSERT_EQ(fromGrey.format(), QImage::Format_ARGB32);
    EXPECT_EQ(fromGrey.pixel(0, 0), 0xFF111111u);
    EXPECT_EQ(fromGrey.pixel(1, 0), 0xFFF0F0F0u);

    QImage rgb(2, 2, QImage::Format_RGB888);
    rgb.fill(QColor(1, 2, 3));
    ASSERT_TRUE(rgb.save(path("photo.jpg"), "JPEG", 100));
    const QImage fromJpeg = decodeFile(path("photo.jpg"));
    ASSERT_EQ(fromJpeg.format(), QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(fromJpeg.pixel(1, 1)), 255);
}

TEST_F(ImagingFiles, AnimationGivesEveryFrameWithItsDelay) {
    ASSERT_TRUE(writeAll(path("spin.gif"), animatedGif({0, 1, 2}, {10, 25, 0})));
    const AnimationFrames animation = decodeAnimation(path("spin.gif"));
    ASSERT_EQ(animation.frames.size(), 3u);
    ASSERT_EQ(animation.delaysMs.size(), 3u);
    EXPECT_EQ(animation.delaysMs[0], 100);
    EXPECT_EQ(animation.delaysMs[1], 250);
    EXPECT_EQ(animation.frames[0].pixel(1, 1), 0xFFFF0000u);
    EXPECT_EQ(animation.frames[1].pixel(0, 0), 0xFF00FF00u);
    EXPECT_EQ(animation.frames[2].pixel(1, 0), 0xFF0000FFu);
    for (const QImage& frame : animation.frames) {
        EXPECT_EQ(frame.format(), QImage::Format_ARGB32);
    }
    // A plain decode gives the first frame only.
    const QImage first = decodeFile(path("spin.gif"));
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.pixel(0, 1), 0xFFFF0000u);

    EXPECT_TRUE(decodeAnimation(path("missing.gif")).frames.empty());

    // Cut inside the first frame's data: nothing decodes.
    const QByteArray gif = animatedGif({0, 1, 2}, {10, 25, 0});
    ASSERT_TRUE(writeAll(path("cut.gif"), gif.left(66)));
    EXPECT_TRUE(decodeFile(path("cut.gif")).isNull());
    EXPECT_TRUE(decodeAnimation(path("cut.gif")).frames.empty());

    // Cut inside the third frame: the two whole frames remain. Each frame
    // of this file takes 24 bytes after a 44-byte start.
    ASSERT_EQ(gif.size(), 44 + 3 * 24 + 1);
    ASSERT_TRUE(writeAll(path("two.gif"), gif.left(44 + 2 * 24 + 10)));
    const AnimationFrames two = decodeAnimation(path("two.gif"));
    EXPECT_EQ(two.frames.size(), 2u);
    EXPECT_EQ(two.delaysMs.size(), 2u);
    EXPECT_FALSE(decodeFile(path("two.gif")).isNull());
}

TEST(ImagingBitmaps, NewBitmapIsTransparentAndRefusesBadSizes) {
    const QImage bitmap = newBitmap(3, 2);
    ASSERT_EQ(bitmap.format(), QImage::Format_ARGB32);
    ASSERT_EQ(bitmap.size(), QSize(3, 2));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(bitmap.pixel(x, y), 0u);
        }
    }
    EXPECT_TRUE(newBitmap(0, 5).isNull());
    EXPECT_TRUE(newBitmap(5, -1).isNull());
    EXPECT_TRUE(newBitmap(1 << 30, 1 << 30).isNull());
    EXPECT_TRUE(newBitmap(int(kMaxPixels / 1000) + 1, 1000).isNull());
}

TEST(ImagingBitmaps, CopyIsIndependentAndArgb32) {
    QImage original = newBitmap(2, 2);
    original.setPixel(0, 0, 0x80112233u);
    QImage copy = copyArea(original);
    copy.setPixel(0, 0, 0xFFFFFFFFu);
    EXPECT_EQ(original.pixel(0, 0), 0x80112233u);

    QImage rgb(2, 2, QImage::Format_RGB32);
    rgb.fill(0xFF445566u);
    const QImage fromRgb = copyArea(rgb);
    EXPECT_EQ(fromRgb.format(), QImage::Format_ARGB32);
    EXPECT_EQ(fromRgb.pixel(1, 1), 0xFF445566u);
    EXPECT_TRUE(copyArea(QImage()).isNull());
}

TEST(ImagingBitmaps, ScaledCopyHasTheAskedSizeAndNoDarkFringe) {
    QImage source = newBitmap(10, 10);
    for (int x = 0; x < 5; ++x) {
        for (int y = 0; y < 10; ++y) {
            source.setPixel(x, y, 0xFFFFFFFFu);
        }
    }
    const QImage smaller = scaledCopy(source, 3, 7);
    ASSERT_EQ(smaller.size(), QSize(3, 7));
    EXPECT_EQ(smaller.format(), QImage::Format_ARGB32);
    const QImage larger = scaledCopy(source, 25, 4);
    ASSERT_EQ(larger.size(), QSize(25, 4));
    // Where white meets transparent black, the blend must stay white with
    // partial alpha, never grey.
    bool sawPartial = false;
    for (const QImage* image : {&smaller, &larger}) {
        for (int y = 0; y < image->height(); ++y) {
            for (int x = 0; x < image->width(); ++x) {
                const QRgb p = image->pixel(x, y);
                if (qAlpha(p) > 16) {
                    EXPECT_GE(qRed(p), 250) << x << "," << y;
                    EXPECT_GE(qBlue(p), 250) << x << "," << y;
                }
                sawPartial = sawPartial || (qAlpha(p) > 0 && qAlpha(p) < 255);
            }
        }
    }
    EXPECT_TRUE(sawPartial);
    EXPECT_TRUE(scaledCopy(source, 0, 4).isNull());
    EXPECT_TRUE(scaledCopy(source, 4, -3).isNull());
    EXPECT_TRUE(scaledCopy(QImage(), 4, 4).isNull());
}

TEST_F(ImagingFiles, PngKeepsStraightAlphaExactly) {
    QImage picture = newBitmap(4, 3);
    const QRgb colours[] = {0x00FF8040u, 0x01FFFFFFu, 0x7F123456u, 0xFFABCDEFu, 0x40000000u};
    for (int i = 0; i < 12; ++i) {
        picture.setPixel(i % 4, i / 4, colours[i % 5]);
    }
    ASSERT_TRUE(hasPngEncoder());
    const QByteArray png = encodePng(picture);
    ASSERT_TRUE(png.startsWith("\x89PNG"));
    ASSERT_TRUE(savePng(picture, path("out.png")));
    EXPECT_EQ(readAll(path("out.png")), png);
    const QImage back = decodeFile(path("out.png"));
    ASSERT_EQ(back.size(), picture.size());
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(back.pixel(i % 4, i / 4), picture.pixel(i % 4, i / 4)) << i;
    }
    EXPECT_TRUE(encodePng(QImage()).isEmpty());
}

TEST_F(ImagingFiles, FailedSaveLeavesTheExistingFileIntact) {
    const QByteArray old("previous contents");
    ASSERT_TRUE(writeAll(path("keep.png"), old));
    EXPECT_FALSE(savePng(QImage(), path("keep.png")));
    EXPECT_EQ(readAll(path("keep.png")), old);

    // A folder in the way cannot be replaced by a file.
    ASSERT_TRUE(QDir(dir_.path()).mkpath("taken.png/inside"));
    EXPECT_FALSE(savePng(newBitmap(2, 2), path("taken.png")));
    EXPECT_TRUE(QDir(path("taken.png/inside")).exists());

    EXPECT_FALSE(savePng(newBitmap(2, 2), path("no/such/folder/out.png")));

    // No stray temporary files are left behind.
    const QStringList left = QDir(dir_.path()).entryList(QDir::Files);
    EXPECT_EQ(left, QStringList{"keep.png"});
}

TEST_F(ImagingFiles, SaveIntoReadOnlyFolderFailsAndKeepsTheFile) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "folder permissions do not bind the superuser";
    }
    QDir(dir_.path()).mkdir("locked");
    const QString target = path("locked/keep.png");
    ASSERT_TRUE(writeAll(target, "old"));
    QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(savePng(newBitmap(2, 2), target));
    QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readAll(target), QByteArray("old"));
}

TEST(ImagingColours, ColourReferenceSwapsRedAndBlue) {
    EXPECT_EQ(colourRefToArgb(0x00332211u), 0xFF112233u);
    EXPECT_EQ(colourRefToArgb(0x00332211u, 0x00), 0x00112233u);
    EXPECT_EQ(colourRefToArgb(0x000000FFu), 0xFFFF0000u);
    EXPECT_EQ(swapRedBlue(0x80102030u), 0x80302010u);
    EXPECT_EQ(swapRedBlue(0xFFFFFFFFu), 0xFFFFFFFFu);
    EXPECT_EQ(swapRedBlue(swapRedBlue(0x12345678u)), 0x12345678u);
}

}  // namespace
}  // namespace quillora::imaging
