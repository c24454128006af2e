#include <gtest/gtest.h>

#include <QSet>

#include "workspace/core/naming/BatchNames.h"

namespace quillora::naming {
namespace {

// A folder whose files are a fixed set, so collisions are chosen by the test.
PathExists FilesIn(QSet<QString> files) {
    return [files = std::move(files)](const QString& path) { return files.contains(path); };
}

TEST(BatchNames, ElementKeepsItsOwnExtensionAndStampsEveryCollision) {
    OutputNamer namer(QStringLiteral("/out"), FilesIn({}));
    EXPECT_EQ(namer.ElementPath(QStringLiteral("/in/photo.jpg"), 1234),
              QStringLiteral("/out/photo.jpg"));

    // Saved once before: the second save of the same photo gets the stamp
    // before its own extension.
    OutputNamer again(QStringLiteral("/out"), FilesIn({QStringLiteral("/out/photo.jpg")}));
    EXPECT_EQ(again.ElementPath(QStringLiteral("/in/photo.jpg"), 1234),
              QStringLiteral("/out/photo_1234.jpg"));
    EXPECT_EQ(again.ElementPath(QStringLiteral("/in/a.b.png"), 77), QStringLiteral("/out/a.b.png"));
}

TEST(BatchNames, WholeBatchCollisionFollowsTheTimestampSetting) {
    const QSet<QString> existing{QStringLiteral("/out/photo.png")};
    OutputNamer stamped(QStringLiteral("/out"), FilesIn(existing));
    EXPECT_EQ(stamped.WholeBatchPath(QStringLiteral("/in/photo.jpg"), true, 99),
              QStringLiteral("/out/photo_99.png"));
    // Without the setting an older file of that name is replaced.
    OutputNamer plain(QStringLiteral("/out"), FilesIn(existing));
    EXPECT_EQ(plain.WholeBatchPath(QStringLiteral("/in/photo.jpg"), false, 99),
              QStringLiteral("/out/photo.png"));
    // No collision: the plain name whatever the setting.
    OutputNamer fresh(QStringLiteral("/out"), FilesIn({}));
    EXPECT_EQ(fresh.WholeBatchPath(QStringLiteral("/in/a.b.jpeg"), true, 5),
              QStringLiteral("/out/a.b.png"));
}

TEST(BatchNames, TwoPhotosOfOneBaseNameNeverShareAnOutput) {
    for (const bool timestamp : {true, false}) {
        OutputNamer namer(QStringLiteral("/out"), FilesIn({}));
        const QString first = namer.WholeBatchPath(QStringLiteral("/a/item.jpg"), timestamp, 500);
        const QString second = namer.WholeBatchPath(QStringLiteral("/b/item.png"), timestamp, 500);
        const QString third = namer.WholeBatchPath(QStringLiteral("/c/item.bmp"), timestamp, 500);
        EXPECT_EQ(first, QStringLiteral("/out/item.png"));
        EXPECT_EQ(second, QStringLiteral("/out/item_500.png"));
        // The same microsecond again moves on to the next one.
        EXPECT_EQ(third, QStringLiteral("/out/item_501.png"));
    }
}

TEST(BatchNames, StampedNameThatExistsMovesOn) {
    OutputNamer namer(QStringLiteral("/out"),
                      FilesIn({QStringLiteral("/out/x.jpg"), QStringLiteral("/out/x_10.jpg")}));
    EXPECT_EQ(namer.ElementPath(QStringLiteral("/in/x.jpg"), 10), QStringLiteral("/out/x_11.jpg"));
}

}  // namespace
}  // namespace quillora::naming

#include "workspace/core/batch/DroppedFiles.h"

namespace quillora::batch {
namespace {

TEST(BatchDrops, KeepsFourExtensionsInAnyCase) {
    const QStringList dropped{
        QStringLiteral("/d/a.PNG"), QStringLiteral("/d/b.tif"), QStringLiteral("/d/c.jpeg"),
        QStringLiteral("/d/d.Jpg"), QStringLiteral("/d/e.bmp"), QStringLiteral("/d/f.png.txt"),
        QStringLiteral("/d/png"),   QStringLiteral("/d.jpg/g"), QStringLiteral("/d/h.tiff")};
    EXPECT_EQ(DroppablePictures(dropped),
              (QStringList{QStringLiteral("/d/a.PNG"), QStringLiteral("/d/c.jpeg"),
                           QStringLiteral("/d/d.Jpg"), QStringLiteral("/d/e.bmp")}));
}

TEST(BatchDrops, LimitTakesWhatFitsAndThenNothing) {
    EXPECT_EQ(AcceptedCount(48, 50, 5), 2);
    EXPECT_EQ(AcceptedCount(50, 50, 5), 0);
    EXPECT_EQ(AcceptedCount(0, 50, 1000), 50);
    EXPECT_EQ(AcceptedCount(60, 50, 3), 0);  // a limit lowered by the service
    EXPECT_EQ(AcceptedCount(3, 50, 0), 0);
}

}  // namespace
}  // namespace quillora::batch
