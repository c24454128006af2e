#pragma once

#include <QString>

#include <cstdint>
#include <functional>

// Where saved pictures and exported logs go and what they are called. No
// window and no disk access of its own: whether a name is taken is asked
// through a callback, so the rules can be checked without files.
namespace quillora::workspace {

// Microseconds since 1970-01-01 UTC: item ids and file-name time stamps.
std::int64_t MicrosecondsNow();
// The decimal text of a time stamp or item id ("%lld").
QString StampText(std::int64_t micros);

// The file name part of a photo's path, split at the last dot: base name and
// extension with its dot. A name whose only dot leads it (".png") is all
// base name, so the saved file never becomes a hidden dot file.
struct SourceName {
    QString base;
    QString extension;
};
SourceName SplitSourceName(const QString& sourcePath);

using PathTaken = std::function<bool(const QString& path)>;

// The folder a save writes into: the picked folder with the sub-folder
// name appended ("/Photos" and "Cut-outs" give "/Photos/Cut-outs").
// Empty when nothing was picked.
QString OutputFolderFor(const QString& pickedFolder, const QString& subFolder);

// The single page's file: "<folder>/<base>.png"; when that is taken and
// stampOnCollision is set, "<folder>/<base>_<stamp>.png" (otherwise the
// existing file is written over). Empty when the source has no file name.
QString SinglePageOutputPath(const QString& folder, const QString& sourcePath,
                             bool stampOnCollision, std::int64_t stamp, const PathTaken& taken);

// The exported log: "<folder>/LOG_<stamp>.dat".
QString ExportedLogPath(const QString& folder, std::int64_t stamp);

}  // namespace quillora::workspace
