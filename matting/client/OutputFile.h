#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quillora::matting {

// The whole file in binary, or nullopt when it cannot be opened or read, or
// is larger than maxBytes.
std::optional<std::string> ReadSourceFile(const std::filesystem::path& path,
                                          std::uintmax_t maxBytes);

// Creates or replaces the file with the bytes through a temporary file and a
// rename, so a failed or interrupted write never leaves half a cut-out where
// the caller expects a whole one.
bool WriteOutputFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace quillora::matting
