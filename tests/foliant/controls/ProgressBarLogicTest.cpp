// The styled progress bar's rules without a window: which property writes
// are taken, and which blocks each accepted value paints.
#include <gtest/gtest.h>

#include "controls/ProgressBarLogic.h"

namespace {

// A bar of the given size, just resized.
struct Bar {
    ProgressBarLogic logic;
    PaintList paint;
    Bar(int w, int h) { logic.Resize(w, h, paint); }

    // Sets a value and returns what it painted.
    PaintList Set(int32_t v) {
        paint.clear();
        logic.SetValue(v, paint);
        return paint;
    }
};

std::vector<SkinRect> Blocks(const PaintList& paint) {
    std::vector<SkinRect> out;
    for (const ProgressPaint& p : paint)
        if (p.kind == ProgressPaint::kBlock)
            out.push_back(p.dest);
    return out;
}

bool StartsWithTrack(const PaintList& paint) {
    return !paint.empty() && paint.front().kind == ProgressPaint::kTrack;
}

// Right edge of the fill after a sequence of values, as painted.
int FillEnd(Bar& bar) {
    int end = 0;
    for (const ProgressPaint& p : bar.paint)
        if (p.kind == ProgressPaint::kBlock)
            end = std::max(end, p.dest.x + p.dest.width);
    return end;
}

TEST(ProgressProperties, RangeWritesFollowTheirRules) {
    ProgressBarLogic bar;
    EXPECT_FALSE(bar.SetMin(-1));
    EXPECT_FALSE(bar.SetMin(101)) << "above Max";
    EXPECT_TRUE(bar.SetMin(100));
    EXPECT_EQ(bar.Min(), 100);
    EXPECT_FALSE(bar.SetMax(99)) << "below Min";
    EXPECT_TRUE(bar.SetMax(100));
    EXPECT_TRUE(bar.SetMax(250));
    EXPECT_EQ(bar.Max(), 250);
    EXPECT_EQ(bar.Min(), 100);
}

TEST(ProgressProperties, ValueMustChangeAndStayInRange) {
    Bar bar(100, 14);
    EXPECT_TRUE(bar.Set(30).size() > 0);
    PaintList none;
    EXPECT_FALSE(bar.logic.SetValue(30, none)) << "the same value";
    EXPECT_FALSE(bar.logic.SetValue(101, none));
    EXPECT_FALSE(bar.logic.SetValue(-1, none));
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(bar.logic.Value(), 30);
}

TEST(ProgressProperties, UnknownLookKeepsTheCurrentOne) {
    ProgressBarLogic bar;
    bar.SetProgressLook(3);
    EXPECT_EQ(bar.CurrentLook(), 3);
    bar.SetProgressLook(9);
    EXPECT_EQ(bar.ProgressLook(), 9) << "stored";
    EXPECT_EQ(bar.CurrentLook(), 3) << "colours kept";
}

// Block painting of style 0.
TEST(ProgressBlocks, StartAtFourEveryTenPixels) {
    Bar bar(100, 14);
    auto blocks = Blocks(bar.Set(25));
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0], (SkinRect{4, 3, 8, 8}));
    EXPECT_EQ(blocks[1], (SkinRect{14, 3, 8, 8}));
    EXPECT_EQ(blocks[2], (SkinRect{24, 3, 8, 8}));
    // Only the new blocks are painted by the next value.
    blocks = Blocks(bar.Set(45));
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].x, 34);
    EXPECT_EQ(blocks[1].x, 44);
}

TEST(ProgressBlocks, MaxEndsThreePixelsBeforeTheRightEdge) {
    for (int w : {100, 274, 60}) {
        Bar bar(w, 14);
        auto blocks = Blocks(bar.Set(100));
        ASSERT_FALSE(blocks.empty());
        EXPECT_EQ(blocks.back().x + blocks.back().width, w - 3) << w;
        EXPECT_LT(blocks.back().width, 8) << "the last piece is cut to fit";
        EXPECT_TRUE(bar.logic.BarFull());
    }
    // Where the last piece would have no width, the block before it ends
    // the fill, still inside the rim.
    for (int w : {276, 57}) {
        Bar bar(w, 14);
        bar.Set(100);
        EXPECT_LE(FillEnd(bar), w - 3) << w;
        EXPECT_GE(FillEnd(bar), w - 5) << w;
        EXPECT_TRUE(bar.logic.BarFull());
    }
}

TEST(ProgressBlocks, NarrowBarDrawsOneSevenPixelPieceFromTwentyNine) {
    Bar bar(14, 14);
    EXPECT_TRUE(Blocks(bar.Set(28)).empty()) << "the fill has not passed x = 4";
    auto blocks = Blocks(bar.Set(29));
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0], (SkinRect{4, 3, 7, 8}));
    EXPECT_TRUE(bar.logic.BarFull());
    EXPECT_TRUE(Blocks(bar.Set(90)).empty()) << "a full bar draws nothing more";
}

TEST(ProgressBlocks, LowerValueRepaintsAndRedrawsUpToIt) {
    Bar bar(100, 14);
    bar.Set(40);
    PaintList paint = bar.Set(20);
    ASSERT_TRUE(StartsWithTrack(paint));
    auto blocks = Blocks(paint);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].x, 4);
    EXPECT_EQ(blocks[1].x, 14);
    EXPECT_EQ(bar.logic.LastDrawn(), 20);
}

TEST(ProgressBlocks, ValueAtMinStartsAgainWithNothingDrawn) {
    Bar bar(100, 14);
    bar.Set(70);
    PaintList paint = bar.Set(0);
    EXPECT_TRUE(StartsWithTrack(paint));
    EXPECT_TRUE(Blocks(paint).empty());
    EXPECT_EQ(bar.logic.NextBlockX(), 4);
    EXPECT_FALSE(bar.logic.BarFull());
}

// After a full repaint the fill follows the value: the next value adds
// its distance from the value drawn last, not the value itself.
TEST(ProgressBlocks, FillFollowsTheValueAfterARepaint) {
    ProgressBarLogic logic;
    PaintList paint;
    logic.Resize(100, 14, paint);
    logic.SetValue(50, paint);
    logic.Resize(200, 14, paint);  // repaint: 50 counts as shown, nothing drawn
    EXPECT_EQ(logic.UnitsShown(), 50);
    EXPECT_EQ(logic.LastDrawn(), 50);
    paint.clear();
    logic.SetValue(60, paint);
    EXPECT_EQ(logic.UnitsShown(), 60);
    EXPECT_EQ(UnitsAdded(50, 60), 10);
    auto blocks = Blocks(paint);
    ASSERT_FALSE(blocks.empty());
    EXPECT_LT(blocks.back().x, 120) << "the fill stops at 60 percent of 200 pixels";
    EXPECT_GE(blocks.back().x + 10, 120);
}

TEST(ProgressBlocks, EveryRisingValueFillsToItsShare) {
    Bar bar(276, 14);
    int painted = 0;
    for (int v = 1; v < 100; v += 7) {
        for (const SkinRect& b : Blocks(bar.Set(v))) {
            EXPECT_EQ(b.x, 4 + 10 * painted) << "blocks follow each other";
            ++painted;
        }
        double extent = 276.0 * v / 100;
        EXPECT_GE(4 + 10 * painted, extent) << v;
        EXPECT_LT(4 + 10 * (painted - 1), extent > 4 ? extent : 5) << v;
    }
}

TEST(ProgressBlocks, NonZeroMinCountsFromMin) {
    Bar bar(100, 14);
    ASSERT_TRUE(bar.logic.SetMax(200));
    ASSERT_TRUE(bar.logic.SetMin(100));
    bar.Set(100);  // at Min: start again
    bar.Set(150);
    EXPECT_EQ(bar.logic.UnitsShown(), 50);
    EXPECT_EQ(FillEnd(bar), 52) << "half of the bar: blocks start while x < 50";
}

TEST(ProgressBlocks, BarOfOneValueDrawsNothing) {
    Bar bar(100, 14);
    ASSERT_TRUE(bar.logic.SetMax(0));
    PaintList paint;
    EXPECT_FALSE(bar.logic.SetValue(1, paint));
    EXPECT_TRUE(Blocks(paint).empty());
}

// A non-zero style: a run of three blocks, images 2, 1, 0 from its head,
// moving on by one block per value; Value = Max shows the empty track.
TEST(ProgressStyle, RunOfThreeMovesAndWraps) {
    Bar bar(60, 14);
    bar.logic.SetStyle(1);
    std::vector<int> heads;
    for (int v = 1; v <= 9; ++v) {
        PaintList paint = bar.Set(v);
        ASSERT_TRUE(StartsWithTrack(paint)) << "each step clears the old run";
        int head = -1, count = 0;
        for (const ProgressPaint& p : paint) {
            if (p.kind != ProgressPaint::kBlock)
                continue;
            ++count;
            EXPECT_GE(p.dest.x, 4);
            EXPECT_LE(p.dest.x + p.dest.width, 57);
            if (p.image == 2)
                head = p.dest.x;
        }
        EXPECT_LE(count, 3);
        heads.push_back(head);
    }
    EXPECT_EQ(heads[0], 4);
    EXPECT_EQ(heads[1], 14);
    EXPECT_EQ(heads[2], 24);
    // The run leaves at the right and starts again at x = 4.
    EXPECT_NE(std::find(heads.begin() + 3, heads.end(), 4), heads.end());
}

TEST(ProgressStyle, ThreeImagesFromTheHead) {
    Bar bar(100, 14);
    bar.logic.SetStyle(2);
    bar.Set(1);
    bar.Set(2);
    PaintList paint = bar.Set(3);
    std::vector<std::pair<int, int>> seen;
    for (const ProgressPaint& p : paint)
        if (p.kind == ProgressPaint::kBlock)
            seen.push_back({p.image, p.dest.x});
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{2, 24}, {1, 14}, {0, 4}}));
}

TEST(ProgressStyle, ValueAtMaxShowsTheEmptyTrack) {
    Bar bar(100, 14);
    bar.logic.SetStyle(1);
    bar.Set(50);
    PaintList paint = bar.Set(100);
    EXPECT_TRUE(StartsWithTrack(paint));
    EXPECT_TRUE(Blocks(paint).empty());
    EXPECT_EQ(bar.logic.StylePosition(), 4);
}

}  // namespace
