// The overlay's drawing once it can be marked up, rendered into memory bitmaps: the strip in the settings
// window's palette with the picked tool, the button under the pointer and its tooltip, the pop-outs, the mark
// being drawn cut at the selection's edge, and the committed marks from their cached drawing, in place when
// the selection changes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "markup/markup_events.h"
#include "overlay/overlay_layout.h"
#include "overlay/overlay_paint.h"
#include "overlay/region_overlay.h"
#include "markup_pixels.h"
#include "support/bitmap_pixels.h"
#include "support/test_support.h"

namespace {

constexpr uint32_t kBackground = 0x1C2028;
constexpr uint32_t kPanel = 0x262C36;
constexpr uint32_t kBorder = 0x464C58;
constexpr uint32_t kAccent = 0x2E78DC;
constexpr uint32_t kHover = 0x373E4A;
constexpr uint32_t kRed = 0xE53935;
constexpr uint32_t kWhite = 0xFFFFFF;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
const Rect kWindow{0, 0, kWidth, kHeight};

class MarkupOverlayPaintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        still_.bitmap = CreatePatternBitmap(kWidth, kHeight, MarkupStillPattern);
        still_.width = kWidth;
        still_.height = kHeight;
        ASSERT_TRUE(PrepareOverlayDrawing(state_, still_));
        state_.model.hasSelection = true;
        state_.model.selection = Rect{100, 100, 500, 300};
        state_.model.pointer = Point{10000, 10000}; // off the still: no magnifier
        dim_ = ReadBitmapPixels(state_.dimBitmap);
    }
    void TearDown() override {
        ReleaseOverlayResources(state_);
        ReleaseCapturedImage(still_);
    }

    void Render() {
        HDC screen = GetDC(nullptr);
        HBITMAP target = CreateCompatibleBitmap(screen, kWidth, kHeight);
        HDC dc = CreateCompatibleDC(screen);
        HGDIOBJ previous = SelectObject(dc, target);
        RenderOverlay(dc, state_, kWindow);
        SelectObject(dc, previous);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        pixels_ = ReadBitmapPixels(target);
        DeleteObject(target);
        ASSERT_EQ(static_cast<size_t>(kWidth * kHeight), pixels_.size());
    }
    uint32_t At(int x, int y) const { return pixels_[static_cast<size_t>(y * kWidth + x)]; }
    uint32_t Dim(int x, int y) const { return dim_[static_cast<size_t>(y * kWidth + x)]; }
    bool AnyIn(const Rect& r, uint32_t colour) const {
        for (uint32_t pixel : CutPixels(pixels_, kWidth, r.left, r.top, r.Width(), r.Height())) {
            if (pixel == colour) {
                return true;
            }
        }
        return false;
    }
    StripLayout Strip() const { return CurrentStrip(state_.model, state_.markup); }
    Rect Button(StripButton button) const { return Strip().buttons[static_cast<size_t>(button)]; }

    CapturedImage still_;
    OverlayState state_;
    std::vector<uint32_t> dim_;
    std::vector<uint32_t> pixels_;
};

Point Centre(const Rect& r) {
    return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

} // namespace

TEST_F(MarkupOverlayPaintTest, TheStripShowsThePaletteThePickedToolAndTheButtonUnderThePointer) {
    state_.markup.tool = Tool::Arrow;
    state_.model.pointer = Centre(Button(StripButton::Pen));
    state_.markup.hoveredButton = static_cast<int32_t>(StripButton::Pen);
    ASSERT_NO_FATAL_FAILURE(Render());
    const StripLayout strip = Strip();
    ASSERT_EQ(static_cast<int>(StripPlacement::Below), static_cast<int>(strip.placement));
    EXPECT_EQ(Hex(kBorder), Hex(At(strip.strip.left + 40, strip.strip.top)));
    EXPECT_EQ(Hex(kBackground), Hex(At(strip.strip.left + 2, strip.strip.top + 2)));
    const auto corner = [this](StripButton button) {
        const Rect b = Button(button);
        return Hex(At(b.left + 1, b.top + 1));
    };
    EXPECT_EQ(Hex(kAccent), corner(StripButton::Arrow)) << "the picked tool";
    EXPECT_EQ(Hex(kAccent), corner(StripButton::Save));
    EXPECT_EQ(Hex(kHover), corner(StripButton::Pen)) << "under the pointer";
    EXPECT_EQ(Hex(kBackground), corner(StripButton::Rectangle));
    EXPECT_EQ(Hex(kBackground), corner(StripButton::Copy));
    // The colour button shows the current colour; a separator line between the groups.
    EXPECT_EQ(Hex(kRed),
              Hex(At(Centre(Button(StripButton::Colour)).x, Centre(Button(StripButton::Colour)).y)));
    EXPECT_EQ(Hex(kBorder), Hex(At(strip.separators[0], Centre(strip.strip).y)));
    // The tooltip under the Pen button: a panel-coloured box with light text, in place of the magnifier.
    const Rect pen = Button(StripButton::Pen);
    EXPECT_EQ(Hex(kPanel), Hex(At(Centre(pen).x - 20, strip.strip.bottom + 6)));
    EXPECT_TRUE(AnyIn(Rect{pen.left - 20, strip.strip.bottom + 4, pen.right + 60, strip.strip.bottom + 30},
                      0xF5F7FA));
    const MagnifierPlan magnifier = PlanMagnifier(state_.model.pointer, kWindow, kWindow);
    EXPECT_NE(Hex(kWhite), Hex(At(magnifier.panel.right - 1, magnifier.panel.top + 100)));
}

TEST_F(MarkupOverlayPaintTest, ThePopoutsShowTheSwatchesAndTheWidths) {
    state_.markup.colour = 4;
    state_.markup.popout = Popout::Colour;
    ASSERT_NO_FATAL_FAILURE(Render());
    const PopoutLayout colours = PlacePopout(Strip(), Popout::Colour);
    for (int i = 0; i < kColourCount; ++i) {
        const Point c = Centre(colours.items[static_cast<size_t>(i)]);
        EXPECT_EQ(Hex(MarkColour(i)), Hex(At(c.x, c.y))) << i;
    }
    // The current colour is ringed in white.
    EXPECT_EQ(Hex(kWhite), Hex(At(colours.items[4].left, Centre(colours.items[4]).y)));
    EXPECT_NE(Hex(kWhite), Hex(At(colours.items[3].left, Centre(colours.items[3]).y)));

    state_.markup.popout = Popout::Width;
    state_.markup.widthLevel = 2;
    ASSERT_NO_FATAL_FAILURE(Render());
    const PopoutLayout widths = PlacePopout(Strip(), Popout::Width);
    EXPECT_EQ(Hex(kAccent), Hex(At(widths.items[2].left + 1, widths.items[2].top + 1)));
    EXPECT_EQ(Hex(kBackground), Hex(At(widths.items[0].left + 1, widths.items[0].top + 1)));
    // Each item shows a line of its width: 2, 4 and 8 pixels.
    for (int i = 0; i < 3; ++i) {
        const Point c = Centre(widths.items[static_cast<size_t>(i)]);
        int rows = 0;
        for (int y = widths.items[static_cast<size_t>(i)].top;
             y < widths.items[static_cast<size_t>(i)].bottom; ++y) {
            rows += At(c.x, y) == 0xF5F7FA ? 1 : 0;
        }
        EXPECT_EQ(2 << i, rows) << i;
    }
}

TEST_F(MarkupOverlayPaintTest, TheStripHidesWhileTheSelectionIsDragged) {
    const StripLayout strip = Strip();
    state_.model.dragging = true;
    state_.model.dragKind = DragKind::RightEdge;
    ASSERT_NO_FATAL_FAILURE(Render());
    const Point c = Centre(strip.buttons[10]);
    EXPECT_EQ(Hex(Dim(c.x, c.y)), Hex(At(c.x, c.y)));
}

TEST_F(MarkupOverlayPaintTest, TheMarkBeingDrawnIsCutAtTheSelectionsEdge) {
    state_.markup.tool = Tool::Rectangle;
    state_.markup.drawing = true;
    state_.markup.pending.kind = MarkKind::Rectangle;
    state_.markup.pending.size = 8;
    state_.markup.pending.from = Point{400, 200};
    state_.markup.pending.to = Point{700, 250};
    ASSERT_NO_FATAL_FAILURE(Render());
    EXPECT_EQ(Hex(kRed), Hex(At(450, 200)));
    EXPECT_EQ(Hex(kRed), Hex(At(400, 230)));
    EXPECT_EQ(Hex(MarkupStillPattern(450, 230)), Hex(At(450, 230)));
    EXPECT_EQ(Hex(Dim(600, 200)), Hex(At(600, 200))) << "outside the selection";
    EXPECT_EQ(Hex(Dim(700, 230)), Hex(At(700, 230)));
}

TEST_F(MarkupOverlayPaintTest, CommittedMarksShowFromTheirCachedDrawingAndKeepTheirPlace) {
    Mark mark;
    mark.kind = MarkKind::Ellipse;
    mark.size = 8;
    mark.from = Point{150, 150};
    mark.to = Point{450, 450}; // reaches below the selection
    AddMark(state_.markup.history, mark);
    ASSERT_TRUE(
        SyncMarkLayer(state_.markupUi.layer, state_.markup.history, state_.stillDc, state_.model.bounds));
    ASSERT_NO_FATAL_FAILURE(Render());
    EXPECT_EQ(Hex(kRed), Hex(At(150, 290))) << "near its left point, inside the selection";
    EXPECT_EQ(Hex(Dim(300, 448)), Hex(At(300, 448))) << "its bottom, below the selection, not shown";
    EXPECT_EQ(Hex(MarkupStillPattern(300, 250)), Hex(At(300, 250)));

    // The selection made larger: the ellipse stays where it was drawn, now shown whole.
    state_.model.selection = Rect{50, 50, 600, 500};
    ASSERT_NO_FATAL_FAILURE(Render());
    EXPECT_EQ(Hex(kRed), Hex(At(150, 290)));
    EXPECT_EQ(Hex(kRed), Hex(At(300, 449)));
    EXPECT_EQ(Hex(MarkupStillPattern(300, 250)), Hex(At(300, 250)));
}

TEST_F(MarkupOverlayPaintTest, RenderingTheStripPopoutsAndTooltipsLeavesNoGdiObjects) {
    state_.markup.hoveredButton = 12;
    state_.model.pointer = Centre(Button(StripButton::Cancel));
    ASSERT_NO_FATAL_FAILURE(Render());
    const long before = GdiHeadroom();
    for (int i = 0; i < 60; ++i) {
        state_.markup.popout = static_cast<Popout>(i % 3);
        state_.markup.hoveredButton = i % kStripButtonCount;
        state_.markup.tool = static_cast<Tool>(i % kStripToolCount);
        ASSERT_NO_FATAL_FAILURE(Render());
    }
    EXPECT_GE(GdiHeadroom(), before) << "objects left behind by 60 renders: " << before - GdiHeadroom();
}
