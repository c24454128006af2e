#include <gtest/gtest.h>

#include <QImage>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "canvas/imaging/Effects.h"
#include "canvas/imaging/Parallel.h"

namespace quillora::imaging {
namespace {

// The threads that ran the chunks of one call.
std::set<std::thread::id> ThreadsOfACall(int chunks) {
    std::mutex mutex;
    std::set<std::thread::id> ids;
    std::atomic<int> ran{0};
    EXPECT_TRUE(parallelFor(chunks, [&](int) {
        // Long enough that a second thread gets the chance to take a chunk.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        std::lock_guard lock(mutex);
        ids.insert(std::this_thread::get_id());
        ++ran;
    }));
    EXPECT_EQ(ran.load(), chunks);
    return ids;
}

TEST(SerialKernels, EveryChunkRunsOnTheCallingThreadAndNestingRestores) {
    EXPECT_FALSE(kernelsSerial());
    {
        SerialKernels outer;
        EXPECT_TRUE(kernelsSerial());
        {
            SerialKernels inner;
            EXPECT_EQ(ThreadsOfACall(32), std::set{std::this_thread::get_id()});
        }
        // The inner one ending must not switch the outer one off.
        EXPECT_TRUE(kernelsSerial());
        EXPECT_EQ(ThreadsOfACall(32), std::set{std::this_thread::get_id()});
    }
    EXPECT_FALSE(kernelsSerial());
    if (parallelThreadCount() > 1) {
        EXPECT_GT(ThreadsOfACall(32).size(), 1u);
    }
}

TEST(SerialKernels, OnlyTheThreadThatAskedIsSerial) {
    SerialKernels serial;
    bool otherSerial = true;
    std::thread other([&] { otherSerial = kernelsSerial(); });
    other.join();
    EXPECT_FALSE(otherSerial);
    EXPECT_TRUE(kernelsSerial());
}

TEST(SerialKernels, KernelResultsAreTheSameAsOnEveryCore) {
    // A blur over many bands: the serial run must give the same pixels.
    QImage picture(301, 257, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            row[x] = qRgba((x * 7 + y * 3) & 255, (x ^ y) & 255, (x * y) & 255, (x + y) & 255);
        }
    }
    QImage spread = picture.copy();
    QImage serialCopy = picture.copy();
    ASSERT_TRUE(gaussianBlur(spread, 6.0f, false));
    {
        SerialKernels serial;
        ASSERT_TRUE(gaussianBlur(serialCopy, 6.0f, false));
    }
    EXPECT_NE(spread, picture);
    EXPECT_EQ(spread, serialCopy);
}

}  // namespace
}  // namespace quillora::imaging
