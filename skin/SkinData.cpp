#include "skin/SkinData.h"

#include <QResource>

namespace quillora::skin {

QByteArray EmbeddedArchive() {
    const QResource resource(QStringLiteral(":/quillora/skin.rcc"));
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression ||
        resource.size() <= 0) {
        return {};
    }
    // The bytes live in the program image; no copy is needed.
    return QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()),
                                   static_cast<qsizetype>(resource.size()));
}

}  // namespace quillora::skin
