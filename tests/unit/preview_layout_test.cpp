#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "preview/preview_layout.h"

namespace {

std::string Text(const Rect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

constexpr Rect kWorkArea{0, 0, 1920, 1040}; // a 1920 x 1080 monitor with a 40-pixel taskbar at the bottom

// The sizes of a picture shown at the given size on a 96-DPI monitor with 56-pixel buttons.
PreviewSizes StateAt96(int32_t displayWidth, int32_t displayHeight) {
    PreviewSizes state;
    state.displayWidth = displayWidth;
    state.displayHeight = displayHeight;
    state.shadowSize = 18;
    state.buttonHeight = 28;
    state.buttonGap = 6;
    state.buttonWidth = 56;
    return state;
}

// 32-bit pixels with `guard` columns past the width in every row and one guard row below, all filled
// with `fill`, so that a write outside the bitmap shows.
struct PixelBuffer {
    PixelBuffer(int32_t w, int32_t h, int32_t guard, uint8_t fill)
        : width(w), height(h), stride((w + guard) * 4), bytes(static_cast<size_t>(stride) * (h + 1), fill) {}
    uint8_t* Pixel(int32_t x, int32_t y) { return bytes.data() + y * stride + x * 4; }
    int32_t width;
    int32_t height;
    int32_t stride;
    std::vector<uint8_t> bytes;
};

bool Untouched(const uint8_t* pixel, uint8_t fill) {
    return pixel[0] == fill && pixel[1] == fill && pixel[2] == fill && pixel[3] == fill;
}

} // namespace

static void PrintTo(const Rect& r, std::ostream* out) {
    *out << Text(r);
}

TEST(PreviewLayout, ScaleForDpiRoundsHalvesAwayFromZeroAndIsAtLeastOne) {
    struct Case {
        int32_t value;
        int32_t dpi;
        int32_t expected;
    };
    const Case cases[] = {
        {18, 96, 18}, {18, 120, 23}, {6, 120, 8}, {6, 144, 9}, {3, 48, 2},    {5, 48, 3},
        {1, 48, 1},   {1, 47, 1},    {0, 96, 1},  {18, 0, 1},  {28, 192, 56}, {-18, 96, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, ScaleForDpi(c.value, c.dpi)) << c.value << " at " << c.dpi;
    }
}

TEST(PreviewLayout, MetricsFollowTheDpi) {
    struct Case {
        int32_t dpi;
        PreviewMetrics expected;
    };
    const Case cases[] = {
        {96, {18, 28, 6, 56, 18, 72}},
        {120, {23, 35, 8, 70, 23, 90}},
        {144, {27, 42, 9, 84, 27, 108}},
        {192, {36, 56, 12, 112, 36, 144}},
    };
    for (const Case& c : cases) {
        const PreviewMetrics m = PreviewMetricsForDpi(c.dpi);
        EXPECT_EQ(c.expected.shadowSize, m.shadowSize) << c.dpi;
        EXPECT_EQ(c.expected.buttonHeight, m.buttonHeight) << c.dpi;
        EXPECT_EQ(c.expected.buttonGap, m.buttonGap) << c.dpi;
        EXPECT_EQ(c.expected.minButtonWidth, m.minButtonWidth) << c.dpi;
        EXPECT_EQ(c.expected.textMargin, m.textMargin) << c.dpi;
        EXPECT_EQ(c.expected.fallbackButtonWidth, m.fallbackButtonWidth) << c.dpi;
    }
}

TEST(PreviewLayout, FitScalesDownToNineTenthsOfTheWorkAreaAndNeverUp) {
    struct Case {
        const char* name;
        int32_t width;
        int32_t height;
        Rect workArea;
        int32_t dpi;
        DisplaySize expected;
    };
    const Case cases[] = {
        {"full-screen capture at 96 DPI (limited by 878 rows)", 1920, 1080, kWorkArea, 96, {1561, 878}},
        {"a picture that fits stays as it is", 800, 600, kWorkArea, 96, {800, 600}},
        {"a single pixel", 1, 1, kWorkArea, 96, {1, 1}},
        {"exactly the limit stays", 1695, 878, kWorkArea, 96, {1695, 878}},
        {"one column over the limit", 1696, 100, kWorkArea, 96, {1695, 100}},
        {"4K at 96 DPI", 3840, 2160, {0, 0, 3840, 2100}, 96, {3257, 1832}},
        {"4K at 120 DPI", 3840, 2160, {0, 0, 3840, 2100}, 120, {3230, 1817}},
        {"4K at 144 DPI", 3840, 2160, {0, 0, 3840, 2100}, 144, {3205, 1803}},
        {"4K at 192 DPI", 3840, 2160, {0, 0, 3840, 2100}, 192, {3154, 1774}},
        {"wide strip limited by the width", 5000, 100, kWorkArea, 96, {1695, 34}},
        // maxH is 1000 here, so the scale is exactly one half: 1.5 and 2.5 round up.
        {"half a pixel rounds away from zero (1.5)", 3, 2000, {0, 0, 1920, 1176}, 96, {2, 1000}},
        {"half a pixel rounds away from zero (2.5)", 5, 2000, {0, 0, 1920, 1176}, 96, {3, 1000}},
        {"a work area smaller than the shadow leaves one pixel", 100, 50, {0, 0, 10, 10}, 96, {1, 1}},
        {"a monitor left of the primary", 1280, 1024, {-1280, -100, 0, 924}, 96, {1080, 864}},
    };
    for (const Case& c : cases) {
        const PreviewMetrics m = PreviewMetricsForDpi(c.dpi);
        const DisplaySize size = FitPreviewImage(c.width, c.height, c.workArea, m.shadowSize, m.buttonHeight);
        EXPECT_EQ(c.expected.width, size.width) << c.name;
        EXPECT_EQ(c.expected.height, size.height) << c.name;
    }
}

TEST(PreviewLayout, SmallPictureSitsRightAlignedUnderTheButtonRow) {
    const PreviewLayout layout = ComputePreviewLayout(StateAt96(200, 100));
    EXPECT_EQ(278, layout.windowWidth);
    EXPECT_EQ(164, layout.windowHeight);
    EXPECT_EQ((Rect{60, 46, 260, 146}), layout.imageRect);
    const Rect buttons[4] = {{18, 0, 74, 28}, {80, 0, 136, 28}, {142, 0, 198, 28}, {204, 0, 260, 28}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(buttons[i], layout.buttonRects[i]) << "button " << i;
    }
    // Placed so that the picture lies exactly over the captured area at (500, 300).
    const Point place = PlacePreviewWindow(layout, 500, 300, kWorkArea);
    EXPECT_EQ(440, place.x);
    EXPECT_EQ(254, place.y);
}

TEST(PreviewLayout, WorkedExamplesGiveTheirWindowSizeAndPlace) {
    struct Case {
        const char* name;
        int32_t imageWidth;
        int32_t imageHeight;
        Point origin;
        int32_t windowWidth;
        int32_t windowHeight;
        Rect imageRect;
        Point place;
    };
    const Case cases[] = {
        // The picture covers exactly the captured area.
        {"200 x 100 region", 200, 100, {500, 300}, 278, 164, {60, 46, 260, 146}, {440, 254}},
        // Computed at (-18, -46), pulled into the work area.
        {"full screen, scaled", 1920, 1080, {0, 0}, 1597, 942, {18, 46, 1579, 924}, {0, 0}},
        {"single pixel", 1, 1, {700, 500}, 278, 65, {259, 46, 260, 47}, {441, 454}},
        {"800 x 600 unscaled", 800, 600, {100, 100}, 836, 664, {18, 46, 818, 646}, {82, 54}},
    };
    for (const Case& c : cases) {
        const DisplaySize size = FitPreviewImage(c.imageWidth, c.imageHeight, kWorkArea, 18, 28);
        const PreviewLayout layout = ComputePreviewLayout(StateAt96(size.width, size.height));
        EXPECT_EQ(c.windowWidth, layout.windowWidth) << c.name;
        EXPECT_EQ(c.windowHeight, layout.windowHeight) << c.name;
        EXPECT_EQ(c.imageRect, layout.imageRect) << c.name;
        // The row always ends at the picture's right edge.
        EXPECT_EQ(layout.imageRect.right, layout.buttonRects[3].right) << c.name;
        const Point place = PlacePreviewWindow(layout, c.origin.x, c.origin.y, kWorkArea);
        EXPECT_EQ(c.place.x, place.x) << c.name;
        EXPECT_EQ(c.place.y, place.y) << c.name;
    }
}

TEST(PreviewLayout, PlacementKeepsTheWindowInTheWorkArea) {
    struct Case {
        const char* name;
        int32_t displayWidth;
        int32_t displayHeight;
        Point origin;
        Rect workArea;
        Point expected;
    };
    const Rect leftMonitor{-1280, -100, 0, 924};
    const Case cases[] = {
        {"pulled back at the right and bottom", 200, 100, {1800, 1000}, kWorkArea, {1642, 876}},
        {"pulled in at the left and top", 200, 100, {10, 10}, kWorkArea, {0, 0}},
        {"taskbar at the top", 200, 100, {10, 10}, {0, 40, 1920, 1080}, {0, 40}},
        // Right and bottom are pulled first; the left and top edges win for a window larger than the area.
        {"larger than the work area", 1561, 878, {0, 0}, {0, 0, 1000, 800}, {0, 0}},
        {"left monitor, inside", 200, 100, {-1000, 200}, leftMonitor, {-1060, 154}},
        {"left monitor, past its left and top", 200, 100, {-1270, -100}, leftMonitor, {-1280, -100}},
        {"left monitor, past its right and bottom", 200, 100, {-100, 850}, leftMonitor, {-278, 760}},
        {"monitor right of the primary", 200, 100, {1920, 0}, {1920, 0, 3840, 1040}, {1920, 0}},
    };
    for (const Case& c : cases) {
        const PreviewLayout layout = ComputePreviewLayout(StateAt96(c.displayWidth, c.displayHeight));
        const Point place = PlacePreviewWindow(layout, c.origin.x, c.origin.y, c.workArea);
        EXPECT_EQ(c.expected.x, place.x) << c.name;
        EXPECT_EQ(c.expected.y, place.y) << c.name;
    }
}

TEST(PreviewLayout, LayoutAtHigherDpiUsesScaledSizes) {
    PreviewSizes state = StateAt96(200, 100);
    const PreviewMetrics m = PreviewMetricsForDpi(144);
    state.shadowSize = m.shadowSize;
    state.buttonHeight = m.buttonHeight;
    state.buttonGap = m.buttonGap;
    state.buttonWidth = m.minButtonWidth;
    const PreviewLayout layout = ComputePreviewLayout(state);
    // Row 4 x 84 + 3 x 9 = 363, extra 163.
    EXPECT_EQ(2 * 27 + 163 + 200, layout.windowWidth);
    EXPECT_EQ(2 * 27 + 42 + 100, layout.windowHeight);
    EXPECT_EQ((Rect{190, 69, 390, 169}), layout.imageRect);
    EXPECT_EQ((Rect{27, 0, 111, 42}), layout.buttonRects[0]);
    EXPECT_EQ((Rect{306, 0, 390, 42}), layout.buttonRects[3]);
}

TEST(PreviewLayout, ShadowAlphaFadesOverTheBand) {
    struct Case {
        int32_t dx;
        int32_t dy;
        int32_t shadowSize;
        int expected;
    };
    const Case cases[] = {
        {1, 0, 18, 98},
        {0, 2, 18, 86},
        {3, 0, 18, 76},
        {0, 5, 18, 57},
        {9, 0, 18, 27},
        {12, 0, 18, 12},
        {0, 17, 18, 0},
        {18, 0, 18, 0},
        {40, 0, 18, 0},
        {1, 1, 18, 93},
        {5, 5, 18, 40},
        // Still inside the band (288 < 324) but faded to nothing; one further out it is beyond the corner.
        {12, 12, 18, 0},
        {13, 13, 18, 0},
        {1, 0, 4, 61},
        {2, 0, 4, 27},
        {3, 0, 4, 6},
        {1, 0, 0, 0},
        {1, 0, -3, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, PreviewShadowAlpha(c.dx, c.dy, c.shadowSize))
            << "(" << c.dx << "," << c.dy << ") S=" << c.shadowSize;
    }
}

TEST(PreviewLayout, ShadowBandIsEquallyWideWithRoundedCornersAndLeavesThePicture) {
    constexpr uint8_t kFill = 0x11;
    constexpr int32_t kS = 4;
    PixelBuffer buffer(20, 16, 2, kFill);
    const Rect rect{6, 5, 10, 9};
    DrawPreviewShadow(buffer.bytes.data(), buffer.stride, buffer.width, buffer.height, rect, kS);

    for (int32_t y = 0; y < buffer.height; ++y) {
        for (int32_t x = 0; x < buffer.width; ++x) {
            const uint8_t* pixel = buffer.Pixel(x, y);
            const int32_t dx = x < rect.left ? rect.left - x : (x >= rect.right ? x - rect.right + 1 : 0);
            const int32_t dy = y < rect.top ? rect.top - y : (y >= rect.bottom ? y - rect.bottom + 1 : 0);
            const bool inBand = (dx != 0 || dy != 0) && dx * dx + dy * dy < kS * kS;
            if (!inBand) {
                EXPECT_TRUE(Untouched(pixel, kFill)) << "(" << x << "," << y << ")";
                continue;
            }
            EXPECT_EQ(0, pixel[0] | pixel[1] | pixel[2]) << "(" << x << "," << y << ")";
            EXPECT_EQ(PreviewShadowAlpha(dx, dy, kS), pixel[3]) << "(" << x << "," << y << ")";
        }
    }
    // The same fade on all four sides, three pixels wide.
    const uint8_t fade[3] = {61, 27, 6};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(fade[k], buffer.Pixel(rect.left - 1 - k, 6)[3]) << "left " << k;
        EXPECT_EQ(fade[k], buffer.Pixel(rect.right + k, 6)[3]) << "right " << k;
        EXPECT_EQ(fade[k], buffer.Pixel(7, rect.top - 1 - k)[3]) << "top " << k;
        EXPECT_EQ(fade[k], buffer.Pixel(7, rect.bottom + k)[3]) << "bottom " << k;
    }
    EXPECT_TRUE(Untouched(buffer.Pixel(rect.left - 4, 6), kFill));
    // Rounded: the corner pixel at (2, 2) outside is shaded, (3, 3) is beyond the band.
    EXPECT_EQ(PreviewShadowAlpha(2, 2, kS), buffer.Pixel(rect.left - 2, rect.top - 2)[3]);
    EXPECT_TRUE(Untouched(buffer.Pixel(rect.left - 3, rect.top - 3), kFill));
}

TEST(PreviewLayout, ShadowIsClippedToTheBitmap) {
    constexpr uint8_t kFill = 0x22;
    PixelBuffer buffer(8, 6, 3, kFill);
    // The band around the picture reaches past every edge of the 8 x 6 bitmap.
    DrawPreviewShadow(buffer.bytes.data(), buffer.stride, buffer.width, buffer.height, Rect{2, 2, 7, 5}, 18);
    for (int32_t y = 0; y <= buffer.height; ++y) {
        for (int32_t x = 0; x < buffer.stride / 4; ++x) {
            const bool outside = x >= buffer.width || y >= buffer.height;
            const bool picture = x >= 2 && x < 7 && y >= 2 && y < 5;
            if (outside || picture) {
                EXPECT_TRUE(Untouched(buffer.Pixel(x, y), kFill)) << "(" << x << "," << y << ")";
            }
        }
    }
    EXPECT_EQ(98, buffer.Pixel(1, 3)[3]);
    EXPECT_EQ(98, buffer.Pixel(7, 3)[3]);
    EXPECT_EQ(86, buffer.Pixel(4, 0)[3]);
    EXPECT_EQ(98, buffer.Pixel(4, 5)[3]);
}

TEST(PreviewLayout, NoShadowWithoutABand) {
    PixelBuffer buffer(8, 8, 0, 0x33);
    const std::vector<uint8_t> before = buffer.bytes;
    DrawPreviewShadow(buffer.bytes.data(), buffer.stride, buffer.width, buffer.height, Rect{2, 2, 4, 4}, 0);
    EXPECT_EQ(before, buffer.bytes);
}

TEST(PreviewLayout, MakeRectOpaqueSetsOnlyAlphaInsideTheRect) {
    PixelBuffer buffer(10, 8, 1, 0);
    for (size_t i = 0; i < buffer.bytes.size(); ++i) {
        buffer.bytes[i] = static_cast<uint8_t>(i * 7 % 251);
    }
    const std::vector<uint8_t> before = buffer.bytes;
    const Rect rect{2, 3, 6, 7};
    MakeRectOpaque(buffer.bytes.data(), buffer.stride, rect);
    for (int32_t y = 0; y <= buffer.height; ++y) {
        for (int32_t x = 0; x < buffer.stride / 4; ++x) {
            const size_t at = static_cast<size_t>(y * buffer.stride + x * 4);
            const bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
            for (int b = 0; b < 3; ++b) {
                EXPECT_EQ(before[at + b], buffer.bytes[at + b]) << "(" << x << "," << y << ") byte " << b;
            }
            EXPECT_EQ(inside ? 255 : before[at + 3], buffer.bytes[at + 3]) << "(" << x << "," << y << ")";
        }
    }
}

TEST(PreviewLayout, HitTestFindsButtonsWithExclusiveRightAndBottom) {
    const PreviewLayout layout = ComputePreviewLayout(StateAt96(200, 100));
    struct Case {
        Point point;
        int32_t expected;
    };
    const Case cases[] = {
        {{18, 0}, 0},   {{73, 27}, 0},  {{74, 0}, -1},  {{79, 10}, -1},  {{80, 0}, 1},
        {{135, 5}, 1},  {{142, 14}, 2}, {{204, 0}, 3},  {{259, 27}, 3},  {{260, 5}, -1},
        {{20, 28}, -1}, {{17, 5}, -1},  {{20, -1}, -1}, {{100, 60}, -1}, {{0, 0}, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, HitTestPreviewButton(layout, c.point))
            << "(" << c.point.x << "," << c.point.y << ")";
    }
}
