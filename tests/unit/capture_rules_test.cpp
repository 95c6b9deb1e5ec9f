#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include "capture/capture_rules.h"

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

std::string Text(const Rect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

} // namespace

// Found by the test framework next to Rect, so that a failed comparison prints the rectangles.
static void PrintTo(const Rect& r, std::ostream* out) {
    *out << Text(r);
}

TEST(CaptureRules, CaptureSizeIsAllowedFromOneTo32000EachWay) {
    struct Case {
        int32_t width;
        int32_t height;
        bool allowed;
    };
    const Case cases[] = {
        {1, 1, true},      {32000, 1, true},  {1, 32000, true}, {32000, 32000, true}, {1920, 1080, true},
        {32001, 1, false}, {1, 32001, false}, {0, 1, false},    {1, 0, false},        {-1, 1, false},
        {1, -1, false},    {0, 0, false},     {kMax, 1, false}, {1, kMin, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.allowed, IsCaptureSizeAllowed(c.width, c.height)) << c.width << "x" << c.height;
    }
    EXPECT_EQ(32000, kMaxCaptureSide);
}

TEST(CaptureRules, SpanSaturatesInsteadOfWrapping) {
    struct Case {
        int32_t from;
        int32_t to;
        int32_t span;
    };
    const Case cases[] = {
        {0, 1920, 1920},
        {-1920, 0, 1920},
        {10, 10, 0},
        {10, 5, -5},
        {kMin, kMax, kMax},
        {kMax, kMin, kMin},
        {kMin, 0, kMax},
        {-5, kMax, kMax},
        // Wrapping would make this a plausible 101 pixels.
        {kMax, kMin + 100, kMin},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.span, SpanBetween(c.from, c.to)) << c.from << " -> " << c.to;
    }
}

namespace {

struct PlanCase {
    const char* name;
    Rect rect;
    int32_t originX, originY, width, height; // the source picture
    CropPlan expected;                       // all zero when nothing overlaps
};

void PrintTo(const PlanCase& c, std::ostream* out) {
    *out << c.name;
}

class PlanCropTest : public ::testing::TestWithParam<PlanCase> {};

// A 200 x 100 source at the primary monitor's corner, and one on a monitor left of and above the primary.
const PlanCase kPlanCases[] = {
    {"full extent", {0, 0, 200, 100}, 0, 0, 200, 100, {0, 0, 200, 100, 0, 0}},
    {"inside", {30, 20, 80, 70}, 0, 0, 200, 100, {30, 20, 50, 50, 30, 20}},
    {"one pixel", {199, 99, 200, 100}, 0, 0, 200, 100, {199, 99, 1, 1, 199, 99}},
    {"sticks out left", {-50, 10, 40, 60}, 0, 0, 200, 100, {0, 10, 40, 50, 0, 10}},
    {"sticks out top", {10, -30, 60, 40}, 0, 0, 200, 100, {10, 0, 50, 40, 10, 0}},
    {"sticks out right", {150, 10, 260, 60}, 0, 0, 200, 100, {150, 10, 50, 50, 150, 10}},
    {"sticks out bottom", {10, 70, 60, 140}, 0, 0, 200, 100, {10, 70, 50, 30, 10, 70}},
    {"sticks out everywhere", {-10, -10, 300, 300}, 0, 0, 200, 100, {0, 0, 200, 100, 0, 0}},
    {"wholly left", {-80, 10, -20, 60}, 0, 0, 200, 100, {}},
    {"wholly above", {10, -80, 60, -20}, 0, 0, 200, 100, {}},
    {"wholly right", {220, 10, 260, 60}, 0, 0, 200, 100, {}},
    {"wholly below", {10, 120, 60, 160}, 0, 0, 200, 100, {}},
    {"touches left edge", {-40, 10, 0, 60}, 0, 0, 200, 100, {}},
    {"touches top edge", {10, -40, 60, 0}, 0, 0, 200, 100, {}},
    {"touches right edge", {200, 10, 240, 60}, 0, 0, 200, 100, {}},
    {"touches bottom edge", {10, 100, 60, 140}, 0, 0, 200, 100, {}},
    {"touches a corner", {200, 100, 210, 110}, 0, 0, 200, 100, {}},
    {"empty rectangle inside", {50, 50, 50, 60}, 0, 0, 200, 100, {}},
    {"inverted rectangle inside", {60, 50, 50, 60}, 0, 0, 200, 100, {}},
    {"negative origin, full",
     {-1920, -200, -1720, -100},
     -1920,
     -200,
     200,
     100,
     {0, 0, 200, 100, -1920, -200}},
    {"negative origin, inside",
     {-1900, -150, -1800, -120},
     -1920,
     -200,
     200,
     100,
     {20, 50, 100, 30, -1900, -150}},
    {"negative origin, sticks out",
     {-2000, -250, -1900, -190},
     -1920,
     -200,
     200,
     100,
     {0, 0, 20, 10, -1920, -200}},
    {"negative origin, sticks out right",
     {-1800, -120, 0, 0},
     -1920,
     -200,
     200,
     100,
     {120, 80, 80, 20, -1800, -120}},
    {"negative origin, touches right", {-1720, -200, -1600, -100}, -1920, -200, 200, 100, {}},
    {"virtual screen of two monitors",
     {-100, 500, 100, 600},
     -1920,
     0,
     3840,
     1080,
     {1820, 500, 200, 100, -100, 500}},
    {"empty source", {0, 0, 10, 10}, 0, 0, 0, 0, {}},
    {"far beyond int32", {kMax - 10, kMax - 10, kMax, kMax}, kMin, kMin, 200, 100, {}},
    {"spans all of int32", {kMin, kMin, kMax, kMax}, -1920, -200, 200, 100, {0, 0, 200, 100, -1920, -200}},
};

} // namespace

TEST_P(PlanCropTest, ClipsToTheSourceAndPlacesTheResult) {
    const PlanCase& c = GetParam();
    const CropPlan plan = PlanCrop(c.rect, c.originX, c.originY, c.width, c.height);
    EXPECT_EQ(c.expected.sourceX, plan.sourceX);
    EXPECT_EQ(c.expected.sourceY, plan.sourceY);
    EXPECT_EQ(c.expected.width, plan.width);
    EXPECT_EQ(c.expected.height, plan.height);
    EXPECT_EQ(c.expected.originX, plan.originX);
    EXPECT_EQ(c.expected.originY, plan.originY);
    if (plan.width > 0) {
        // The kept part starts where the source's pixel (sourceX, sourceY) lies on the virtual screen.
        EXPECT_EQ(c.originX + plan.sourceX, plan.originX);
        EXPECT_EQ(c.originY + plan.sourceY, plan.originY);
    }
}

INSTANTIATE_TEST_SUITE_P(CaptureRules, PlanCropTest, ::testing::ValuesIn(kPlanCases),
                         [](const ::testing::TestParamInfo<PlanCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p != '\0'; ++p) {
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             }
                             return name;
                         });

TEST(CaptureRules, IntersectRectsKeepsTheOverlapOrNothing) {
    struct Case {
        Rect a;
        Rect b;
        Rect expected;
    };
    const Case cases[] = {
        {{0, 0, 100, 100}, {50, 50, 150, 150}, {50, 50, 100, 100}},
        {{0, 0, 100, 100}, {10, 20, 30, 40}, {10, 20, 30, 40}},
        {{0, 0, 1920, 1080}, {-50, -30, 400, 300}, {0, 0, 400, 300}},
        {{-1920, -200, 1920, 1080}, {-2000, 500, -1000, 1500}, {-1920, 500, -1000, 1080}},
        {{-1920, -200, 0, 880}, {-300, -400, -100, -250}, {}},
        {{0, 0, 100, 100}, {200, 0, 300, 100}, {}},
        {{0, 0, 100, 100}, {0, 200, 100, 300}, {}},
        {{0, 0, 100, 100}, {100, 0, 200, 100}, {}}, // sharing an edge is no overlap
        {{0, 0, 100, 100}, {0, 100, 100, 200}, {}},
        {{0, 0, 100, 100}, {40, 40, 40, 60}, {}}, // an empty rectangle meets nothing
        {{kMin, kMin, kMax, kMax}, {-5, -5, 5, 5}, {-5, -5, 5, 5}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, IntersectRects(c.a, c.b)) << Text(c.a) << " with " << Text(c.b);
        EXPECT_EQ(c.expected, IntersectRects(c.b, c.a)) << Text(c.b) << " with " << Text(c.a);
    }
}
