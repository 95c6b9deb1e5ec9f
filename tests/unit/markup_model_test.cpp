#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "markup/markup_history.h"
#include "markup/markup_model.h"

namespace {

std::string Text(const Point& p) {
    return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
}

Mark Step(int number) {
    Mark mark;
    mark.kind = MarkKind::Step;
    mark.step = number;
    return mark;
}

Mark OfKind(MarkKind kind) {
    Mark mark;
    mark.kind = kind;
    return mark;
}

} // namespace

TEST(MarkupModel, SizesFollowTheWidthLevelAndTheDpi) {
    struct Case {
        MarkKind kind;
        int level;
        int dpi;
        int size;
    };
    const Case cases[] = {
        {MarkKind::Rectangle, 0, 96, 2},
        {MarkKind::Rectangle, 1, 96, 4},
        {MarkKind::Arrow, 2, 96, 8},
        {MarkKind::Pen, 2, 144, 12},
        {MarkKind::Pen, 0, 144, 3},
        {MarkKind::Highlighter, 0, 96, 12},
        {MarkKind::Highlighter, 2, 192, 64},
        {MarkKind::Text, 1, 96, 24},
        {MarkKind::Text, 1, 144, 36},
        {MarkKind::Step, 0, 96, 24},
        {MarkKind::Step, 2, 120, 48},
        {MarkKind::Mosaic, 2, 96, 24},
        // A mosaic block is never under 12 physical pixels, however low the DPI.
        {MarkKind::Mosaic, 0, 72, 12},
        {MarkKind::Mosaic, 1, 48, 12},
        // Levels out of range are held to thin and thick; a DPI of 0 counts as 96.
        {MarkKind::Rectangle, -3, 96, 2},
        {MarkKind::Rectangle, 9, 96, 8},
        {MarkKind::Ellipse, 1, 0, 4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.size, MarkSize(c.kind, c.level, c.dpi))
            << "kind " << static_cast<int>(c.kind) << " level " << c.level << " dpi " << c.dpi;
    }
    EXPECT_EQ(0xE53935u, MarkColour(0));
    EXPECT_EQ(0xFFFFFFu, MarkColour(7));
    EXPECT_EQ(0xE53935u, MarkColour(8));
    EXPECT_EQ(0xE53935u, MarkColour(-1));
}

TEST(MarkupModel, ShiftKeepsASquareTowardThePointer) {
    struct Case {
        Point to;
        Point corner;
    };
    const Point from{100, 100};
    const Case cases[] = {
        {{160, 120}, {160, 160}}, {{120, 160}, {160, 160}}, {{40, 130}, {40, 160}},
        {{130, 40}, {160, 40}},   {{70, 90}, {70, 70}},     {{100, 100}, {100, 100}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Text(c.corner), Text(SquareCorner(from, c.to))) << Text(c.to);
    }
    // Far apart: the square's corner is held at the end of the 32-bit range instead of wrapping.
    EXPECT_EQ(Text(Point{INT32_MAX, INT32_MAX}), Text(SquareCorner(Point{0, 0}, Point{INT32_MAX, 5})));
    EXPECT_EQ(Text(Point{INT32_MIN, INT32_MIN}),
              Text(SquareCorner(Point{INT32_MAX, 0}, Point{INT32_MIN, -1})));
}

TEST(MarkupModel, ShiftSnapsAnArrowToMultiplesOf45Degrees) {
    struct Case {
        Point to;
        Point snapped;
    };
    const Point from{0, 0};
    const Case cases[] = {
        {{100, 10}, {100, 0}},        {{100, 30}, {100, 0}},    {{100, 60}, {80, 80}},
        {{100, 90}, {95, 95}},        {{10, 100}, {0, 100}},    {{-100, 30}, {-100, 0}},
        {{-70, 80}, {-75, 75}},       {{-30, -100}, {0, -100}}, {{60, -100}, {80, -80}},
        {{-100, -100}, {-100, -100}}, {{0, 0}, {0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Text(c.snapped), Text(SnapTo45(from, c.to))) << Text(c.to);
    }
    // Around a tail left of and above the primary monitor.
    EXPECT_EQ(Text(Point{-1095, -305}), Text(SnapTo45(Point{-1200, -200}, Point{-1090, -300})));
}

TEST(MarkupModel, ArrowHeadEndsAtTheTipAndGrowsWithTheWidth) {
    double previous = 0;
    for (int width : {2, 4, 8}) {
        const ArrowShape arrow = ArrowGeometry(Point{0, 0}, Point{200, 0}, width);
        EXPECT_DOUBLE_EQ(200, arrow.tip.x);
        EXPECT_DOUBLE_EQ(0, arrow.tip.y);
        const double head = 200 - arrow.left.x;
        EXPECT_DOUBLE_EQ(3.0 * width + 8, head) << width;
        EXPECT_GT(head, previous);
        previous = head;
        // The back corners lie either side of the shaft, as far apart as the head is long.
        EXPECT_DOUBLE_EQ(arrow.left.x, arrow.right.x);
        EXPECT_DOUBLE_EQ(head, std::fabs(arrow.left.y - arrow.right.y));
        // The shaft runs from the tail into the head, where the head covers its end.
        EXPECT_DOUBLE_EQ(0, arrow.tail.x);
        EXPECT_GT(arrow.shaftEnd.x, arrow.left.x);
        EXPECT_LT(arrow.shaftEnd.x, arrow.tip.x);
    }
    // Shorter than its head: the head is the whole arrow; no length at all: everything at the tip.
    const ArrowShape shortArrow = ArrowGeometry(Point{10, 10}, Point{10, 20}, 8);
    EXPECT_DOUBLE_EQ(10, shortArrow.left.y);
    const ArrowShape dot = ArrowGeometry(Point{5, 5}, Point{5, 5}, 4);
    EXPECT_DOUBLE_EQ(5, dot.left.x);
    EXPECT_DOUBLE_EQ(5, dot.shaftEnd.y);
}

TEST(MarkupModel, StrokesSkipTheJitterAndAreSmoothedWithTheirEndsKept) {
    std::vector<Point> points;
    EXPECT_TRUE(AppendStrokePoint(points, Point{0, 0}));
    EXPECT_FALSE(AppendStrokePoint(points, Point{1, 1})); // jitter
    EXPECT_FALSE(AppendStrokePoint(points, Point{-1, 0}));
    EXPECT_TRUE(AppendStrokePoint(points, Point{2, 0}));
    EXPECT_TRUE(AppendStrokePoint(points, Point{2, 2}));
    ASSERT_EQ(3u, points.size());

    std::vector<Point> zigzag = {{0, 0}, {10, 8}, {20, 0}, {30, 8}, {40, 0}};
    SmoothStroke(zigzag);
    const std::vector<Point> expected = {{0, 0}, {10, 4}, {20, 4}, {30, 4}, {40, 0}};
    ASSERT_EQ(expected.size(), zigzag.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Text(expected[i]), Text(zigzag[i])) << i;
    }
    // A straight line stays on its pixels; two points have nothing to smooth.
    std::vector<Point> line = {{-10, 5}, {-8, 5}, {-6, 5}, {-4, 5}};
    SmoothStroke(line);
    EXPECT_EQ(Text(Point{-8, 5}), Text(line[1]));
    std::vector<Point> pair = {{0, 0}, {9, 9}};
    SmoothStroke(pair);
    EXPECT_EQ(Text(Point{9, 9}), Text(pair[1]));
}

TEST(MarkupHistory, UndoTakesBackTheLastMarkAndRedoBringsItBackUntilANewMarkIsMade) {
    MarkupHistory history;
    EXPECT_FALSE(UndoMark(history));
    EXPECT_FALSE(RedoMark(history));
    AddMark(history, OfKind(MarkKind::Rectangle));
    AddMark(history, OfKind(MarkKind::Arrow));
    AddMark(history, OfKind(MarkKind::Pen));
    EXPECT_EQ(3u, history.live);

    EXPECT_TRUE(UndoMark(history));
    EXPECT_TRUE(UndoMark(history));
    EXPECT_EQ(1u, history.live);
    EXPECT_EQ(2u, history.removals);
    EXPECT_TRUE(CanRedo(history));
    EXPECT_TRUE(RedoMark(history));
    EXPECT_EQ(MarkKind::Arrow, history.marks[history.live - 1].kind);
    EXPECT_EQ(2u, history.removals) << "a redo only adds";

    // A new mark drops the pen that waited for a redo.
    AddMark(history, OfKind(MarkKind::Mosaic));
    EXPECT_EQ(3u, history.live);
    EXPECT_EQ(3u, history.marks.size());
    EXPECT_EQ(MarkKind::Mosaic, history.marks[2].kind);
    EXPECT_FALSE(RedoMark(history));

    const MarkCounts counts = CountLiveMarks(history);
    EXPECT_EQ(3, counts.total);
    EXPECT_EQ(1, counts.byKind[static_cast<size_t>(MarkKind::Rectangle)]);
    EXPECT_EQ(1, counts.byKind[static_cast<size_t>(MarkKind::Arrow)]);
    EXPECT_EQ(0, counts.byKind[static_cast<size_t>(MarkKind::Pen)]);
    EXPECT_EQ(1, counts.byKind[static_cast<size_t>(MarkKind::Mosaic)]);
}

TEST(MarkupHistory, TheNextStepIsOneMoreThanTheHighestStepLeft) {
    struct Case {
        const char* name;
        std::vector<int> steps; // 0: a mark of another kind
        int undos;
        int redos;
        int next;
    };
    const Case cases[] = {
        {"no marks", {}, 0, 0, 1},
        {"one, two", {1, 2}, 0, 0, 3},
        {"the last step undone", {1, 2}, 1, 0, 2},
        {"undone and redone", {1, 2}, 1, 1, 3},
        {"a step under other marks, the others undone", {1, 0, 0}, 2, 0, 2},
        {"every step undone", {1, 2, 3}, 3, 0, 1},
        {"the highest step counts, not the last", {1, 2, 3, 0}, 0, 0, 4},
    };
    for (const Case& c : cases) {
        MarkupHistory history;
        for (int step : c.steps) {
            AddMark(history, step == 0 ? OfKind(MarkKind::Ellipse) : Step(step));
        }
        for (int i = 0; i < c.undos; ++i) {
            UndoMark(history);
        }
        for (int i = 0; i < c.redos; ++i) {
            RedoMark(history);
        }
        EXPECT_EQ(c.next, NextStepNumber(history)) << c.name;
    }
}
