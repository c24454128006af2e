#include <array>
#include <cmath>
#include <cstdint>

#include "canvas/imaging/Effects.h"
#include "canvas/imaging/RowBands.h"

namespace quillora::imaging {

namespace {

constexpr int kMaxBrightness = 255;
constexpr int kMaxContrast = 100;
constexpr double kMidGrey = 127.5;

using LevelTable = std::array<uint8_t, 256>;

// Brightness first (a shift, clamped), then contrast about mid-grey. Both
// steps act on each of red, green and blue alone, so one table serves all
// three.
LevelTable levelTable(int brightness, int contrast) {
    LevelTable table{};
    for (int v = 0; v < 256; ++v) {
        const int shifted = std::clamp(v + brightness, 0, 255);
        int result = shifted;
        if (contrast == kMaxContrast) {
            result = shifted > kMidGrey ? 255 : 0;
        } else if (contrast != 0) {
            const double factor =
                contrast < 0 ? (100.0 + contrast) / 100.0 : 100.0 / (100.0 - contrast);
            const double scaled = std::floor((shifted - kMidGrey) * factor + kMidGrey + 0.5);
            result = static_cast<int>(std::clamp(scaled, 0.0, 255.0));
        }
        table[v] = static_cast<uint8_t>(result);
    }
    return table;
}

void applyRow(const LevelTable& table, uint32_t* row, int width) {
    for (int x = 0; x < width; ++x) {
        const uint32_t p = row[x];
        row[x] = (p & 0xFF000000u) | (uint32_t{table[(p >> 16) & 0xFF]} << 16) |
                 (uint32_t{table[(p >> 8) & 0xFF]} << 8) | table[p & 0xFF];
    }
}

}  // namespace

bool brightnessContrast(QImage& image, int brightness, int contrast) {
    if (image.isNull() || image.format() != QImage::Format_ARGB32 ||
        std::abs(brightness) > kMaxBrightness || std::abs(contrast) > kMaxContrast) {
        return false;
    }
    if (brightness == 0 && contrast == 0) {
        return true;
    }
    const LevelTable table = levelTable(brightness, contrast);
    const int width = image.width();
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    return forEachRowBand(image, [&](int first, int end) {
        for (int y = first; y < end; ++y) {
            applyRow(table, reinterpret_cast<uint32_t*>(bits + y * stride), width);
        }
    });
}

}  // namespace quillora::imaging
