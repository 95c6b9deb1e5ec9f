// Every capture operation empties its output first: a record handed in that still holds a bitmap has it
// released, whatever the operation then does, so nothing leaks and the output never holds a stale picture.
#include <gtest/gtest.h>

#include <windows.h>

#include "capture/captured_image.h"
#include "capture/crop.h"
#include "capture/screen_capture.h"
#include "capture/window_capture.h"
#include "overlay/region_overlay.h"
#include "support/bitmap_pixels.h"
#include "support/pattern.h"
#include "support/test_support.h"

namespace {

// A 100 x 80 picture at (50, 40), for the crop.
CapturedImage SourcePicture() {
    CapturedImage source;
    source.bitmap = CreatePatternBitmap(100, 80, PatternColour);
    source.width = 100;
    source.height = 80;
    source.originX = 50;
    source.originY = 40;
    return source;
}

struct OutputCase {
    const char* name;
    void (*capture)(CapturedImage& out);
};

const OutputCase kOutputCases[] = {
    {"screen rectangle",
     [](CapturedImage& out) {
         CaptureScreenRect(Rect{0, 0, 16, 16}, out);
     }},
    {"refused screen rectangle",
     [](CapturedImage& out) {
         CaptureScreenRect(Rect{0, 0, 0, 16}, out);
     }},
    {"virtual screen", [](CapturedImage& out) { CaptureVirtualScreen(out); }},
    {"monitor under the pointer", [](CapturedImage& out) { CaptureMonitorUnderCursor(out); }},
    {"foreground window", [](CapturedImage& out) { CaptureForegroundWindow(out); }},
    {"crop",
     [](CapturedImage& out) {
         CapturedImage source = SourcePicture();
         CropCapturedImage(source, Rect{60, 50, 90, 70}, out);
         ReleaseCapturedImage(source);
     }},
    {"refused crop",
     [](CapturedImage& out) {
         CapturedImage source = SourcePicture();
         CropCapturedImage(source, Rect{0, 0, 10, 10}, out);
         ReleaseCapturedImage(source);
     }},
    {"region overlay over no still",
     [](CapturedImage& out) {
         const CapturedImage none;
         RunRegionOverlay(none, out);
     }},
};

class CaptureOutputTest : public testing::TestWithParam<OutputCase> {};

} // namespace

TEST_P(CaptureOutputTest, ReleasesWhatTheOutputHeldBeforeAnythingElse) {
    CapturedLog log;
    CapturedImage out;
    const HBITMAP earlier = CreatePatternBitmap(8, 8, PatternColour);
    ASSERT_NE(earlier, nullptr);
    out.bitmap = earlier;
    out.width = 8;
    out.height = 8;
    out.originX = 7;
    out.originY = 9;

    GetParam().capture(out);

    EXPECT_EQ(GetObjectType(earlier), 0u) << "the picture handed in was left behind";
    EXPECT_NE(out.bitmap, earlier);
    if (out.bitmap == nullptr) {
        EXPECT_TRUE(IsEmptyCapture(out));
    }
    ReleaseCapturedImage(out);
}

INSTANTIATE_TEST_SUITE_P(Operations, CaptureOutputTest, testing::ValuesIn(kOutputCases),
                         [](const testing::TestParamInfo<OutputCase>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c != '\0'; ++c) {
                                 name += (*c == ' ') ? '_' : *c;
                             }
                             return name;
                         });
