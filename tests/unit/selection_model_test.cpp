#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include "overlay/selection_model.h"
#include "tests/support/test_support.h"

namespace {

const Rect kScreen = {0, 0, 1920, 1080};
// Two monitors, the second left of and above the primary: the bounding rectangle starts at negative values.
const Rect kTwoMonitors = {-1920, -200, 1920, 1080};

std::string Text(const Rect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

std::string Text(const Point& p) {
    return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
}

const char* Name(DragKind kind) {
    switch (kind) {
    case DragKind::None:
        return "None";
    case DragKind::NewRect:
        return "NewRect";
    case DragKind::LeftEdge:
        return "LeftEdge";
    case DragKind::RightEdge:
        return "RightEdge";
    case DragKind::TopEdge:
        return "TopEdge";
    case DragKind::BottomEdge:
        return "BottomEdge";
    case DragKind::TopLeft:
        return "TopLeft";
    case DragKind::TopRight:
        return "TopRight";
    case DragKind::BottomLeft:
        return "BottomLeft";
    case DragKind::BottomRight:
        return "BottomRight";
    }
    return "?";
}

const char* Name(CursorShape shape) {
    switch (shape) {
    case CursorShape::Cross:
        return "Cross";
    case CursorShape::SizeWE:
        return "SizeWE";
    case CursorShape::SizeNS:
        return "SizeNS";
    case CursorShape::SizeNWSE:
        return "SizeNWSE";
    case CursorShape::SizeNESW:
        return "SizeNESW";
    }
    return "?";
}

// The effects in one readable line, so that a mismatch shows every step at once.
std::string Text(const EventEffects& e) {
    std::string text;
    text += e.focusWindow ? "focus " : "";
    text += e.captureMouse ? "capture " : "";
    text += e.releaseMouse ? "release " : "";
    text += e.setCursor ? "cursor " : "";
    text += e.repaint ? "repaint " : "";
    text += e.finish == OverlayFinish::Confirm  ? "confirm"
            : e.finish == OverlayFinish::Cancel ? "cancel"
                                                : "-";
    return text;
}

std::string Text(const SelectionState& s) {
    return "dragging=" + std::to_string(s.dragging) + " has=" + std::to_string(s.hasSelection) +
           " anchor=" + Text(s.anchor) + " sel=" + Text(s.selection) +
           " finished=" + std::to_string(s.finished) + " pointer=" + Text(s.pointer) +
           " kind=" + Name(s.dragKind) + " startRect=" + Text(s.dragStartRect) +
           " startPoint=" + Text(s.dragStartPoint);
}

SelectionState EmptyState(const Rect& bounds = kScreen) {
    SelectionState state;
    state.bounds = bounds;
    return state;
}

// A selection that the user has drawn and released: ready for adjustment.
SelectionState SelectedState(const Rect& selection, const Rect& bounds = kScreen) {
    SelectionState state = EmptyState(bounds);
    state.hasSelection = true;
    state.selection = selection;
    return state;
}

// A resize of `start` in progress, grabbed with `kind` at `press`.
SelectionState ResizingState(const Rect& start, DragKind kind, const Point& press,
                             const Rect& bounds = kScreen) {
    SelectionState state = SelectedState(start, bounds);
    state.dragging = true;
    state.dragKind = kind;
    state.dragStartRect = start;
    state.dragStartPoint = press;
    state.anchor = press;
    state.pointer = press;
    return state;
}

// Press, one move and release, as the overlay window sees a plain drag.
void Drag(SelectionState& state, const Point& from, const Point& to) {
    OnLeftButtonDown(state, from);
    OnPointerMoved(state, to);
    OnLeftButtonUp(state, to);
}

// A double-click arrives as press, release, double-click, release.
EventEffects DoubleClick(SelectionState& state, const Point& p) {
    OnLeftButtonDown(state, p);
    OnLeftButtonUp(state, p);
    const EventEffects effects = OnLeftDoubleClick(state, p);
    OnLeftButtonUp(state, p);
    return effects;
}

} // namespace

// Found by the test framework next to Rect, so that a failed comparison prints the rectangles.
static void PrintTo(const Rect& r, std::ostream* out) {
    *out << Text(r);
}

TEST(SelectionHitTest, BandsReachSixPixelsEitherSideOfEachLine) {
    const Rect sel = {100, 100, 300, 200};
    struct Case {
        Point p;
        DragKind expected;
    };
    const Case cases[] = {
        // Left edge line x = 100, outside and inside.
        {{94, 150}, DragKind::LeftEdge},
        {{93, 150}, DragKind::None},
        {{106, 150}, DragKind::LeftEdge},
        {{107, 150}, DragKind::None},
        // Right edge line x = 300 (the exclusive right side).
        {{306, 150}, DragKind::RightEdge},
        {{307, 150}, DragKind::None},
        {{294, 150}, DragKind::RightEdge},
        {{293, 150}, DragKind::None},
        // Top edge line y = 100.
        {{200, 94}, DragKind::TopEdge},
        {{200, 93}, DragKind::None},
        {{200, 106}, DragKind::TopEdge},
        {{200, 107}, DragKind::None},
        // Bottom edge line y = 200.
        {{200, 206}, DragKind::BottomEdge},
        {{200, 207}, DragKind::None},
        {{200, 194}, DragKind::BottomEdge},
        {{200, 193}, DragKind::None},
        // The middle of the selection and points well away from it.
        {{200, 150}, DragKind::None},
        {{0, 0}, DragKind::None},
        {{1000, 150}, DragKind::None},
        {{200, 1000}, DragKind::None},
        // Beyond the end of an edge line: on the line's extension but outside inY / inX.
        {{100, 93}, DragKind::None},
        {{100, 207}, DragKind::None},
        {{300, 93}, DragKind::None},
        {{300, 207}, DragKind::None},
        {{93, 100}, DragKind::None},
        {{307, 100}, DragKind::None},
        {{93, 200}, DragKind::None},
        {{307, 200}, DragKind::None},
        // Corners, their full 13 x 13 squares.
        {{100, 100}, DragKind::TopLeft},
        {{94, 94}, DragKind::TopLeft},
        {{106, 106}, DragKind::TopLeft},
        {{300, 100}, DragKind::TopRight},
        {{306, 94}, DragKind::TopRight},
        {{294, 106}, DragKind::TopRight},
        {{100, 200}, DragKind::BottomLeft},
        {{94, 206}, DragKind::BottomLeft},
        {{106, 194}, DragKind::BottomLeft},
        {{300, 200}, DragKind::BottomRight},
        {{306, 206}, DragKind::BottomRight},
        {{294, 194}, DragKind::BottomRight},
        // One pixel past a corner's square leaves only an edge, or nothing.
        {{107, 106}, DragKind::TopEdge},
        {{106, 107}, DragKind::LeftEdge},
        {{307, 206}, DragKind::None},
        {{306, 207}, DragKind::None},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(Name(c.expected), Name(HitTestSelection(sel, c.p))) << Text(c.p);
    }
}

TEST(SelectionHitTest, NarrowSelectionPrefersCornersThenLeftAndTop) {
    struct Case {
        Rect sel;
        Point p;
        DragKind expected;
    };
    const Case cases[] = {
        // 10 wide: both vertical bands cover the middle column; the left edge is tested first.
        {{100, 100, 110, 200}, {105, 150}, DragKind::LeftEdge},
        {{100, 100, 110, 200}, {106, 150}, DragKind::LeftEdge},
        {{100, 100, 110, 200}, {107, 150}, DragKind::RightEdge},
        {{100, 100, 110, 200}, {116, 150}, DragKind::RightEdge},
        {{100, 100, 110, 200}, {105, 100}, DragKind::TopLeft},
        {{100, 100, 110, 200}, {105, 200}, DragKind::BottomLeft},
        {{100, 100, 110, 200}, {108, 100}, DragKind::TopRight},
        // 10 high: the top edge wins over the bottom one.
        {{100, 100, 300, 110}, {200, 105}, DragKind::TopEdge},
        {{100, 100, 300, 110}, {200, 106}, DragKind::TopEdge},
        {{100, 100, 300, 110}, {200, 107}, DragKind::BottomEdge},
        {{100, 100, 300, 110}, {300, 105}, DragKind::TopRight},
        // 1 x 1: every near point is the top-left corner.
        {{100, 100, 101, 101}, {101, 101}, DragKind::TopLeft},
        {{100, 100, 101, 101}, {106, 94}, DragKind::TopLeft},
        {{100, 100, 101, 101}, {107, 101}, DragKind::TopRight},
        {{100, 100, 101, 101}, {101, 107}, DragKind::BottomLeft},
        {{100, 100, 101, 101}, {107, 107}, DragKind::BottomRight},
        // A selection on a monitor left of and above the primary.
        {{-500, -150, -300, -50}, {-506, -100}, DragKind::LeftEdge},
        {{-500, -150, -300, -50}, {-507, -100}, DragKind::None},
        {{-500, -150, -300, -50}, {-400, -156}, DragKind::TopEdge},
        {{-500, -150, -300, -50}, {-294, -44}, DragKind::BottomRight},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(Name(c.expected), Name(HitTestSelection(c.sel, c.p))) << Text(c.sel) << " " << Text(c.p);
    }
}

TEST(SelectionDrag, EachKindMovesOnlyItsOwnEdges) {
    const Rect start = {100, 100, 300, 200};
    const Point press = {150, 150};
    struct Case {
        DragKind kind;
        int32_t dx, dy;
        Rect expected;
    };
    const Case cases[] = {
        {DragKind::LeftEdge, 10, 20, {110, 100, 300, 200}},
        {DragKind::RightEdge, 10, 20, {100, 100, 310, 200}},
        {DragKind::TopEdge, 10, 20, {100, 120, 300, 200}},
        {DragKind::BottomEdge, 10, 20, {100, 100, 300, 220}},
        {DragKind::TopLeft, 10, 20, {110, 120, 300, 200}},
        {DragKind::TopRight, 10, 20, {100, 120, 310, 200}},
        {DragKind::BottomLeft, 10, 20, {110, 100, 300, 220}},
        {DragKind::BottomRight, 10, 20, {100, 100, 310, 220}},
        {DragKind::LeftEdge, -10, -20, {90, 100, 300, 200}},
        {DragKind::RightEdge, -10, -20, {100, 100, 290, 200}},
        {DragKind::TopEdge, -10, -20, {100, 80, 300, 200}},
        {DragKind::BottomEdge, -10, -20, {100, 100, 300, 180}},
        {DragKind::TopLeft, -10, -20, {90, 80, 300, 200}},
        {DragKind::TopRight, -10, -20, {100, 80, 290, 200}},
        {DragKind::BottomLeft, -10, -20, {90, 100, 300, 180}},
        {DragKind::BottomRight, -10, -20, {100, 100, 290, 180}},
    };
    for (const Case& c : cases) {
        SelectionState state = ResizingState(start, c.kind, press);
        state.hasSelection = false;
        UpdateDrag(state, {press.x + c.dx, press.y + c.dy});
        EXPECT_EQ(c.expected, state.selection) << Name(c.kind) << " by " << c.dx << "," << c.dy;
        EXPECT_TRUE(state.hasSelection) << Name(c.kind);
        EXPECT_STREQ(Name(c.kind), Name(state.dragKind));
        EXPECT_EQ(start, state.dragStartRect) << "the start of the resize is kept for the next move";
    }
}

TEST(SelectionDrag, EdgeDraggedPastItsOppositeFlipsAndKeepsItsCursor) {
    struct Case {
        DragKind kind;
        Point press;
        Point to;
        Rect expected;
        CursorShape cursor;
    };
    const Rect start = {100, 100, 300, 200};
    const Case cases[] = {
        {DragKind::LeftEdge, {100, 150}, {350, 150}, {300, 100, 350, 200}, CursorShape::SizeWE},
        {DragKind::RightEdge, {300, 150}, {40, 150}, {40, 100, 100, 200}, CursorShape::SizeWE},
        {DragKind::TopEdge, {200, 100}, {200, 260}, {100, 200, 300, 260}, CursorShape::SizeNS},
        {DragKind::BottomEdge, {200, 200}, {200, 60}, {100, 60, 300, 100}, CursorShape::SizeNS},
        {DragKind::TopLeft, {100, 100}, {400, 260}, {300, 200, 400, 260}, CursorShape::SizeNWSE},
        {DragKind::BottomRight, {300, 200}, {40, 60}, {40, 60, 100, 100}, CursorShape::SizeNWSE},
        {DragKind::TopRight, {300, 100}, {40, 260}, {40, 200, 100, 260}, CursorShape::SizeNESW},
        {DragKind::BottomLeft, {100, 200}, {400, 60}, {300, 60, 400, 100}, CursorShape::SizeNESW},
        // Exactly onto the opposite edge: kept one pixel wide or high.
        {DragKind::LeftEdge, {100, 150}, {300, 150}, {300, 100, 301, 200}, CursorShape::SizeWE},
        {DragKind::BottomEdge, {200, 200}, {200, 100}, {100, 100, 300, 101}, CursorShape::SizeNS},
    };
    for (const Case& c : cases) {
        SelectionState state = ResizingState(start, c.kind, c.press);
        OnPointerMoved(state, c.to);
        EXPECT_EQ(c.expected, state.selection) << Name(c.kind) << " to " << Text(c.to);
        EXPECT_STREQ(Name(c.kind), Name(state.dragKind));
        EXPECT_STREQ(Name(c.cursor), Name(CursorShapeFor(state))) << Name(c.kind);
    }
}

TEST(SelectionDrag, LeftEdgeFlippedAndBroughtBackFollowsThePointer) {
    SelectionState state = SelectedState({100, 100, 300, 200});
    OnLeftButtonDown(state, {100, 150});
    ASSERT_STREQ("LeftEdge", Name(state.dragKind));
    OnPointerMoved(state, {400, 150});
    EXPECT_EQ((Rect{300, 100, 400, 200}), state.selection);
    EXPECT_STREQ("SizeWE", Name(CursorShapeFor(state)));
    OnPointerMoved(state, {120, 150});
    EXPECT_EQ((Rect{120, 100, 300, 200}), state.selection);
    OnPointerMoved(state, {420, 170});
    OnLeftButtonUp(state, {420, 170});
    EXPECT_EQ((Rect{300, 100, 420, 200}), state.selection);
    EXPECT_TRUE(state.hasSelection);
    EXPECT_FALSE(state.dragging);
    // Released: the cursor follows what the pointer would grab, here the new right edge.
    EXPECT_STREQ("SizeWE", Name(CursorShapeFor(state)));
    state.pointer = {360, 150};
    EXPECT_STREQ("Cross", Name(CursorShapeFor(state)));
}

TEST(SelectionDrag, NewRectangleSpansFromTheAnchorInAnyDirection) {
    const Point anchor = {500, 500};
    struct Case {
        Point to;
        Rect expected;
    };
    const Case cases[] = {
        {{600, 550}, {500, 500, 600, 550}}, // down right
        {{400, 550}, {400, 500, 500, 550}}, // down left
        {{600, 450}, {500, 450, 600, 500}}, // up right
        {{400, 450}, {400, 450, 500, 500}}, // up left
        {{500, 600}, {500, 500, 501, 600}}, // straight down: at least one pixel wide
        {{600, 500}, {500, 500, 600, 501}}, {{500, 500}, {500, 500, 501, 501}}, // back at the anchor
    };
    for (const Case& c : cases) {
        SelectionState state = EmptyState();
        OnLeftButtonDown(state, anchor);
        EXPECT_FALSE(state.hasSelection) << "no selection before the first move";
        EXPECT_EQ((Rect{500, 500, 500, 500}), state.selection);
        OnPointerMoved(state, c.to);
        EXPECT_EQ(c.expected, state.selection) << Text(c.to);
        EXPECT_TRUE(state.hasSelection);
        EXPECT_STREQ("NewRect", Name(state.dragKind));
        EXPECT_STREQ("Cross", Name(CursorShapeFor(state)));
    }
}

TEST(SelectionClamp, OrdersAndKeepsTheRectangleInsideTheBounds) {
    struct Case {
        Rect bounds;
        Rect in;
        Rect expected;
    };
    const Case cases[] = {
        {kScreen, {100, 100, 300, 200}, {100, 100, 300, 200}},
        {kScreen, {300, 200, 100, 100}, {100, 100, 300, 200}},
        {kScreen, {300, 100, 100, 200}, {100, 100, 300, 200}},
        {kScreen, {0, 0, 1920, 1080}, {0, 0, 1920, 1080}},
        {kScreen, {1800, 500, 2500, 600}, {1800, 500, 1920, 600}},
        {kScreen, {-50, -60, 100, 100}, {0, 0, 100, 100}},
        {kScreen, {100, 1000, 200, 1500}, {100, 1000, 200, 1080}},
        {kScreen, {-500, -500, 5000, 5000}, {0, 0, 1920, 1080}},
        // Wholly outside: pinned to a one-pixel strip at the nearest edge.
        {kScreen, {2000, 100, 2100, 200}, {1919, 100, 1920, 200}},
        {kScreen, {-200, 100, -100, 200}, {0, 100, 1, 200}},
        {kScreen, {100, 1200, 200, 1300}, {100, 1079, 200, 1080}},
        // Empty rectangles grow to one pixel, inside the bounds.
        {kScreen, {500, 500, 500, 500}, {500, 500, 501, 501}},
        {kScreen, {1920, 1080, 1920, 1080}, {1919, 1079, 1920, 1080}},
        {kScreen, {0, 0, 0, 0}, {0, 0, 1, 1}},
        // Bounds with a negative origin.
        {kTwoMonitors, {-2500, -300, -1000, 0}, {-1920, -200, -1000, 0}},
        {kTwoMonitors, {-100, 500, 2500, 1500}, {-100, 500, 1920, 1080}},
        {kTwoMonitors, {-5000, -5000, -4000, -4000}, {-1920, -200, -1919, -199}},
        {kTwoMonitors, {-1920, -200, -1920, -200}, {-1920, -200, -1919, -199}},
        {kTwoMonitors, {-10, -10, -300, -150}, {-300, -150, -10, -10}},
    };
    for (const Case& c : cases) {
        const SelectionState state = EmptyState(c.bounds);
        Rect r = c.in;
        NormalizeAndClampSelection(state, r);
        EXPECT_EQ(c.expected, r) << Text(c.in) << " in " << Text(c.bounds);
    }
}

TEST(SelectionDrag, DragsStopAtTheEdgesOfTheBounds) {
    struct Case {
        Rect bounds;
        Point from;
        Point to;
        Rect expected;
    };
    const Case cases[] = {
        {kScreen, {1800, 500}, {2500, 600}, {1800, 500, 1920, 600}},
        {kScreen, {100, 100}, {-300, -300}, {0, 0, 100, 100}},
        {kTwoMonitors, {-100, 500}, {-3000, -600}, {-1920, -200, -100, 500}},
        {kTwoMonitors, {-100, 500}, {3000, 1600}, {-100, 500, 1920, 1080}},
    };
    for (const Case& c : cases) {
        SelectionState state = EmptyState(c.bounds);
        Drag(state, c.from, c.to);
        EXPECT_EQ(c.expected, state.selection) << Text(c.from) << " to " << Text(c.to);
        EXPECT_TRUE(state.hasSelection);
    }
    // A resize pushed beyond the right edge of the bounds stops there as well.
    SelectionState state = SelectedState({-200, 0, 100, 100}, kTwoMonitors);
    Drag(state, {100, 50}, {2600, 50});
    EXPECT_EQ((Rect{-200, 0, 1920, 100}), state.selection);
}

TEST(SelectionDrag, PointerWanderingOutsideAndBackLosesNothing) {
    const Rect start = {100, 100, 300, 200};
    SelectionState state = ResizingState(start, DragKind::BottomRight, {300, 200});
    OnPointerMoved(state, {5000, 5000});
    EXPECT_EQ((Rect{100, 100, 1920, 1080}), state.selection);
    OnPointerMoved(state, {-5000, -5000});
    EXPECT_EQ((Rect{0, 0, 100, 100}), state.selection);
    OnPointerMoved(state, {320, 230});
    EXPECT_EQ((Rect{100, 100, 320, 230}), state.selection);
    OnPointerMoved(state, {300, 200});
    EXPECT_EQ(start, state.selection);

    // The same for a new rectangle on bounds with a negative origin.
    SelectionState drawing = EmptyState(kTwoMonitors);
    OnLeftButtonDown(drawing, {-1000, 0});
    OnPointerMoved(drawing, {-9000, -9000});
    EXPECT_EQ((Rect{-1920, -200, -1000, 0}), drawing.selection);
    OnPointerMoved(drawing, {-900, 40});
    EXPECT_EQ((Rect{-1000, 0, -900, 40}), drawing.selection);
}

// Bounds more than 2^31 pixels across, as the fuzzer first drew them: sides and drags taken in 32 bits
// wrapped, dropped a large selection as "too small" and moved a dragged edge to the wrong side.
TEST(SelectionDrag, BoundsWiderThanTheSignedRangeNeitherWrapNorDropTheSelection) {
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    const Rect huge = {kMin, -2088533117, kMax, 740308198};

    CapturedLog log;
    SelectionState state = EmptyState(huge);
    Drag(state, {-2000000000, -2000000000}, {2000000000, 700000000});
    EXPECT_TRUE(state.hasSelection);
    EXPECT_EQ((Rect{-2000000000, -2000000000, 2000000000, 700000000}), state.selection);
    EXPECT_TRUE(log.Contains(L"选区可调整 rect=(-2000000000,-2000000000,2000000000,700000000) kind=1"));
    OnLeftDoubleClick(state, {0, 0});
    EXPECT_TRUE(log.Contains(L"双击 pos=(0,0) hasSelection=1 size=4000000000x2700000000"));
    EXPECT_EQ(OverlayFinish::Confirm, OnKeyDown(state, 13).finish);

    // The right edge dragged four billion pixels to the left flips past the left edge.
    SelectionState resizing =
        ResizingState({-100, 0, 2000000000, 100}, DragKind::RightEdge, {2000000000, 50}, huge);
    OnPointerMoved(resizing, {-2000000000, 50});
    EXPECT_EQ((Rect{-2000000000, 0, -100, 100}), resizing.selection);
    OnPointerMoved(resizing, {kMax, 50});
    EXPECT_EQ((Rect{-100, 0, kMax, 100}), resizing.selection);
    OnPointerMoved(resizing, {kMin, 50});
    EXPECT_EQ((Rect{kMin, 0, -100, 100}), resizing.selection);
}

TEST(SelectionCursor, ShapeFollowsTheDragOrWhatThePointerWouldGrab) {
    struct Case {
        DragKind kind;
        CursorShape shape;
    };
    const Case cases[] = {
        {DragKind::None, CursorShape::Cross},        {DragKind::NewRect, CursorShape::Cross},
        {DragKind::LeftEdge, CursorShape::SizeWE},   {DragKind::RightEdge, CursorShape::SizeWE},
        {DragKind::TopEdge, CursorShape::SizeNS},    {DragKind::BottomEdge, CursorShape::SizeNS},
        {DragKind::TopLeft, CursorShape::SizeNWSE},  {DragKind::BottomRight, CursorShape::SizeNWSE},
        {DragKind::TopRight, CursorShape::SizeNESW}, {DragKind::BottomLeft, CursorShape::SizeNESW},
    };
    for (const Case& c : cases) {
        // While dragging, the kind decides wherever the pointer is.
        SelectionState state = SelectedState({100, 100, 300, 200});
        state.dragging = true;
        state.dragKind = c.kind;
        state.pointer = {200, 150};
        EXPECT_STREQ(Name(c.shape), Name(CursorShapeFor(state))) << Name(c.kind);
    }

    // Not dragging: the hit test at the pointer decides.
    struct HoverCase {
        Point pointer;
        CursorShape shape;
    };
    const HoverCase hovers[] = {
        {{100, 150}, CursorShape::SizeWE},   {{300, 150}, CursorShape::SizeWE},
        {{200, 100}, CursorShape::SizeNS},   {{200, 200}, CursorShape::SizeNS},
        {{100, 100}, CursorShape::SizeNWSE}, {{300, 200}, CursorShape::SizeNWSE},
        {{300, 100}, CursorShape::SizeNESW}, {{100, 200}, CursorShape::SizeNESW},
        {{200, 150}, CursorShape::Cross}, // inside: there is no move gesture
        {{800, 800}, CursorShape::Cross},
    };
    for (const HoverCase& h : hovers) {
        SelectionState state = SelectedState({100, 100, 300, 200});
        state.pointer = h.pointer;
        EXPECT_STREQ(Name(h.shape), Name(CursorShapeFor(state))) << Text(h.pointer);
        // Without a selection the stored rectangle grabs nothing.
        state.hasSelection = false;
        EXPECT_STREQ("Cross", Name(CursorShapeFor(state))) << Text(h.pointer);
    }
}

TEST(SelectionEvents, ClickWithoutMovementLeavesNoSelection) {
    CapturedLog log;
    SelectionState state = EmptyState();
    EXPECT_EQ("focus capture cursor repaint -", Text(OnLeftButtonDown(state, {500, 500})));
    EXPECT_TRUE(state.dragging);
    EXPECT_EQ("release cursor repaint -", Text(OnLeftButtonUp(state, {500, 500})));
    EXPECT_FALSE(state.hasSelection);
    EXPECT_FALSE(state.dragging);
    EXPECT_STREQ("None", Name(state.dragKind));
    EXPECT_FALSE(log.Contains(L"选区可调整"));
    EXPECT_EQ("-", Text(OnKeyDown(state, 13)));
}

TEST(SelectionEvents, DrawnRectangleNeedsFourPixelsEachWay) {
    struct Case {
        Point to;
        bool kept;
    };
    const Case cases[] = {
        {{503, 600}, false}, {{600, 503}, false}, {{497, 400}, false}, {{503, 503}, false},
        {{504, 504}, true},  {{496, 496}, true},  {{504, 600}, true},
    };
    for (const Case& c : cases) {
        CapturedLog log;
        SelectionState state = EmptyState();
        Drag(state, {500, 500}, c.to);
        EXPECT_EQ(c.kept, state.hasSelection) << Text(c.to);
        EXPECT_STREQ("None", Name(state.dragKind));
        EXPECT_EQ(c.kept ? 1 : 0, log.Count(L"选区可调整")) << Text(c.to);
        EXPECT_EQ(c.kept ? "confirm" : "-", Text(OnKeyDown(state, 13))) << Text(c.to);
    }
}

TEST(SelectionEvents, FourByFourDragIsLoggedAndEnterConfirmsIt) {
    CapturedLog log;
    SelectionState state = EmptyState();
    OnLeftButtonDown(state, {500, 500});
    EXPECT_EQ("cursor repaint -", Text(OnPointerMoved(state, {504, 504})));
    OnLeftButtonUp(state, {504, 504});
    EXPECT_EQ((Rect{500, 500, 504, 504}), state.selection);
    EXPECT_TRUE(log.Contains(L"选区可调整 rect=(500,500,504,504) kind=1"));
    const EventEffects enter = OnKeyDown(state, 13);
    EXPECT_EQ(OverlayFinish::Confirm, enter.finish);
    EXPECT_EQ("confirm", Text(enter));
    EXPECT_TRUE(log.Contains(L"Enter 确认选区 rect=(500,500,504,504)"));
}

TEST(SelectionEvents, PressInsideTheSelectionChangesNothing) {
    CapturedLog log;
    SelectionState state = SelectedState({100, 100, 300, 200});
    EXPECT_EQ("focus -", Text(OnLeftButtonDown(state, {200, 150})));
    EXPECT_FALSE(state.dragging);
    EXPECT_TRUE(state.hasSelection);
    EXPECT_EQ((Rect{100, 100, 300, 200}), state.selection);
    // Dragging on from there moves nothing, and the release is not a drag's end.
    OnPointerMoved(state, {260, 190});
    EXPECT_EQ((Rect{100, 100, 300, 200}), state.selection);
    EXPECT_EQ("-", Text(OnLeftButtonUp(state, {260, 190})));
    EXPECT_EQ((Rect{100, 100, 300, 200}), state.selection);
    EXPECT_TRUE(state.hasSelection);
    EXPECT_TRUE(log.Lines().empty());
}

TEST(SelectionEvents, PressOutsideStartsANewRectangleAndDropsTheOld) {
    SelectionState state = SelectedState({100, 100, 300, 200});
    EXPECT_EQ("focus capture cursor repaint -", Text(OnLeftButtonDown(state, {500, 500})));
    EXPECT_FALSE(state.hasSelection);
    EXPECT_TRUE(state.dragging);
    EXPECT_STREQ("NewRect", Name(state.dragKind));
    EXPECT_EQ((Rect{500, 500, 500, 500}), state.selection);
    EXPECT_EQ("-", Text(OnKeyDown(state, 13))) << "the old selection is gone";
    OnPointerMoved(state, {600, 650});
    OnLeftButtonUp(state, {600, 650});
    EXPECT_EQ((Rect{500, 500, 600, 650}), state.selection);
    EXPECT_TRUE(state.hasSelection);
}

TEST(SelectionEvents, ResizeOfEachKindIsLoggedWithItsKind) {
    const Rect start = {100, 100, 300, 200};
    struct Case {
        Point grab;
        DragKind kind;
        Rect expected; // after moving by (10, 20)
        const wchar_t* line;
    };
    const Case cases[] = {
        {{100, 150}, DragKind::LeftEdge, {110, 100, 300, 200}, L"选区可调整 rect=(110,100,300,200) kind=2"},
        {{300, 150}, DragKind::RightEdge, {100, 100, 310, 200}, L"选区可调整 rect=(100,100,310,200) kind=3"},
        {{200, 100}, DragKind::TopEdge, {100, 120, 300, 200}, L"选区可调整 rect=(100,120,300,200) kind=4"},
        {{200, 200}, DragKind::BottomEdge, {100, 100, 300, 220}, L"选区可调整 rect=(100,100,300,220) kind=5"},
        {{100, 100}, DragKind::TopLeft, {110, 120, 300, 200}, L"选区可调整 rect=(110,120,300,200) kind=6"},
        {{300, 100}, DragKind::TopRight, {100, 120, 310, 200}, L"选区可调整 rect=(100,120,310,200) kind=7"},
        {{100, 200}, DragKind::BottomLeft, {110, 100, 300, 220}, L"选区可调整 rect=(110,100,300,220) kind=8"},
        {{300, 200},
         DragKind::BottomRight,
         {100, 100, 310, 220},
         L"选区可调整 rect=(100,100,310,220) kind=9"},
    };
    for (const Case& c : cases) {
        CapturedLog log;
        SelectionState state = SelectedState(start);
        EXPECT_EQ("focus capture cursor repaint -", Text(OnLeftButtonDown(state, c.grab))) << Name(c.kind);
        EXPECT_STREQ(Name(c.kind), Name(state.dragKind));
        EXPECT_EQ(start, state.dragStartRect);
        EXPECT_TRUE(state.hasSelection) << "a resize keeps the selection";
        const Point to = {c.grab.x + 10, c.grab.y + 20};
        OnPointerMoved(state, to);
        EXPECT_EQ("release cursor repaint -", Text(OnLeftButtonUp(state, to))) << Name(c.kind);
        EXPECT_EQ(c.expected, state.selection) << Name(c.kind);
        EXPECT_STREQ("None", Name(state.dragKind));
        EXPECT_EQ(1, log.Count(c.line)) << Name(c.kind);
    }
}

TEST(SelectionEvents, TooSmallSelectionFromAResizeStaysButCannotBeConfirmed) {
    CapturedLog log;
    SelectionState state = SelectedState({100, 100, 300, 150});
    Drag(state, {300, 125}, {103, 125});
    EXPECT_TRUE(state.hasSelection);
    EXPECT_EQ((Rect{100, 100, 103, 150}), state.selection);
    EXPECT_TRUE(log.Contains(L"选区可调整 rect=(100,100,103,150) kind=3"));

    EXPECT_EQ("-", Text(OnKeyDown(state, 13)));
    EXPECT_FALSE(log.Contains(L"Enter 确认选区"));

    // The double-click's first press grabs the left edge and releases it where it was.
    log.Clear();
    EXPECT_EQ("-", Text(DoubleClick(state, {101, 125})));
    EXPECT_EQ((Rect{100, 100, 103, 150}), state.selection);
    EXPECT_TRUE(log.Contains(L"双击 pos=(101,125) hasSelection=1 size=3x50"));
    EXPECT_FALSE(log.Contains(L"双击确认选区"));

    // It can be enlarged again (grabbed by the right band, beyond the left one's reach) and then confirmed.
    Drag(state, {107, 125}, {154, 125});
    EXPECT_EQ((Rect{100, 100, 150, 150}), state.selection);
    EXPECT_EQ("confirm", Text(OnKeyDown(state, 13)));
}

TEST(SelectionEvents, DoubleClickOnTheSelectionConfirmsIt) {
    struct Case {
        Point p;
        const char* where;
    };
    const Case cases[] = {
        {{200, 150}, "inside"}, {{100, 150}, "on the left band"}, {{300, 200}, "on a corner"}};
    for (const Case& c : cases) {
        CapturedLog log;
        SelectionState state = SelectedState({100, 100, 300, 200});
        EXPECT_EQ("confirm", Text(DoubleClick(state, c.p))) << c.where;
        EXPECT_EQ((Rect{100, 100, 300, 200}), state.selection) << c.where;
        EXPECT_TRUE(log.Contains(L"双击 pos=(" + std::to_wstring(c.p.x) + L"," + std::to_wstring(c.p.y) +
                                 L") hasSelection=1 size=200x100"))
            << c.where;
        EXPECT_EQ(1, log.Count(L"双击确认选区 rect=(100,100,300,200)")) << c.where;
    }
}

TEST(SelectionEvents, DoubleClickOutsideEndsWithNoSelection) {
    CapturedLog log;
    SelectionState state = SelectedState({100, 100, 300, 200});
    EXPECT_EQ("-", Text(DoubleClick(state, {600, 600})));
    EXPECT_FALSE(state.hasSelection);
    EXPECT_FALSE(state.dragging);
    EXPECT_TRUE(log.Contains(L"双击 pos=(600,600) hasSelection=0 size=1x1"));
    EXPECT_FALSE(log.Contains(L"双击确认选区"));
    EXPECT_FALSE(log.Contains(L"选区可调整"));
}

TEST(SelectionEvents, DoubleClickIsLoggedEvenWithoutASelection) {
    CapturedLog log;
    SelectionState state = EmptyState(kTwoMonitors);
    EXPECT_EQ("-", Text(OnLeftDoubleClick(state, {-10, -20})));
    EXPECT_TRUE(log.Contains(L"双击 pos=(-10,-20) hasSelection=0 size=0x0"));
    EXPECT_EQ(1u, log.Lines().size());
}

TEST(SelectionEvents, EscAndRightButtonCancelInEveryState) {
    struct Case {
        const char* name;
        SelectionState state;
    };
    SelectionState drawing = EmptyState();
    OnLeftButtonDown(drawing, {500, 500});
    OnPointerMoved(drawing, {700, 600});
    SelectionState resizing = SelectedState({100, 100, 300, 200});
    OnLeftButtonDown(resizing, {300, 150});
    OnPointerMoved(resizing, {350, 150});
    SelectionState finished = SelectedState({100, 100, 300, 200});
    finished.finished = true;
    const Case cases[] = {
        {"empty", EmptyState()},
        {"drawing", drawing},
        {"selected", SelectedState({100, 100, 300, 200})},
        {"too small to confirm", SelectedState({100, 100, 103, 150})},
        {"resizing", resizing},
        {"finished", finished},
    };
    for (const Case& c : cases) {
        CapturedLog log;
        SelectionState state = c.state;
        EXPECT_EQ("cancel", Text(OnKeyDown(state, 27))) << c.name;
        EXPECT_EQ("cancel", Text(OnRightButtonDown(state))) << c.name;
        EXPECT_EQ(Text(c.state), Text(state)) << c.name;
        EXPECT_TRUE(log.Lines().empty()) << c.name;
    }
}

TEST(SelectionEvents, OtherKeysAreIgnored) {
    const uint32_t keys[] = {0, 8, 9, 32, 65, 0x6C /* keypad separator */, 0x73 /* F4 */, 0x12 /* Alt */};
    for (uint32_t key : keys) {
        CapturedLog log;
        SelectionState state = SelectedState({100, 100, 300, 200});
        EXPECT_EQ("-", Text(OnKeyDown(state, key))) << key;
        EXPECT_TRUE(log.Lines().empty()) << key;
    }
}

TEST(SelectionEvents, PointerEventsAreIgnoredOnceFinished) {
    struct Case {
        const char* name;
        SelectionState state;
    };
    SelectionState midDrag = ResizingState({100, 100, 300, 200}, DragKind::RightEdge, {300, 150});
    midDrag.finished = true;
    SelectionState selected = SelectedState({100, 100, 300, 200});
    selected.finished = true;
    SelectionState empty = EmptyState();
    empty.finished = true;
    const Case cases[] = {{"mid drag", midDrag}, {"selected", selected}, {"empty", empty}};
    const Point points[] = {{200, 150}, {300, 150}, {800, 800}};
    for (const Case& c : cases) {
        for (const Point& p : points) {
            CapturedLog log;
            SelectionState state = c.state;
            EXPECT_EQ("-", Text(OnLeftButtonDown(state, p))) << c.name << Text(p);
            EXPECT_EQ("-", Text(OnPointerMoved(state, p))) << c.name << Text(p);
            EXPECT_EQ("-", Text(OnLeftButtonUp(state, p))) << c.name << Text(p);
            EXPECT_EQ("-", Text(OnLeftDoubleClick(state, p))) << c.name << Text(p);
            EXPECT_EQ("-", Text(OnKeyDown(state, 13))) << c.name << Text(p);
            EXPECT_EQ(Text(c.state), Text(state)) << c.name << Text(p);
            EXPECT_TRUE(log.Lines().empty()) << c.name << Text(p);
        }
    }
}

TEST(SelectionEvents, ReleaseIsIgnoredUnlessDragging) {
    CapturedLog log;
    SelectionState state = SelectedState({100, 100, 300, 200});
    state.pointer = {5, 5};
    const SelectionState before = state;
    EXPECT_EQ("-", Text(OnLeftButtonUp(state, {150, 150})));
    EXPECT_EQ(Text(before), Text(state));
    EXPECT_TRUE(log.Lines().empty());
}

TEST(SelectionEvents, MoveRecordsThePointerAndRepaintsEvenWithoutADrag) {
    SelectionState state = SelectedState({100, 100, 300, 200});
    EXPECT_EQ("cursor repaint -", Text(OnPointerMoved(state, {300, 150})));
    EXPECT_EQ(300, state.pointer.x);
    EXPECT_EQ(150, state.pointer.y);
    EXPECT_EQ((Rect{100, 100, 300, 200}), state.selection);
    EXPECT_STREQ("SizeWE", Name(CursorShapeFor(state)));
}
