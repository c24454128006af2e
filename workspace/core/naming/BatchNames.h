#pragma once

#include <QSet>
#include <QString>

#include <cstdint>
#include <functional>

namespace quillora::naming {

// Names are built from the photo's base name and extension as
// workspace::SplitSourceName splits them.

// Whether a path is taken. Production code asks the file system; tests pass
// their own.
using PathExists = std::function<bool(const QString& path)>;
bool FileExists(const QString& path);

// The names of one saving run. A name handed out once counts as taken for
// the rest of the run even before its file exists, so two photos of the same
// base name saved side by side never write over each other. A time-stamped
// name that is taken too gets the next microsecond.
class OutputNamer {
public:
    explicit OutputNamer(QString folder, PathExists exists = FileExists);

    // One batch element saved on its own: folder/<name with its own
    // extension>, and folder/<base>_<stamp><extension> when that exists
    // (always; no setting is involved). The content is PNG whatever the
    // extension says.
    QString ElementPath(const QString& sourcePath, std::int64_t stamp);

    // One element of the whole-batch save: folder/<base>.png; when that is
    // taken and timestampOnCollision is set, folder/<base>_<stamp>.png;
    // otherwise the existing file is replaced. A name given earlier in the
    // same run is never replaced: it gets the stamp either way.
    QString WholeBatchPath(const QString& sourcePath, bool timestampOnCollision,
                           std::int64_t stamp);

private:
    bool Taken(const QString& path) const;
    QString Stamped(const QString& base, const QString& extension, std::int64_t stamp);
    QString Claim(QString path);

    QString folder_;
    PathExists exists_;
    QSet<QString> given_;
};

}  // namespace quillora::naming
