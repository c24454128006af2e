#pragma once

#include "platform/ini/IniDocument.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

namespace quillora::platform {

// Size of the text buffers the settings are read into: a value comes back
// with at most kProfileBufferUnits - 1 UTF-16 units.
inline constexpr qsizetype kProfileBufferUnits = 260;

// A settings file read and written with the semantics of the Windows profile
// calls (see IniDocument for the lookup rules). Every call reads the file
// afresh, so what another process wrote is seen at once; a missing or
// unreadable file reads as empty, so every read gives its default.
//
// Writes hold an exclusive lock on a hidden lock file beside the target while
// they read, change and replace the file; the replacement is a temporary file
// renamed over the target. A crash never leaves half a file, and two
// processes writing different keys at once both keep their change. Writes
// fail (false) when the folder is missing or read-only, when a name or value
// would break the line structure, or when the existing file is too large to
// be a settings file (it is then left alone rather than replaced).
//
// Used for Config.ini, oem.ini, cd.dat and the registry store. The network
// code reads the application Config.ini sections [Endpoints] (keys() lists a
// section's keys) and [Network] VerifyTls through it the same way.
class IniFile {
public:
    // Files above this size are not settings files; they read as empty.
    static constexpr qint64 kMaxFileBytes = qint64{32} << 20;

    explicit IniFile(QString path) : path_(std::move(path)) {}
    const QString& path() const { return path_; }

    // The value cut to bufferUnits - 1 units (never splitting a surrogate
    // pair), or the fallback cut the same way when the key is missing.
    QString readString(QStringView section, QStringView key, const QString& fallback = {},
                       qsizetype bufferUnits = kProfileBufferUnits) const;
    // The value read as the profile-integer call reads it: the fallback when
    // the key is missing or its value empty, else ProfileInt of the text.
    int readInt(QStringView section, QStringView key, int fallback) const;
    bool hasKey(QStringView section, QStringView key) const;
    QStringList keys(QStringView section) const;
    // The whole file parsed once, for callers that read many keys.
    IniDocument load() const;

    bool writeString(QStringView section, QStringView key, QStringView value);
    // Writes the decimal text of the value ("%d").
    bool writeInt(QStringView section, QStringView key, int value);
    // Removes the key; true also when there was nothing to remove.
    bool deleteKey(QStringView section, QStringView key);

private:
    // Runs change on the current contents under the lock and writes the result
    // when change returns true.
    bool modify(const std::function<bool(IniDocument&)>& change);

    QString path_;
};

// The profile reads on a document already loaded, for callers that read many
// keys of one file: the same results as IniFile::readString and readInt.
QString ReadProfileString(const IniDocument& doc, QStringView section, QStringView key,
                          const QString& fallback = {},
                          qsizetype bufferUnits = kProfileBufferUnits);
int ReadProfileInt(const IniDocument& doc, QStringView section, QStringView key, int fallback);

// Cuts text to what a buffer of bufferUnits UTF-16 units holds with its
// terminator, without leaving half a surrogate pair at the end.
QString CutToBuffer(const QString& text, qsizetype bufferUnits);

}  // namespace quillora::platform
