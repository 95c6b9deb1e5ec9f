// Marks drawn into real GDI bitmaps: the saved picture, cut from a still of known content, carries every kind
// of mark where it belongs, antialiased, clipped to the picture, the mosaic averaged from the still; and the
// overlay's cached drawing of the marks shows exactly the pixels that are saved.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture/crop.h"
#include "markup/mark_layer.h"
#include "markup/mark_paint.h"
#include "markup_pixels.h"
#include "support/bitmap_pixels.h"
#include "support/test_support.h"

namespace {

constexpr uint32_t kRed = 0xE53935;
constexpr uint32_t kOrange = 0xFB8C00;
constexpr uint32_t kYellow = 0xFDD835;
constexpr uint32_t kGreen = 0x43A047;
constexpr uint32_t kBlue = 0x1E88E5;
constexpr uint32_t kPurple = 0x8E24AA;
constexpr uint32_t kWhite = 0xFFFFFF;

int Channel(uint32_t colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}

// `over` laid on `under` at alpha/255, each channel within one step of rounding.
bool IsBlend(uint32_t shown, uint32_t over, uint32_t under, int alpha) {
    for (int shift : {0, 8, 16}) {
        const int expected =
            (Channel(over, shift) * alpha + Channel(under, shift) * (255 - alpha) + 127) / 255;
        if (std::abs(Channel(shown, shift) - expected) > 2) {
            return false;
        }
    }
    return true;
}

// The still covers (-100, -50)-(300, 250) of the virtual screen; the selection is cut from (-60, -20).
constexpr int kStillWidth = 400;
constexpr int kStillHeight = 300;
constexpr int kOriginX = -100;
constexpr int kOriginY = -50;
const Rect kSelection{-60, -20, 240, 230};

Mark Shape(MarkKind kind, int colour, int size, Point from, Point to) {
    Mark mark;
    mark.kind = kind;
    mark.colour = colour;
    mark.size = size;
    mark.from = from;
    mark.to = to;
    return mark;
}

Mark Stroke(MarkKind kind, int colour, int size, std::vector<Point> points) {
    Mark mark = Shape(kind, colour, size, points.front(), points.front());
    mark.points = std::move(points);
    return mark;
}

class MarkPaintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        still_.bitmap = CreatePatternBitmap(kStillWidth, kStillHeight, [](int x, int y) {
            return MarkupStillPattern(x + kOriginX, y + kOriginY);
        });
        ASSERT_NE(nullptr, still_.bitmap);
        still_.width = kStillWidth;
        still_.height = kStillHeight;
        still_.originX = kOriginX;
        still_.originY = kOriginY;
    }
    void TearDown() override {
        ReleaseCapturedImage(picture_);
        ReleaseCapturedImage(still_);
    }

    void Add(Mark mark) { AddMark(history_, std::move(mark)); }

    // Cuts the selection from the still, draws the live marks on it and reads it back.
    void Save() {
        ReleaseCapturedImage(picture_);
        ASSERT_TRUE(CropCapturedImage(still_, kSelection, picture_));
        ASSERT_TRUE(DrawMarksOnPicture(picture_, history_, still_));
        pixels_ = ReadBitmapPixels(picture_.bitmap);
        ASSERT_EQ(static_cast<size_t>(kSelection.Width() * kSelection.Height()), pixels_.size());
    }

    // The saved pixel at a virtual-screen point.
    uint32_t At(int x, int y) const {
        return pixels_[static_cast<size_t>((y - kSelection.top) * kSelection.Width() +
                                           (x - kSelection.left))];
    }
    bool AnyIn(const Rect& area, uint32_t colour) const {
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                if (At(x, y) == colour) {
                    return true;
                }
            }
        }
        return false;
    }

    CapturedImage still_;
    CapturedImage picture_;
    MarkupHistory history_;
    std::vector<uint32_t> pixels_;
};

} // namespace

TEST_F(MarkPaintTest, EachKindOfMarkLandsWhereItBelongsInTheSavedPicture) {
    Add(Shape(MarkKind::Rectangle, 0, 4, {-40, 0}, {60, 80}));
    Add(Shape(MarkKind::Ellipse, 5, 4, {80, 0}, {160, 60}));
    Add(Shape(MarkKind::Arrow, 4, 4, {100, 100}, {200, 100}));
    Add(Stroke(MarkKind::Pen, 3, 8, {{-40, 150}, {10, 150}, {60, 150}}));
    Mark step = Shape(MarkKind::Step, 1, 30, {-20, 200}, {-20, 200});
    step.step = 7;
    Add(step);
    Mark text = Shape(MarkKind::Text, 5, 24, {60, 180}, {60, 180});
    text.text = L"Ab";
    Add(text);
    ASSERT_NO_FATAL_FAILURE(Save());

    // The rectangle's left side, 4 pixels wide on x = -40; inside and outside it the still.
    EXPECT_EQ(Hex(kRed), Hex(At(-41, 40)));
    EXPECT_EQ(Hex(kRed), Hex(At(-40, 40)));
    EXPECT_EQ(Hex(kRed), Hex(At(10, 79)));
    EXPECT_EQ(Hex(MarkupStillPattern(10, 40)), Hex(At(10, 40)));
    EXPECT_EQ(Hex(MarkupStillPattern(-50, 40)), Hex(At(-50, 40)));
    // The ellipse: its left and top points, not its centre or the box's corner.
    EXPECT_EQ(Hex(kPurple), Hex(At(80, 30)));
    EXPECT_EQ(Hex(kPurple), Hex(At(120, 0)));
    EXPECT_EQ(Hex(MarkupStillPattern(120, 30)), Hex(At(120, 30)));
    EXPECT_EQ(Hex(MarkupStillPattern(82, 2)), Hex(At(82, 2)));
    // The arrow: its shaft, its filled head before the tip, nothing past the tip.
    EXPECT_EQ(Hex(kBlue), Hex(At(130, 100)));
    EXPECT_EQ(Hex(kBlue), Hex(At(186, 105)));
    EXPECT_EQ(Hex(kBlue), Hex(At(186, 94)));
    EXPECT_EQ(Hex(MarkupStillPattern(204, 100)), Hex(At(204, 100)));
    EXPECT_EQ(Hex(MarkupStillPattern(130, 108)), Hex(At(130, 108)));
    // The pen's line and its round end.
    EXPECT_EQ(Hex(kGreen), Hex(At(10, 150)));
    EXPECT_EQ(Hex(kGreen), Hex(At(-42, 150)));
    EXPECT_EQ(Hex(MarkupStillPattern(10, 156)), Hex(At(10, 156)));
    // The step: a filled orange circle with its white number.
    EXPECT_EQ(Hex(kOrange), Hex(At(-32, 200)));
    EXPECT_EQ(Hex(kOrange), Hex(At(-20, 188)));
    EXPECT_TRUE(AnyIn(Rect{-27, 193, -13, 207}, kWhite));
    EXPECT_EQ(Hex(MarkupStillPattern(-38, 200)), Hex(At(-38, 200)));
    // The text: purple strokes inside its line, the still beside it.
    EXPECT_TRUE(AnyIn(Rect{60, 180, 100, 206}, kPurple));
    EXPECT_EQ(Hex(MarkupStillPattern(150, 190)), Hex(At(150, 190)));
}

TEST_F(MarkPaintTest, TheHighlighterLetsThePictureShowThroughAndCoversItsCrossingOnce) {
    // Right, down, then back up and left across its own first stretch near (185, 100).
    Add(Stroke(MarkKind::Highlighter, 2, 20, {{110, 100}, {220, 100}, {220, 140}, {150, 60}}));
    ASSERT_NO_FATAL_FAILURE(Save());
    EXPECT_TRUE(IsBlend(At(140, 100), kYellow, MarkupStillPattern(140, 100), kHighlighterAlpha))
        << Hex(At(140, 100)) << " over " << Hex(MarkupStillPattern(140, 100));
    EXPECT_TRUE(IsBlend(At(185, 100), kYellow, MarkupStillPattern(185, 100), kHighlighterAlpha))
        << "laid on once where it crosses itself: " << Hex(At(185, 100));
    EXPECT_EQ(Hex(MarkupStillPattern(140, 125)), Hex(At(140, 125)));
}

TEST_F(MarkPaintTest, TheMosaicAveragesTheStillInBlocksAndCoversMarksBeneathIt) {
    // A rectangle under the mosaic does not show through: the blocks come from the still.
    Add(Shape(MarkKind::Rectangle, 6, 8, {150, 160}, {190, 200}));
    const Rect area{150, 160, 230, 220};
    Add(Shape(MarkKind::Mosaic, 0, 12, {area.right, area.bottom}, {area.left, area.top}));
    ASSERT_NO_FATAL_FAILURE(Save());
    for (int top = area.top; top < area.bottom; top += 12) {
        for (int left = area.left; left < area.right; left += 12) {
            const int right = std::min(left + 12, area.right);
            const int bottom = std::min(top + 12, area.bottom);
            uint64_t sums[3] = {};
            for (int y = top; y < bottom; ++y) {
                for (int x = left; x < right; ++x) {
                    for (int c = 0; c < 3; ++c) {
                        sums[c] += static_cast<uint64_t>(Channel(MarkupStillPattern(x, y), 16 - 8 * c));
                    }
                }
            }
            const uint64_t count = static_cast<uint64_t>((right - left) * (bottom - top));
            const uint32_t average =
                static_cast<uint32_t>((sums[0] + count / 2) / count << 16 |
                                      (sums[1] + count / 2) / count << 8 | (sums[2] + count / 2) / count);
            for (int y = top; y < bottom; ++y) {
                for (int x = left; x < right; ++x) {
                    ASSERT_EQ(Hex(average), Hex(At(x, y))) << "block at " << left << "," << top;
                }
            }
        }
    }
    EXPECT_EQ(Hex(MarkupStillPattern(area.left - 1, 210)), Hex(At(area.left - 1, 210)));
    EXPECT_EQ(Hex(MarkupStillPattern(200, area.bottom)), Hex(At(200, area.bottom)));
}

TEST_F(MarkPaintTest, MarksReachingPastTheSelectionAreCutAtItsEdge) {
    // From left of the picture across its left edge, and a mosaic past its bottom right corner.
    Add(Shape(MarkKind::Rectangle, 0, 4, {-90, 100}, {-30, 120}));
    Add(Shape(MarkKind::Mosaic, 0, 12, {200, 200}, {290, 245}));
    ASSERT_NO_FATAL_FAILURE(Save());
    EXPECT_EQ(Hex(kRed), Hex(At(-60, 100)));
    EXPECT_EQ(Hex(kRed), Hex(At(-31, 110)));
    EXPECT_EQ(Hex(MarkupStillPattern(-50, 110)), Hex(At(-50, 110)));
    // The mosaic's blocks keep their grid from its corner, whatever the selection cuts off.
    EXPECT_EQ(Hex(At(200, 200)), Hex(At(211, 211)));
    EXPECT_NE(Hex(At(211, 211)), Hex(At(212, 211)));
    EXPECT_EQ(Hex(At(236, 224)), Hex(At(239, 229)));
}

TEST_F(MarkPaintTest, TheCachedLayerShowsExactlyThePixelsThatAreSaved) {
    HDC screen = GetDC(nullptr);
    HDC stillDc = CreateCompatibleDC(screen);
    const Rect stillRect{kOriginX, kOriginY, kOriginX + kStillWidth, kOriginY + kStillHeight};
    MarkLayer layer;
    // The layer's part under the selection, read while the still is in its DC, as the overlay holds it.
    const auto layerPixels = [&] {
        HGDIOBJ previous = SelectObject(stillDc, still_.bitmap);
        EXPECT_TRUE(SyncMarkLayer(layer, history_, stillDc, stillRect));
        SelectObject(stillDc, previous);
        if (!MarkLayerReady(layer, history_)) {
            return std::vector<uint32_t>();
        }
        HBITMAP copy = CreateCompatibleBitmap(screen, kSelection.Width(), kSelection.Height());
        HDC copyDc = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(copyDc, copy);
        BitBlt(copyDc, 0, 0, kSelection.Width(), kSelection.Height(), layer.dc, kSelection.left - kOriginX,
               kSelection.top - kOriginY, SRCCOPY);
        SelectObject(copyDc, old);
        DeleteDC(copyDc);
        std::vector<uint32_t> pixels = ReadBitmapPixels(copy);
        DeleteObject(copy);
        return pixels;
    };
    Add(Shape(MarkKind::Ellipse, 4, 8, {-50, -10}, {100, 90}));
    Add(Stroke(MarkKind::Highlighter, 2, 20, {{0, 0}, {200, 200}, {220, 30}}));
    Mark text = Shape(MarkKind::Text, 6, 24, {0, 120}, {0, 120});
    text.text = L"你好 Korvel";
    Add(text);
    Add(Shape(MarkKind::Mosaic, 0, 12, {100, 20}, {190, 90}));
    Mark step = Shape(MarkKind::Step, 0, 30, {200, 200}, {200, 200});
    step.step = 12;
    Add(step);
    ASSERT_NO_FATAL_FAILURE(Save());
    EXPECT_TRUE(layerPixels() == pixels_);

    // One undone, then another one made: the layer is drawn again from the still, a redo only adds.
    UndoMark(history_);
    UndoMark(history_);
    ASSERT_NO_FATAL_FAILURE(Save());
    EXPECT_TRUE(layerPixels() == pixels_);
    RedoMark(history_);
    ASSERT_NO_FATAL_FAILURE(Save());
    EXPECT_TRUE(layerPixels() == pixels_);
    Add(Shape(MarkKind::Arrow, 1, 8, {200, 20}, {0, 200}));
    ASSERT_NO_FATAL_FAILURE(Save());
    EXPECT_TRUE(layerPixels() == pixels_);
    // An undo and a new mark in its place before the layer is brought up to date: as many marks as before,
    // but not the same ones.
    UndoMark(history_);
    Add(Shape(MarkKind::Rectangle, 3, 8, {20, 20}, {120, 60}));
    ASSERT_NO_FATAL_FAILURE(Save());
    EXPECT_TRUE(layerPixels() == pixels_);

    // Without live marks the layer is let go.
    while (UndoMark(history_)) {
    }
    EXPECT_TRUE(layerPixels().empty());
    EXPECT_EQ(nullptr, layer.dc);
    ReleaseMarkLayer(layer);
    DeleteDC(stillDc);
    ReleaseDC(nullptr, screen);
}

TEST_F(MarkPaintTest, DrawingLeavesNoGdiObjectsAndTheDcAsItWas) {
    Add(Shape(MarkKind::Arrow, 4, 4, {100, 100}, {200, 100}));
    Mark text = Shape(MarkKind::Text, 5, 24, {60, 180}, {60, 180});
    text.text = L"Ab";
    Add(text);
    Add(Shape(MarkKind::Mosaic, 0, 12, {150, 160}, {230, 220}));
    Mark step = Shape(MarkKind::Step, 1, 30, {-20, 200}, {-20, 200});
    step.step = 3;
    Add(step);
    ASSERT_NO_FATAL_FAILURE(Save()); // first use may set up caches of fonts and GDI+
    const long before = GdiHeadroom();
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(DrawMarksOnPicture(picture_, history_, still_));
    }
    EXPECT_GE(GdiHeadroom(), before) << "objects left behind by 50 drawings";
    EXPECT_TRUE(SelectableIntoNewDC(picture_.bitmap));
    EXPECT_TRUE(SelectableIntoNewDC(still_.bitmap));
}

TEST_F(MarkPaintTest, AStillHeldByAnotherDcIsReportedAndNothingIsDrawn) {
    Add(Shape(MarkKind::Rectangle, 0, 4, {-40, 0}, {60, 80}));
    ASSERT_TRUE(CropCapturedImage(still_, kSelection, picture_));
    HDC holder = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(holder, still_.bitmap);
    CapturedLog log;
    EXPECT_FALSE(DrawMarksOnPicture(picture_, history_, still_));
    EXPECT_EQ(1, log.Count(L"[ERROR] 标注绘制失败：位图无法选入 DC size=300x250"));
    SelectObject(holder, previous);
    DeleteDC(holder);
    pixels_ = ReadBitmapPixels(picture_.bitmap);
    EXPECT_EQ(Hex(MarkupStillPattern(-40, 40)), Hex(At(-40, 40)));
}
