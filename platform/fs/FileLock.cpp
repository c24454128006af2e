#include "platform/fs/FileLock.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <cerrno>

namespace quillora::platform {

FileLock::FileLock(const QString& lockPath) {
    const int fd =
        ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    int rc = 0;
    do {
        rc = ::flock(fd, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return;
    }
    fd_ = fd;
}

FileLock::~FileLock() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
}

QString FileLock::lockPathFor(const QString& path) {
    const QFileInfo info(path);
    return info.absolutePath() + "/." + info.fileName() + ".lock";
}

}  // namespace quillora::platform
