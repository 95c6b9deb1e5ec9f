#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

#include "floatbar/floatbar_layout.h"
#include "support/rect_print.h"

namespace {

struct GeometryCase {
    int32_t dpi;
    int32_t captionWidth;
    FloatBarTextWidths textWidths;
    Rect caption;
    FloatBarButtonRects buttons;
    int32_t separatorX;
    int32_t width;
    int32_t height;
    int32_t cornerSize;
    int32_t separatorInset;
};

TEST(FloatBarLayout, PlacesCaptionButtonsAndSeparatorForEachDpi) {
    const std::vector<GeometryCase> cases = {
        {96,
         100,
         {30, 40, 50, 60, 70},
         {20, 0, 120, 40},
         {{{136, 6, 182, 34}, {190, 6, 246, 34}, {254, 6, 320, 34}, {344, 6, 420, 34}, {428, 6, 514, 34}}},
         332,
         534,
         40,
         20,
         10},
        // 6 * 120 / 96 = 7.5 and 10 * 120 / 96 = 12.5 round away from zero, as MulDiv does.
        {120,
         125,
         {38, 50, 63, 75, 88},
         {25, 0, 150, 50},
         {{{170, 8, 228, 42}, {238, 8, 308, 42}, {318, 8, 401, 42}, {431, 8, 526, 42}, {536, 8, 644, 42}}},
         416,
         669,
         50,
         25,
         13},
        {144,
         150,
         {45, 60, 75, 90, 105},
         {30, 0, 180, 60},
         {{{204, 9, 273, 51}, {285, 9, 369, 51}, {381, 9, 480, 51}, {516, 9, 630, 51}, {642, 9, 771, 51}}},
         498,
         801,
         60,
         30,
         15},
        {192,
         200,
         {60, 80, 100, 120, 140},
         {40, 0, 240, 80},
         {{{272, 12, 364, 68},
           {380, 12, 492, 68},
           {508, 12, 640, 68},
           {688, 12, 840, 68},
           {856, 12, 1028, 68}}},
         664,
         1068,
         80,
         40,
         20},
        // Nothing measured (no DC): the buttons shrink to their margins but keep their order and gaps.
        {96,
         0,
         {0, 0, 0, 0, 0},
         {20, 0, 20, 40},
         {{{36, 6, 52, 34}, {60, 6, 76, 34}, {84, 6, 100, 34}, {124, 6, 140, 34}, {148, 6, 164, 34}}},
         112,
         184,
         40,
         20,
         10},
    };
    for (const GeometryCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dpi << " DPI");
        const FloatBarGeometry g = ComputeFloatBarGeometry(c.dpi, c.captionWidth, c.textWidths);
        EXPECT_EQ(g.captionRect, c.caption);
        for (int i = 0; i < kFloatBarButtonCount; ++i) {
            EXPECT_EQ(g.buttonRects[i], c.buttons[i]) << "button " << i;
        }
        EXPECT_EQ(g.separatorX, c.separatorX);
        EXPECT_EQ(g.width, c.width);
        EXPECT_EQ(g.height, c.height);
        EXPECT_EQ(g.cornerSize, c.cornerSize);
        EXPECT_EQ(FloatBarSeparatorInset(c.dpi), c.separatorInset);
    }
}

TEST(FloatBarLayout, At96DpiTheWidthIsTheTextsPlus184AndTheSeparatorSits12FromEitherButton) {
    const std::vector<std::pair<int32_t, FloatBarTextWidths>> cases = {{86, {24, 24, 24, 24, 24}},
                                                                       {57, {48, 49, 43, 52, 30}},
                                                                       {1, {1, 2, 3, 4, 5}},
                                                                       {300, {90, 0, 77, 3, 120}}};
    for (const auto& [captionWidth, widths] : cases) {
        const FloatBarGeometry g = ComputeFloatBarGeometry(96, captionWidth, widths);
        int32_t sum = captionWidth;
        for (int32_t w : widths) {
            sum += w;
        }
        EXPECT_EQ(g.width, sum + 184) << captionWidth;
        EXPECT_EQ(g.height, 40);
        EXPECT_EQ(g.separatorX - g.buttonRects[2].right, 12);
        EXPECT_EQ(g.buttonRects[3].left - g.separatorX, 12);
    }
}

TEST(FloatBarLayout, HitTestFindsTheButtonUnderAPointAndNothingElsewhere) {
    const FloatBarGeometry g = ComputeFloatBarGeometry(96, 100, {30, 40, 50, 60, 70});
    struct HitCase {
        Point point;
        int32_t expected;
    };
    const std::vector<HitCase> cases = {
        {{136, 6}, 0},   // a button's top-left pixel is inside
        {{181, 33}, 0},  // and its last pixel
        {{182, 20}, -1}, // right edge excluded: the gap
        {{190, 20}, 1},  {{300, 20}, 2}, {{380, 20}, 3},
        {{513, 33}, 4},  {{136, 5}, -1}, // above the buttons' inset
        {{136, 34}, -1},                 // bottom edge excluded
        {{60, 20}, -1},                  // the caption is not a button
        {{332, 20}, -1},                 // nor the separator
        {{514, 20}, -1}, {{-5, -5}, -1}, {{2000, 20}, -1},
    };
    for (const HitCase& c : cases) {
        EXPECT_EQ(HitTestFloatBarButtons(g.buttonRects, c.point), c.expected)
            << "(" << c.point.x << "," << c.point.y << ")";
    }
}

TEST(FloatBarLayout, ButtonsSendTheirCommandsAndNameTheirTexts) {
    struct ButtonCase {
        int32_t index;
        int32_t command;
        int32_t textId;
    };
    // Capture, Window, Screen, Settings, Quit.
    const std::vector<ButtonCase> cases = {{0, 1, 33}, {1, 3, 34},  {2, 2, 35}, {3, 4, 36},
                                           {4, 5, 37}, {-1, 0, -1}, {5, 0, -1}, {100, 0, -1}};
    for (const ButtonCase& c : cases) {
        EXPECT_EQ(FloatBarButtonCommand(c.index), c.command) << c.index;
        EXPECT_EQ(FloatBarButtonTextId(c.index), c.textId) << c.index;
    }
}

} // namespace
