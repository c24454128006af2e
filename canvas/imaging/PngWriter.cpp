#include <QBuffer>
#include <QImageWriter>
#include <QSaveFile>

#include "canvas/imaging/Imaging.h"

namespace quillora::imaging {

namespace {

bool writePng(const QImage& image, QIODevice& device) {
    if (image.isNull()) {
        return false;
    }
    QImageWriter writer(&device, "png");
    return writer.write(image);
}

}  // namespace

QByteArray encodePng(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !writePng(image, buffer)) {
        return {};
    }
    buffer.close();
    return bytes;
}

bool savePng(const QImage& image, const QString& path) {
    if (image.isNull() || path.isEmpty()) {
        return false;
    }
    QSaveFile file(path);
    // Writing straight into the destination would leave half a file behind a
    // failure; never fall back to it.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (!writePng(image, file)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool hasPngEncoder() {
    return QImageWriter::supportedMimeTypes().contains(QByteArrayLiteral("image/png"));
}

}  // namespace quillora::imaging
