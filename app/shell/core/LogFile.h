#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringView>

namespace quillora::shell {

// The plain-text log "run.dat" in the user data folder: one line per entry,
// local time, "-", the message in UTF-8, CR LF.

inline constexpr char kLogFileName[] = "run.dat";
// The message buffer of one entry holds 512 units, the terminator included.
inline constexpr qsizetype kLogMessageUnits = 511;

QByteArray FormatLogLine(const QDateTime& localTime, QStringView message);

// Until start-up sets the path, lines are dropped. Safe from any thread.
void SetLogFilePath(const QString& path);
QString LogFilePath();

// Appends one line; false when it was dropped (no path yet, or the file
// cannot be opened). Writers in several threads or processes never mix
// their lines.
bool WriteLog(QStringView message);
// printf-style, for the callers that format numbers into the line.
bool WriteLogF(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace quillora::shell
