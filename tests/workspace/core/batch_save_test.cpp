#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <mutex>
#include <vector>

#include "canvas/imaging/Imaging.h"
#include "workspace/core/batch/BatchSaveRun.h"
#include "workspace/core/batch/ElementGeometry.h"
#include "workspace/core/batch/ElementOutput.h"

namespace quillora::batch {
namespace {

TEST(BatchPreviewLayout, SmallPhotoStaysAtItsSizeCentredAboveTheMargin) {
    const PreviewLayout layout = LayOutPreview(QRect(10, 20, 300, 300), QSize(200, 150), 20);
    EXPECT_FLOAT_EQ(layout.scale, 1.0f);
    EXPECT_FLOAT_EQ(layout.rect.x, 10 + (300 - 200) / 2.0f);
    EXPECT_FLOAT_EQ(layout.rect.y, 20 + (300 - 20 - 150) / 2.0f);
    EXPECT_EQ(layout.pixels, QSize(200, 150));
}

TEST(BatchPreviewLayout, LargePhotoShrinksByTheSmallerRatioCutToHundredths) {
    // min(300 / 3000, 280 / 2000) = min(0.1, 0.14).
    const PreviewLayout wide = LayOutPreview(QRect(0, 0, 300, 300), QSize(3000, 2000), 20);
    EXPECT_FLOAT_EQ(wide.scale, 0.1f);
    EXPECT_EQ(wide.pixels, QSize(300, 200));
    EXPECT_FLOAT_EQ(wide.rect.y, (280 - 200) / 2.0f);
    // 280 / 1000 is 0.28 exactly, which a careless cut makes 0.27.
    const PreviewLayout tall = LayOutPreview(QRect(0, 0, 300, 300), QSize(500, 1000), 20);
    EXPECT_FLOAT_EQ(tall.scale, 0.28f);
    EXPECT_EQ(tall.pixels, QSize(140, 280));
    // 300 / 7 = 42.857... per hundred: cut, not rounded.
    const PreviewLayout cut = LayOutPreview(QRect(0, 0, 300, 300), QSize(700, 100), 20);
    EXPECT_FLOAT_EQ(cut.scale, 0.42f);
    // Taller than the element though narrower: shrunk to the space above
    // the margin (280 / 310 = 0.903).
    const PreviewLayout narrow = LayOutPreview(QRect(0, 0, 300, 300), QSize(100, 310), 20);
    EXPECT_FLOAT_EQ(narrow.scale, 0.90f);
}

TEST(BatchPreviewLayout, PhotoOfNoSizeGivesAnEmptyPreview) {
    const PreviewLayout layout = LayOutPreview(QRect(0, 0, 300, 300), QSize(0, 0), 20);
    EXPECT_TRUE(layout.pixels.isEmpty());
}

TEST(BatchBottomBar, MiddleColumnIsDeleteAndEdgesBelongToTheBar) {
    const QRect element(100, 50, 301, 300);
    const BarGeometry bar = BottomBar(element, 20, 36);
    EXPECT_EQ(bar.bottom, 50 + 300 - 20);
    EXPECT_EQ(bar.top, bar.bottom - 36);
    EXPECT_EQ(bar.middle, 100 + 150);
    EXPECT_EQ(BarPartAt(bar, QPoint(250, bar.top)), BarPart::Delete);
    EXPECT_EQ(BarPartAt(bar, QPoint(251, bar.bottom)), BarPart::Download);
    EXPECT_EQ(BarPartAt(bar, QPoint(100, bar.top)), BarPart::Delete);
    EXPECT_EQ(BarPartAt(bar, QPoint(401, bar.top)), BarPart::Download);
    EXPECT_EQ(BarPartAt(bar, QPoint(250, bar.top - 1)), BarPart::None);
    EXPECT_EQ(BarPartAt(bar, QPoint(250, bar.bottom + 1)), BarPart::None);
    EXPECT_EQ(BarPartAt(bar, QPoint(99, bar.top + 5)), BarPart::None);
}

TEST(BatchProgress, BarShowsZeroFirstAndNeverReachesAHundred) {
    EXPECT_EQ(ProgressPercent({0, 7, 0}), 0);
    EXPECT_EQ(ProgressPercent({6, 7, 6}), 6 * 100 / 7);
    EXPECT_EQ(ProgressPercent({3, 0, 0}), 0);
    EXPECT_EQ(ProgressPercent({1, 3, 1}), 33);
}

TEST(BatchSaveRun, ReportsEveryElementInOrderBeforeItStarts) {
    std::vector<BatchProgress> records;
    std::vector<int> started;
    std::vector<ElementSaveTask> tasks;
    for (int i = 0; i < 5; ++i) {
        tasks.push_back([i, &started] {
            started.push_back(i);
            return i != 3;  // the fourth save fails
        });
    }
    std::atomic<bool> stop{false};
    const BatchOutcome outcome =
        RunBatchSave(tasks, 1, stop, [&](const BatchProgress& p) { records.push_back(p); });
    EXPECT_EQ(outcome.saved, 4);
    EXPECT_EQ(outcome.failed, 1);
    ASSERT_EQ(records.size(), 5u);
    const int savedBefore[] = {0, 1, 2, 3, 3};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(records[std::size_t(i)].index, i);
        EXPECT_EQ(records[std::size_t(i)].total, 5);
        EXPECT_EQ(records[std::size_t(i)].saved, savedBefore[i]);
    }
    EXPECT_EQ(started, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(BatchSaveRun, StopAfterThreeOfTenCountsTheRestAsFailed) {
    std::atomic<bool> stop{false};
    std::vector<ElementSaveTask> tasks;
    int ran = 0;
    for (int i = 0; i < 10; ++i) {
        tasks.push_back([i, &stop, &ran] {
            ++ran;
            if (i == 2) {
                stop = true;  // pressed while the third element is saved
            }
            return true;
        });
    }
    const BatchOutcome outcome = RunBatchSave(tasks, 1, stop, nullptr);
    EXPECT_EQ(ran, 3);
    EXPECT_EQ(outcome.saved, 3);
    EXPECT_EQ(outcome.failed, 7);
}

TEST(BatchSaveRun, OnAPoolNothingStartsAfterTheStopAndStartedOnesCount) {
    std::atomic<bool> stop{false};
    std::mutex mutex;
    int startedAfterStop = 0;
    int started = 0;
    std::vector<ElementSaveTask> tasks;
    for (int i = 0; i < 40; ++i) {
        tasks.push_back([i, &stop, &mutex, &started, &startedAfterStop] {
            {
                std::lock_guard lock(mutex);
                ++started;
                if (stop.load()) {
                    ++startedAfterStop;
                }
            }
            if (i == 5) {
                stop = true;
            }
            return i % 2 == 0;
        });
    }
    const BatchOutcome outcome = RunBatchSave(tasks, 4, stop, nullptr);
    EXPECT_EQ(startedAfterStop, 0);
    EXPECT_LT(started, 40);
    EXPECT_GE(started, 6);
    EXPECT_EQ(outcome.saved + outcome.failed, 40);
    EXPECT_EQ(outcome.saved, (started + 1) / 2);  // the even indexes among 0..started-1
}

TEST(BatchSaveRun, NullOrThrowingTaskFailsWithoutEndingTheRun) {
    std::atomic<bool> stop{false};
    std::vector<ElementSaveTask> tasks{nullptr, [] { return true; },
                                       []() -> bool { throw std::runtime_error("disk"); },
                                       [] { return true; }};
    const BatchOutcome outcome = RunBatchSave(tasks, 2, stop, nullptr);
    EXPECT_EQ(outcome.saved, 2);
    EXPECT_EQ(outcome.failed, 2);
}

// A cut-out of w x h: an opaque red square in the middle of a transparent
// picture, its corner at (w / 4, h / 4), half the size.
QImage SquareCutOut(int w, int h) {
    QImage picture = imaging::newBitmap(w, h);
    for (int y = h / 4; y < h / 4 + h / 2; ++y) {
        for (int x = w / 4; x < w / 4 + w / 2; ++x) {
            picture.setPixel(x, y, 0xFFFF0000u);
        }
    }
    return picture;
}

TEST(BatchElementOutput, PlacementInPreviewPixelsIsScaledToTheCutOut) {
    const QImage cutOut = SquareCutOut(400, 200);
    ElementLook look;
    look.mode = canvas::EditMode::ChangeBackground;
    look.background.kind = canvas::BackgroundKind::Colour;
    look.background.colour = 0x0000FF00u;  // drawn opaque whatever its alpha
    look.previewScale = 0.25f;
    // The preview is 100 x 50; the cut-out was moved by (10, 5) there.
    look.background.placementRect = {10.0f, 5.0f, 100.0f, 50.0f};
    ElementSaveStatus status = ElementSaveStatus::WriteFailed;
    const QImage saved = RenderElementPicture(cutOut, look, &status);
    ASSERT_EQ(status, ElementSaveStatus::Ok);
    ASSERT_EQ(saved.size(), QSize(400, 200));
    // The square moves by (40, 20) full-size pixels.
    EXPECT_EQ(saved.pixel(100 + 40 + 5, 50 + 20 + 5), 0xFFFF0000u);
    EXPECT_EQ(saved.pixel(100 + 40 - 2, 50 + 20 + 5), 0xFF00FF00u);
    EXPECT_EQ(saved.pixel(300 + 40 + 1, 150 + 20 - 5), 0xFF00FF00u);
    EXPECT_EQ(saved.pixel(300 + 40 - 2, 150 + 20 - 2), 0xFFFF0000u);
}

TEST(BatchElementOutput, NoBackgroundKeepsTransparency) {
    ElementLook look;
    look.previewScale = 0.5f;
    look.background.placementRect = {0.0f, 0.0f, 50.0f, 50.0f};
    const QImage saved = RenderElementPicture(SquareCutOut(100, 100), look);
    ASSERT_EQ(saved.size(), QSize(100, 100));
    EXPECT_EQ(qAlpha(saved.pixel(2, 2)), 0);
    EXPECT_EQ(saved.pixel(50, 50), 0xFFFF0000u);
}

TEST(BatchElementOutput, IdentityPresetSavesItsFixedPixelSize) {
    // On the preview of a 3000 x 2000 cut-out at 0.1, preset 13 (413 x 579).
    ElementLook look;
    look.mode = canvas::EditMode::ChangeSize;
    look.previewScale = 0.1f;
    look.background.sizePreset = 13;
    look.background.cropApplied = true;
    look.background.cropActive = true;
    const float bw = 413.0f * 200.0f / 579.0f;
    look.background.cropRect = {(300.0f - bw) * 0.5f, 0.0f, bw, 200.0f};
    look.background.placementRect = {0.0f, 0.0f, 300.0f, 200.0f};
    const QImage saved = RenderElementPicture(SquareCutOut(3000, 2000), look);
    EXPECT_EQ(saved.size(), QSize(413, 579));
    // The command line's look of the same preset crops the same way.
    const ElementLook full =
        FullSizeLook(QSize(3000, 2000), canvas::BackgroundKind::None, 0, QImage(), 17);
    EXPECT_EQ(RenderElementPicture(SquareCutOut(3000, 2000), full).size(), QSize(1051, 1500));
}

TEST(BatchElementOutput, RatioCropAtHalfScaleDoublesTheBox) {
    ElementLook look;
    look.mode = canvas::EditMode::ChangeSize;
    look.previewScale = 0.5f;
    look.background.sizePreset = 3;
    look.background.cropApplied = true;
    look.background.cropRect = {10.0f, 0.0f, 200.0f, 300.0f};
    look.background.placementRect = {0.0f, 0.0f, 300.0f, 300.0f};
    const QImage saved = RenderElementPicture(SquareCutOut(600, 600), look);
    EXPECT_EQ(saved.size(), QSize(400, 600));
    // Full picture x 20 is saved x 0; the square starts at x 150, so 130.
    EXPECT_EQ(qAlpha(saved.pixel(128, 300)), 0);
    EXPECT_EQ(saved.pixel(132, 300), 0xFFFF0000u);
}

class BatchElementFiles : public ::testing::Test {
protected:
    QString WriteCutOut(const QString& name, const QImage& picture) {
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(imaging::savePng(picture, path));
        return path;
    }
    QTemporaryDir dir_;
};

TEST_F(BatchElementFiles, MissingCutOutOrUnwritableFolderFailsAndLeavesNothing) {
    ElementLook look;
    EXPECT_EQ(SaveElementOutput(dir_.filePath("gone.png"), look, dir_.filePath("out.png")),
              ElementSaveStatus::NoCutOut);
    EXPECT_EQ(SaveElementOutput(QString(), look, dir_.filePath("out.png")),
              ElementSaveStatus::NoCutOut);
    EXPECT_FALSE(QFile::exists(dir_.filePath("out.png")));

    const QString cutOut = WriteCutOut("cut.png", SquareCutOut(64, 64));
    // The output folder is a file: nothing can be written under it.
    QFile blocker(dir_.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(SaveElementOutput(cutOut, look, dir_.filePath("blocked/out.png")),
              ElementSaveStatus::WriteFailed);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(BatchElementFiles, ParallelSaveWritesTheSameBytesAsOneAtATime) {
    QDir(dir_.path()).mkdir("one");
    QDir(dir_.path()).mkdir("pool");
    std::vector<QString> cutOuts;
    for (int i = 0; i < 6; ++i) {
        QImage picture = SquareCutOut(300 + 10 * i, 200 + 7 * i);
        picture.setPixel(i, i, 0xFF00FFFFu);
        cutOuts.push_back(WriteCutOut(QStringLiteral("c%1.png").arg(i), picture));
    }
    const auto tasksFor = [&](const QString& folder) {
        std::vector<ElementSaveTask> tasks;
        for (int i = 0; i < 6; ++i) {
            ElementLook look;
            look.mode = i % 2 ? canvas::EditMode::ChangeSize : canvas::EditMode::ChangeBackground;
            look.background.kind = canvas::BackgroundKind::Colour;
            look.background.colour = 0xFF112233u;
            look.previewScale = 0.5f;
            look.background.placementRect = {float(i), 3.0f, 150.0f, 100.0f};
            look.background.sizePreset = 11;
            look.background.cropApplied = true;
            look.background.cropRect = {20.0f, 0.0f, 71.4f, 100.0f};
            const QString out = dir_.filePath(QStringLiteral("%1/e%2.png").arg(folder).arg(i));
            tasks.push_back([cut = cutOuts[std::size_t(i)], look, out] {
                return SaveElementOutput(cut, look, out) == ElementSaveStatus::Ok;
            });
        }
        return tasks;
    };
    std::atomic<bool> stop{false};
    EXPECT_EQ(RunBatchSave(tasksFor("one"), 1, stop, nullptr).saved, 6);
    EXPECT_EQ(RunBatchSave(tasksFor("pool"), 3, stop, nullptr).saved, 6);
    for (int i = 0; i < 6; ++i) {
        QFile a(dir_.filePath(QStringLiteral("one/e%1.png").arg(i)));
        QFile b(dir_.filePath(QStringLiteral("pool/e%1.png").arg(i)));
        ASSERT_TRUE(a.open(QIODevice::ReadOnly));
        ASSERT_TRUE(b.open(QIODevice::ReadOnly));
        const QByteArray bytes = a.readAll();
        EXPECT_FALSE(bytes.isEmpty());
        EXPECT_EQ(bytes, b.readAll()) << i;
    }
    // Odd elements follow the change-size page: the identity size.
    EXPECT_EQ(imaging::decodeFile(dir_.filePath("pool/e1.png")).size(), QSize(295, 413));
    EXPECT_EQ(imaging::decodeFile(dir_.filePath("pool/e2.png")).size(), QSize(320, 214));
}

}  // namespace
}  // namespace quillora::batch
