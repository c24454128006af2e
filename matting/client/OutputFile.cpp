#include "matting/client/OutputFile.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fstream>
#include <system_error>

#include "platform/fs/AtomicFile.h"

namespace quillora::matting {

std::optional<std::string> ReadSourceFile(const std::filesystem::path& path,
                                          std::uintmax_t maxBytes) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > maxBytes) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    // A file that shrank while being read is not the file that was asked for.
    if (in.gcount() != static_cast<std::streamsize>(size)) {
        return std::nullopt;
    }
    return bytes;
}

bool WriteOutputFile(const std::filesystem::path& path, std::string_view bytes) {
    if (path.empty()) {
        return false;
    }
    // fromRawData shares the caller's bytes instead of copying the picture.
    const QByteArray view =
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return platform::WriteFileAtomically(QFile::decodeName(path.c_str()), view);
}

}  // namespace quillora::matting
