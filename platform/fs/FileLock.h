#pragma once

#include <QString>

namespace quillora::platform {

// An exclusive advisory lock (flock) on a small lock file, held for the
// lifetime of the object. Read-modify-write of a shared file happens under it,
// so two processes (or two threads) writing different keys of the same file
// never lose each other's change. The lock file stays on disk: removing it
// would let a third writer lock a fresh file while the second still holds the
// old one.
class FileLock {
public:
    explicit FileLock(const QString& lockPath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool locked() const { return fd_ >= 0; }

    // The lock file guarding `path`: a hidden file beside it.
    static QString lockPathFor(const QString& path);

private:
    int fd_ = -1;
};

}  // namespace quillora::platform
