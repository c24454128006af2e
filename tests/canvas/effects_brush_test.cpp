#include <gtest/gtest.h>

#include "canvas/document/ViewGeometry.h"
#include "canvas/effects/BrushHistory.h"
#include "canvas/effects/BrushInput.h"

namespace quillora::canvas {
namespace {

// A 400 x 300 photo in an 800 x 600 client area at the given scale: the
// cut-out page's view is centred, so at 0.5 it is 200 x 150 at (300, 225)
// and at 2.0 it is 800 x 600 at (0, 0).
ViewGeometry ViewAt(float scale) {
    ViewGeometry view;
    view.SetImageSize(400, 300);
    view.SetClientSize(800, 600);
    view.SetAllScales(scale);
    view.LayoutAll();
    view.SelectPage(EditMode::CutOut);
    return view;
}

struct Brush {
    ViewGeometry view = ViewAt(0.5f);
    BrushParams params;
    BrushHistory history;
    BrushInput input;

    void Click(PointI at) {
        input.Press(at);
        input.Release(at, view, params, history);
    }
    // Press at the first point, move through the others, release at the last.
    void Drag(std::initializer_list<PointI> points) {
        const PointI* p = points.begin();
        input.Press(*p);
        for (++p; p != points.end(); ++p) {
            input.Move(*p, view, params, history);
        }
        input.Release(*(points.end() - 1), view, params, history);
    }
    int Dots() const {
        int n = 0;
        for (const StrokeRecord& r : history.Records()) {
            n += r.isSegment == 0 ? 1 : 0;
        }
        return n;
    }
};

TEST(BrushInputTest, ClickIsOneDotOfTheBrushSizeInImagePixelsAtAnyZoom) {
    for (float scale : {0.5f, 2.0f}) {
        Brush b;
        b.view = ViewAt(scale);
        b.params.size = 37;
        b.Click({310, 236});
        ASSERT_EQ(b.history.Records().size(), 1u) << scale;
        const StrokeRecord& dot = b.history.Records()[0];
        EXPECT_EQ(dot.isSegment, 0);
        EXPECT_EQ(dot.size, 37) << "the diameter does not follow the zoom";
        // (310 - 300) / 0.5 = 20, (236 - 225) / 0.5 = 22; at 2.0 the view
        // starts at the origin: 155, 118.
        EXPECT_FLOAT_EQ(dot.x1, scale == 0.5f ? 20.0f : 155.0f);
        EXPECT_FLOAT_EQ(dot.y1, scale == 0.5f ? 22.0f : 118.0f);
        EXPECT_EQ(dot.x2, 0.0f);
        EXPECT_EQ(dot.y2, 0.0f);
        EXPECT_EQ(dot.group, 0);
        EXPECT_EQ(dot.kind, kStrokeAdd);
        EXPECT_EQ(b.history.Count(), 1);
        EXPECT_EQ(b.history.Position(), 1);
    }
}

TEST(BrushInputTest, WobbleWithinFivePixelsIsOneDotAtTheReleasePoint) {
    Brush b;
    // (3, 4) is exactly 5 pixels away: not beyond the threshold.
    b.Drag({{400, 300}, {403, 304}, {402, 297}, {403, 304}});
    ASSERT_EQ(b.history.Records().size(), 1u);
    EXPECT_EQ(b.Dots(), 1);
    EXPECT_FLOAT_EQ(b.history.Records()[0].x1, (403 - 300) / 0.5f);
    EXPECT_FLOAT_EQ(b.history.Records()[0].y1, (304 - 225) / 0.5f);
}

TEST(BrushInputTest, DragMakesChainedSegmentsAndNoDot) {
    Brush b;
    b.params.kind = BrushKind::Erase;
    b.params.size = 12;
    // The move to (404, 300) is within 5 of the press and is skipped; the
    // next ones are measured from the last recorded point.
    b.Drag({{400, 300}, {404, 300}, {410, 300}, {413, 300}, {420, 300}});
    const StrokeList& r = b.history.Records();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(b.Dots(), 0);
    EXPECT_FLOAT_EQ(r[0].x1, 200.0f);
    EXPECT_FLOAT_EQ(r[0].x2, 220.0f);
    EXPECT_FLOAT_EQ(r[1].x1, 220.0f) << "each segment starts where the last ended";
    EXPECT_FLOAT_EQ(r[1].x2, 240.0f);
    for (const StrokeRecord& s : r) {
        EXPECT_EQ(s.isSegment, 1);
        EXPECT_EQ(s.kind, kStrokeErase);
        EXPECT_EQ(s.size, 12);
        EXPECT_EQ(s.group, 0);
        EXPECT_FLOAT_EQ(s.y1, 150.0f);
        EXPECT_FLOAT_EQ(s.y2, 150.0f);
    }
}

TEST(BrushInputTest, DragBackToThePressPointAddsNoDot) {
    Brush b;
    b.Drag({{400, 300}, {420, 300}, {401, 300}});
    EXPECT_EQ(b.Dots(), 0);
    EXPECT_EQ(b.history.Records().size(), 2u);
}

TEST(BrushInputTest, MovesWithoutPressAndReleaseWithoutPressRecordNothing) {
    Brush b;
    EXPECT_FALSE(b.input.Move({500, 500}, b.view, b.params, b.history));
    EXPECT_FALSE(b.input.Release({500, 500}, b.view, b.params, b.history));
    EXPECT_TRUE(b.history.Records().empty());
    EXPECT_EQ(b.history.Count(), 0);
}

TEST(BrushInputTest, EachPressIsItsOwnGroupAndSoftnessIsKeptPerRecord) {
    Brush b;
    b.params.softness = 40;
    b.Click({400, 300});
    b.params.softness = 90;
    b.Drag({{300, 300}, {320, 300}});
    const StrokeList& r = b.history.Records();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].group, 0);
    EXPECT_EQ(r[1].group, 1);
    EXPECT_EQ(b.history.Softness()[0], 40);
    EXPECT_EQ(b.history.Softness()[1], 90);
    EXPECT_EQ(b.history.Count(), 2);
}

TEST(BrushHistoryTest, DrawingAfterTwoUndosDiscardsThemAndRedoThenDoesNothing) {
    Brush b;
    b.Click({400, 300});
    b.Click({410, 300});
    b.Click({420, 300});
    EXPECT_TRUE(b.history.Step(HistoryStep::Undo, {}));
    EXPECT_TRUE(b.history.Step(HistoryStep::Undo, {}));
    EXPECT_EQ(b.history.Position(), 1);
    EXPECT_EQ(b.history.Count(), 3);
    EXPECT_EQ(b.history.Records()[1].enabled, 0);
    EXPECT_EQ(b.history.Records()[2].enabled, 0);

    b.Drag({{300, 300}, {330, 300}});
    ASSERT_EQ(b.history.Count(), 2);
    EXPECT_EQ(b.history.Position(), 2);
    const StrokeList& r = b.history.Records();
    ASSERT_EQ(r.size(), 2u) << "the two undone dots are gone";
    EXPECT_FLOAT_EQ(r[0].x1, 200.0f);
    EXPECT_EQ(r[1].isSegment, 1);
    EXPECT_EQ(r[1].group, 1);

    b.history.Step(HistoryStep::Redo, {});
    EXPECT_EQ(b.history.Position(), 2);
    EXPECT_EQ(b.history.Records().size(), 2u);
}

TEST(BrushHistoryTest, AClickAfterUndoAlsoDiscardsTheUndoneGroups) {
    Brush b;
    b.Click({400, 300});
    b.Click({410, 300});
    b.history.Step(HistoryStep::Undo, {});
    b.Click({420, 300});
    ASSERT_EQ(b.history.Records().size(), 2u);
    EXPECT_FLOAT_EQ(b.history.Records()[1].x1, 240.0f);
    EXPECT_EQ(b.history.Records()[1].group, 1);
    EXPECT_EQ(b.history.Records()[1].enabled, 1);
    EXPECT_EQ(b.history.Count(), 2);
    EXPECT_EQ(b.history.Position(), 2);
}

TEST(BrushHistoryTest, UndoStopsAtZeroAndRedoAtTheEnd) {
    Brush b;
    b.Click({400, 300});
    b.Click({410, 300});
    b.history.Step(HistoryStep::Redo, {});
    EXPECT_EQ(b.history.Position(), 2);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(b.history.Step(HistoryStep::Undo, {}));
    }
    EXPECT_EQ(b.history.Position(), 0);
    EXPECT_EQ(b.history.Records()[0].enabled, 0);
    b.history.Step(HistoryStep::Redo, {});
    EXPECT_EQ(b.history.Records()[0].enabled, 1);
    EXPECT_EQ(b.history.Records()[1].enabled, 0);
    for (int i = 0; i < 4; ++i) {
        b.history.Step(HistoryStep::Redo, {});
    }
    EXPECT_EQ(b.history.Position(), 2);
    EXPECT_EQ(b.history.Records()[1].enabled, 1);
}

TEST(BrushHistoryTest, ResetAnsweredNoKeepsStrokesButStillAsksForAFreshReplay) {
    Brush b;
    b.Click({400, 300});
    const std::uint64_t before = b.history.Revision();
    int asked = 0;
    EXPECT_TRUE(b.history.Step(HistoryStep::Reset, [&] {
        ++asked;
        return false;
    }));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(b.history.Records().size(), 1u);
    EXPECT_EQ(b.history.Count(), 1);
    EXPECT_NE(b.history.Revision(), before);

    EXPECT_TRUE(b.history.Step(HistoryStep::Reset, [] { return true; }));
    EXPECT_TRUE(b.history.Records().empty());
    EXPECT_EQ(b.history.Count(), 0);
    EXPECT_EQ(b.history.Position(), 0);
}

TEST(BrushHistoryTest, NothingHappensWithoutGroupsNotEvenTheResetQuestion) {
    BrushHistory history;
    bool asked = false;
    EXPECT_FALSE(history.Step(HistoryStep::Reset, [&] { return asked = true; }));
    EXPECT_FALSE(asked);
    EXPECT_FALSE(history.Step(HistoryStep::Undo, {}));
    EXPECT_FALSE(history.Step(HistoryStep::Redo, {}));
    EXPECT_FALSE(history.Step(static_cast<HistoryStep>(7), {}));
}

TEST(BrushHistoryTest, AppendingKeepsTheRevisionAndRemovingChangesIt) {
    Brush b;
    b.Click({400, 300});
    const std::uint64_t r0 = b.history.Revision();
    b.Click({410, 300});
    EXPECT_EQ(b.history.Revision(), r0);
    b.history.Step(HistoryStep::Undo, {});
    const std::uint64_t r1 = b.history.Revision();
    EXPECT_NE(r1, r0);
    b.Click({420, 300});
    EXPECT_NE(b.history.Revision(), r1) << "discarding the undone group is a removal";
}

}  // namespace
}  // namespace quillora::canvas
