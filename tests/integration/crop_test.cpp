#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "capture/captured_image.h"
#include "capture/crop.h"
#include "capture/screen_capture.h"
#include "log/log.h"
#include "support/bitmap_pixels.h"
#include "support/import_patch.h"
#include "support/test_support.h"

namespace {

// Distinct neighbours in both directions, so that a cut off by one pixel shows.
uint32_t SourcePattern(int x, int y) {
    return (static_cast<uint32_t>(x * 5 + 17) & 0xFF) << 16 | (static_cast<uint32_t>(y * 9 + 3) & 0xFF) << 8 |
           (static_cast<uint32_t>(x + 2 * y) & 0xFF);
}

constexpr int kSourceWidth = 200;
constexpr int kSourceHeight = 100;

std::wstring Message(const std::wstring& line) {
    return line.size() > 19 ? line.substr(19) : line;
}

std::wstring Format(const wchar_t* format, int a, int b, int c, int d) {
    wchar_t text[160];
    swprintf(text, 160, format, a, b, c, d);
    return text;
}

// A 200 x 100 source filled with SourcePattern; the origin is set by each test.
class CropTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetLogForTesting();
        source_.bitmap = CreatePatternBitmap(kSourceWidth, kSourceHeight, SourcePattern);
        ASSERT_NE(nullptr, source_.bitmap);
        source_.width = kSourceWidth;
        source_.height = kSourceHeight;
        source_.originX = 300;
        source_.originY = 150;
        sourcePixels_ = ReadBitmapPixels(source_.bitmap);
        log_.Clear();
    }
    void TearDown() override {
        ReleaseCapturedImage(cut_);
        ReleaseCapturedImage(source_);
    }

    // The source is untouched: same handle, size and pixels, and free to be selected.
    void ExpectSourceUnchanged(HBITMAP bitmap) {
        EXPECT_EQ(bitmap, source_.bitmap);
        EXPECT_EQ(kSourceWidth, source_.width);
        EXPECT_EQ(kSourceHeight, source_.height);
        EXPECT_TRUE(ReadBitmapPixels(source_.bitmap) == sourcePixels_);
        EXPECT_TRUE(SelectableIntoNewDC(source_.bitmap));
    }

    CapturedImage source_;
    std::vector<uint32_t> sourcePixels_;
    CapturedImage cut_;
    CapturedLog log_;
};

} // namespace

TEST_F(CropTest, KeepsTheOverlapAndPlacesItOnTheVirtualScreen) {
    struct Case {
        const char* name;
        Rect rect;     // virtual-screen coordinates; the source covers (300,150)-(500,250)
        Rect expected; // the part kept, virtual-screen coordinates
    };
    const Case cases[] = {
        {"full extent", {300, 150, 500, 250}, {300, 150, 500, 250}},
        {"inside", {340, 170, 410, 230}, {340, 170, 410, 230}},
        {"one pixel", {420, 201, 421, 202}, {420, 201, 421, 202}},
        {"bottom right pixel", {499, 249, 500, 250}, {499, 249, 500, 250}},
        {"sticks out left", {250, 160, 320, 200}, {300, 160, 320, 200}},
        {"sticks out top", {310, 100, 360, 170}, {310, 150, 360, 170}},
        {"sticks out right", {480, 160, 600, 200}, {480, 160, 500, 200}},
        {"sticks out bottom", {310, 240, 360, 400}, {310, 240, 360, 250}},
        {"sticks out everywhere", {0, 0, 1920, 1080}, {300, 150, 500, 250}},
    };
    const HBITMAP sourceBitmap = source_.bitmap;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log_.Clear();
        ASSERT_TRUE(CropCapturedImage(source_, c.rect, cut_));
        EXPECT_EQ(c.expected.left, cut_.originX);
        EXPECT_EQ(c.expected.top, cut_.originY);
        EXPECT_EQ(c.expected.Width(), cut_.width);
        EXPECT_EQ(c.expected.Height(), cut_.height);
        EXPECT_NE(sourceBitmap, cut_.bitmap);

        int width = 0;
        int height = 0;
        const std::vector<uint32_t> pixels = ReadBitmapPixels(cut_.bitmap, &width, &height);
        EXPECT_EQ(c.expected.Width(), width);
        EXPECT_EQ(c.expected.Height(), height);
        EXPECT_TRUE(pixels == PatternPixels(SourcePattern, c.expected.left - 300, c.expected.top - 150,
                                            c.expected.Width(), c.expected.Height()));

        ASSERT_EQ(1u, log_.Lines().size());
        EXPECT_EQ(Format(L" [INFO] 裁剪完成 size=%dx%d origin=(%d,%d)\r\n", c.expected.Width(),
                         c.expected.Height(), c.expected.left, c.expected.top),
                  Message(log_.Lines()[0]));
        // Neither bitmap is left selected anywhere.
        EXPECT_TRUE(SelectableIntoNewDC(cut_.bitmap));
        ExpectSourceUnchanged(sourceBitmap);
        ReleaseCapturedImage(cut_);
    }
}

TEST_F(CropTest, RectangleWithoutOverlapIsRefused) {
    const Rect cases[] = {
        {100, 160, 250, 200}, // wholly left
        {310, 0, 360, 100},   // wholly above
        {600, 160, 700, 200}, // wholly right
        {310, 300, 360, 400}, // wholly below
        {250, 160, 300, 200}, // touches the left edge
        {310, 100, 360, 150}, // touches the top edge
        {500, 160, 550, 200}, // touches the right edge
        {310, 250, 360, 300}, // touches the bottom edge
        {500, 250, 510, 260}, // touches the bottom right corner
    };
    const HBITMAP sourceBitmap = source_.bitmap;
    for (const Rect& rect : cases) {
        SCOPED_TRACE(testing::Message()
                     << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom);
        log_.Clear();
        cut_.originX = 5; // stale values the cut has to clear
        cut_.width = 6;
        EXPECT_FALSE(CropCapturedImage(source_, rect, cut_));
        EXPECT_TRUE(IsEmptyCapture(cut_));
        ASSERT_EQ(1u, log_.Lines().size());
        EXPECT_EQ(
            Format(L" [ERROR] 裁剪区域超出源图 screen=(%d,%d,%d,%d) srcOrigin=(300,150) srcSize=200x100\r\n",
                   rect.left, rect.top, rect.right, rect.bottom),
            Message(log_.Lines()[0]));
        ExpectSourceUnchanged(sourceBitmap);
    }
}

TEST_F(CropTest, EmptyOrInvertedRectangleIsRefused) {
    struct Case {
        Rect rect;
        const wchar_t* line;
    };
    const Case cases[] = {
        {{350, 160, 350, 170}, L" [ERROR] 裁剪尺寸非法 0x10\r\n"},
        {{350, 160, 360, 160}, L" [ERROR] 裁剪尺寸非法 10x0\r\n"},
        {{350, 160, 345, 170}, L" [ERROR] 裁剪尺寸非法 -5x10\r\n"},
        {{350, 160, 360, 150}, L" [ERROR] 裁剪尺寸非法 10x-10\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Message(c.line));
        log_.Clear();
        EXPECT_FALSE(CropCapturedImage(source_, c.rect, cut_));
        EXPECT_TRUE(IsEmptyCapture(cut_));
        EXPECT_EQ((std::vector<std::wstring>{c.line}),
                  std::vector<std::wstring>{Message(log_.Lines().at(0))});
        EXPECT_EQ(1u, log_.Lines().size());
    }
}

TEST_F(CropTest, SourceWithoutBitmapIsRefused) {
    CapturedImage empty;
    empty.width = 200;
    empty.height = 100;
    EXPECT_FALSE(CropCapturedImage(empty, Rect{0, 0, 10, 10}, cut_));
    EXPECT_TRUE(IsEmptyCapture(cut_));
    ASSERT_EQ(1u, log_.Lines().size());
    EXPECT_EQ(L" [ERROR] 裁剪失败：源位图为空\r\n", Message(log_.Lines()[0]));
}

TEST_F(CropTest, SourceStillSelectedElsewhereIsRefusedAndThatDCKeepsIt) {
    HDC holder = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(holder, source_.bitmap);
    ASSERT_NE(nullptr, previous);

    EXPECT_FALSE(CropCapturedImage(source_, Rect{320, 160, 380, 200}, cut_));
    EXPECT_TRUE(IsEmptyCapture(cut_));
    ASSERT_EQ(1u, log_.Lines().size());
    EXPECT_EQ(
        0u,
        Message(log_.Lines()[0]).find(L" [ERROR] 裁剪失败：源位图无法选入 DC，可能仍被其他 DC 占用 err="));
    EXPECT_EQ(static_cast<HGDIOBJ>(source_.bitmap), GetCurrentObject(holder, OBJ_BITMAP));

    SelectObject(holder, previous);
    DeleteDC(holder);
    // Once let go, the same source cuts normally.
    log_.Clear();
    EXPECT_TRUE(CropCapturedImage(source_, Rect{320, 160, 380, 200}, cut_));
    EXPECT_TRUE(ReadBitmapPixels(cut_.bitmap) == PatternPixels(SourcePattern, 20, 10, 60, 40));
}

TEST_F(CropTest, ARefusedSelectionOfTheCutIsReportedAsSuchWithoutAStaleErrorCode) {
    {
        BitmapSelectionRefusal refuse(60, 40);
        ASSERT_TRUE(refuse.Active());
        SetLastError(ERROR_ALREADY_EXISTS); // left by some earlier call
        EXPECT_FALSE(CropCapturedImage(source_, Rect{320, 160, 380, 200}, cut_));
        EXPECT_EQ(1, refuse.Refusals());
    }
    EXPECT_TRUE(IsEmptyCapture(cut_));
    ASSERT_EQ(1u, log_.Lines().size());
    EXPECT_EQ(L" [ERROR] 裁剪失败：裁剪位图无法选入 DC size=60x40\r\n", Message(log_.Lines()[0]));
    ExpectSourceUnchanged(source_.bitmap);
}

TEST_F(CropTest, SourceLeftOfAndAboveThePrimaryMonitor) {
    source_.originX = -1920;
    source_.originY = -200;
    struct Case {
        Rect rect;
        Rect expected;
    };
    const Case cases[] = {
        {{-1920, -200, -1720, -100}, {-1920, -200, -1720, -100}}, // full extent
        {{-2000, -300, -1900, -150}, {-1920, -200, -1900, -150}}, // sticks out left and top
        {{-1750, -120, 100, 100},
         {-1750, -120, -1720, -100}}, // sticks out right and bottom, into the primary
        {{-1800, -150, -1799, -149}, {-1800, -150, -1799, -149}}, // one pixel
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rect.left << "," << c.rect.top);
        ASSERT_TRUE(CropCapturedImage(source_, c.rect, cut_));
        EXPECT_EQ(c.expected.left, cut_.originX);
        EXPECT_EQ(c.expected.top, cut_.originY);
        EXPECT_EQ(c.expected.Width(), cut_.width);
        EXPECT_EQ(c.expected.Height(), cut_.height);
        EXPECT_TRUE(ReadBitmapPixels(cut_.bitmap) == PatternPixels(SourcePattern, c.expected.left + 1920,
                                                                   c.expected.top + 200, c.expected.Width(),
                                                                   c.expected.Height()));
        ReleaseCapturedImage(cut_);
    }
    log_.Clear();
    EXPECT_FALSE(CropCapturedImage(source_, Rect{-1720, -200, -1600, -100}, cut_));
    EXPECT_EQ(L" [ERROR] 裁剪区域超出源图 screen=(-1720,-200,-1600,-100) srcOrigin=(-1920,-200) "
              L"srcSize=200x100\r\n",
              Message(log_.Lines().at(0)));
}

TEST_F(CropTest, CutOfAScreenCaptureHoldsTheCapturedPixels) {
    CapturedImage still;
    ASSERT_TRUE(CaptureVirtualScreen(still));
    const std::vector<uint32_t> stillPixels = ReadBitmapPixels(still.bitmap);
    const Rect rect{still.originX + 37, still.originY + 23, still.originX + 437, still.originY + 323};
    ASSERT_TRUE(CropCapturedImage(still, rect, cut_));
    EXPECT_EQ(rect.left, cut_.originX);
    EXPECT_EQ(rect.top, cut_.originY);
    EXPECT_TRUE(ReadBitmapPixels(cut_.bitmap) == CutPixels(stillPixels, still.width, 37, 23, 400, 300));
    EXPECT_TRUE(SelectableIntoNewDC(still.bitmap));
    EXPECT_TRUE(SelectableIntoNewDC(cut_.bitmap));
    ReleaseCapturedImage(still);
}

TEST_F(CropTest, ManyCutsInARowLeaveNoGdiObjectsBehind) {
    // A DC or bitmap kept by each cut (also by a refused one) would pile up: every cut must still succeed,
    // and GDI must have as much room left afterwards as before.
    HDC holder = CreateCompatibleDC(nullptr);
    const long before = GdiHeadroom();
    for (int i = 0; i < 300; ++i) {
        const Rect rect{300 + i % 150, 150 + i % 60, 350 + i % 150, 190 + i % 60};
        CapturedImage cut;
        ASSERT_TRUE(CropCapturedImage(source_, rect, cut)) << "cut " << i;
        const HBITMAP bitmap = cut.bitmap;
        ReleaseCapturedImage(cut);
        ASSERT_EQ(0u, GetObjectType(bitmap)) << "cut " << i;

        HGDIOBJ previous = SelectObject(holder, source_.bitmap);
        ASSERT_FALSE(CropCapturedImage(source_, rect, cut)) << "held cut " << i;
        SelectObject(holder, previous);
    }
    const long after = GdiHeadroom();
    EXPECT_GE(after, before) << "objects left behind by 600 cuts: " << before - after;
    DeleteDC(holder);
    EXPECT_TRUE(SelectableIntoNewDC(source_.bitmap));
}
