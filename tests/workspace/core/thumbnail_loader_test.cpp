#include "workspace/core/thumbnails/ThumbnailLoader.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace quillora::thumbnails {
namespace {

void EnsureApplication() {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "thumbnail_loader_test";
        static char* argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
    }
}

// Runs the event loop until done() or the time runs out.
template <class Done>
bool PumpUntil(Done done, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

class ThumbnailLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        ASSERT_TRUE(dir_.isValid());
    }

    // A picture whose left half is opaque in `colour` and right half fully
    // transparent.
    QString WritePicture(const QString& name, int width, int height, QRgb colour) {
        QImage image(width, height, QImage::Format_ARGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                image.setPixel(x, y, x < width / 2 ? colour : qRgba(0, 0, 0, 0));
            }
        }
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }

    QString WriteBytes(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    static ThumbnailRequest Request(const QString& path, QSize box = {100, 100}) {
        ThumbnailRequest request;
        request.path = path;
        request.box = box;
        return request;
    }

    QTemporaryDir dir_;
};

TEST(ThumbnailFitTest, LargerRatioDecidesAndSmallPicturesStayAsTheyAre) {
    EXPECT_EQ(FitThumbnailSize({400, 100}, {100, 100}), QSize(100, 25));
    EXPECT_EQ(FitThumbnailSize({100, 400}, {100, 100}), QSize(25, 100));
    EXPECT_EQ(FitThumbnailSize({50, 40}, {100, 100}), QSize(50, 40));
    EXPECT_EQ(FitThumbnailSize({100, 100}, {100, 100}), QSize(100, 100));
    // 300 x 200 into 120 x 90: ratios 2.5 and 2.22; width decides, 200 / 2.5 = 80.
    EXPECT_EQ(FitThumbnailSize({300, 200}, {120, 90}), QSize(120, 80));
    // 333 / (1000 / 150) = 49.95, cut to 49.
    EXPECT_EQ(FitThumbnailSize({1000, 333}, {150, 150}), QSize(150, 49));
    // A hairline picture keeps one row instead of vanishing.
    EXPECT_EQ(FitThumbnailSize({10000, 1}, {100, 100}), QSize(100, 1));
    EXPECT_FALSE(FitThumbnailSize({0, 10}, {100, 100}).isValid());
    EXPECT_FALSE(FitThumbnailSize({10, 10}, {0, 100}).isValid());
}

TEST_F(ThumbnailLoaderTest, ThumbnailIsScaledAndLaidOverWhite) {
    const QString path = WritePicture(QStringLiteral("half.png"), 400, 200, qRgb(200, 10, 30));
    const QImage thumb = MakeThumbnail(path, {100, 100});
    ASSERT_FALSE(thumb.isNull());
    EXPECT_EQ(thumb.size(), QSize(100, 50));
    // Well inside the opaque half: the colour; inside the transparent half: white.
    const QRgb left = thumb.pixel(20, 25);
    EXPECT_NEAR(qRed(left), 200, 2);
    EXPECT_NEAR(qGreen(left), 10, 2);
    EXPECT_NEAR(qBlue(left), 30, 2);
    EXPECT_EQ(thumb.pixel(80, 25), qRgb(255, 255, 255));
    EXPECT_EQ(qAlpha(thumb.pixel(80, 25)), 255);
    // Small pictures are not enlarged.
    const QString small = WritePicture(QStringLiteral("small.png"), 30, 20, qRgb(0, 0, 255));
    EXPECT_EQ(MakeThumbnail(small, {100, 100}).size(), QSize(30, 20));
}

TEST_F(ThumbnailLoaderTest, BadFilesGiveNoBitmapAndNoCrash) {
    QByteArray png;
    {
        QFile file(WritePicture(QStringLiteral("whole.png"), 64, 64, qRgb(1, 2, 3)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        png = file.readAll();
    }
    const QStringList bad = {
        dir_.filePath(QStringLiteral("missing.png")),
        WriteBytes(QStringLiteral("empty.png"), {}),
        WriteBytes(QStringLiteral("text.jpg"), QByteArray("this is not a picture")),
        WriteBytes(QStringLiteral("cut.png"), png.left(png.size() / 3)),
        WriteBytes(QStringLiteral("header.png"), png.left(8)),
    };
    for (const QString& path : bad) {
        EXPECT_TRUE(MakeThumbnail(path, {100, 100}).isNull()) << path.toStdString();
    }

    ThumbnailLoader loader;
    QObject receiver;
    std::vector<ThumbnailRequest> results;
    std::vector<ThumbnailRequest> requests;
    for (const QString& path : bad) {
        requests.push_back(Request(path));
    }
    requests.push_back(Request(dir_.filePath(QStringLiteral("whole.png"))));
    loader.Queue(std::move(requests), &receiver,
                 [&](const ThumbnailRequest& r) { results.push_back(r); });
    loader.Wake();
    ASSERT_TRUE(PumpUntil([&] { return results.size() == static_cast<size_t>(bad.size()) + 1; }));
    for (size_t i = 0; i < static_cast<size_t>(bad.size()); ++i) {
        EXPECT_TRUE(results[i].bitmap.isNull());
        EXPECT_TRUE(results[i].size.isEmpty());
    }
    EXPECT_EQ(results.back().size, QSize(64, 64));
}

TEST_F(ThumbnailLoaderTest, ResultsComeBackInQueueOrderOnTheReceiversThread) {
    ThumbnailLoader loader;
    QObject receiver;
    std::vector<ThumbnailRequest> requests;
    std::vector<QSize> expectedSizes;
    for (int i = 0; i < 6; ++i) {
        const int width = 100 + 60 * i;
        const QString path =
            WritePicture(QStringLiteral("p%1.png").arg(i), width, 80, qRgb(10 * i, 0, 0));
        requests.push_back(Request(path, {120, 120}));
        expectedSizes.push_back(FitThumbnailSize({width, 80}, {120, 120}));
    }
    std::vector<QString> paths;
    for (const ThumbnailRequest& r : requests) {
        paths.push_back(r.path);
    }
    std::vector<ThumbnailRequest> results;
    const std::thread::id uiThread = std::this_thread::get_id();
    bool otherThread = false;
    const std::vector<std::uint64_t> tickets =
        loader.Queue(std::move(requests), &receiver, [&](const ThumbnailRequest& r) {
            otherThread = otherThread || std::this_thread::get_id() != uiThread;
            results.push_back(r);
        });
    ASSERT_EQ(tickets.size(), 6u);
    EXPECT_EQ(loader.QueuedCount(), 6u);
    // Nothing is made before the work signal.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    QCoreApplication::processEvents();
    EXPECT_TRUE(results.empty());
    loader.Wake();
    ASSERT_TRUE(PumpUntil([&] { return results.size() == 6; }));
    EXPECT_FALSE(otherThread);
    for (size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(results[i].path, paths[i]);
        EXPECT_EQ(results[i].ticket, tickets[i]);
        EXPECT_EQ(results[i].size, expectedSizes[i]);
        EXPECT_EQ(results[i].bitmap.size(), expectedSizes[i]);
    }
    EXPECT_EQ(loader.QueuedCount(), 0u);
}

TEST_F(ThumbnailLoaderTest, WithdrawnRequestsAreNeverHandedBack) {
    ThumbnailLoader loader;
    QObject receiver;
    std::vector<ThumbnailRequest> requests;
    for (int i = 0; i < 4; ++i) {
        requests.push_back(
            Request(WritePicture(QStringLiteral("w%1.png").arg(i), 90, 90, qRgb(0, 50, 0))));
    }
    std::vector<std::uint64_t> seen;
    std::vector<std::uint64_t> tickets;
    tickets = loader.Queue(std::move(requests), &receiver, [&](const ThumbnailRequest& r) {
        seen.push_back(r.ticket);
        // The first result removes the third tile while the loader already
        // holds the whole queue: the withdrawal must still stop it.
        if (r.ticket == tickets[0]) {
            loader.Withdraw(tickets[2]);
        }
    });
    // Still queued: dropped from the queue at once.
    loader.Withdraw(tickets[1]);
    EXPECT_EQ(loader.QueuedCount(), 3u);
    loader.Withdraw(987654321);  // unknown: ignored
    loader.Wake();
    ASSERT_TRUE(PumpUntil([&] { return seen.size() == 2; }));
    // Give a wrongly delivered third result the chance to show up.
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(seen, (std::vector<std::uint64_t>{tickets[0], tickets[3]}));
}

TEST_F(ThumbnailLoaderTest, QueueAfterAPassWaitsForTheNextWake) {
    ThumbnailLoader loader;
    QObject receiver;
    int count = 0;
    const auto handler = [&](const ThumbnailRequest&) { ++count; };
    std::vector<ThumbnailRequest> first;
    first.push_back(Request(WritePicture(QStringLiteral("a.png"), 20, 20, qRgb(1, 1, 1))));
    loader.Queue(std::move(first), &receiver, handler);
    loader.Wake();
    ASSERT_TRUE(PumpUntil([&] { return count == 1; }));
    std::vector<ThumbnailRequest> second;
    second.push_back(Request(WritePicture(QStringLiteral("b.png"), 20, 20, qRgb(1, 1, 1))));
    loader.Queue(std::move(second), &receiver, handler);
    PumpUntil([] { return false; }, 150);
    EXPECT_EQ(count, 1);
    loader.Wake();
    ASSERT_TRUE(PumpUntil([&] { return count == 2; }));
}

TEST_F(ThumbnailLoaderTest, GoneReceiverAndStopWhileHandingBackDoNotHang) {
    int calls = 0;
    {
        ThumbnailLoader loader;
        auto receiver = std::make_unique<QObject>();
        std::vector<ThumbnailRequest> requests;
        for (int i = 0; i < 3; ++i) {
            requests.push_back(
                Request(WritePicture(QStringLiteral("g%1.png").arg(i), 50, 50, qRgb(9, 9, 9))));
        }
        loader.Queue(std::move(requests), receiver.get(),
                     [&](const ThumbnailRequest&) { ++calls; });
        loader.Wake();
        // The loader is by now waiting for the receiver's thread, which is
        // busy here; the receiver goes away first.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        receiver.reset();
        PumpUntil([] { return false; }, 100);
    }
    EXPECT_EQ(calls, 0);

    {
        QObject receiver;
        auto loader = std::make_unique<ThumbnailLoader>();
        std::vector<ThumbnailRequest> requests;
        requests.push_back(Request(WritePicture(QStringLiteral("s.png"), 50, 50, qRgb(9, 9, 9))));
        requests.push_back(Request(WritePicture(QStringLiteral("t.png"), 50, 50, qRgb(9, 9, 9))));
        loader->Queue(std::move(requests), &receiver, [&](const ThumbnailRequest&) { ++calls; });
        loader->Wake();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        // Ends while its first hand-back waits for this thread.
        loader.reset();
        PumpUntil([] { return false; }, 100);
    }
    EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace quillora::thumbnails
