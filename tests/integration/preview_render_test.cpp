// Preview creation and its layered image, with real GDI and real windows. The composed pixels are read
// from the image itself: Xvfb has no compositor, so the screen would not show the alpha.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellscalingapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "capture/captured_image.h"
#include "preview/preview.h"
#include "preview/preview_layout.h"
#include "preview/preview_render.h"
#include "preview/preview_state.h"
#include "support/bitmap_pixels.h"
#include "support/import_patch.h"
#include "support/test_support.h"
#include "text/font.h"
#include "text/texts.h"

namespace {

constexpr uint32_t kPinBlue = 0x2D7DFF;
constexpr uint32_t kHoverBlue = 0xE8F0FF;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kOutline = 0xBEC6D2;
constexpr uint32_t kLeftColour = 0xC04020;
constexpr uint32_t kRightColour = 0x2040C0;

// Distinct neighbours in both directions, never one of the button colours.
uint32_t Pattern(int x, int y) {
    const uint32_t red = 30 + static_cast<uint32_t>(x * 7) % 200;
    const uint32_t green = 20 + static_cast<uint32_t>(y * 11) % 200;
    const uint32_t blue = 40 + static_cast<uint32_t>((x + y) * 5) % 180;
    return red << 16 | green << 8 | blue;
}

uint32_t Halves(int x, int, int width) {
    return x < width / 2 ? kLeftColour : kRightColour;
}

std::string Hex(uint32_t colour) {
    char text[16];
    snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(colour));
    return text;
}

bool IsBitmap(HGDIOBJ object) {
    return GetObjectType(object) == OBJ_BITMAP;
}

// The work area and DPI that a preview of a capture at (x, y) is laid out for.
struct MonitorFacts {
    Rect workArea;
    int32_t dpi = 96;
};

MonitorFacts MonitorAt(int32_t x, int32_t y) {
    MonitorFacts facts;
    HMONITOR monitor = MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(monitor, &info);
    facts.workArea = Rect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
    UINT dpiX = 0;
    UINT dpiY = 0;
    if (SUCCEEDED(GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) && dpiX != 0) {
        facts.dpi = static_cast<int32_t>(dpiX);
    }
    return facts;
}

int32_t ButtonWidthAt(int32_t dpi) {
    HFONT font = CreateInterfaceFont(dpi, 9);
    const int32_t width = MeasurePreviewButtonWidth(dpi, font);
    DeleteObject(font);
    return width;
}

// The state a preview of this size would get on that monitor (bitmaps and font left out).
PreviewState ExpectedState(int32_t imageWidth, int32_t imageHeight, const MonitorFacts& monitor) {
    const PreviewMetrics metrics = PreviewMetricsForDpi(monitor.dpi);
    const DisplaySize display =
        FitPreviewImage(imageWidth, imageHeight, monitor.workArea, metrics.shadowSize, metrics.buttonHeight);
    PreviewState state;
    state.imageWidth = imageWidth;
    state.imageHeight = imageHeight;
    state.displayWidth = display.width;
    state.displayHeight = display.height;
    state.dpi = monitor.dpi;
    state.shadowSize = metrics.shadowSize;
    state.buttonHeight = metrics.buttonHeight;
    state.buttonGap = metrics.buttonGap;
    state.buttonWidth = ButtonWidthAt(monitor.dpi);
    return state;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

bool Listed(HWND window) {
    return std::find(previewWindows.begin(), previewWindows.end(), window) != previewWindows.end();
}

PreviewState* StateOf(HWND window) {
    return reinterpret_cast<PreviewState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

class ScopedLanguage {
  public:
    ScopedLanguage() : saved_(GetUiLanguage()) {}
    ~ScopedLanguage() { SetUiLanguage(static_cast<uint32_t>(saved_)); }
    ScopedLanguage(const ScopedLanguage&) = delete;
    ScopedLanguage& operator=(const ScopedLanguage&) = delete;

  private:
    UiLanguage saved_;
};

// A composed image of a known state: a 40 x 30 pattern picture at 96 DPI with 56-pixel buttons, so the row
// (242 wide) is wider than the picture and the picture sits at (220, 46).
class PreviewRenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        state_.captureBitmap = CreatePatternBitmap(40, 30, Pattern);
        ASSERT_NE(nullptr, state_.captureBitmap);
        state_.displayBitmap = state_.captureBitmap;
        state_.imageWidth = state_.displayWidth = 40;
        state_.imageHeight = state_.displayHeight = 30;
        state_.dpi = 96;
        state_.shadowSize = 18;
        state_.buttonHeight = 28;
        state_.buttonGap = 6;
        state_.buttonWidth = 56;
        state_.font = CreateInterfaceFont(96, 9);
    }
    void TearDown() override { FreePreviewState(state_); }

    // Composes the image and keeps its pixels as BGRA bytes.
    void Compose() {
        layout_ = ComputePreviewLayout(state_);
        void* bits = nullptr;
        HBITMAP image = ComposePreviewImage(state_, layout_, &bits);
        ASSERT_NE(nullptr, image);
        ASSERT_NE(nullptr, bits);
        const uint8_t* bytes = static_cast<const uint8_t*>(bits);
        pixels_.assign(bytes, bytes + static_cast<size_t>(layout_.windowWidth) * layout_.windowHeight * 4);
        DeleteObject(image);
    }
    uint32_t Colour(int x, int y) const {
        const uint8_t* p = &pixels_[(static_cast<size_t>(y) * layout_.windowWidth + x) * 4];
        return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
    }
    int Alpha(int x, int y) const {
        return pixels_[(static_cast<size_t>(y) * layout_.windowWidth + x) * 4 + 3];
    }
    // A fill pixel of a button, clear of its outline and its centred text.
    uint32_t FillOf(int button) const {
        const Rect& r = layout_.buttonRects[button];
        return Colour(r.left + 3, r.top + 3);
    }
    // Whether some pixel of the button's inside matches.
    template <typename Test> bool AnyInButton(int button, Test test) const {
        const Rect& r = layout_.buttonRects[button];
        for (int y = r.top + 1; y < r.bottom - 1; ++y) {
            for (int x = r.left + 1; x < r.right - 1; ++x) {
                if (test(Colour(x, y))) {
                    return true;
                }
            }
        }
        return false;
    }

    PreviewState state_;
    PreviewLayout layout_;
    std::vector<uint8_t> pixels_;
};

bool Light(uint32_t c) {
    return (c >> 16 & 0xFF) > 0xE0 && (c >> 8 & 0xFF) > 0xE0 && (c & 0xFF) > 0xE0;
}

bool Dark(uint32_t c) {
    return (c >> 16 & 0xFF) < 0x60 && (c >> 8 & 0xFF) < 0x60 && (c & 0xFF) < 0x60;
}

} // namespace

TEST_F(PreviewRenderTest, PictureIsOpaqueAtItsPlaceWithTheShadowAroundIt) {
    ASSERT_NO_FATAL_FAILURE(Compose());
    ASSERT_EQ((Rect{220, 46, 260, 76}), layout_.imageRect);
    int wrong = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            if (Colour(220 + x, 46 + y) != Pattern(x, y) || Alpha(220 + x, 46 + y) != 255) {
                ++wrong;
            }
        }
    }
    EXPECT_EQ(0, wrong);
    // Black shadow fading away from the picture, the same below and to the left.
    EXPECT_EQ(98, Alpha(240, 76));
    EXPECT_EQ(86, Alpha(240, 77));
    EXPECT_EQ(0u, Colour(240, 76));
    EXPECT_EQ(98, Alpha(219, 60));
    EXPECT_EQ(86, Alpha(218, 60));
    EXPECT_EQ(0, Alpha(240, 76 + 17));
    // Beyond the band and left of the picture nothing is drawn.
    EXPECT_EQ(0, Alpha(100, 60));
    EXPECT_EQ(0, Alpha(0, layout_.windowHeight - 1));
}

TEST_F(PreviewRenderTest, ButtonsShowPinHoverAndPlainLooks) {
    state_.pinned = true;
    state_.hoverButton = 1;
    ASSERT_NO_FATAL_FAILURE(Compose());
    EXPECT_EQ(Hex(kPinBlue), Hex(FillOf(0)));
    EXPECT_EQ(Hex(kHoverBlue), Hex(FillOf(1)));
    EXPECT_EQ(Hex(kWhite), Hex(FillOf(2)));
    EXPECT_EQ(Hex(kWhite), Hex(FillOf(3)));
    for (int i = 0; i < 4; ++i) {
        const Rect& r = layout_.buttonRects[i];
        EXPECT_EQ(255, Alpha(r.left + 3, r.top + 3)) << i;
        EXPECT_EQ(Hex(kOutline), Hex(Colour(r.left, r.top))) << i;
        EXPECT_EQ(Hex(kOutline), Hex(Colour(r.right - 1, r.bottom - 1))) << i;
        EXPECT_EQ(255, Alpha(r.right - 1, r.bottom - 1)) << i;
    }
    // White text on the pinned Pin, dark text on the others.
    EXPECT_TRUE(AnyInButton(0, Light));
    EXPECT_TRUE(AnyInButton(1, Dark));
    EXPECT_TRUE(AnyInButton(2, Dark));
    // Between the buttons and left of the row the window is see-through.
    for (int x = 74; x < 80; ++x) {
        for (int y = 0; y < 28; ++y) {
            EXPECT_EQ(0, Alpha(x, y)) << "(" << x << "," << y << ")";
        }
    }
    EXPECT_EQ(0, Alpha(10, 10));
    EXPECT_EQ(0, Alpha(layout_.windowWidth - 1, 10));
}

namespace {

int WINAPI RefuseSaveDC(HDC) {
    return 0;
}

} // namespace

TEST_F(PreviewRenderTest, ButtonsPutBackWhatTheDcHeldEvenWhenItsStateCannotBeSaved) {
    layout_ = ComputePreviewLayout(state_);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, layout_.windowWidth, layout_.windowHeight);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(dc, target);
    SetTextColor(dc, RGB(1, 2, 3));
    const HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    const int background = GetBkMode(dc);
    {
        // Whether or not the drawing leans on SaveDC, a failing one must not leave its objects selected.
        ImportPatch refuse("SaveDC", reinterpret_cast<const void*>(&RefuseSaveDC));
        for (int i = 0; i < 3; ++i) {
            DrawPreviewButtons(dc, state_, layout_);
        }
    }
    EXPECT_EQ(pen, GetCurrentObject(dc, OBJ_PEN));
    EXPECT_EQ(brush, GetCurrentObject(dc, OBJ_BRUSH));
    EXPECT_EQ(font, GetCurrentObject(dc, OBJ_FONT));
    EXPECT_EQ(RGB(1, 2, 3), GetTextColor(dc));
    EXPECT_EQ(background, GetBkMode(dc));
    // The buttons were drawn all the same: the outline at a corner of the first.
    SelectObject(dc, previous);
    DeleteDC(dc);
    const std::vector<uint32_t> pixels = ReadBitmapPixels(target);
    const Rect& first = layout_.buttonRects[0];
    EXPECT_EQ(Hex(kOutline), Hex(pixels[static_cast<size_t>(first.top) * layout_.windowWidth + first.left]));
    DeleteObject(target);
}

TEST_F(PreviewRenderTest, PinnedLookWinsOverHoverAndUnpinnedPinIsWhite) {
    state_.pinned = true;
    state_.hoverButton = 0;
    ASSERT_NO_FATAL_FAILURE(Compose());
    EXPECT_EQ(Hex(kPinBlue), Hex(FillOf(0)));

    state_.pinned = false;
    state_.hoverButton = -1;
    ASSERT_NO_FATAL_FAILURE(Compose());
    EXPECT_EQ(Hex(kWhite), Hex(FillOf(0)));
    EXPECT_TRUE(AnyInButton(0, Dark));

    state_.hoverButton = 0;
    ASSERT_NO_FATAL_FAILURE(Compose());
    EXPECT_EQ(Hex(kHoverBlue), Hex(FillOf(0)));
}

TEST_F(PreviewRenderTest, WidePictureStartsAtTheShadowAndEndsUnderTheRow) {
    FreePreviewState(state_);
    state_.captureBitmap = state_.displayBitmap = CreatePatternBitmap(300, 20, Pattern);
    ASSERT_NE(nullptr, state_.captureBitmap);
    state_.imageWidth = state_.displayWidth = 300;
    state_.imageHeight = state_.displayHeight = 20;
    ASSERT_NO_FATAL_FAILURE(Compose());
    EXPECT_EQ((Rect{18, 46, 318, 66}), layout_.imageRect);
    EXPECT_EQ(Pattern(0, 0), Colour(18, 46));
    EXPECT_EQ(Pattern(299, 19), Colour(317, 65));
    EXPECT_EQ(98, Alpha(318, 50));
    EXPECT_EQ(Hex(kPinBlue), Hex(FillOf(0)));
    EXPECT_EQ(318 - 56, layout_.buttonRects[3].left);
}

// A picture that cannot be selected (another DC holds it) leaves its place empty and says so; the rest of the
// preview is drawn.
TEST_F(PreviewRenderTest, APictureThatCannotBeSelectedIsLoggedAndTheRestIsDrawn) {
    CapturedLog log;
    BitmapSelectionRefusal refuse(40, 30);
    ASSERT_TRUE(refuse.Active());
    ASSERT_NO_FATAL_FAILURE(Compose());
    EXPECT_EQ(1, refuse.Refusals());
    ASSERT_EQ(1u, log.Lines().size());
    EXPECT_NE(std::wstring::npos,
              log.Lines()[0].find(L" [ERROR] 绘制预览图片失败：图片位图无法选入 DC size=40x30\r\n"))
        << ToUtf8(log.Lines()[0]);
    EXPECT_NE(Pattern(0, 0), Colour(layout_.imageRect.left, layout_.imageRect.top));
    EXPECT_EQ(Hex(kPinBlue), Hex(FillOf(0)));
}

// Each failure of pushing the image to the window is logged as what it was, never with the error code an
// earlier call left behind.
TEST_F(PreviewRenderTest, AFailedUpdateSaysWhatFailedWithoutAStaleErrorCode) {
    layout_ = ComputePreviewLayout(state_);
    ASSERT_EQ(278, layout_.windowWidth);
    ASSERT_EQ(94, layout_.windowHeight);
    HWND layered = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 278, 94,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND plain = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 278, 94, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, layered);
    ASSERT_NE(nullptr, plain);
    // Handles as the log writes every %p.
    auto handle = [](HWND window) {
        wchar_t text[32] = {};
        _snwprintf_s(text, 32, _TRUNCATE, L"%p", static_cast<void*>(window));
        return std::wstring(text);
    };
    struct Case {
        const char* name;
        HWND window;
        int refusedAfter; // selections of the window-sized image let through first; -1: none refused
        std::wstring line;
    };
    const Case cases[] = {
        // The image cannot take the drawing: nothing is pushed.
        {"compose", layered, 0, L" [ERROR] 创建预览分层位图失败：位图无法选入 DC size=278x94\r\n"},
        // It was drawn, but cannot be handed over: UpdateLayeredWindow never runs.
        {"hand over", layered, 1,
         L" [ERROR] 更新预览窗口失败：分层位图无法选入 DC hwnd=" + handle(layered) + L"\r\n"},
        // UpdateLayeredWindow itself refuses a window that is not layered, and its own code is logged.
        {"update", plain, -1, L" [ERROR] UpdateLayeredWindow 失败 hwnd=" + handle(plain) + L" err=87\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CapturedLog log;
        std::optional<BitmapSelectionRefusal> refuse;
        if (c.refusedAfter >= 0) {
            refuse.emplace(278, 94, c.refusedAfter);
            ASSERT_TRUE(refuse->Active());
        }
        SetLastError(ERROR_ALREADY_EXISTS); // left by some earlier call
        RenderPreview(c.window, state_);
        if (refuse) {
            EXPECT_EQ(1, refuse->Refusals());
        }
        ASSERT_EQ(1u, log.Lines().size());
        EXPECT_NE(std::wstring::npos, log.Lines()[0].find(c.line)) << ToUtf8(log.Lines()[0]);
    }
    DestroyWindow(layered);
    DestroyWindow(plain);
}

TEST(PreviewRender, ButtonWidthFitsEveryTextInEveryLanguage) {
    ScopedLanguage restore;
    for (uint32_t language = 0; language < kLanguageCount; ++language) {
        SetUiLanguage(language);
        for (int32_t dpi : {96, 144}) {
            HFONT font = CreateInterfaceFont(dpi, 9);
            const int32_t width = MeasurePreviewButtonWidth(dpi, font);
            const PreviewMetrics metrics = PreviewMetricsForDpi(dpi);
            EXPECT_GE(width, metrics.minButtonWidth) << "language " << language << " dpi " << dpi;
            HDC screen = GetDC(nullptr);
            HGDIOBJ previous = SelectObject(screen, font);
            int32_t widest = 0;
            for (TextId id = 38; id <= 41; ++id) {
                SIZE extent = {};
                GetTextExtentPoint32W(screen, GetText(id), static_cast<int>(wcslen(GetText(id))), &extent);
                widest = std::max<int32_t>(widest, extent.cx);
            }
            SelectObject(screen, previous);
            ReleaseDC(nullptr, screen);
            DeleteObject(font);
            EXPECT_GT(widest, 0) << "language " << language;
            EXPECT_EQ(std::max(metrics.minButtonWidth, widest + metrics.textMargin), width)
                << "language " << language << " dpi " << dpi;
        }
    }
}

TEST(PreviewRender, FreeDeletesTheScaledCopyThePictureAndTheFont) {
    PreviewState state;
    state.captureBitmap = CreateBitmap(8, 8, 1, 32, nullptr);
    state.displayBitmap = CreateBitmap(4, 4, 1, 32, nullptr);
    state.font = CreateInterfaceFont(96, 9);
    const HBITMAP capture = state.captureBitmap;
    const HBITMAP display = state.displayBitmap;
    const HFONT font = state.font;
    FreePreviewState(state);
    EXPECT_EQ(nullptr, state.captureBitmap);
    EXPECT_EQ(nullptr, state.displayBitmap);
    EXPECT_EQ(nullptr, state.font);
    EXPECT_FALSE(IsBitmap(capture));
    EXPECT_FALSE(IsBitmap(display));
    EXPECT_EQ(0u, GetObjectType(font));

    // Shown unscaled: one bitmap under both names, deleted once; a second call finds nothing left.
    state.captureBitmap = state.displayBitmap = CreateBitmap(8, 8, 1, 32, nullptr);
    const HBITMAP shared = state.captureBitmap;
    FreePreviewState(state);
    EXPECT_EQ(nullptr, state.captureBitmap);
    EXPECT_EQ(nullptr, state.displayBitmap);
    EXPECT_FALSE(IsBitmap(shared));
    FreePreviewState(state);
}

TEST(ShowPreview, OpensAPinnedLayeredWindowOverTheCapturedArea) {
    CapturedLog log;
    const size_t openBefore = previewWindows.size();
    HBITMAP picture = CreatePatternBitmap(200, 100, Pattern);
    ASSERT_NE(nullptr, picture);
    CapturedImage image{picture, 200, 100, 500, 300};
    ASSERT_TRUE(ShowPreview(image));
    EXPECT_EQ(nullptr, image.bitmap);
    ASSERT_EQ(openBefore + 1, previewWindows.size());
    HWND window = previewWindows.back();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(L"KorvelPreview", ClassOf(window));
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    const LONG_PTR wanted = WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TOOLWINDOW;
    EXPECT_EQ(wanted, exStyle & wanted);
    EXPECT_NE(0, GetWindowLongPtrW(window, GWL_STYLE) & WS_POPUP);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(window, GetFocus());

    const MonitorFacts monitor = MonitorAt(500, 300);
    const PreviewLayout layout = ComputePreviewLayout(ExpectedState(200, 100, monitor));
    const Point place = PlacePreviewWindow(layout, 500, 300, monitor.workArea);
    RECT r = {};
    GetWindowRect(window, &r);
    EXPECT_EQ(place.x, r.left);
    EXPECT_EQ(place.y, r.top);
    EXPECT_EQ(layout.windowWidth, r.right - r.left);
    EXPECT_EQ(layout.windowHeight, r.bottom - r.top);
    // At 96 DPI the picture lies exactly over the area it was taken from.
    if (monitor.dpi == 96) {
        EXPECT_EQ(500, r.left + layout.imageRect.left);
        EXPECT_EQ(300, r.top + layout.imageRect.top);
    }

    const PreviewState* state = StateOf(window);
    ASSERT_NE(nullptr, state);
    EXPECT_EQ(picture, state->captureBitmap);
    EXPECT_EQ(picture, state->displayBitmap);
    EXPECT_TRUE(state->pinned);
    EXPECT_EQ(-1, state->hoverButton);
    EXPECT_NE(nullptr, state->font);

    EXPECT_TRUE(log.Contains(L"预览已显示 hwnd="));
    const std::wstring facts = L" pos=(" + std::to_wstring(place.x) + L"," + std::to_wstring(place.y) +
                               L") image=200x100 window=" + std::to_wstring(layout.windowWidth) + L"x" +
                               std::to_wstring(layout.windowHeight) + L" pinned=1";
    EXPECT_TRUE(log.Contains(facts)) << ToUtf8(facts);

    // The window frees its picture when it goes, and leaves the list.
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(Listed(window));
    EXPECT_FALSE(IsBitmap(picture));
}

TEST(ShowPreview, LargeCaptureIsShownScaledAndKeptAtFullSize) {
    const MonitorFacts monitor = MonitorAt(0, 0);
    HBITMAP picture = CreatePatternBitmap(3000, 2000, [](int x, int y) { return Halves(x, y, 3000); });
    ASSERT_NE(nullptr, picture);
    CapturedImage image{picture, 3000, 2000, 0, 0};
    ASSERT_TRUE(ShowPreview(image));
    EXPECT_EQ(nullptr, image.bitmap);
    HWND window = previewWindows.back();
    PreviewState* state = StateOf(window);
    ASSERT_NE(nullptr, state);

    const PreviewState expected = ExpectedState(3000, 2000, monitor);
    EXPECT_EQ(picture, state->captureBitmap);
    EXPECT_EQ(3000, state->imageWidth);
    EXPECT_EQ(2000, state->imageHeight);
    EXPECT_EQ(expected.displayWidth, state->displayWidth);
    EXPECT_EQ(expected.displayHeight, state->displayHeight);
    EXPECT_LT(state->displayWidth, 3000);
    ASSERT_NE(state->captureBitmap, state->displayBitmap);

    int width = 0;
    int height = 0;
    const std::vector<uint32_t> shown = ReadBitmapPixels(state->displayBitmap, &width, &height);
    ASSERT_EQ(expected.displayWidth, width);
    ASSERT_EQ(expected.displayHeight, height);
    EXPECT_EQ(Hex(kLeftColour), Hex(shown[static_cast<size_t>(height / 2) * width + width / 4]));
    EXPECT_EQ(Hex(kRightColour), Hex(shown[static_cast<size_t>(height / 2) * width + 3 * width / 4]));
    int fullWidth = 0;
    int fullHeight = 0;
    EXPECT_EQ(3000u * 2000u, ReadBitmapPixels(state->captureBitmap, &fullWidth, &fullHeight).size());

    const PreviewLayout layout = ComputePreviewLayout(expected);
    RECT r = {};
    GetWindowRect(window, &r);
    EXPECT_EQ(layout.windowWidth, r.right - r.left);
    EXPECT_EQ(layout.windowHeight, r.bottom - r.top);
    // Too large to sit over the capture: pulled into the work area.
    EXPECT_EQ(monitor.workArea.left, r.left);
    EXPECT_EQ(monitor.workArea.top, r.top);

    const HBITMAP scaled = state->displayBitmap;
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(IsBitmap(picture));
    EXPECT_FALSE(IsBitmap(scaled));
}

TEST(ShowPreview, InvalidImageIsRefusedAndLeftWithTheCaller) {
    struct Case {
        const char* name;
        bool withBitmap;
        int32_t width;
        int32_t height;
    };
    const Case cases[] = {
        {"no bitmap", false, 10, 10},
        {"zero width", true, 0, 10},
        {"negative height", true, 10, -1},
    };
    for (const Case& c : cases) {
        CapturedLog log;
        const size_t openBefore = previewWindows.size();
        HBITMAP picture = c.withBitmap ? CreateBitmap(10, 10, 1, 32, nullptr) : nullptr;
        CapturedImage image{picture, c.width, c.height, 0, 0};
        EXPECT_FALSE(ShowPreview(image)) << c.name;
        EXPECT_EQ(picture, image.bitmap) << c.name;
        EXPECT_EQ(1, log.Count(L"预览失败：位图无效")) << c.name;
        EXPECT_EQ(openBefore, previewWindows.size()) << c.name;
        if (picture != nullptr) {
            EXPECT_TRUE(IsBitmap(picture)) << c.name;
            DeleteObject(picture);
        }
    }
}

TEST(ShowPreview, TwoCapturesGiveTwoListedPreviewsTheNewerFocused) {
    CapturedImage first{CreatePatternBitmap(50, 40, Pattern), 50, 40, 100, 100};
    CapturedImage second{CreatePatternBitmap(60, 30, Pattern), 60, 30, 400, 200};
    ASSERT_TRUE(ShowPreview(first));
    ASSERT_TRUE(ShowPreview(second));
    ASSERT_GE(previewWindows.size(), 2u);
    HWND older = previewWindows[previewWindows.size() - 2];
    HWND newer = previewWindows.back();
    EXPECT_NE(older, newer);
    EXPECT_EQ(newer, GetFocus());
    EXPECT_NE(StateOf(older), StateOf(newer));
    DestroyWindow(newer);
    EXPECT_TRUE(Listed(older));
    DestroyWindow(older);
    EXPECT_FALSE(Listed(older));
}
