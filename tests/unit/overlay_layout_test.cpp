#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "overlay/overlay_layout.h"

namespace {

std::string Text(const Rect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// A primary monitor of 1920 x 1080 with a 1280 x 1024 monitor on its left, 100 pixels higher: the still
// starts at (-1280, -100).
constexpr Rect kLeftMonitor{-1280, -100, 0, 924};
constexpr Rect kPrimary{0, 0, 1920, 1080};
constexpr Rect kLeftAndPrimary{-1280, -100, 1920, 1080};

} // namespace

static void PrintTo(const Rect& r, std::ostream* out) {
    *out << Text(r);
}

TEST(OverlayLayout, StillUnderWindowFollowsTheMonitorLayout) {
    struct Case {
        const char* name;
        Rect window;
        Rect still;
        StillPart expected;
    };
    const Case cases[] = {
        {"single monitor", kPrimary, kPrimary, {0, 0, 1920, 1080, 0, 0}},
        {"left monitor, negative origin", kLeftMonitor, kLeftAndPrimary, {0, 0, 1280, 1024, 0, 0}},
        {"primary right of a higher left monitor", kPrimary, kLeftAndPrimary, {1280, 100, 1920, 1080, 0, 0}},
        {"monitor above the primary", {0, -1080, 1920, 0}, {0, -1080, 1920, 1080}, {0, 0, 1920, 1080, 0, 0}},
        {"primary below a monitor above", kPrimary, {0, -1080, 1920, 1080}, {0, 1080, 1920, 1080, 0, 0}},
        {"window reaching past the right and bottom",
         {1800, 900, 2100, 1200},
         kPrimary,
         {1800, 900, 120, 180, 0, 0}},
        // The still starts 200 columns and 50 rows into the window, which shows it from there.
        {"window reaching past the left and top",
         {-300, -100, 200, 300},
         {-100, -50, 500, 400},
         {0, 0, 300, 350, 200, 50}},
        {"window beside the still", {1920, 0, 2020, 100}, kPrimary, {1920, 0, 0, 100, 0, 0}},
        {"window far right of the still", {2000, 0, 2100, 100}, kPrimary, {2000, 0, -80, 100, 0, 0}},
    };
    for (const Case& c : cases) {
        const StillPart part = StillUnderWindow(c.window, c.still);
        EXPECT_EQ(c.expected.sx, part.sx) << c.name;
        EXPECT_EQ(c.expected.sy, part.sy) << c.name;
        EXPECT_EQ(c.expected.cw, part.cw) << c.name;
        EXPECT_EQ(c.expected.ch, part.ch) << c.name;
        EXPECT_EQ(c.expected.destX, part.destX) << c.name;
        EXPECT_EQ(c.expected.destY, part.destY) << c.name;
    }
}

TEST(OverlayLayout, SizeLabelMovesInsideTheFrameNearTheWindowTop) {
    struct Case {
        int32_t selectionTop;
        int32_t labelTop;
    };
    const Case cases[] = {
        {24, 28}, {25, 3}, {0, 4}, {-40, -36}, {300, 278},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.labelTop, SizeLabelTop(c.selectionTop)) << "top " << c.selectionTop;
    }
}

TEST(OverlayLayout, HandleCentresAreInOrderAroundTheSelection) {
    const std::array<Point, 8> centres = HandleCentres(Rect{10, 20, 110, 60});
    const Point expected[8] = {{10, 20},  {60, 20}, {110, 20}, {10, 40},
                               {110, 40}, {10, 60}, {60, 60},  {110, 60}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(expected[i].x, centres[i].x) << "handle " << i;
        EXPECT_EQ(expected[i].y, centres[i].y) << "handle " << i;
    }
}

TEST(OverlayLayout, HandleMiddlesAreHalvesTruncatedTowardZero) {
    struct Case {
        Rect selection;
        int32_t mx;
        int32_t my;
    };
    const Case cases[] = {
        {{0, 0, 10, 10}, 5, 5},
        {{0, 0, 11, 7}, 5, 3},
        // A selection on a monitor left of and above the window: -11 / 2 is -5, not -6.
        {{-11, -7, 0, 0}, -5, -3},
        {{-10, -3, 3, 8}, -3, 2},
        {{-20, -9, -4, -2}, -12, -5},
    };
    for (const Case& c : cases) {
        const std::array<Point, 8> centres = HandleCentres(c.selection);
        EXPECT_EQ(c.mx, centres[1].x) << Text(c.selection);
        EXPECT_EQ(c.mx, centres[6].x) << Text(c.selection);
        EXPECT_EQ(c.my, centres[3].y) << Text(c.selection);
        EXPECT_EQ(c.my, centres[4].y) << Text(c.selection);
    }
}

TEST(OverlayLayout, HintIsCentredButStartsAtLeastEightPixelsIn) {
    struct Case {
        int32_t windowWidth;
        int32_t textWidth;
        int32_t left;
    };
    const Case cases[] = {
        {1920, 400, 760}, {1921, 400, 760}, {418, 400, 9}, {416, 400, 8},
        {415, 400, 8},    {400, 400, 8},    {100, 400, 8}, {0, 0, 8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.left, HintLeft(c.windowWidth, c.textWidth)) << c.windowWidth << " / " << c.textWidth;
    }
}

TEST(MagnifierPlan, PanelFlipsAtTheStillsRightAndBottomEdges) {
    struct Case {
        const char* name;
        Point pointer;
        int32_t panelLeft; // window-local in the primary monitor's window
        int32_t panelTop;
    };
    const Case cases[] = {
        {"234 from the right edge: still right of the pointer", {1686, 500}, 1714, 528},
        {"233 from the right edge: left of the pointer", {1687, 500}, 1453, 528},
        {"256 from the bottom edge: still below the pointer", {500, 824}, 528, 852},
        {"255 from the bottom edge: above the pointer", {500, 825}, 528, 569},
        {"near the bottom-right corner: both flip", {1919, 1079}, 1685, 823},
    };
    for (const Case& c : cases) {
        const MagnifierPlan plan = PlanMagnifier(c.pointer, kLeftAndPrimary, kPrimary);
        ASSERT_TRUE(plan.visible) << c.name;
        EXPECT_EQ((Rect{c.panelLeft, c.panelTop, c.panelLeft + 206, c.panelTop + 228}), plan.panel) << c.name;
        EXPECT_EQ(c.panelLeft + 4, plan.colourLine.x) << c.name;
        EXPECT_EQ(c.panelTop + 208, plan.colourLine.y) << c.name;
    }
}

TEST(MagnifierPlan, PointerOnTheTopLeftPixelFillsOnlyTheLowerRightCells) {
    // The still's top-left pixel is the left monitor's, at (-1280, -100).
    const MagnifierPlan plan = PlanMagnifier(Point{-1280, -100}, kLeftAndPrimary, kLeftMonitor);
    ASSERT_TRUE(plan.visible);
    EXPECT_EQ((Rect{28, 28, 234, 256}), plan.panel);
    EXPECT_EQ(0, plan.pixelX);
    EXPECT_EQ(0, plan.pixelY);
    EXPECT_EQ(0, plan.x0);
    EXPECT_EQ(0, plan.y0);
    EXPECT_EQ(9, plan.cols);
    EXPECT_EQ(9, plan.rows);
    // Eight clipped cells stay empty before the first one, so the pointer's pixel is in the centre cell.
    EXPECT_EQ(28 + 1 + 8 * 12, plan.dx);
    EXPECT_EQ(28 + 1 + 8 * 12, plan.dy);
    EXPECT_EQ(plan.dx, plan.marker.x);
    EXPECT_EQ(plan.dy, plan.marker.y);
}

TEST(MagnifierPlan, PointerOnTheBottomRightPixelFillsOnlyTheUpperLeftCells) {
    const MagnifierPlan plan = PlanMagnifier(Point{1919, 1079}, kLeftAndPrimary, kPrimary);
    ASSERT_TRUE(plan.visible);
    EXPECT_EQ(3199, plan.pixelX);
    EXPECT_EQ(1179, plan.pixelY);
    EXPECT_EQ(3191, plan.x0);
    EXPECT_EQ(1171, plan.y0);
    EXPECT_EQ(9, plan.cols);
    EXPECT_EQ(9, plan.rows);
    EXPECT_EQ(plan.panel.left + 1, plan.dx);
    EXPECT_EQ(plan.panel.top + 1, plan.dy);
    // Still the centre cell of the 17 x 17 zoom area.
    EXPECT_EQ(plan.panel.left + 1 + 8 * 12, plan.marker.x);
    EXPECT_EQ(plan.panel.top + 1 + 8 * 12, plan.marker.y);
}

TEST(MagnifierPlan, PointerInsideTheStillUsesTheFullSquare) {
    const MagnifierPlan plan = PlanMagnifier(Point{100, 200}, kLeftAndPrimary, kPrimary);
    ASSERT_TRUE(plan.visible);
    EXPECT_EQ(1372, plan.x0);
    EXPECT_EQ(292, plan.y0);
    EXPECT_EQ(17, plan.cols);
    EXPECT_EQ(17, plan.rows);
    EXPECT_EQ(129, plan.dx);
    EXPECT_EQ(229, plan.dy);
    EXPECT_EQ(129 + 96, plan.marker.x);
    EXPECT_EQ(229 + 96, plan.marker.y);
}

TEST(MagnifierPlan, PointerOffTheStillShowsNoPanel) {
    const Point outside[] = {{1920, 500}, {-1281, 0}, {0, -101}, {0, 1080}, {-5000, -5000}};
    for (const Point& p : outside) {
        EXPECT_FALSE(PlanMagnifier(p, kLeftAndPrimary, kPrimary).visible) << p.x << "," << p.y;
    }
    EXPECT_FALSE(PlanMagnifier(Point{0, 0}, Rect{}, kPrimary).visible) << "no still";
}

TEST(MagnifierPlan, PanelIsConvertedIntoEachWindowsCoordinates) {
    struct Case {
        const char* name;
        Point pointer;
        Rect still;
        Rect window;
        Point panelTopLeft;
    };
    const Rect sideBySide{0, 0, 3840, 1080};
    const Case cases[] = {
        {"second monitor right of the primary", {2000, 100}, sideBySide, {1920, 0, 3840, 1080}, {108, 128}},
        {"monitor with a negative origin",
         {-1900, -290},
         {-1920, -300, 1920, 1080},
         {-1920, -300, 0, 780},
         {48, 38}},
        // The panel of a pointer near the border continues in the neighbour's window.
        {"neighbour of the pointer's monitor", {1800, 100}, sideBySide, {1920, 0, 3840, 1080}, {-92, 128}},
        {"pointer's own monitor", {1800, 100}, sideBySide, kPrimary, {1828, 128}},
    };
    for (const Case& c : cases) {
        const MagnifierPlan plan = PlanMagnifier(c.pointer, c.still, c.window);
        ASSERT_TRUE(plan.visible) << c.name;
        EXPECT_EQ(c.panelTopLeft.x, plan.panel.left) << c.name;
        EXPECT_EQ(c.panelTopLeft.y, plan.panel.top) << c.name;
        EXPECT_EQ(206, plan.panel.Width()) << c.name;
        EXPECT_EQ(228, plan.panel.Height()) << c.name;
        EXPECT_EQ(c.panelTopLeft.x + 4, plan.colourLine.x) << c.name;
        EXPECT_EQ(c.panelTopLeft.y + 208, plan.colourLine.y) << c.name;
    }
}

namespace {

bool Bit(const std::array<uint8_t, 128>& plane, int x, int y) {
    return (plane[static_cast<size_t>(y * 4 + x / 8)] & (0x80u >> (x % 8))) != 0;
}

enum class CursorPixel { Transparent, Black, White };

CursorPixel PixelAt(const CursorPlanes& planes, int x, int y) {
    const bool andBit = Bit(planes.andPlane, x, y);
    const bool xorBit = Bit(planes.xorPlane, x, y);
    if (andBit) {
        // An AND 1 with XOR 1 pixel would invert the screen under it; the cross has none.
        EXPECT_FALSE(xorBit) << "inverting pixel at " << x << "," << y;
        return CursorPixel::Transparent;
    }
    return xorBit ? CursorPixel::White : CursorPixel::Black;
}

} // namespace

TEST(CrossCursorPlanes, WhiteCrossInABlackBand) {
    const CursorPlanes planes = BuildWhiteCrossPlanes();
    struct Case {
        int x;
        int y;
        CursorPixel expected;
    };
    const Case cases[] = {
        {16, 16, CursorPixel::White}, // hot spot
        {16, 3, CursorPixel::White},        {16, 28, CursorPixel::White},
        {3, 16, CursorPixel::White},        {28, 16, CursorPixel::White},
        {15, 16, CursorPixel::White},       {16, 2, CursorPixel::Black},
        {16, 29, CursorPixel::Black},       {2, 16, CursorPixel::Black},
        {29, 16, CursorPixel::Black},       {14, 10, CursorPixel::Black},
        {18, 10, CursorPixel::Black},       {15, 10, CursorPixel::Black},
        {10, 14, CursorPixel::Black},       {10, 18, CursorPixel::Black},
        {14, 14, CursorPixel::Black},       {18, 18, CursorPixel::Black},
        {13, 10, CursorPixel::Transparent}, {19, 10, CursorPixel::Transparent},
        {10, 13, CursorPixel::Transparent}, {10, 19, CursorPixel::Transparent},
        {16, 1, CursorPixel::Transparent},  {16, 30, CursorPixel::Transparent},
        {1, 16, CursorPixel::Transparent},  {30, 16, CursorPixel::Transparent},
        {0, 0, CursorPixel::Transparent},   {31, 31, CursorPixel::Transparent},
        {2, 2, CursorPixel::Transparent},   {13, 13, CursorPixel::Transparent},
        {19, 19, CursorPixel::Transparent}, {29, 2, CursorPixel::Transparent},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, PixelAt(planes, c.x, c.y)) << c.x << "," << c.y;
    }
    int white = 0;
    int opaque = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const CursorPixel pixel = PixelAt(planes, x, y);
            white += pixel == CursorPixel::White ? 1 : 0;
            opaque += pixel != CursorPixel::Transparent ? 1 : 0;
        }
    }
    EXPECT_EQ(26 + 26 - 1, white);
    EXPECT_EQ(5 * 28 * 2 - 5 * 5, opaque);
}

TEST(CrossCursorPlanes, LeftmostPixelIsTheMostSignificantBit) {
    const CursorPlanes planes = BuildWhiteCrossPlanes();
    // Row 10 crosses only the vertical band: columns 14..18 opaque, column 16 white.
    EXPECT_EQ(0xFF, planes.andPlane[40]);
    EXPECT_EQ(0xFC, planes.andPlane[41]); // columns 14 and 15 are the two lowest bits of the second byte
    EXPECT_EQ(0x1F, planes.andPlane[42]); // columns 16..18 are the three highest bits of the third
    EXPECT_EQ(0xFF, planes.andPlane[43]);
    EXPECT_EQ(0x00, planes.xorPlane[41]);
    EXPECT_EQ(0x80, planes.xorPlane[42]);
}
