#include "app/shell/core/LogFile.h"

#include <QFile>

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quillora::shell {

namespace {

std::mutex& PathMutex() {
    static std::mutex mutex;
    return mutex;
}

QString& PathValue() {
    static QString path;
    return path;
}

bool WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, bytes.size() - done);
        if (n < 0) {
            return false;
        }
        done += n;
    }
    return true;
}

}  // namespace

QByteArray FormatLogLine(const QDateTime& localTime, QStringView message) {
    QByteArray line = localTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
    line += '-';
    QStringView cut = message.left(kLogMessageUnits);
    // Never split a surrogate pair at the cut.
    if (cut.size() == kLogMessageUnits && cut.back().isHighSurrogate()) {
        cut.chop(1);
    }
    line += cut.toUtf8();
    line += "\r\n";
    return line;
}

void SetLogFilePath(const QString& path) {
    const std::lock_guard lock(PathMutex());
    PathValue() = path;
}

QString LogFilePath() {
    const std::lock_guard lock(PathMutex());
    return PathValue();
}

bool WriteLog(QStringView message) {
    const QString path = LogFilePath();
    if (path.isEmpty()) {
        return false;
    }
    const QByteArray line = FormatLogLine(QDateTime::currentDateTime(), message);
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    // The lock keeps whole lines together when another process writes too.
    ::flock(fd, LOCK_EX);
    const bool written = WriteAll(fd, line);
    ::flock(fd, LOCK_UN);
    ::close(fd);
    return written;
}

bool WriteLogF(const char* format, ...) {
    char buffer[4 * (kLogMessageUnits + 1)];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0) {
        return false;
    }
    return WriteLog(QString::fromUtf8(buffer));
}

}  // namespace quillora::shell
