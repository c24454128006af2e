#include <gtest/gtest.h>

#include <QImage>

#include <cstdint>
#include <random>

#include "canvas/document/StrokeReplay.h"
#include "canvas/effects/BrushHistory.h"
#include "canvas/effects/StrokeReplayer.h"

namespace quillora::canvas {
namespace {

constexpr std::uint32_t kSourcePixel = 0xC0102030u;  // the photo, partly transparent
constexpr std::uint32_t kCutOutPixel = 0xFFA0B0C0u;  // the service's cut-out
constexpr int kHard = 10;

QImage Filled(int w, int h, std::uint32_t argb) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(argb);
    return image;
}

// Every pixel different, so a pixel taken from the wrong place shows.
QImage Patterned(int w, int h, std::uint32_t alpha) {
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            image.setPixel(x, y, (alpha << 24) | static_cast<std::uint32_t>(y * 977 + x * 13));
        }
    }
    return image;
}

std::uint32_t At(const QImage& image, int x, int y) {
    return image.pixel(x, y);
}

StrokeRecord RandomRecord(std::mt19937& rng, int w, int h, int group) {
    std::uniform_real_distribution<float> px(-20.0f, static_cast<float>(w) + 20.0f);
    std::uniform_real_distribution<float> py(-20.0f, static_cast<float>(h) + 20.0f);
    std::uniform_int_distribution<int> size(10, 40);
    std::uniform_int_distribution<int> coin(0, 1);
    const std::uint8_t kind = coin(rng) != 0 ? kStrokeAdd : kStrokeErase;
    if (coin(rng) != 0) {
        return MakeDot(px(rng), py(rng), size(rng), group, kind);
    }
    return MakeSegment(px(rng), py(rng), px(rng), py(rng), size(rng), group, kind);
}

struct Scene {
    QImage source = Patterned(160, 120, 0xC0);
    QImage cutOut = Patterned(160, 120, 0xFF);
    QImage result;
    BrushHistory history;
    StrokeReplayer replayer;

    Scene() {
        // The photo's colours shifted, so restored and kept pixels differ.
        for (int y = 0; y < source.height(); ++y) {
            for (int x = 0; x < source.width(); ++x) {
                source.setPixel(x, y, At(source, x, y) ^ 0x00FF0000u);
            }
        }
        result = cutOut.copy();
        EXPECT_TRUE(replayer.SetCutOut(result));
    }

    void AddGroup(std::mt19937& rng, int records, int softness) {
        const int group = history.Count();
        for (int i = 0; i < records; ++i) {
            history.Append(RandomRecord(rng, source.width(), source.height(), group), softness);
        }
        history.CloseGroup();
    }

    // The plain replay of the whole list from the service's cut-out.
    QImage FullHardReplay() const {
        QImage full = cutOut.copy();
        ReplayMaskBuffer buffer;
        EXPECT_TRUE(ReplayStrokes(full, source, history.Records(), buffer));
        return full;
    }

    // What a replay from the start gives, through a replayer of its own.
    QImage FromStart() const {
        QImage fresh = cutOut.copy();
        StrokeReplayer other;
        other.SetCutOut(fresh);
        EXPECT_TRUE(other.Update(fresh, source, history, true));
        return fresh;
    }
};

TEST(StrokeReplayerTest, AddingStrokesBitByBitEqualsOneReplayOfTheWholeList) {
    std::mt19937 rng(7);
    Scene s;
    for (int round = 0; round < 25; ++round) {
        s.AddGroup(rng, 1 + round % 4, kHard);
        ASSERT_TRUE(s.replayer.Update(s.result, s.source, s.history, false));
        ASSERT_EQ(s.result, s.FullHardReplay()) << "after group " << round;
    }
}

TEST(StrokeReplayerTest, IncrementalUpdateTouchesOnlyTheNewStrokes) {
    Scene s;
    s.history.Append(MakeDot(20, 20, 10, 0, kStrokeErase), kHard);
    s.history.CloseGroup();
    ASSERT_TRUE(s.replayer.Update(s.result, s.source, s.history, false));
    s.history.Append(MakeDot(120, 80, 10, 1, kStrokeErase), kHard);
    s.history.CloseGroup();
    ASSERT_TRUE(s.replayer.Update(s.result, s.source, s.history, false));
    const RectI change = s.replayer.LastChange();
    EXPECT_FALSE(change.IsEmpty());
    EXPECT_GT(change.x, 100) << "the first dot is not replayed again";
    EXPECT_LE(change.w, 14);
    EXPECT_EQ(At(s.result, 20, 20), 0u);
    EXPECT_EQ(At(s.result, 120, 80), 0u);
}

TEST(StrokeReplayerTest, UndoRedoAndDrawingAgainMatchAReplayFromTheStart) {
    std::mt19937 rng(11);
    Scene s;
    for (int i = 0; i < 6; ++i) {
        s.AddGroup(rng, 3, kHard);
    }
    ASSERT_TRUE(s.replayer.Update(s.result, s.source, s.history, false));
    s.history.Step(HistoryStep::Undo, {});
    s.history.Step(HistoryStep::Undo, {});
    ASSERT_TRUE(s.replayer.Update(s.result, s.source, s.history, true));
    EXPECT_EQ(s.result, s.FullHardReplay()) << "undone groups leave no trace";
    s.history.Step(HistoryStep::Redo, {});
    ASSERT_TRUE(s.replayer.Update(s.result, s.source, s.history, true));
    EXPECT_EQ(s.result, s.FullHardReplay());
    s.history.DiscardRedoTail();
    s.AddGroup(rng, 2, kHard);
    ASSERT_TRUE(s.replayer.Update(s.result, s.source, s.history, false));
    EXPECT_EQ(s.result, s.FullHardReplay());
    s.history.Step(HistoryStep::Reset, [] { return true; });
    ASSERT_TRUE(s.replayer.Update(s.result, s.source, s.history, true));
    EXPECT_EQ(s.result, s.cutOut) << "reset brings back the service's cut-out";
}

TEST(StrokeReplayerTest, ReplayFromTheStartDropsChangesMadeBehindItsBack) {
    Scene s;
    s.history.Append(MakeDot(30, 30, 10, 0, kStrokeAdd), kHard);
    s.history.CloseGroup();
    ASSERT_TRUE(s.replayer.Update(s.result, s.source, s.history, false));
    s.result.setPixel(100, 100, 0x12345678u);
    // Reset answered no: nothing changed in the list, but the replay starts
    // again from the service's cut-out.
    EXPECT_TRUE(s.history.Step(HistoryStep::Reset, [] { return false; }));
    ASSERT_TRUE(s.replayer.Update(s.result, s.source, s.history, true));
    EXPECT_EQ(s.result, s.FullHardReplay());
}

TEST(StrokeReplayerTest, EraseThenAddRestoresAndAddThenEraseLeavesTransparent) {
    for (int softness : {kHard, 60}) {
        const QImage source = Filled(40, 40, kSourcePixel);
        QImage result = Filled(40, 40, kCutOutPixel);
        StrokeReplayer replayer;
        replayer.SetCutOut(result);
        BrushHistory history;
        history.Append(MakeDot(10, 10, 10, 0, kStrokeErase), softness);
        history.Append(MakeDot(10, 10, 10, 0, kStrokeAdd), softness);
        history.CloseGroup();
        history.Append(MakeDot(30, 30, 10, 1, kStrokeAdd), softness);
        history.Append(MakeDot(30, 30, 10, 1, kStrokeErase), softness);
        history.CloseGroup();
        ASSERT_TRUE(replayer.Update(result, source, history, false));
        EXPECT_EQ(At(result, 10, 10), kSourcePixel) << softness;
        EXPECT_EQ(At(result, 30, 30), 0u) << softness;
        EXPECT_EQ(At(result, 0, 0), kCutOutPixel) << softness;
    }
}

TEST(StrokeReplayerTest, MixedSoftAndHardStrokesAddedBitByBitEqualAReplayFromTheStart) {
    std::mt19937 rng(3);
    Scene s;
    for (int round = 0; round < 16; ++round) {
        s.AddGroup(rng, 1 + round % 3, round % 3 == 0 ? kHard : 10 + 15 * (round % 7));
        ASSERT_TRUE(s.replayer.Update(s.result, s.source, s.history, false));
        ASSERT_EQ(s.result, s.FromStart()) << "after group " << round;
    }
    s.history.Step(HistoryStep::Undo, {});
    ASSERT_TRUE(s.replayer.Update(s.result, s.source, s.history, true));
    EXPECT_EQ(s.result, s.FromStart());
}

TEST(StrokeReplayerTest, ASoftStrokeIsUpdatedOnceNotOncePerUpdate) {
    Scene s;
    s.history.Append(MakeDot(80, 60, 30, 0, kStrokeErase), 100);
    s.history.CloseGroup();
    ASSERT_TRUE(s.replayer.Update(s.result, s.source, s.history, false));
    const QImage once = s.result.copy();
    ASSERT_TRUE(s.replayer.Update(s.result, s.source, s.history, false));
    ASSERT_TRUE(s.replayer.Update(s.result, s.source, s.history, true));
    EXPECT_EQ(s.result, once) << "a soft edge must not fade further on every replay";
}

TEST(StrokeReplayerTest, ANewCutOutStartsAgainAndBadPicturesFail) {
    Scene s;
    s.history.Append(MakeDot(10, 10, 10, 0, kStrokeErase), kHard);
    s.history.CloseGroup();
    ASSERT_TRUE(s.replayer.Update(s.result, s.source, s.history, false));
    QImage other = Filled(160, 120, kCutOutPixel);
    ASSERT_TRUE(s.replayer.SetCutOut(other));
    ASSERT_TRUE(s.replayer.Update(other, s.source, s.history, false));
    EXPECT_EQ(At(other, 10, 10), 0u);
    EXPECT_EQ(At(other, 100, 100), kCutOutPixel);

    QImage empty;
    EXPECT_FALSE(s.replayer.Update(empty, s.source, s.history, false));
    EXPECT_FALSE(s.replayer.SetCutOut(QImage()));
    QImage wrongFormat(10, 10, QImage::Format_RGB32);
    EXPECT_FALSE(s.replayer.Update(s.result, wrongFormat, s.history, false));
}

TEST(StrokeReplayerTest, StrokesOverAPhotoLargerThanTheCutOutStayInside) {
    const QImage source = Filled(80, 80, kSourcePixel);
    QImage result = Filled(40, 30, kCutOutPixel);
    StrokeReplayer replayer;
    replayer.SetCutOut(result);
    BrushHistory history;
    history.Append(MakeSegment(0, 0, 80, 80, 20, 0, kStrokeAdd), 80);
    history.Append(MakeSegment(0, 0, 80, 80, 20, 0, kStrokeAdd), kHard);
    history.CloseGroup();
    ASSERT_TRUE(replayer.Update(result, source, history, false));
    EXPECT_EQ(At(result, 20, 20), kSourcePixel);
}

}  // namespace
}  // namespace quillora::canvas
