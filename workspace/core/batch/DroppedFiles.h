#pragma once

#include <QString>
#include <QStringList>

namespace quillora::batch {

// True for the picture files a drop may add: the extension (from the last dot
// of the file name) is .png, .jpg, .jpeg or .bmp, in any case. Other
// pictures, TIFF among them, are left out of drops.
bool IsDroppablePicture(const QString& path);

// The droppable files of a drop, in the order dropped.
QStringList DroppablePictures(const QStringList& paths);

// How many of `offered` files an adding pass takes when `count` files are
// already in the batch and at most `limit` may be: the rest are dropped.
int AcceptedCount(int count, int limit, int offered);

}  // namespace quillora::batch
