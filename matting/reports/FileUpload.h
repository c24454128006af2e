#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <string>

namespace quillora::matting {

// The file goes out in blocks of this size; the cancel flag is checked
// between them.
inline constexpr std::size_t kUploadBlockBytes = 1024;
// Longest answer text read back.
inline constexpr std::size_t kUploadAnswerBytes = 1023;

// Posts the file as multipart/form-data with the one file part "file"
// through libcurl's MIME interface. Setting `cancel` aborts the upload
// between blocks, and also while the network stalls. True when the server
// answered status 200, a "text/..." content type and the text "1".
bool UploadFileMultipart(const std::string& url, const std::filesystem::path& path,
                         const std::atomic<bool>& cancel);

}  // namespace quillora::matting
