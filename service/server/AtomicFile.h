#pragma once

#include <filesystem>
#include <string_view>

namespace quillora::service {

// Writes to a temporary name beside the file and renames it over the file,
// so a crash never leaves half a file.
bool WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// Appends one line with a single write; false when the file cannot be opened.
bool AppendLine(const std::filesystem::path& file, std::string_view line);

}  // namespace quillora::service
