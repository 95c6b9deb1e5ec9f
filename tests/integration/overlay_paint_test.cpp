#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture/captured_image.h"
#include "log/log.h"
#include "overlay/overlay_layout.h"
#include "overlay/overlay_paint.h"
#include "overlay/overlay_state.h"
#include "support/bitmap_pixels.h"
#include "support/import_patch.h"
#include "support/test_support.h"
#include "text/font.h"

namespace {

constexpr uint32_t kFrame = 0x2D7DFF;
constexpr uint32_t kDark = 0x141414;
constexpr uint32_t kGrid = 0x464646;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

// Distinct neighbours in both directions and never one of the overlay's own colours (no channel reaches
// 255, none drops to 0x14), so a misplaced copy or a stray primitive shows.
uint32_t StillPattern(int x, int y) {
    const uint32_t red = 40 + static_cast<uint32_t>(x * 5) % 160;
    const uint32_t green = 40 + static_cast<uint32_t>(y * 7) % 160;
    const uint32_t blue = 60 + static_cast<uint32_t>((x + 2 * y) * 3) % 150;
    return red << 16 | green << 8 | blue;
}

int Channel(uint32_t colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}

// Black at alpha 120 over a colour keeps 135/255 of each channel; rounding may differ by one.
bool LooksDimmed(uint32_t original, uint32_t dimmed) {
    for (int shift : {0, 8, 16}) {
        const int expected = (Channel(original, shift) * 135 + 127) / 255;
        if (std::abs(Channel(dimmed, shift) - expected) > 1) {
            return false;
        }
    }
    return true;
}

std::string Hex(uint32_t colour) {
    char text[16];
    snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(colour));
    return text;
}

// Whether some pixel of the area (x, y, width, height) has the colour.
bool AnyPixel(const std::vector<uint32_t>& pixels, int pictureWidth, int x, int y, int width, int height,
              uint32_t colour) {
    for (uint32_t pixel : CutPixels(pixels, pictureWidth, x, y, width, height)) {
        if (pixel == colour) {
            return true;
        }
    }
    return false;
}

// The still covers (-300, -80)-(340, 400) of the virtual screen: a monitor left of and above the primary.
constexpr int kStillWidth = 640;
constexpr int kStillHeight = 480;
constexpr int kOriginX = -300;
constexpr int kOriginY = -80;
constexpr Rect kStillRect{kOriginX, kOriginY, kOriginX + kStillWidth, kOriginY + kStillHeight};
// Far from every still: no magnifier.
constexpr Point kPointerAway{10000, 10000};

// An overlay state set up the way the overlay does it: the still and its darkened copy selected into their
// DCs, the interface font, no selection, the pointer off the still.
class OverlayPaintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetLogForTesting();
        screen_ = GetDC(nullptr);
        still_.bitmap = CreatePatternBitmap(kStillWidth, kStillHeight, StillPattern);
        ASSERT_NE(nullptr, still_.bitmap);
        still_.width = kStillWidth;
        still_.height = kStillHeight;
        still_.originX = kOriginX;
        still_.originY = kOriginY;
        state_.dimBitmap = CreateDimmedBitmap(screen_, still_.bitmap, kStillWidth, kStillHeight);
        ASSERT_NE(nullptr, state_.dimBitmap);
        dimPixels_ = ReadBitmapPixels(state_.dimBitmap);
        ASSERT_EQ(static_cast<size_t>(kStillWidth * kStillHeight), dimPixels_.size());
        state_.source = &still_;
        state_.stillDc = CreateCompatibleDC(screen_);
        state_.dimDc = CreateCompatibleDC(screen_);
        state_.stillDcOldBitmap = SelectObject(state_.stillDc, still_.bitmap);
        state_.dimDcOldBitmap = SelectObject(state_.dimDc, state_.dimBitmap);
        ASSERT_NE(nullptr, state_.stillDcOldBitmap);
        ASSERT_NE(nullptr, state_.dimDcOldBitmap);
        state_.font = CreateInterfaceFont(96, 12);
        ASSERT_NE(nullptr, state_.font);
        state_.model.bounds = kStillRect;
        state_.model.pointer = kPointerAway;
    }
    void TearDown() override {
        if (state_.backDc != nullptr) {
            SelectObject(state_.backDc, state_.backDcOldBitmap);
            DeleteObject(state_.backBitmap);
            DeleteDC(state_.backDc);
        }
        if (state_.stillDc != nullptr) {
            SelectObject(state_.stillDc, state_.stillDcOldBitmap);
            DeleteDC(state_.stillDc);
        }
        if (state_.dimDc != nullptr) {
            SelectObject(state_.dimDc, state_.dimDcOldBitmap);
            DeleteDC(state_.dimDc);
        }
        DeleteObject(state_.dimBitmap);
        DeleteObject(state_.font);
        ReleaseCapturedImage(still_);
        ReleaseDC(nullptr, screen_);
    }

    // Renders the window with rectangle `window` (virtual-screen) into a fresh bitmap and reads it back.
    std::vector<uint32_t> Render(const Rect& window) {
        HBITMAP target = CreateCompatibleBitmap(screen_, window.Width(), window.Height());
        HDC dc = CreateCompatibleDC(screen_);
        HGDIOBJ previous = SelectObject(dc, target);
        RenderOverlay(dc, state_, window);
        SelectObject(dc, previous);
        DeleteDC(dc);
        std::vector<uint32_t> pixels = ReadBitmapPixels(target);
        DeleteObject(target);
        return pixels;
    }

    uint32_t Still(int x, int y) const { return StillPattern(x, y); }
    uint32_t Dim(int x, int y) const { return dimPixels_[static_cast<size_t>(y) * kStillWidth + x]; }

    // A finished selection (button released), window-local (100, 140)-(400, 340) in the still's window.
    void SelectAfterRelease() {
        state_.model.hasSelection = true;
        state_.model.dragging = false;
        state_.model.dragKind = DragKind::None;
        state_.model.selection = Rect{-200, 60, 100, 260};
    }

    HDC screen_ = nullptr;
    CapturedImage still_;
    OverlayState state_;
    std::vector<uint32_t> dimPixels_;
    CapturedLog log_;
};

uint32_t At(const std::vector<uint32_t>& pixels, int width, int x, int y) {
    return pixels[static_cast<size_t>(y) * width + x];
}

} // namespace

TEST_F(OverlayPaintTest, DimmedBitmapKeeps135Of255OfEveryChannel) {
    const std::vector<uint32_t> still = ReadBitmapPixels(still_.bitmap);
    ASSERT_EQ(dimPixels_.size(), still.size());
    int wrong = 0;
    for (size_t i = 0; i < still.size(); ++i) {
        if (!LooksDimmed(still[i], dimPixels_[i]) && ++wrong <= 5) {
            ADD_FAILURE() << "pixel " << i << ": " << Hex(still[i]) << " became " << Hex(dimPixels_[i]);
        }
    }
    EXPECT_EQ(0, wrong);
    EXPECT_TRUE(LooksDimmed(0xFFFFFF, 0x878787));
}

TEST_F(OverlayPaintTest, DimmedBitmapLeavesTheSourceFreeAndReportsFailure) {
    // The source was selected nowhere after the darkening, so the overlay could select it (SetUp did).
    HBITMAP other = CreatePatternBitmap(16, 8, StillPattern);
    HBITMAP dimmed = CreateDimmedBitmap(screen_, other, 16, 8);
    ASSERT_NE(nullptr, dimmed);
    HDC dc = CreateCompatibleDC(screen_);
    HGDIOBJ previous = SelectObject(dc, other);
    EXPECT_NE(nullptr, previous);
    BITMAP facts = {};
    ASSERT_EQ(static_cast<int>(sizeof facts), GetObjectW(dimmed, sizeof facts, &facts));
    EXPECT_EQ(16, facts.bmWidth);
    EXPECT_EQ(8, facts.bmHeight);

    // While the source is selected into another DC it cannot be read: no half-made picture comes back, and
    // the line says so without the error code an earlier call left (SelectObject sets none).
    log_.Clear();
    SetLastError(ERROR_ALREADY_EXISTS);
    EXPECT_EQ(nullptr, CreateDimmedBitmap(screen_, other, 16, 8));
    EXPECT_EQ(1,
              log_.Count(L"[ERROR] 压暗位图绘制失败：位图无法选入 DC，可能仍被其他 DC 占用 size=16x8\r\n"));
    SelectObject(dc, previous);
    DeleteDC(dc);

    log_.Clear();
    EXPECT_EQ(nullptr, CreateDimmedBitmap(nullptr, other, 16, 8));
    EXPECT_EQ(1, log_.Count(L"[ERROR] 创建压暗位图失败 size=16x8 err="));
    DeleteObject(dimmed);
    DeleteObject(other);
}

namespace {

BOOL WINAPI FailingBitBlt(HDC, int, int, int, int, HDC, int, int, DWORD) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
}

// FillRect and AlphaBlend fail without an error code of their own.
int WINAPI FailingFillRect(HDC, const RECT*, HBRUSH) {
    return 0;
}

BOOL WINAPI FailingAlphaBlend(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION) {
    return FALSE;
}

} // namespace

TEST_F(OverlayPaintTest, DimmedBitmapNamesTheDrawingStepThatFailed) {
    struct Case {
        const char* function;
        const void* standIn;
        const wchar_t* line;
    };
    const Case cases[] = {
        {"BitBlt", reinterpret_cast<const void*>(&FailingBitBlt),
         L"[ERROR] 压暗位图绘制失败：BitBlt size=16x8 err=8\r\n"},
        {"FillRect", reinterpret_cast<const void*>(&FailingFillRect),
         L"[ERROR] 压暗位图绘制失败：FillRect size=16x8\r\n"},
        {"AlphaBlend", reinterpret_cast<const void*>(&FailingAlphaBlend),
         L"[ERROR] 压暗位图绘制失败：AlphaBlend size=16x8\r\n"},
    };
    HBITMAP source = CreatePatternBitmap(16, 8, StillPattern);
    ASSERT_NE(nullptr, source);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.function);
        log_.Clear();
        HBITMAP dimmed = nullptr;
        {
            ImportPatch fail(c.function, c.standIn);
            ASSERT_TRUE(fail.Active());
            SetLastError(ERROR_ALREADY_EXISTS); // left by some earlier call
            dimmed = CreateDimmedBitmap(screen_, source, 16, 8);
        }
        EXPECT_EQ(nullptr, dimmed);
        ASSERT_EQ(1u, log_.Lines().size());
        EXPECT_EQ(1, log_.Count(c.line)) << ToUtf8(log_.Lines()[0]);
    }
    // The source is free again for the next use.
    HDC dc = CreateCompatibleDC(screen_);
    HGDIOBJ previous = SelectObject(dc, source);
    EXPECT_NE(nullptr, previous);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(source);
}

TEST_F(OverlayPaintTest, RenderWithoutSelectionShowsTheDimmedStillAndTheEmptyHint) {
    const std::vector<uint32_t> pixels = Render(kStillRect);
    ASSERT_EQ(static_cast<size_t>(kStillWidth * kStillHeight), pixels.size());
    // Below the hint box everything is the darkened still, exactly.
    EXPECT_TRUE(CutPixels(pixels, kStillWidth, 0, 60, kStillWidth, kStillHeight - 60) ==
                CutPixels(dimPixels_, kStillWidth, 0, 60, kStillWidth, kStillHeight - 60));
    // Above the hint box too.
    EXPECT_TRUE(CutPixels(pixels, kStillWidth, 0, 0, kStillWidth, 10) ==
                CutPixels(dimPixels_, kStillWidth, 0, 0, kStillWidth, 10));
    EXPECT_EQ(Hex(kDark), Hex(At(pixels, kStillWidth, kStillWidth / 2, 12)));
}

TEST_F(OverlayPaintTest, RenderAfterReleaseShowsSelectionFrameLabelHandlesAndSelectedHint) {
    SelectAfterRelease();
    const std::vector<uint32_t> pixels = Render(kStillRect);
    const Rect s{100, 140, 400, 340}; // window-local, here also still coordinates
    // The inside, clear of the frame and handles, is the undimmed still.
    EXPECT_TRUE(CutPixels(pixels, kStillWidth, 110, 150, 280, 180) ==
                PatternPixels(StillPattern, 110, 150, 280, 180));
    // Outside it stays dimmed.
    EXPECT_EQ(Hex(Dim(50, 400)), Hex(At(pixels, kStillWidth, 50, 400)));
    EXPECT_EQ(Hex(Dim(450, 200)), Hex(At(pixels, kStillWidth, 450, 200)));
    // The frame lies on all four edge lines, away from the handles.
    EXPECT_TRUE(AnyPixel(pixels, kStillWidth, s.left - 2, 180, 5, 1, kFrame));
    EXPECT_TRUE(AnyPixel(pixels, kStillWidth, s.right - 2, 180, 5, 1, kFrame));
    EXPECT_TRUE(AnyPixel(pixels, kStillWidth, 180, s.top - 2, 1, 5, kFrame));
    EXPECT_TRUE(AnyPixel(pixels, kStillWidth, 180, s.bottom - 2, 1, 5, kFrame));
    // Eight white squares outlined in #141414.
    for (const Point& centre : HandleCentres(s)) {
        SCOPED_TRACE(std::to_string(centre.x) + "," + std::to_string(centre.y));
        EXPECT_EQ(Hex(kWhite), Hex(At(pixels, kStillWidth, centre.x, centre.y)));
        EXPECT_EQ(Hex(kWhite), Hex(At(pixels, kStillWidth, centre.x + 2, centre.y - 3)));
        EXPECT_EQ(Hex(kDark), Hex(At(pixels, kStillWidth, centre.x - 4, centre.y)));
        EXPECT_EQ(Hex(kDark), Hex(At(pixels, kStillWidth, centre.x + 3, centre.y)));
        EXPECT_EQ(Hex(kDark), Hex(At(pixels, kStillWidth, centre.x, centre.y - 4)));
        EXPECT_EQ(Hex(kDark), Hex(At(pixels, kStillWidth, centre.x, centre.y + 3)));
    }
    // "300 x 200" above the frame (the selection's top is 140 > 24): white text with its black copy.
    const int labelTop = SizeLabelTop(s.top);
    EXPECT_TRUE(AnyPixel(pixels, kStillWidth, s.left + 4, labelTop, 120, 20, kWhite));
    EXPECT_TRUE(AnyPixel(pixels, kStillWidth, s.left + 4, labelTop, 120, 20, kBlack));
    // The hint for a selection is wider than the one for an empty overlay.
    EXPECT_EQ(Hex(kDark), Hex(At(pixels, kStillWidth, kStillWidth / 2, 12)));
}

TEST_F(OverlayPaintTest, RenderWhileDrawingANewRectangleShowsNoHandlesAndNoHint) {
    SelectAfterRelease();
    state_.model.dragging = true;
    state_.model.dragKind = DragKind::NewRect;
    const std::vector<uint32_t> drawing = Render(kStillRect);
    const Rect s{100, 140, 400, 340};
    EXPECT_TRUE(AnyPixel(drawing, kStillWidth, s.left - 2, 180, 5, 1, kFrame));
    const std::array<Point, 8> centres = HandleCentres(s);
    // Where the top-middle handle would be, just inside the frame: the still.
    EXPECT_EQ(Hex(Still(centres[1].x, s.top + 3)), Hex(At(drawing, kStillWidth, centres[1].x, s.top + 3)));
    // Where the middle-left handle's outline would be, just outside: the darkened still.
    EXPECT_EQ(Hex(Dim(s.left - 4, centres[3].y)), Hex(At(drawing, kStillWidth, s.left - 4, centres[3].y)));
    EXPECT_EQ(Hex(Dim(kStillWidth / 2, 12)), Hex(At(drawing, kStillWidth, kStillWidth / 2, 12)));
    EXPECT_TRUE(AnyPixel(drawing, kStillWidth, s.left + 4, SizeLabelTop(s.top), 120, 20, kWhite));

    // A resize in progress shows the handles, still without the hint.
    state_.model.dragKind = DragKind::RightEdge;
    const std::vector<uint32_t> resizing = Render(kStillRect);
    EXPECT_EQ(Hex(kWhite), Hex(At(resizing, kStillWidth, centres[1].x, s.top + 2)));
    EXPECT_EQ(Hex(Dim(kStillWidth / 2, 12)), Hex(At(resizing, kStillWidth, kStillWidth / 2, 12)));
}

TEST_F(OverlayPaintTest, RenderDrawsOnlyTheStillUnderEachWindow) {
    // The primary monitor, right of and below the still's origin: it shows the still from (300, 80) on.
    const Rect primary{0, 0, 340, 400};
    std::vector<uint32_t> pixels = Render(primary);
    ASSERT_EQ(static_cast<size_t>(340 * 400), pixels.size());
    EXPECT_TRUE(CutPixels(pixels, 340, 0, 60, 340, 340) ==
                CutPixels(dimPixels_, kStillWidth, 300, 140, 340, 340));

    // A window reaching past the still's right and bottom edges: black where there is no still.
    const Rect beyond{200, 300, 500, 500};
    pixels = Render(beyond);
    EXPECT_TRUE(CutPixels(pixels, 300, 0, 60, 140, 40) ==
                CutPixels(dimPixels_, kStillWidth, 500, 440, 140, 40));
    EXPECT_EQ(Hex(kBlack), Hex(At(pixels, 300, 140, 80)));
    EXPECT_EQ(Hex(kBlack), Hex(At(pixels, 300, 50, 100)));
    EXPECT_EQ(Hex(kBlack), Hex(At(pixels, 300, 299, 199)));

    // A window reaching past the still's left and top edges shows the still from where it starts, and the
    // selection there at its own place too.
    state_.model.hasSelection = true;
    state_.model.selection = Rect{-300, -40, -250, 0}; // window-local (100, 60)-(150, 100)
    const Rect before{-400, -100, -100, 100};
    pixels = Render(before);
    EXPECT_EQ(Hex(kBlack), Hex(At(pixels, 300, 99, 150)));
    EXPECT_EQ(Hex(kBlack), Hex(At(pixels, 300, 200, 5)));
    EXPECT_TRUE(CutPixels(pixels, 300, 160, 110, 140, 90) ==
                CutPixels(dimPixels_, kStillWidth, 60, 90, 140, 90));
    EXPECT_EQ(Hex(Dim(0, 150)), Hex(At(pixels, 300, 100, 170)));
    EXPECT_TRUE(CutPixels(pixels, 300, 110, 70, 30, 20) == PatternPixels(StillPattern, 10, 50, 30, 20));
}

TEST_F(OverlayPaintTest, SelectionCrossingTwoWindowsIsDrawnInBothWithOneLabel) {
    state_.model.hasSelection = true;
    state_.model.selection = Rect{-100, 100, 100, 300}; // crosses x = 0
    const Rect left{-300, -80, 0, 400};
    const Rect right{0, -80, 340, 400};
    const std::vector<uint32_t> leftPixels = Render(left);
    const std::vector<uint32_t> rightPixels = Render(right);
    // Undimmed on both sides of the border.
    EXPECT_TRUE(CutPixels(leftPixels, 300, 210, 200, 90, 80) ==
                PatternPixels(StillPattern, 210, 200, 90, 80));
    EXPECT_TRUE(CutPixels(rightPixels, 340, 0, 200, 90, 80) == PatternPixels(StillPattern, 300, 200, 90, 80));
    // The label belongs to the window holding the selection's left edge; the right one has none there.
    EXPECT_TRUE(AnyPixel(leftPixels, 300, 204, 158, 100, 18, kWhite));
    EXPECT_FALSE(AnyPixel(rightPixels, 340, 0, 158, 100, 18, kWhite));
}

TEST_F(OverlayPaintTest, MagnifierShowsTheStillPixelsAroundThePointer) {
    state_.model.pointer = Point{kOriginX + 150, kOriginY + 100}; // still pixel (150, 100)
    const std::vector<uint32_t> pixels = Render(kStillRect);
    const MagnifierPlan plan = PlanMagnifier(state_.model.pointer, kStillRect, kStillRect);
    ASSERT_TRUE(plan.visible);
    ASSERT_EQ(17, plan.cols);
    // The pointer's cell shows the undimmed pixel, and so does every other cell.
    EXPECT_EQ(Hex(Still(150, 100)), Hex(At(pixels, kStillWidth, plan.marker.x + 6, plan.marker.y + 6)));
    EXPECT_EQ(Hex(Still(144, 95)), Hex(At(pixels, kStillWidth, plan.dx + 2 * 12 + 6, plan.dy + 3 * 12 + 6)));
    EXPECT_EQ(Hex(Still(158, 108)),
              Hex(At(pixels, kStillWidth, plan.dx + 16 * 12 + 6, plan.dy + 16 * 12 + 6)));
    // Grid lines between the cells, the white marker around the centre one.
    EXPECT_EQ(Hex(kGrid), Hex(At(pixels, kStillWidth, plan.dx + 12, plan.dy + 6)));
    EXPECT_EQ(Hex(kGrid), Hex(At(pixels, kStillWidth, plan.dx + 6, plan.dy + 12)));
    EXPECT_TRUE(AnyPixel(pixels, kStillWidth, plan.marker.x - 1, plan.marker.y + 6, 3, 1, kWhite));
    // White border, dark background below the zoom area, white text in the colour line.
    const Rect& panel = plan.panel;
    EXPECT_EQ(Hex(kWhite), Hex(At(pixels, kStillWidth, panel.left, panel.top + 100)));
    EXPECT_EQ(Hex(kWhite), Hex(At(pixels, kStillWidth, panel.right - 1, panel.top + 100)));
    EXPECT_EQ(Hex(kWhite), Hex(At(pixels, kStillWidth, panel.left + 100, panel.top)));
    EXPECT_EQ(Hex(kWhite), Hex(At(pixels, kStillWidth, panel.left + 100, panel.bottom - 1)));
    EXPECT_EQ(Hex(kDark), Hex(At(pixels, kStillWidth, panel.left + 2, panel.top + 207)));
    EXPECT_TRUE(AnyPixel(pixels, kStillWidth, panel.left + 2, panel.top + 208, 202, 19, kWhite));
    // The hint is not covered here: the panel starts below it.
    EXPECT_EQ(Hex(kDark), Hex(At(pixels, kStillWidth, kStillWidth / 2, 12)));
}

TEST_F(OverlayPaintTest, MagnifierOnTheStillsTopLeftPixelLeavesTheClippedCellsEmpty) {
    state_.model.pointer = Point{kOriginX, kOriginY};
    const std::vector<uint32_t> pixels = Render(kStillRect);
    const MagnifierPlan plan = PlanMagnifier(state_.model.pointer, kStillRect, kStillRect);
    ASSERT_EQ(9, plan.cols);
    EXPECT_EQ(Hex(Still(0, 0)), Hex(At(pixels, kStillWidth, plan.marker.x + 6, plan.marker.y + 6)));
    EXPECT_EQ(Hex(Still(8, 8)),
              Hex(At(pixels, kStillWidth, plan.marker.x + 8 * 12 + 6, plan.marker.y + 8 * 12 + 6)));
    // Cells before the still's first row and column stay dark.
    EXPECT_EQ(Hex(kDark), Hex(At(pixels, kStillWidth, plan.panel.left + 7, plan.panel.top + 7)));
    EXPECT_EQ(Hex(kDark), Hex(At(pixels, kStillWidth, plan.marker.x + 6, plan.marker.y - 6)));
    EXPECT_EQ(Hex(kDark), Hex(At(pixels, kStillWidth, plan.marker.x - 6, plan.marker.y + 6)));
}

TEST_F(OverlayPaintTest, MagnifierContinuesInTheNeighbouringWindow) {
    // Near the right edge of the left window: the panel continues in the window on its right.
    state_.model.pointer = Point{-60, -70};
    const Rect right{0, -80, 340, 400};
    const std::vector<uint32_t> pixels = Render(right);
    const MagnifierPlan plan = PlanMagnifier(state_.model.pointer, kStillRect, right);
    ASSERT_EQ(-32, plan.panel.left);
    EXPECT_EQ(Hex(kWhite), Hex(At(pixels, 340, plan.panel.right - 1, plan.panel.top + 100)));
    EXPECT_EQ(Hex(kDark), Hex(At(pixels, 340, 100, plan.panel.top + 206)));
    EXPECT_EQ(Hex(Dim(550, 300)), Hex(At(pixels, 340, 250, 300)));
}

TEST_F(OverlayPaintTest, MagnifierIsDrawnOverTheHint) {
    // The pointer at the top centre: the panel's top-left corner falls into the hint box.
    state_.model.pointer = Point{kOriginX + kStillWidth / 2, kOriginY + 4};
    const std::vector<uint32_t> pixels = Render(kStillRect);
    const MagnifierPlan plan = PlanMagnifier(state_.model.pointer, kStillRect, kStillRect);
    ASSERT_EQ(348, plan.panel.left);
    ASSERT_EQ(32, plan.panel.top);
    EXPECT_EQ(Hex(kDark), Hex(At(pixels, kStillWidth, plan.panel.left - 2, plan.panel.top + 2)));
    EXPECT_EQ(Hex(kWhite), Hex(At(pixels, kStillWidth, plan.panel.left, plan.panel.top + 2)));
    EXPECT_EQ(Hex(kWhite), Hex(At(pixels, kStillWidth, plan.panel.left + 20, plan.panel.top)));
}

namespace {} // namespace

TEST_F(OverlayPaintTest, RepeatedRendersLeaveNoGdiObjectsAndRestoreTheDc) {
    SelectAfterRelease();
    state_.model.pointer = Point{0, 200};
    HBITMAP target = CreateCompatibleBitmap(screen_, kStillWidth, kStillHeight);
    HDC dc = CreateCompatibleDC(screen_);
    HGDIOBJ previous = SelectObject(dc, target);
    const HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    const COLORREF textColour = GetTextColor(dc);
    const int background = GetBkMode(dc);
    const int stretch = GetStretchBltMode(dc);
    RenderOverlay(dc, state_, kStillRect); // first use may set up caches of the font and text machinery

    const long before = GdiHeadroom();
    for (int i = 0; i < 300; ++i) {
        state_.model.pointer.x = i;
        RenderOverlay(dc, state_, kStillRect);
    }
    const long after = GdiHeadroom();
    EXPECT_GE(after, before) << "objects left behind by 300 renders: " << before - after;
    EXPECT_EQ(pen, GetCurrentObject(dc, OBJ_PEN));
    EXPECT_EQ(brush, GetCurrentObject(dc, OBJ_BRUSH));
    EXPECT_EQ(font, GetCurrentObject(dc, OBJ_FONT));
    EXPECT_EQ(textColour, GetTextColor(dc));
    EXPECT_EQ(background, GetBkMode(dc));
    EXPECT_EQ(stretch, GetStretchBltMode(dc));
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(target);
}

namespace {

LRESULT CALLBACK PaintTestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        auto* state = reinterpret_cast<OverlayState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (state != nullptr) {
            PaintOverlay(window, *state);
            return 0;
        }
    }
    if (message == WM_ERASEBKGND) {
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreatePaintTestWindow(OverlayState& state, int x, int y, int width, int height) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = PaintTestWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KorvelOverlayPaintTest";
        registered = RegisterClassExW(&wc) != 0;
    }
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"KorvelOverlayPaintTest", L"", WS_POPUP,
                                  x, y, width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window != nullptr) {
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
        ShowWindow(window, SW_SHOWNOACTIVATE);
    }
    return window;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Repaint(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

} // namespace

TEST_F(OverlayPaintTest, PaintOverlayReusesTheBackBufferWhileTheSizeStays) {
    SelectAfterRelease();
    state_.model.pointer = Point{20, 30};
    HWND window = CreatePaintTestWindow(state_, 0, 0, 320, 240);
    ASSERT_NE(nullptr, window);
    Repaint(window);
    ASSERT_NE(nullptr, state_.backDc);
    ASSERT_NE(nullptr, state_.backBitmap);
    EXPECT_EQ(320, state_.backWidth);
    EXPECT_EQ(240, state_.backHeight);
    const HBITMAP first = state_.backBitmap;
    EXPECT_TRUE(WindowPixels(window, 320, 240) == Render(Rect{0, 0, 320, 240}));

    state_.model.pointer = Point{60, 40};
    Repaint(window);
    EXPECT_EQ(first, state_.backBitmap);
    EXPECT_TRUE(WindowPixels(window, 320, 240) == Render(Rect{0, 0, 320, 240}));

    // Another size, as on a monitor of another resolution: the buffer is made again.
    SetWindowPos(window, nullptr, 10, 20, 200, 100, SWP_NOZORDER | SWP_NOACTIVATE);
    Repaint(window);
    EXPECT_EQ(200, state_.backWidth);
    EXPECT_EQ(100, state_.backHeight);
    EXPECT_TRUE(WindowPixels(window, 200, 100) == Render(Rect{10, 20, 210, 120}));
    EXPECT_FALSE(log_.Contains(L"遮罩双缓冲失败"));
    PumpMessages();
    DestroyWindow(window);
    PumpMessages();
}

TEST_F(OverlayPaintTest, BackBufferThatCannotBeMadeIsLoggedAndTriedAgain) {
    // Far more pixels than a process can hold: the buffer bitmap is refused.
    HWND huge = CreatePaintTestWindow(state_, 0, 0, 32000, 32000);
    ASSERT_NE(nullptr, huge);
    RECT r = {};
    GetWindowRect(huge, &r);
    log_.Clear();
    Repaint(huge);
    EXPECT_EQ(1, log_.Count(L"[ERROR] 遮罩双缓冲失败 size=" + std::to_wstring(r.right - r.left) + L"x" +
                            std::to_wstring(r.bottom - r.top) + L" err="));
    EXPECT_EQ(nullptr, state_.backDc);
    EXPECT_EQ(nullptr, state_.backBitmap);
    DestroyWindow(huge);
    PumpMessages();

    // The next window's paint makes the buffer afresh.
    HWND window = CreatePaintTestWindow(state_, 0, 0, 320, 240);
    ASSERT_NE(nullptr, window);
    Repaint(window);
    EXPECT_NE(nullptr, state_.backBitmap);
    EXPECT_EQ(320, state_.backWidth);
    EXPECT_EQ(1, log_.Count(L"遮罩双缓冲失败"));
    DestroyWindow(window);
    PumpMessages();
}

TEST_F(OverlayPaintTest, WhiteCrossCursorHasItsHotSpotInTheCentre) {
    HCURSOR cursor = CreateWhiteCrossCursor();
    ASSERT_NE(nullptr, cursor);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(16u, info.xHotspot);
    EXPECT_EQ(16u, info.yHotspot);
    // A monochrome cursor keeps both planes in one mask, the AND plane above the XOR plane.
    int width = 0;
    int height = 0;
    const std::vector<uint32_t> mask = ReadBitmapPixels(info.hbmMask, &width, &height);
    EXPECT_EQ(32, width);
    ASSERT_EQ(64, height);
    EXPECT_EQ(Hex(kBlack), Hex(At(mask, 32, 16, 16)));      // AND 0 at the hot spot
    EXPECT_EQ(Hex(kWhite), Hex(At(mask, 32, 16, 16 + 32))); // XOR 1: white
    EXPECT_EQ(Hex(kWhite), Hex(At(mask, 32, 0, 0)));        // transparent corner
    EXPECT_EQ(Hex(kBlack), Hex(At(mask, 32, 0, 32)));
    EXPECT_EQ(Hex(kBlack), Hex(At(mask, 32, 14, 10))); // black band
    EXPECT_EQ(Hex(kBlack), Hex(At(mask, 32, 14, 10 + 32)));
    if (info.hbmColor != nullptr) {
        DeleteObject(info.hbmColor);
    }
    DeleteObject(info.hbmMask);
    EXPECT_TRUE(DestroyCursor(cursor));
}
