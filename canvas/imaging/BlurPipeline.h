#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// What the blur's band pipeline needs to know, shared by the builds of the
// pipeline for each instruction set.
namespace quillora::imaging::blur {

// Rows are filtered in groups of this many at once along x, so that the
// running sums along a row fill a whole vector register.
inline constexpr int kGroupRows = 4;
inline constexpr int kGroupLanes = kGroupRows * 4;
inline constexpr int kMaxFirRadius = 16;
inline constexpr int kMaxPasses = 3;

// One pass along an axis: a box of half-width radius (weights empty), or a
// symmetric filter of 2 * radius + 1 weights in 1/65536 units summing to
// 65536, each below 32768 but the centre. The filter truncates one product
// per pair of mirrored taps and one for the centre; rounding adds back half
// a unit for each.
struct Pass {
    int radius = 0;
    std::vector<uint16_t> weights;
    uint16_t rounding = 0;
};

// Premultiplied 16-bit colour: each channel times alpha, and alpha times
// 255, so 65025 is full strength in every lane.
struct BandJob {
    const Pass* passes = nullptr;
    int passCount = 0;
    int margin = 0;  // sum of the pass radii: how far a pixel reaches
    bool expandEdge = false;
    int width = 0;
    int height = 0;
    uint8_t* bits = nullptr;
    ptrdiff_t stride = 0;
    int first = 0;  // band rows [first, end)
    int end = 0;
    // Original rows the band reads but does not own (another band may
    // already have overwritten them): rows [sideFirst, sideEnd) above and
    // below the band, copied before any band started.
    const uint8_t* sideAbove = nullptr;
    int sideAboveFirst = 0;
    const uint8_t* sideBelow = nullptr;
    int sideBelowFirst = 0;
    ptrdiff_t sideStride = 0;
};

// Where each working buffer of a band lives in its scratch block (byte
// offsets, each 64-byte aligned).
struct ScratchLayout {
    int rowLanes = 0;    // 16-bit lanes per row, padded to whole vectors
    int lineLength = 0;  // positions of a row with its margins
    size_t lineA = 0, lineB = 0, zeroRow = 0, finalRow = 0;
    size_t ring[kMaxPasses] = {}, sum[kMaxPasses] = {};
    int ringRows[kMaxPasses] = {};
    size_t total = 0;
};
ScratchLayout scratchLayout(const BandJob& job);

// Blurs the band's rows in place using the scratch memory given.
void runBandAvx2(const BandJob& job, void* scratch);
void runBandGeneric(const BandJob& job, void* scratch);

}  // namespace quillora::imaging::blur
