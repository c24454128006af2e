#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

namespace quillora::platform {

// The text of one INI file with the lookup rules of the Windows profile calls:
// section and key names compare without regard to letter case and without
// their surrounding blanks, the first section of a name and the first key of
// a name in it win, values lose their surrounding blanks and one pair of
// matching quotes. Lines the rules do not understand (no "=", a section header
// that never closes, text before the first section) are kept as they are but
// never match; the lines after an unclosed header belong to no section.
//
// Edits change only the lines they touch, so comments and foreign lines
// survive a write, and the file keeps its encoding and line ends.
class IniDocument {
public:
    enum class Encoding { Utf8, Utf8Bom, Utf16LeBom, Utf16BeBom };

    // Decodes UTF-8 (with or without a byte-order mark) and UTF-16 with a
    // byte-order mark. Bytes that are not valid UTF-8 become U+FFFD.
    static IniDocument parse(QByteArrayView bytes);
    QByteArray serialize() const;

    // The value with surrounding blanks and one pair of matching quotes
    // removed; nullopt when the section or key is missing.
    std::optional<QString> value(QStringView section, QStringView key) const;
    QStringList keys(QStringView section) const;
    QStringList sections() const;

    // Sets or adds the key. Refuses (false) names and values that would break
    // the line structure: line breaks or NUL anywhere, "]" in a section name,
    // "=" in a key, a key starting with "[" or ";", empty names.
    bool setValue(QStringView section, QStringView key, QStringView value);
    // Removes every line of that key in the section; true when one existed.
    bool remove(QStringView section, QStringView key);

    Encoding encoding() const { return encoding_; }

private:
    enum class Kind { Other, Section, BrokenSection, Entry };
    struct Line {
        QString text;
        Kind kind = Kind::Other;
        QString name;  // section name or key, trimmed
    };
    struct Range {
        qsizetype header = -1;  // index of the "[section]" line
        qsizetype end = 0;      // one past the section's last line
    };

    static Line classify(QString text);
    std::optional<Range> findSection(QStringView section) const;
    qsizetype findKey(const Range& range, QStringView key) const;

    std::vector<Line> lines_;
    Encoding encoding_ = Encoding::Utf8;
    QString newline_ = QStringLiteral("\n");
};

}  // namespace quillora::platform
