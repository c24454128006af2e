#include "workspace/core/batch/DroppedFiles.h"

#include <QFileInfo>

#include <algorithm>
#include <array>

namespace quillora::batch {

bool IsDroppablePicture(const QString& path) {
    static constexpr std::array<QLatin1StringView, 4> kExtensions{
        QLatin1StringView(".png"), QLatin1StringView(".jpg"), QLatin1StringView(".jpeg"),
        QLatin1StringView(".bmp")};
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0) {
        return false;
    }
    const QStringView extension = QStringView(name).mid(dot);
    return std::any_of(kExtensions.begin(), kExtensions.end(), [&](QLatin1StringView known) {
        return extension.compare(known, Qt::CaseInsensitive) == 0;
    });
}

QStringList DroppablePictures(const QStringList& paths) {
    QStringList kept;
    for (const QString& path : paths) {
        if (IsDroppablePicture(path)) {
            kept.append(path);
        }
    }
    return kept;
}

int AcceptedCount(int count, int limit, int offered) {
    return std::clamp(limit - count, 0, std::max(offered, 0));
}

}  // namespace quillora::batch
