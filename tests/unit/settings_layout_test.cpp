#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "settings/settings_layout.h"

namespace {

struct Box {
    int id;
    int32_t x;
    int32_t y;
    int32_t w;
    int32_t h;
};

Rect At(const Box& b) {
    return Rect{b.x, b.y, b.x + b.w, b.y + b.h};
}

std::string Text(const Rect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

struct LayoutCase {
    const char* name;
    int32_t dpi;
    int32_t clientWidth; // the s(700) window less its one-pixel border on each side
    SettingsPage page;
    SettingsTextMeasures measures;
    int32_t contentBottom;
    int32_t buttonTop;
    int32_t clientHeight;
    std::vector<Box> boxes;
};

void ExpectLayout(const LayoutCase& c) {
    SCOPED_TRACE(c.name);
    const SettingsLayout layout = ComputeSettingsLayout(c.clientWidth, c.dpi, c.page, c.measures);
    EXPECT_EQ(layout.contentBottom, c.contentBottom);
    EXPECT_EQ(layout.buttonTop, c.buttonTop);
    EXPECT_EQ(layout.clientHeight, c.clientHeight);
    for (const Box& box : c.boxes) {
        EXPECT_EQ(Text(layout.Find(box.id)), Text(At(box))) << "control " << box.id;
    }
}

} // namespace

// The worked example: every control at 96 DPI in a 700-pixel window (client width 698) with labels 30 wide,
// a 17-pixel line and a one-line hint. F = L + 40 = 70, FW = W - L - 60 = 608.
TEST(SettingsLayout, EveryControlOfTheGeneralPageAt96Dpi) {
    ExpectLayout({"general 96",
                  96,
                  698,
                  SettingsPage::General,
                  {30, 17, 17, 340},
                  372 + 17,
                  372 + 17 + 12,
                  372 + 17 + 12 + 46,
                  {{2100, 20, 96, 30, 34},    {2200, 70, 96, 608, 34},   {2101, 20, 142, 30, 34},
                   {2201, 70, 142, 608, 34},  {2102, 20, 188, 30, 34},   {2202, 70, 188, 608, 34},
                   {2103, 20, 234, 30, 34},   {2300, 70, 234, 120, 34},  {2301, 202, 234, 120, 34},
                   {2104, 20, 280, 30, 34},   {2302, 70, 284, 552, 26},  {2107, 630, 280, 48, 34},
                   {2105, 20, 326, 30, 34},   {2303, 70, 326, 492, 34},  {2304, 574, 326, 104, 34},
                   {2106, 20, 372, 658, 17},  {2400, 20, 96, 658, 40},   {2401, 20, 148, 658, 40},
                   {2402, 20, 200, 658, 40},  {2403, 20, 252, 658, 40},  {2410, 20, 96, 658, 32},
                   {2411, 20, 140, 658, 348}, {2305, 434, 401, 116, 34}, {2306, 562, 401, 116, 34}}});
}

TEST(SettingsLayout, TheHeightFollowsThePageAt96Dpi) {
    const LayoutCase cases[] = {
        // A hint of two lines on the Language page: the page ends 12 under it.
        {"language 96",
         96,
         698,
         SettingsPage::Language,
         {30, 17, 34, 340},
         338,
         350,
         396,
         {{2106, 20, 304, 658, 34}, {2403, 20, 252, 658, 40}, {2305, 434, 350, 116, 34}}},
        // About is as tall as its text (340) plus 8; the hint keeps its General place, hidden.
        {"about 96",
         96,
         698,
         SettingsPage::About,
         {30, 17, 17, 340},
         488,
         500,
         546,
         {{2411, 20, 140, 658, 348}, {2106, 20, 372, 658, 17}, {2306, 562, 500, 116, 34}}},
        // A text measured shorter than a line still takes one line; nothing measured still takes one pixel.
        {"short hint",
         96,
         698,
         SettingsPage::General,
         {30, 17, 5, 0},
         389,
         401,
         447,
         {{2106, 20, 372, 658, 17}, {2411, 20, 140, 658, 25}}},
        {"nothing measured",
         96,
         698,
         SettingsPage::Language,
         {0, 0, 0, 0},
         305,
         317,
         363,
         {{2106, 20, 304, 658, 1}}},
    };
    for (const LayoutCase& c : cases) {
        ExpectLayout(c);
    }
}

TEST(SettingsLayout, ScalesWithTheDpi) {
    const LayoutCase cases[] = {
        // 120 DPI: C 50, N 55, M 25, R 43 (42.5 rounded away from zero), G 15.
        {"general 120",
         120,
         873,
         SettingsPage::General,
         {38, 21, 21, 420},
         489,
         504,
         562,
         {{2200, 88, 120, 760, 43},
          {2202, 88, 236, 760, 43},
          {2301, 253, 294, 150, 43},
          {2302, 88, 357, 690, 33},
          {2107, 788, 352, 60, 43},
          {2303, 88, 410, 615, 43},
          {2304, 718, 410, 130, 43},
          {2106, 25, 468, 823, 21},
          {2305, 543, 504, 145, 43},
          {2306, 703, 504, 145, 43}}},
        // 144 DPI: C 60, N 66, M 30, R 51, G 18.
        {"language 144",
         144,
         1048,
         SettingsPage::Language,
         {45, 25, 50, 630},
         506,
         524,
         593,
         {{2400, 30, 144, 988, 60},
          {2403, 30, 378, 988, 60},
          {2106, 30, 456, 988, 50},
          {2302, 105, 426, 829, 39},
          {2305, 652, 524, 174, 51},
          {2306, 844, 524, 174, 51}}},
        // 192 DPI: everything doubles.
        {"about 192",
         192,
         1398,
         SettingsPage::About,
         {60, 33, 33, 660},
         956,
         980,
         1072,
         {{2410, 40, 192, 1318, 64},
          {2411, 40, 280, 1318, 676},
          {2201, 140, 284, 1218, 68},
          {2304, 1150, 652, 208, 68},
          {2305, 870, 980, 232, 68},
          {2306, 1126, 980, 232, 68}}},
    };
    for (const LayoutCase& c : cases) {
        ExpectLayout(c);
    }
}

TEST(SettingsLayout, ControlsOfANarrowWindowAreNeverSmallerThanOnePixel) {
    ExpectLayout({"narrow",
                  96,
                  50,
                  SettingsPage::General,
                  {30, 17, 17, 17},
                  389,
                  401,
                  447,
                  {{2200, 70, 96, 1, 34},
                   {2302, 70, 284, 1, 26},
                   {2303, 70, 326, 1, 34},
                   {2106, 20, 372, 10, 17},
                   {2400, 20, 96, 10, 40}}});
    EXPECT_EQ(SettingsFullWidth(30, 96), 1);
    EXPECT_EQ(SettingsFullWidth(698, 96), 658);
}

TEST(SettingsLayout, CaptionBoxesAndTheirHitTest) {
    struct Case {
        int32_t dpi;
        int32_t width;
        Point point;
        int32_t expected;
    };
    const Case cases[] = {
        {96, 698, {697, 0}, kCloseBox},
        {96, 698, {658, 39}, kCloseBox},
        {96, 698, {657, 20}, kMinimiseBox},
        {96, 698, {618, 20}, kMinimiseBox},
        {96, 698, {617, 20}, 0},
        {96, 698, {680, 40}, 0},
        {96, 698, {680, -1}, 0},
        {96, 698, {698, 10}, 0},
        {120, 873, {823, 49}, kCloseBox},
        {120, 873, {822, 49}, kMinimiseBox},
        {120, 873, {800, 50}, 0},
        {144, 1048, {988, 0}, kCloseBox},
        {144, 1048, {987, 59}, kMinimiseBox},
        {192, 1398, {1318, 79}, kCloseBox},
        {192, 1398, {1237, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dpi) + " dpi at " + std::to_string(c.point.x) + "," +
                     std::to_string(c.point.y));
        EXPECT_EQ(CaptionBoxAt(c.width, c.dpi, c.point), c.expected);
    }
    EXPECT_EQ(Text(CaptionBoxRect(698, 96, kCloseBox)), Text(Rect{658, 0, 698, 40}));
    EXPECT_EQ(Text(CaptionBoxRect(698, 96, kMinimiseBox)), Text(Rect{618, 0, 658, 40}));
    EXPECT_EQ(Text(CaptionBoxRect(1048, 144, kMinimiseBox)), Text(Rect{928, 0, 988, 60}));
}

// The tabs are the thirds of the width as drawn: a point hits the tab that is painted under it, also where
// a third is not a whole number of pixels (698 / 3 = 232.67).
TEST(SettingsLayout, NavigationTabsAndTheirHitTest) {
    struct Case {
        int32_t dpi;
        int32_t width;
        Point point;
        int32_t expected;
    };
    const Case cases[] = {
        {96, 698, {0, 40}, 0},      {96, 698, {231, 83}, 0},     {96, 698, {232, 60}, 1},
        {96, 698, {464, 60}, 1},    {96, 698, {465, 60}, 2},     {96, 698, {697, 60}, 2},
        {96, 698, {698, 60}, -1},   {96, 698, {-1, 60}, -1},     {96, 698, {100, 39}, -1},
        {96, 698, {100, 84}, -1},   {96, 0, {0, 60}, -1},        {96, -5, {0, 60}, -1},
        {120, 873, {291, 50}, 1},   {120, 873, {290, 104}, 0},   {120, 873, {290, 105}, -1},
        {144, 1048, {699, 100}, 2}, {144, 1048, {697, 100}, 1},  {192, 1398, {466, 80}, 1},
        {192, 1398, {465, 167}, 0}, {192, 1398, {465, 168}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dpi) + " dpi, width " + std::to_string(c.width) + " at " +
                     std::to_string(c.point.x) + "," + std::to_string(c.point.y));
        EXPECT_EQ(NavTabAt(c.width, c.dpi, c.point), c.expected);
    }
    EXPECT_EQ(Text(NavTabRect(698, 96, 0)), Text(Rect{0, 40, 232, 84}));
    EXPECT_EQ(Text(NavTabRect(698, 96, 1)), Text(Rect{232, 40, 465, 84}));
    EXPECT_EQ(Text(NavTabRect(698, 96, 2)), Text(Rect{465, 40, 698, 84}));
    EXPECT_EQ(Text(NavTabRect(1048, 144, 2)), Text(Rect{698, 60, 1048, 126}));
}

TEST(SettingsLayout, PathTextRectCentresTheLine) {
    struct Case {
        int32_t width;
        int32_t height;
        int32_t textHeight;
        Rect expected;
    };
    const Case cases[] = {
        {490, 32, 17, {8, 7, 486, 32}},  // the EDIT's client inside its border at 96 DPI
        {737, 49, 25, {8, 12, 733, 49}}, // 144 DPI
        {10, 10, 17, {8, 0, 9, 10}}, // a line taller than the field starts at its top; right stays past left
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Text(PathTextRect(c.width, c.height, c.textHeight)), Text(c.expected));
    }
}

TEST(SettingsLayout, NewWindowIsCentredInTheWorkArea) {
    struct Case {
        Rect workArea;
        int32_t width;
        int32_t height;
        Point expected;
    };
    const Case cases[] = {
        {{0, 0, 1920, 1040}, 700, 600, {610, 220}},
        {{-1280, 0, 0, 1024}, 1050, 900, {-1165, 62}},
        {{0, 0, 800, 560}, 1050, 900, {0, 0}},      // larger than the work area: its corner
        {{100, 50, 801, 651}, 700, 600, {100, 50}}, // an offset of zero
    };
    for (const Case& c : cases) {
        const Point at = CentreInWorkArea(c.workArea, c.width, c.height);
        EXPECT_EQ(at.x, c.expected.x);
        EXPECT_EQ(at.y, c.expected.y);
    }
}
