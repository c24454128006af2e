#pragma once

#include <QByteArray>
#include <QString>

namespace quillora::platform {

// Outcome of reading a whole file with an upper size limit.
struct FileRead {
    enum class Status { Ok, Missing, TooLarge, Error };
    Status status = Status::Missing;
    QByteArray bytes;
};

// Reads the whole file unless it is larger than maxBytes. A missing file is
// not an error: callers treat it as empty settings.
FileRead ReadWholeFile(const QString& path, qint64 maxBytes);

// Replaces the file's contents so that a crash or a full disk at any moment
// leaves either the old or the new contents, never a mixture: the bytes go to
// a temporary file in the same folder, are flushed to disk, and the temporary
// file is renamed over the target. An existing file keeps its permissions.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes);

}  // namespace quillora::platform
