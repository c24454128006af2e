#pragma once

#include <QImage>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The picture as PNG scanlines: 8-bit RGBA (or RGB), each row led by its
// filter type.
namespace quillora::png {

// PNG filter types.
enum class RowFilter : std::uint8_t { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4 };

inline constexpr int kFilterCount = 5;
// Bytes of a pixel: 8-bit RGBA, or 8-bit RGB for a picture without any
// transparency (it decodes to the same pixels, every one opaque).
inline constexpr int kBytesPerPixel = 4;
inline constexpr int kRgbBytesPerPixel = 3;

// Bytes of one filtered scanline: the filter type byte and the pixels.
inline std::size_t FilteredRowBytes(int width, int bytesPerPixel = kBytesPerPixel) {
    return std::size_t{1} + std::size_t(width) * std::size_t(bytesPerPixel);
}

// How the rows of a band get their filters.
enum class FilterChoice : std::uint8_t {
    // Each row the filter whose output has the smallest sum of magnitudes
    // (bytes read as signed), libpng's choice: it keeps smooth gradients and
    // flat areas small.
    SmallestSum,
    // Up for every row. Photographs that went through JPEG (colour kept at
    // half resolution, then smoothed back up) often compress best this way
    // although Up's sum of magnitudes is larger: the residuals of
    // neighbouring rows and channels repeat, which the compressor's matches
    // find and a sum of magnitudes cannot see.
    AlwaysUp,
};

// Rows [first, end) of an ARGB32 picture, turned into RGBA and filtered,
// written one after another from out, each led by its filter type. Reads
// row first - 1 when first > 0; rows are independent otherwise, so bands of
// rows may be filtered on different threads.
// bytesPerPixel 3 leaves the alpha out (for a wholly opaque picture).
void FilterRows(const QImage& image, int first, int end, std::uint8_t* out,
                int bytesPerPixel = kBytesPerPixel,
                FilterChoice choice = FilterChoice::SmallestSum);

// Rows of a band whose two filterings are compressed to choose between them.
inline constexpr int kTrialRows = 4;

// The choice for the band [first, end): its first kTrialRows rows are
// filtered both ways and compressed as the writer compresses them; the one
// that comes out smaller wins (SmallestSum on a tie or a failure). Depends
// on the pixels alone, so any thread gives the same answer.
FilterChoice ChooseFilterChoice(const QImage& image, int first, int end,
                                int bytesPerPixel = kBytesPerPixel);

// True when every pixel of an ARGB32 picture has alpha 255.
bool IsOpaque(const QImage& image);

// One row of every filter and the cost of each (sum of magnitudes). cur and
// prev are rows of rowBytes bytes with pixels of bytesPerPixel bytes (prev
// all zero for the top row).
// residuals[f] receives filter f's output without the type byte. The vector
// version and the plain one must agree exactly; the tests compare them.
struct RowCandidates {
    std::array<std::vector<std::uint8_t>, kFilterCount> residuals;
    std::array<std::uint64_t, kFilterCount> costs{};
};
void FilterCandidates(const std::uint8_t* cur, const std::uint8_t* prev, std::size_t rowBytes,
                      RowCandidates& out, int bytesPerPixel = kBytesPerPixel);
void FilterCandidatesPlain(const std::uint8_t* cur, const std::uint8_t* prev, std::size_t rowBytes,
                           RowCandidates& out, int bytesPerPixel = kBytesPerPixel);

// The filter FilterRows picks from a row's candidates (the cheapest; on a
// tie the lower type number).
RowFilter CheapestFilter(const RowCandidates& candidates);

}  // namespace quillora::png
