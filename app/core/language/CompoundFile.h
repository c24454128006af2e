#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace quillora::lang {

// OLE compound (structured storage) files through libgsf: the container of the
// language files, one stream per section directly under the root storage.

// The bytes of the stream named `streamName` (case-sensitive) directly under
// the root. nullopt when the file is missing or not a compound file, when the
// stream is missing or empty, when it holds maxBytes bytes or more, or when it
// cannot be read in full.
std::optional<QByteArray> ReadCompoundStream(const QString& path, const QString& streamName,
                                             qsizetype maxBytes);

// Writes a compound file holding the given streams under the root, through a
// temporary file renamed over the target, so a failed write leaves any earlier
// file in place. Stream names must be 1 to 31 characters (longer names are
// silently lost by the library).
bool WriteCompoundFile(const QString& path,
                       const std::vector<std::pair<QString, QByteArray>>& streams);

}  // namespace quillora::lang
