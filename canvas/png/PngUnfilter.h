#pragma once

#include <cstddef>
#include <cstdint>

// Undoing PNG's row filters: each decoded scanline is turned back into its
// pixel bytes from the filtered bytes and the row above.
namespace quillora::png {

// Restores one row in place. row holds rowBytes filtered bytes (without the
// type byte), prior the restored row above (all zero for the top row);
// bytesPerPixel is 1 to 8. False for a filter type other than 0 to 4.
bool UnfilterRow(std::uint8_t filterType, std::uint8_t* row, const std::uint8_t* prior,
                 std::size_t rowBytes, int bytesPerPixel);

// The same with plain byte arithmetic only. UnfilterRow takes vector paths
// for some pixel sizes; the two must agree exactly, the tests compare them.
bool UnfilterRowPlain(std::uint8_t filterType, std::uint8_t* row, const std::uint8_t* prior,
                      std::size_t rowBytes, int bytesPerPixel);

}  // namespace quillora::png
