#pragma once

#include <QImage>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The picture as PNG scanlines: 8-bit RGBA, each row led by its filter type.
namespace quillora::png {

// PNG filter types.
enum class RowFilter : std::uint8_t { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4 };

inline constexpr int kFilterCount = 5;
inline constexpr int kBytesPerPixel = 4;

// Bytes of one filtered scanline: the filter type byte and the pixels.
inline std::size_t FilteredRowBytes(int width) {
    return std::size_t{1} + std::size_t(width) * kBytesPerPixel;
}

// Rows [first, end) of an ARGB32 picture, turned into RGBA and filtered,
// written one after another from out. Each row gets the filter whose output
// has the smallest sum of magnitudes (bytes read as signed), the choice
// libpng makes, which keeps smooth gradients and flat areas small. Reads
// row first - 1 when first > 0; rows are independent otherwise, so bands of
// rows may be filtered on different threads.
void FilterRows(const QImage& image, int first, int end, std::uint8_t* out);

// One row of every filter and the cost of each (sum of magnitudes). cur and
// prev are RGBA rows of rowBytes bytes (prev all zero for the top row).
// residuals[f] receives filter f's output without the type byte. The vector
// version and the plain one must agree exactly; the tests compare them.
struct RowCandidates {
    std::array<std::vector<std::uint8_t>, kFilterCount> residuals;
    std::array<std::uint64_t, kFilterCount> costs{};
};
void FilterCandidates(const std::uint8_t* cur, const std::uint8_t* prev, std::size_t rowBytes,
                      RowCandidates& out);
void FilterCandidatesPlain(const std::uint8_t* cur, const std::uint8_t* prev, std::size_t rowBytes,
                           RowCandidates& out);

// The filter FilterRows picks from a row's candidates (the cheapest; on a
// tie the lower type number).
RowFilter CheapestFilter(const RowCandidates& candidates);

}  // namespace quillora::png
