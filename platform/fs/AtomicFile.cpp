#include "platform/fs/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>

namespace quillora::platform {

namespace {

// Mode of a newly created file: what a profile file normally gets with the
// usual umask of 022.
constexpr mode_t kNewFileMode = 0644;

bool WriteAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace

FileRead ReadWholeFile(const QString& path, qint64 maxBytes) {
    FileRead result;
    QFile file(path);
    if (!file.exists()) {
        return result;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = FileRead::Status::Error;
        return result;
    }
    // Reading one byte past the limit tells a too-large file apart even when
    // the size the file system reports is wrong (pipes, /proc files).
    result.bytes = file.read(maxBytes + 1);
    if (result.bytes.size() > maxBytes) {
        result.bytes.clear();
        result.status = FileRead::Status::TooLarge;
    } else if (file.error() != QFileDevice::NoError) {
        result.bytes.clear();
        result.status = FileRead::Status::Error;
    } else {
        result.status = FileRead::Status::Ok;
    }
    return result;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    const QFileInfo target(path);
    const QByteArray finalPath = QFile::encodeName(target.absoluteFilePath());
    QByteArray tempPath =
        QFile::encodeName(target.absolutePath() + "/." + target.fileName() + ".XXXXXX");

    const int fd = ::mkostemp(tempPath.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat existing {};
    const mode_t mode =
        ::stat(finalPath.constData(), &existing) == 0 ? (existing.st_mode & 07777) : kNewFileMode;

    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes.constData(), bytes.size()) &&
              ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) {
        ok = ::rename(tempPath.constData(), finalPath.constData()) == 0;
    }
    if (!ok) {
        ::unlink(tempPath.constData());
        return false;
    }
    // Make the rename itself durable; a failure here cannot undo it, so it is
    // not reported.
    const int dirFd = ::open(QFile::encodeName(target.absolutePath()).constData(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

}  // namespace quillora::platform
