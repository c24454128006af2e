#include "platform/ini/IniFile.h"

#include "platform/fs/AtomicFile.h"
#include "platform/fs/FileLock.h"
#include "platform/ini/ProfileInt.h"

namespace quillora::platform {

namespace {

// The profile-integer call reads the value into a buffer of this many units
// before converting it.
constexpr qsizetype kIntBufferUnits = 30;

}  // namespace

QString CutToBuffer(const QString& text, qsizetype bufferUnits) {
    if (bufferUnits <= 0) {
        return {};
    }
    if (text.size() <= bufferUnits - 1) {
        return text;
    }
    qsizetype length = bufferUnits - 1;
    if (length > 0 && text[length - 1].isHighSurrogate()) {
        --length;
    }
    return text.left(length);
}

IniDocument IniFile::load() const {
    const FileRead read = ReadWholeFile(path_, kMaxFileBytes);
    return IniDocument::parse(read.bytes);
}

QString ReadProfileString(const IniDocument& doc, QStringView section, QStringView key,
                          const QString& fallback, qsizetype bufferUnits) {
    const auto value = doc.value(section, key);
    return CutToBuffer(value ? *value : fallback, bufferUnits);
}

int ReadProfileInt(const IniDocument& doc, QStringView section, QStringView key, int fallback) {
    const QString text = ReadProfileString(doc, section, key, QString(), kIntBufferUnits);
    return text.isEmpty() ? fallback : ProfileInt(text);
}

QString IniFile::readString(QStringView section, QStringView key, const QString& fallback,
                            qsizetype bufferUnits) const {
    return ReadProfileString(load(), section, key, fallback, bufferUnits);
}

int IniFile::readInt(QStringView section, QStringView key, int fallback) const {
    return ReadProfileInt(load(), section, key, fallback);
}

bool IniFile::hasKey(QStringView section, QStringView key) const {
    return load().value(section, key).has_value();
}

QStringList IniFile::keys(QStringView section) const {
    return load().keys(section);
}

bool IniFile::modify(const std::function<bool(IniDocument&)>& change) {
    const FileLock lock(FileLock::lockPathFor(path_));
    if (!lock.locked()) {
        return false;
    }
    const FileRead read = ReadWholeFile(path_, kMaxFileBytes);
    if (read.status == FileRead::Status::TooLarge || read.status == FileRead::Status::Error) {
        return false;
    }
    IniDocument doc = IniDocument::parse(read.bytes);
    if (!change(doc)) {
        return false;
    }
    return WriteFileAtomically(path_, doc.serialize());
}

bool IniFile::writeString(QStringView section, QStringView key, QStringView value) {
    return modify([&](IniDocument& doc) { return doc.setValue(section, key, value); });
}

bool IniFile::writeInt(QStringView section, QStringView key, int value) {
    return writeString(section, key, QString::number(value));
}

bool IniFile::deleteKey(QStringView section, QStringView key) {
    bool looked = false;
    bool existed = false;
    const bool ok = modify([&](IniDocument& doc) {
        looked = true;
        existed = doc.remove(section, key);
        return existed;
    });
    return ok || (looked && !existed);
}

}  // namespace quillora::platform
