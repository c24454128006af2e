#include <gtest/gtest.h>
#include <zlib.h>

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "canvas/imaging/Imaging.h"
#include "canvas/png/PngFile.h"
#include "canvas/png/PngReader.h"
#include "canvas/png/PngRows.h"
#include "canvas/png/PngUnfilter.h"

namespace quillora::png {
namespace {

using Bytes = std::vector<std::uint8_t>;

// ---------------------------------------------------------------------------
// Files put together here with zlib, independently of the program's writer.

void PutBigEndian(Bytes& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v >> 24));
    out.push_back(std::uint8_t(v >> 16));
    out.push_back(std::uint8_t(v >> 8));
    out.push_back(std::uint8_t(v));
}

void PutChunk(Bytes& out, const char* type, const Bytes& body) {
    PutBigEndian(out, std::uint32_t(body.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    const uLong crc = crc32(0, out.data() + typeAt, uInt(body.size() + 4));
    PutBigEndian(out, std::uint32_t(crc));
}

Bytes Header(std::uint32_t width, std::uint32_t height, std::uint8_t colourType,
             std::uint8_t bitDepth = 8, std::uint8_t interlace = 0) {
    Bytes h;
    PutBigEndian(h, width);
    PutBigEndian(h, height);
    h.insert(h.end(), {bitDepth, colourType, 0, 0, interlace});
    return h;
}

Bytes Compress(const Bytes& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size);
    EXPECT_EQ(compress2(out.data(), &size, raw.data(), uLong(raw.size()), 6), Z_OK);
    out.resize(size);
    return out;
}

struct PngParts {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t colourType = 6;
    Bytes filtered;  // rows, each led by its filter type
    std::size_t idatPieces = 1;
    std::vector<std::pair<std::string, Bytes>> beforeData;  // chunks after IHDR
    std::vector<std::pair<std::string, Bytes>> afterData;   // chunks before IEND
    bool withEnd = true;
};

Bytes Assemble(const PngParts& parts) {
    Bytes file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(file, "IHDR", Header(parts.width, parts.height, parts.colourType));
    for (const auto& [type, body] : parts.beforeData) {
        PutChunk(file, type.c_str(), body);
    }
    const Bytes stream = Compress(parts.filtered);
    const std::size_t piece = (stream.size() + parts.idatPieces - 1) / parts.idatPieces;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
        const std::size_t end = std::min(stream.size(), at + piece);
        PutChunk(file, "IDAT", Bytes(stream.begin() + long(at), stream.begin() + long(end)));
    }
    for (const auto& [type, body] : parts.afterData) {
        PutChunk(file, type.c_str(), body);
    }
    if (parts.withEnd) {
        PutChunk(file, "IEND", {});
    }
    return file;
}

// Random pixels (smooth where asked, so every filter gets chosen somewhere)
// filtered row by row with filter types cycling through all five.
PngParts RandomPicture(std::uint32_t width, std::uint32_t height, std::uint8_t colourType,
                       unsigned start) {
    const int channels = colourType == 0 ? 1 : colourType == 4 ? 2 : colourType == 2 ? 3 : 4;
    std::mt19937 random(start);
    const std::size_t rowBytes = std::size_t(width) * channels;
    Bytes previous(rowBytes, 0);
    PngParts parts;
    parts.width = width;
    parts.height = height;
    parts.colourType = colourType;
    for (std::uint32_t y = 0; y < height; ++y) {
        Bytes row(rowBytes);
        for (std::size_t i = 0; i < rowBytes; ++i) {
            // Small ranges make Paeth's ties common.
            row[i] = y % 3 == 0 ? std::uint8_t(random() % 3) : std::uint8_t(random());
        }
        RowCandidates candidates;
        FilterCandidatesPlain(row.data(), previous.data(), rowBytes, candidates, channels);
        const int filter = int(y % kFilterCount);
        parts.filtered.push_back(std::uint8_t(filter));
        parts.filtered.insert(parts.filtered.end(), candidates.residuals[filter].begin(),
                              candidates.residuals[filter].end());
        previous = row;
    }
    return parts;
}

QImage Decode(const Bytes& file, PngReadStatus* status) {
    return DecodePng(file.data(), file.size(), status);
}

QImage DecodeWithQt(const Bytes& file) {
    QByteArray bytes(reinterpret_cast<const char*>(file.data()), qsizetype(file.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

::testing::AssertionResult SamePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.format() != b.format()) {
        return ::testing::AssertionFailure() << "size or format differs";
    }
    for (int y = 0; y < a.height(); ++y) {
        const auto* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (ra[x] != rb[x]) {
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") "
                                                     << std::hex << ra[x] << " vs " << rb[x];
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// ---------------------------------------------------------------------------

TEST(PngUnfilterTest, UndoesEveryFilterForEveryPixelSize) {
    std::mt19937 random(11);
    for (int bpp : {1, 2, 3, 4, 8}) {
        for (std::size_t pixels : {std::size_t(1), std::size_t(2), std::size_t(37)}) {
            const std::size_t rowBytes = pixels * std::size_t(bpp);
            Bytes prior(rowBytes), row(rowBytes);
            for (int round = 0; round < 20; ++round) {
                for (auto& b : prior)
                    b = std::uint8_t(round % 2 ? random() : random() % 4);
                for (auto& b : row)
                    b = std::uint8_t(round % 2 ? random() : random() % 4);
                RowCandidates candidates;
                FilterCandidatesPlain(row.data(), prior.data(), rowBytes, candidates, bpp);
                for (int f = 0; f < kFilterCount; ++f) {
                    Bytes fast = candidates.residuals[f];
                    Bytes plain = candidates.residuals[f];
                    ASSERT_TRUE(
                        UnfilterRow(std::uint8_t(f), fast.data(), prior.data(), rowBytes, bpp));
                    ASSERT_TRUE(UnfilterRowPlain(std::uint8_t(f), plain.data(), prior.data(),
                                                 rowBytes, bpp));
                    EXPECT_EQ(fast, row) << "filter " << f << ", " << bpp << " bytes per pixel";
                    EXPECT_EQ(plain, row) << "filter " << f << ", " << bpp << " bytes per pixel";
                }
            }
        }
    }
}

TEST(PngUnfilterTest, UnknownFilterTypeIsRefused) {
    Bytes row(8, 1), prior(8, 2);
    EXPECT_FALSE(UnfilterRow(5, row.data(), prior.data(), row.size(), 4));
    EXPECT_FALSE(UnfilterRowPlain(255, row.data(), prior.data(), row.size(), 4));
}

TEST(PngReaderTest, EveryColourTypeDecodesLikeQt) {
    for (std::uint8_t colourType :
         {std::uint8_t(0), std::uint8_t(2), std::uint8_t(4), std::uint8_t(6)}) {
        for (std::uint32_t width : {1u, 3u, 64u}) {
            PngParts parts = RandomPicture(width, 23, colourType, width * 7 + colourType);
            parts.idatPieces = 3;
            const Bytes file = Assemble(parts);
            PngReadStatus status = PngReadStatus::Broken;
            const QImage mine = Decode(file, &status);
            ASSERT_EQ(status, PngReadStatus::Ok) << "colour type " << int(colourType);
            EXPECT_EQ(mine.format(), QImage::Format_ARGB32);
            EXPECT_TRUE(SamePixels(mine, DecodeWithQt(file)))
                << "colour type " << int(colourType) << ", width " << width;
        }
    }
}

TEST(PngReaderTest, ReadsBackWhatTheWriterWritesAndWhatQtWrites) {
    QImage picture(301, 97, QImage::Format_ARGB32);
    std::mt19937 random(5);
    for (int y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const int smooth = (x * 3 + y * 2) & 0xFF;
            row[x] =
                qRgba(smooth, int(random() & 0xFF), 255 - smooth, x % 50 == 0 ? 0 : (x + y) & 0xFF);
        }
    }
    QImage opaque =
        picture.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_ARGB32);
    for (const QImage& source : {picture, opaque}) {
        const QByteArray ours = EncodePng(source);
        PngReadStatus status = PngReadStatus::Broken;
        const QImage back = DecodePng(reinterpret_cast<const std::uint8_t*>(ours.constData()),
                                      std::size_t(ours.size()), &status);
        ASSERT_EQ(status, PngReadStatus::Ok);
        EXPECT_TRUE(SamePixels(back, source));

        QByteArray qts;
        QBuffer buffer(&qts);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(QImageWriter(&buffer, "png").write(source));
        const QImage fromQt = DecodePng(reinterpret_cast<const std::uint8_t*>(qts.constData()),
                                        std::size_t(qts.size()), &status);
        ASSERT_EQ(status, PngReadStatus::Ok);
        EXPECT_TRUE(SamePixels(fromQt, source));
    }
}

TEST(PngReaderTest, FilesItLeavesToQtAreStillDecodedByDecodeFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    PngParts keyed = RandomPicture(9, 5, 2, 3);
    keyed.beforeData.push_back({"tRNS", {0, 1, 0, 2, 0, 3}});
    PngParts profiled = RandomPicture(9, 5, 6, 4);
    profiled.beforeData.push_back({"gAMA", {0, 0, 0xB1, 0x8F}});
    QImage palette(7, 4, QImage::Format_Indexed8);
    palette.setColorTable({qRgb(255, 0, 0), qRgba(0, 0, 255, 128)});
    palette.fill(1);
    QImage grey16(7, 4, QImage::Format_Grayscale16);
    grey16.fill(Qt::gray);

    std::vector<Bytes> files{Assemble(keyed), Assemble(profiled)};
    for (const QImage& image : {palette, grey16}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(QImageWriter(&buffer, "png").write(image));
        files.emplace_back(bytes.begin(), bytes.end());
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        PngReadStatus status = PngReadStatus::Ok;
        EXPECT_TRUE(Decode(files[i], &status).isNull());
        EXPECT_EQ(status, PngReadStatus::Unsupported) << "file " << i;
        const QString path = dir.filePath(QStringLiteral("f%1.png").arg(i));
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(reinterpret_cast<const char*>(files[i].data()), qint64(files[i].size()));
        out.close();
        const QImage decoded = imaging::decodeFile(path);
        ASSERT_FALSE(decoded.isNull()) << "file " << i;
        EXPECT_TRUE(SamePixels(decoded, DecodeWithQt(files[i]))) << "file " << i;
    }
}

TEST(PngReaderTest, DamagedFilesAreRefusedWithoutReadingOutside) {
    const Bytes good = Assemble(RandomPicture(40, 30, 6, 9));
    // Cut short anywhere before the end chunk: refused, never read past.
    for (std::size_t length = 0; length + 12 <= good.size(); length += 7) {
        const Bytes cut(good.begin(), good.begin() + long(length));
        PngReadStatus status = PngReadStatus::Ok;
        EXPECT_TRUE(Decode(cut, &status).isNull());
        EXPECT_NE(status, PngReadStatus::Ok) << "cut at " << length;
    }
    // Any flipped byte after the signature fails a check; it never crashes.
    std::mt19937 random(3);
    for (int round = 0; round < 300; ++round) {
        Bytes damaged = good;
        const std::size_t at = 8 + random() % (damaged.size() - 8);
        damaged[at] ^= std::uint8_t(1 + random() % 255);
        PngReadStatus status = PngReadStatus::Ok;
        const QImage image = Decode(damaged, &status);
        if (status == PngReadStatus::Ok) {
            // Only an ancillary-looking change can pass; the pixels are whole.
            EXPECT_TRUE(SamePixels(image, Decode(good, nullptr))) << "byte " << at;
        }
    }
}

TEST(PngReaderTest, BadStructureIsBrokenAndHugeSizesAreRefusedBeforeAllocating) {
    PngParts parts = RandomPicture(8, 6, 6, 1);
    PngReadStatus status = PngReadStatus::Ok;

    PngParts noEnd = parts;
    noEnd.withEnd = false;
    Decode(Assemble(noEnd), &status);
    EXPECT_EQ(status, PngReadStatus::Broken);

    PngParts split = parts;
    split.idatPieces = 2;
    Decode(Assemble(split), &status);
    EXPECT_EQ(status, PngReadStatus::Ok);
    {
        // Move the second IDAT after a text chunk: data chunks must follow each other.
        const Bytes stream = Compress(parts.filtered);
        Bytes f{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        PutChunk(f, "IHDR", Header(8, 6, 6));
        PutChunk(f, "IDAT", Bytes(stream.begin(), stream.begin() + long(stream.size() / 2)));
        PutChunk(f, "tEXt", {'a', 0, 'b'});
        PutChunk(f, "IDAT", Bytes(stream.begin() + long(stream.size() / 2), stream.end()));
        PutChunk(f, "IEND", {});
        Decode(f, &status);
        EXPECT_EQ(status, PngReadStatus::Broken);
    }
    PngParts badFilter = parts;
    badFilter.filtered[(8 * 4 + 1) * 2] = 5;  // third row's filter type
    Decode(Assemble(badFilter), &status);
    EXPECT_EQ(status, PngReadStatus::Broken);

    PngParts extra = parts;  // more inflated bytes than the rows need
    extra.filtered.push_back(0);
    Decode(Assemble(extra), &status);
    EXPECT_EQ(status, PngReadStatus::Broken);

    PngParts missingRow = parts;
    missingRow.filtered.resize(missingRow.filtered.size() - 33);
    Decode(Assemble(missingRow), &status);
    EXPECT_EQ(status, PngReadStatus::Broken);

    for (auto [w, h, expected] :
         {std::tuple{0u, 5u, PngReadStatus::Broken}, std::tuple{5u, 0u, PngReadStatus::Broken},
          std::tuple{0x80000000u, 1u, PngReadStatus::Broken},
          std::tuple{100000u, 100000u, PngReadStatus::TooLarge},
          // Left to Qt's row-by-row reader, which needs half the memory.
          std::tuple{16384u, 8192u, PngReadStatus::Unsupported}}) {
        Bytes huge{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        PutChunk(huge, "IHDR", Header(w, h, 6));
        PutChunk(huge, "IDAT", Compress(Bytes(16, 0)));
        PutChunk(huge, "IEND", {});
        Decode(huge, &status);
        EXPECT_EQ(status, expected) << w << " x " << h;
    }

    Bytes notPng = Assemble(parts);
    notPng[1] = 'Q';
    Decode(notPng, &status);
    EXPECT_EQ(status, PngReadStatus::NotPng);
    EXPECT_TRUE(DecodePng(nullptr, 0, &status).isNull());
    EXPECT_EQ(status, PngReadStatus::NotPng);
}

}  // namespace
}  // namespace quillora::png
