// What the settings window draws itself, pixel by pixel: the caption and navigation bars, the owner-drawn
// buttons in their states, and which parts repaint when the hover changes.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <map>
#include <vector>

#include "settings/settings_paint.h"
#include "settings_fixture.h"
#include "support/bitmap_pixels.h"

namespace {

constexpr uint32_t kBackground = 0x1C2028;
constexpr uint32_t kPanel = 0x262C36;
constexpr uint32_t kMuted = 0xA8B0BC;
constexpr uint32_t kBorder = 0x464C58;
constexpr uint32_t kAccent = 0x2E78DC;
constexpr uint32_t kAccentHover = 0x468CE6;
constexpr uint32_t kHover = 0x373E4A;
constexpr uint32_t kCloseHover = 0xC42B1C;
constexpr uint32_t kWhite = 0xFFFFFF;

// A bitmap of the screen's format to draw into, read back after each drawing.
class Canvas {
  public:
    Canvas(int width, int height) : width_(width) {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        RECT all = {0, 0, width, height};
        previous_ = SelectObject(dc_, bitmap_);
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    }
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_; }
    // The pixels as they are now (the bitmap is deselected while they are read).
    std::vector<uint32_t> Pixels() {
        SelectObject(dc_, previous_);
        std::vector<uint32_t> pixels = ReadBitmapPixels(bitmap_);
        SelectObject(dc_, bitmap_);
        return pixels;
    }
    uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) const {
        return pixels.at(static_cast<size_t>(y * width_ + x));
    }

  private:
    int width_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
};

} // namespace

class SettingsPaintTest : public SettingsWindowTest {
  protected:
    // Draws button `id` as WM_DRAWITEM would, into a canvas of the given size.
    std::vector<uint32_t> DrawButton(Canvas& canvas, int id, int width, int height) {
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.CtlID = static_cast<UINT>(id);
        item.itemAction = ODA_DRAWENTIRE;
        item.hwndItem = Child(id);
        item.hDC = canvas.Dc();
        item.rcItem = RECT{0, 0, width, height};
        DrawSettingsButton(item);
        return canvas.Pixels();
    }
};

// At 96 DPI a radio row has a 16-pixel ring 16 pixels from its left, centred vertically (9..25 in a 34-pixel
// row), an 8-pixel dot inside it when checked, and a white outline around a checked row.
TEST_F(SettingsPaintTest, RadioButtonsInTheirStates) {
    Canvas canvas(120, 34);
    std::vector<uint32_t> png = DrawButton(canvas, kPngRadioId, 120, 34); // checked
    EXPECT_EQ(canvas.At(png, 24, 17), kWhite) << "dot";
    EXPECT_EQ(canvas.At(png, 16, 17), kWhite) << "ring";
    EXPECT_EQ(canvas.At(png, 15, 17), kBackground) << "a one-pixel ring";
    EXPECT_EQ(canvas.At(png, 18, 17), kBackground) << "between ring and dot";
    EXPECT_EQ(canvas.At(png, 60, 0), kWhite) << "outline";
    EXPECT_EQ(canvas.At(png, 60, 32), kWhite) << "outline";
    EXPECT_EQ(canvas.At(png, 8, 17), kBackground);

    std::vector<uint32_t> jpeg = DrawButton(canvas, kJpegRadioId, 120, 34);
    EXPECT_EQ(canvas.At(jpeg, 16, 17), kMuted) << "grey ring";
    EXPECT_EQ(canvas.At(jpeg, 24, 17), kBackground) << "no dot";
    EXPECT_EQ(canvas.At(jpeg, 60, 0), kBackground) << "no outline";

    State().hoveredButtonId = kJpegRadioId;
    jpeg = DrawButton(canvas, kJpegRadioId, 120, 34);
    EXPECT_EQ(canvas.At(jpeg, 8, 17), kPanel) << "hovered face";
    EXPECT_EQ(canvas.At(jpeg, 16, 17), kMuted);
    State().hoveredButtonId = kPngRadioId;
    png = DrawButton(canvas, kPngRadioId, 120, 34);
    EXPECT_EQ(canvas.At(png, 8, 17), kBackground) << "a checked radio is not filled on hover";
}

TEST_F(SettingsPaintTest, PushButtonsInTheirStates) {
    struct Case {
        int id;
        bool hovered;
        uint32_t face;
    };
    const Case cases[] = {
        {kOkButtonId, false, kAccent},   {kOkButtonId, true, kAccentHover}, {kCancelButtonId, false, kPanel},
        {kCancelButtonId, true, kHover}, {kBrowseButtonId, false, kPanel},  {kBrowseButtonId, true, kHover},
    };
    Canvas canvas(116, 34);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        State().hoveredButtonId = c.hovered ? c.id : 0;
        const std::vector<uint32_t> pixels = DrawButton(canvas, c.id, 116, 34);
        EXPECT_EQ(canvas.At(pixels, 3, 3), c.face);
        EXPECT_EQ(canvas.At(pixels, 0, 0), kBorder);
        EXPECT_EQ(canvas.At(pixels, 115, 33), kBorder);
        EXPECT_EQ(canvas.At(pixels, 1, 1), c.face) << "a one-pixel border";
    }
}

// At 200% the ring, its pen and the outline's corners double; the push buttons' border stays one pixel.
TEST_F(SettingsPaintTest, At192DpiTheRadioMarksDoubleAndBordersStayOnePixel) {
    State().dpi = 192;
    Canvas canvas(240, 68);
    const std::vector<uint32_t> png = DrawButton(canvas, kPngRadioId, 240, 68);
    EXPECT_EQ(canvas.At(png, 48, 34), kWhite) << "dot centre";
    EXPECT_EQ(canvas.At(png, 41, 34), kWhite) << "dot, 16 across";
    EXPECT_EQ(canvas.At(png, 37, 34), kBackground) << "between ring and dot";
    // The two-pixel pen is centred on the ring's edge at x = 32.
    EXPECT_EQ(canvas.At(png, 30, 34), kBackground);
    EXPECT_EQ(canvas.At(png, 31, 34), kWhite) << "ring";
    EXPECT_EQ(canvas.At(png, 32, 34), kWhite) << "a two-pixel ring";
    EXPECT_EQ(canvas.At(png, 33, 34), kBackground);
    EXPECT_EQ(canvas.At(png, 120, 0), kWhite) << "outline";
    EXPECT_EQ(canvas.At(png, 2, 2), kBackground) << "rounder corners leave the corner out";
    const std::vector<uint32_t> ok = DrawButton(canvas, kOkButtonId, 232, 68);
    EXPECT_EQ(canvas.At(ok, 0, 0), kBorder);
    EXPECT_EQ(canvas.At(ok, 1, 1), kAccent);
}

class SettingsBarsTest : public SettingsPaintTest {
  protected:
    void SetUp() override {
        SettingsPaintTest::SetUp();
        RECT client = {};
        GetClientRect(window_, &client);
        width_ = client.right;
    }
    std::vector<uint32_t> Paint(Canvas& canvas) {
        PaintSettingsWindow(window_, canvas.Dc());
        return canvas.Pixels();
    }
    int width_ = 0;
};

TEST_F(SettingsBarsTest, CaptionGlyphBoxesLightUpUnderThePointer) {
    Canvas canvas(width_, 84);
    std::vector<uint32_t> bars = Paint(canvas);
    EXPECT_EQ(canvas.At(bars, 2, 2), kBackground);
    EXPECT_EQ(canvas.At(bars, width_ - 3, 2), kBackground);
    EXPECT_EQ(canvas.At(bars, width_ - 20, 20), 0xF5F7FAu) << "the cross of the close glyph";
    EXPECT_EQ(canvas.At(bars, width_ - 60, 20), 0xF5F7FAu) << "the dash of the minimise glyph";
    EXPECT_EQ(canvas.At(bars, 5, 39), kBorder) << "separator under the caption";

    State().hoveredCaptionButton = 2;
    bars = Paint(canvas);
    EXPECT_EQ(canvas.At(bars, width_ - 3, 2), kCloseHover);
    EXPECT_EQ(canvas.At(bars, width_ - 43, 2), kBackground);
    State().hoveredCaptionButton = 1;
    bars = Paint(canvas);
    EXPECT_EQ(canvas.At(bars, width_ - 43, 2), kHover);
    EXPECT_EQ(canvas.At(bars, width_ - 3, 2), kBackground);
}

TEST_F(SettingsBarsTest, TheSelectedTabHasTheAccentBarAndAHoverHighlightClearsWhenThePointerMovesOn) {
    Canvas canvas(width_, 84);
    std::vector<uint32_t> bars = Paint(canvas);
    EXPECT_EQ(canvas.At(bars, 10, 81), kAccent) << "the bar under the selected tab";
    EXPECT_EQ(canvas.At(bars, 10, 83), kAccent);
    EXPECT_EQ(canvas.At(bars, 10, 80), kBackground);
    EXPECT_EQ(canvas.At(bars, width_ - 10, 83), kBorder) << "separator under the other tabs";

    State().hoveredNavItem = 1;
    bars = Paint(canvas);
    EXPECT_EQ(canvas.At(bars, width_ / 2 - 100, 45), kPanel);
    State().hoveredNavItem = 0; // the selected tab is never filled
    bars = Paint(canvas);
    EXPECT_EQ(canvas.At(bars, 10, 45), kBackground);
    // Drawn over the previous picture: the highlight of tab 1 is gone.
    EXPECT_EQ(canvas.At(bars, width_ / 2 - 100, 45), kBackground);
    State().hoveredNavItem = -1;
    bars = Paint(canvas);
    EXPECT_EQ(canvas.At(bars, width_ / 2 - 100, 45), kBackground);
}

// Counts the painting messages of the settings window and two of its buttons.
class PaintCounter {
  public:
    explicit PaintCounter(std::vector<HWND> windows) : windows_(std::move(windows)) {
        for (HWND window : windows_) {
            SetWindowSubclass(window, Count, 77, reinterpret_cast<DWORD_PTR>(this));
        }
    }
    ~PaintCounter() {
        for (HWND window : windows_) {
            RemoveWindowSubclass(window, Count, 77);
        }
    }
    PaintCounter(const PaintCounter&) = delete;
    PaintCounter& operator=(const PaintCounter&) = delete;

    int erases = 0;
    std::map<int, int> drawn; // WM_DRAWITEM per control id
    int windowPaints = 0;

  private:
    static LRESULT CALLBACK Count(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR data) {
        auto* self = reinterpret_cast<PaintCounter*>(data);
        if (message == WM_ERASEBKGND) {
            ++self->erases;
        } else if (message == WM_DRAWITEM) {
            ++self->drawn[static_cast<int>(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->CtlID)];
        } else if (message == WM_PAINT && window == self->windows_.front()) {
            ++self->windowPaints;
        }
        return DefSubclassProc(window, message, wParam, lParam);
    }
    std::vector<HWND> windows_;
};

// A hover change repaints the buttons whose look changes, without erasing, and the window's own bars.
TEST_F(SettingsBarsTest, HoverChangesRepaintOnlyWhatChangedWithoutErasing) {
    UpdateWindow(window_);
    RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    PaintCounter counter({window_, Child(kOkButtonId), Child(kCancelButtonId), Child(kBrowseButtonId)});
    auto repaint = [&] { RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); };

    SendMessageW(Child(kOkButtonId), WM_MOUSEMOVE, 0, PointParam(5, 5));
    repaint();
    EXPECT_EQ(counter.drawn, (std::map<int, int>{{kOkButtonId, 1}}));
    SendMessageW(Child(kCancelButtonId), WM_MOUSEMOVE, 0, PointParam(5, 5));
    repaint();
    EXPECT_EQ(counter.drawn, (std::map<int, int>{{kOkButtonId, 2}, {kCancelButtonId, 1}}));
    SendMessageW(Child(kCancelButtonId), WM_MOUSELEAVE, 0, 0);
    repaint();
    EXPECT_EQ(counter.drawn, (std::map<int, int>{{kOkButtonId, 2}, {kCancelButtonId, 2}}));
    EXPECT_EQ(State().hoveredButtonId, 0);
    EXPECT_EQ(counter.windowPaints, 0);

    // Over a tab: the window repaints its bars only.
    SendMessageW(window_, WM_MOUSEMOVE, 0, PointParam(width_ / 2, 60));
    EXPECT_EQ(State().hoveredNavItem, 1);
    RECT update = {};
    GetUpdateRect(window_, &update, FALSE);
    EXPECT_EQ(update.top, 0);
    EXPECT_EQ(update.bottom, 84);
    repaint();
    EXPECT_EQ(counter.windowPaints, 1);
    SendMessageW(window_, WM_MOUSEMOVE, 0, PointParam(width_ / 2 + 1, 61)); // same tab: nothing
    repaint();
    EXPECT_EQ(counter.windowPaints, 1);
    EXPECT_EQ(counter.erases, 0);
}
