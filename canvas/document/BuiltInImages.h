#pragma once

namespace quillora::canvas {

// Pictures compiled into the program (canvas/resources). The checker tile is
// a 16 x 16 tile of four 8 x 8 squares, grey 0xCCCCCC at top-left and
// bottom-right, white at the other two; the loading animation is a looping
// 128 x 128 spinner of 12 frames.
inline constexpr const char* kCheckerTileResource = ":/canvas/checker.png";
inline constexpr const char* kLoadingAnimationResource = ":/canvas/loading.gif";

}  // namespace quillora::canvas
