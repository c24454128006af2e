#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>
#include <utility>
#include <vector>

namespace quillora::lang {

// One section of a language file is one stream of UTF-16LE text: entries of
// "key=value" each followed by a NUL unit, and one more NUL ending the list.

// A section stream must be shorter than this. A longer stream is treated as
// missing: it cannot come from the packer, so it is damaged or foreign.
inline constexpr qsizetype kMaxSectionBytes = 131072;

// The scrambling of the stored streams, its own inverse: reading the bytes as
// 32-bit little-endian words, word i gets its low 16 bits XORed with 0x6B19
// when 4 * (i + 1) is less than the byte count. A stream of 4 bytes or fewer
// stays plain, and so does the last word when the count is a multiple of 4.
void ScrambleStream(QByteArray& bytes);

// The stored (scrambled) stream of the entries, in the given order.
QByteArray EncodeSection(const std::vector<std::pair<QString, QString>>& entries);

// The plain text of a stored stream: unscrambled, byte count / 2 units (an odd
// last byte is dropped).
QString DecodeSectionText(QByteArray stored);

// The value of the first entry whose key equals `key` exactly (letter case
// included); the value is everything after the entry's first "=". Entries
// without "=" are skipped; an empty entry or the end of the text ends the list.
std::optional<QString> FindEntry(QStringView text, QStringView key);

// Every entry with "=", in stored order.
std::vector<std::pair<QString, QString>> ParseEntries(QStringView text);

}  // namespace quillora::lang
