#pragma once

#include <cstdint>
#include <vector>

namespace quillora::canvas {

// One piece of a refinement stroke, in image pixels. A press-drag-release
// makes one group of records; undo and redo switch whole groups on and off.
struct StrokeRecord {
    float x1 = 0.0f;  // start point, or the centre of a dot
    float y1 = 0.0f;
    float x2 = 0.0f;  // end point; 0 for a dot
    float y2 = 0.0f;
    std::int32_t size = 0;       // brush diameter in image pixels
    std::int32_t isSegment = 0;  // 1: segment from (x1, y1) to (x2, y2); 0: dot at (x1, y1)
    std::int32_t group = 0;      // 0 for the first press-drag-release, then 1, 2, ...
    std::uint8_t kind = 0;       // kStrokeAdd or kStrokeErase
    std::uint8_t enabled = 1;    // 0 once undone
};

inline constexpr std::uint8_t kStrokeErase = 0;
inline constexpr std::uint8_t kStrokeAdd = 1;

// Group filter meaning "every group".
inline constexpr std::uint32_t kAllGroups = 0xFFFFFFFFu;

using StrokeList = std::vector<StrokeRecord>;

inline StrokeRecord MakeSegment(float x1, float y1, float x2, float y2, int size, int group,
                                std::uint8_t kind) {
    return {x1, y1, x2, y2, size, 1, group, kind, 1};
}

inline StrokeRecord MakeDot(float x, float y, int size, int group, std::uint8_t kind) {
    return {x, y, 0.0f, 0.0f, size, 0, group, kind, 1};
}

}  // namespace quillora::canvas
