// Real preview windows driven by the messages a person's mouse and keyboard would send: pin, hover, drag,
// the ways to close, the language refresh, closing all at quit, and what destruction frees.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "capture/captured_image.h"
#include "preview/preview.h"
#include "preview/preview_export.h"
#include "preview/preview_layout.h"
#include "preview/preview_render.h"
#include "preview/preview_state.h"
#include "preview/preview_window.h"
#include "support/bitmap_pixels.h"
#include "support/pattern.h"
#include "support/preview_probe.h"
#include "support/test_support.h"
#include "text/font.h"
#include "text/texts.h"

namespace {

HWND OpenPreview(int width, int height, int originX = 500, int originY = 300) {
    return OpenPatternPreview(width, height, originX, originY);
}

LPARAM PointParam(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<int16_t>(x)), static_cast<WORD>(static_cast<int16_t>(y)));
}

Point Centre(const Rect& r) {
    return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

Point ButtonCentre(HWND window, PreviewButton button) {
    return Centre(ComputePreviewLayout(*PreviewStateOf(window)).buttonRects[static_cast<size_t>(button)]);
}

void Press(HWND window, Point at) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(at.x, at.y));
}

void Release(HWND window, Point at) {
    SendMessageW(window, WM_LBUTTONUP, 0, PointParam(at.x, at.y));
}

void Click(HWND window, PreviewButton button) {
    const Point at = ButtonCentre(window, button);
    Press(window, at);
    Release(window, at);
}

void MoveTo(HWND window, Point at) {
    SendMessageW(window, WM_MOUSEMOVE, 0, PointParam(at.x, at.y));
}

bool IsTopmost(HWND window) {
    return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

RECT WindowRect(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

uint32_t ScreenColour(POINT at) {
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) |
           GetBValue(c);
}

// The screen's colour at a point, once it equals `expected` or after a second.
uint32_t ScreenColourSoon(POINT at, uint32_t expected) {
    uint32_t colour = ScreenColour(at);
    for (int i = 0; i < 50 && colour != expected; ++i) {
        Sleep(20);
        colour = ScreenColour(at);
    }
    return colour;
}

// A pixel of a button's fill on the screen, clear of its outline and its text.
POINT ButtonFillOnScreen(HWND window, PreviewButton button) {
    const Rect r = ComputePreviewLayout(*PreviewStateOf(window)).buttonRects[static_cast<size_t>(button)];
    const RECT w = WindowRect(window);
    return POINT{w.left + r.left + 3, w.top + r.top + 3};
}

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kHoverFill = 0xE8F0FF;
constexpr uint32_t kPinnedFill = 0x2D7DFF;

bool CancelDialog(OPENFILENAMEW&) {
    return false;
}
void IgnoreMessageBox(HWND, const wchar_t*, const wchar_t*, UINT) {}

// Drops what earlier steps left in the queue (the system's own mouse messages after SetCursorPos).
void DrainMessages() {
    MSG message = {};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Wine puts a window on the X screen only while the thread dispatches messages; this pumps until the
// preview's pinned Pin button shows. Afterwards each new image reaches the screen without pumping, which the
// hover checks rely on (pumping would also deliver the system's own WM_MOUSELEAVE).
bool WaitUntilShown(HWND window) {
    const POINT pin = ButtonFillOnScreen(window, PreviewButton::Pin);
    for (int i = 0; i < 100; ++i) {
        DrainMessages();
        if (ScreenColour(pin) == kPinnedFill) {
            return true;
        }
        Sleep(20);
    }
    return false;
}

class PreviewWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        language_ = GetUiLanguage();
        SetUiLanguage(static_cast<uint32_t>(UiLanguage::English));
        SetPreviewSaveDialogHookForTesting(CancelDialog);
        SetPreviewMessageBoxHookForTesting(IgnoreMessageBox);
        // The pointer away from where the previews open, so that the system's own mouse messages do not
        // interfere.
        SetCursorPos(5, 5);
        DrainMessages();
        ASSERT_TRUE(previewWindows.empty());
    }
    void TearDown() override {
        if (GetCapture() != nullptr) {
            ReleaseCapture();
        }
        CloseAllPreviews();
        previewWindows.clear();
        DrainMessages();
        SetPreviewSaveDialogHookForTesting(nullptr);
        SetPreviewMessageBoxHookForTesting(nullptr);
        SetUiLanguage(static_cast<uint32_t>(language_));
    }

    CapturedLog log_;
    UiLanguage language_ = UiLanguage::SimplifiedChinese;
};

TEST_F(PreviewWindowTest, PinTogglesTheTopmostBand) {
    HWND window = OpenPreview(200, 100);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(PreviewStateOf(window)->pinned);
    EXPECT_TRUE(IsTopmost(window));
    ASSERT_TRUE(WaitUntilShown(window));

    Click(window, PreviewButton::Pin);
    EXPECT_EQ(log_.Count(L"预览钉住=0 hwnd=" + HandleText(window)), 1);
    EXPECT_FALSE(PreviewStateOf(window)->pinned);
    EXPECT_FALSE(IsTopmost(window));
    // The Pin button is drawn unpinned again.
    EXPECT_EQ(ScreenColourSoon(ButtonFillOnScreen(window, PreviewButton::Pin), kWhite), kWhite);

    Click(window, PreviewButton::Pin);
    EXPECT_EQ(log_.Count(L"预览钉住=1 hwnd=" + HandleText(window)), 1);
    EXPECT_TRUE(PreviewStateOf(window)->pinned);
    EXPECT_TRUE(IsTopmost(window));
    EXPECT_EQ(ScreenColourSoon(ButtonFillOnScreen(window, PreviewButton::Pin), kPinnedFill), kPinnedFill);
    EXPECT_FALSE(PreviewStateOf(window)->dragging);
}

TEST_F(PreviewWindowTest, HoverLightsTheButtonUnderThePointerUntilItLeaves) {
    HWND window = OpenPreview(200, 100);
    ASSERT_NE(window, nullptr);
    const PreviewLayout layout = ComputePreviewLayout(*PreviewStateOf(window));
    const POINT saveFill = ButtonFillOnScreen(window, PreviewButton::Save);
    ASSERT_TRUE(WaitUntilShown(window));

    MoveTo(window, Centre(layout.imageRect));
    EXPECT_EQ(PreviewStateOf(window)->hoverButton, -1);
    EXPECT_EQ(ScreenColourSoon(saveFill, kWhite), kWhite);

    MoveTo(window, ButtonCentre(window, PreviewButton::Save));
    EXPECT_EQ(PreviewStateOf(window)->hoverButton, static_cast<int32_t>(PreviewButton::Save));
    EXPECT_EQ(ScreenColourSoon(saveFill, kHoverFill), kHoverFill);

    // The pinned look wins over the hover look on the Pin button.
    MoveTo(window, ButtonCentre(window, PreviewButton::Pin));
    EXPECT_EQ(PreviewStateOf(window)->hoverButton, static_cast<int32_t>(PreviewButton::Pin));
    EXPECT_EQ(ScreenColourSoon(saveFill, kWhite), kWhite);
    EXPECT_EQ(ScreenColourSoon(ButtonFillOnScreen(window, PreviewButton::Pin), kPinnedFill), kPinnedFill);

    MoveTo(window, ButtonCentre(window, PreviewButton::Save));
    SendMessageW(window, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(PreviewStateOf(window)->hoverButton, -1);
    EXPECT_EQ(ScreenColourSoon(saveFill, kWhite), kWhite);
}

// Where a drag starts: on the picture, or on the shadow to its left.
enum class DragStart { Picture, Shadow };

class PreviewDragTest : public PreviewWindowTest, public ::testing::WithParamInterface<DragStart> {
  protected:
    // The point of the preview's client area where this case's drag starts.
    Point DragStartPoint(const PreviewState& state) const {
        const PreviewLayout layout = ComputePreviewLayout(state);
        Point start = Centre(layout.imageRect);
        if (GetParam() == DragStart::Shadow) {
            start.x = layout.imageRect.left - state.shadowSize / 2;
        }
        return start;
    }
};

TEST_P(PreviewDragTest, WindowFollowsThePointerExactly) {
    HWND window = OpenPreview(200, 100);
    ASSERT_NE(window, nullptr);
    const PreviewState& state = *PreviewStateOf(window);
    const Point start = DragStartPoint(state);
    ASSERT_EQ(HitTestPreviewButton(ComputePreviewLayout(state), start), -1);
    const RECT before = WindowRect(window);
    const POINT startOnScreen = {before.left + start.x, before.top + start.y};
    ASSERT_TRUE(PlacePointer(startOnScreen.x, startOnScreen.y));

    Press(window, start);
    EXPECT_TRUE(state.dragging);
    EXPECT_EQ(GetCapture(), window);

    const int dx = 37;
    const int dy = -23;
    ASSERT_TRUE(PlacePointer(startOnScreen.x + dx, startOnScreen.y + dy));
    // Client coordinates of the window that has not moved yet.
    MoveTo(window, Point{start.x + dx, start.y + dy});
    const RECT moved = WindowRect(window);
    EXPECT_EQ(moved.left, before.left + dx);
    EXPECT_EQ(moved.top, before.top + dy);
    EXPECT_EQ(moved.right - moved.left, before.right - before.left);
    EXPECT_EQ(moved.bottom - moved.top, before.bottom - before.top);

    Release(window, Point{start.x, start.y});
    EXPECT_FALSE(state.dragging);
    EXPECT_EQ(GetCapture(), nullptr);

    // Without the button held, moving no longer drags.
    ASSERT_TRUE(PlacePointer(startOnScreen.x + 2 * dx, startOnScreen.y));
    MoveTo(window, start);
    const RECT after = WindowRect(window);
    EXPECT_EQ(after.left, moved.left);
    EXPECT_EQ(after.top, moved.top);
}

TEST_P(PreviewDragTest, AReleaseBeforeTheLastMoveIsHandledStillPutsTheWindowWhereTheButtonCameUp) {
    HWND window = OpenPreview(200, 100);
    ASSERT_NE(window, nullptr);
    const PreviewState& state = *PreviewStateOf(window);
    const Point start = DragStartPoint(state);
    const RECT before = WindowRect(window);
    ASSERT_TRUE(PlacePointer(before.left + start.x, before.top + start.y));
    Press(window, start);
    ASSERT_TRUE(state.dragging);
    // The pointer moves, but the button comes up before that move reaches the window.
    ASSERT_TRUE(PlacePointer(before.left + start.x - 41, before.top + start.y + 29));
    Release(window, start);
    EXPECT_FALSE(state.dragging);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(WindowRect(window).left, before.left - 41);
    EXPECT_EQ(WindowRect(window).top, before.top + 29);
}

INSTANTIATE_TEST_SUITE_P(PreviewWindowDrag, PreviewDragTest,
                         ::testing::Values(DragStart::Picture, DragStart::Shadow));

TEST_F(PreviewWindowTest, PressOnAButtonNeverStartsADrag) {
    HWND window = OpenPreview(200, 100);
    ASSERT_NE(window, nullptr);
    for (PreviewButton button : {PreviewButton::Pin, PreviewButton::Save, PreviewButton::Copy}) {
        const RECT before = WindowRect(window);
        const Point at = ButtonCentre(window, button);
        PlacePointer(before.left + at.x, before.top + at.y);
        Press(window, at);
        EXPECT_FALSE(PreviewStateOf(window)->dragging) << static_cast<int>(button);
        EXPECT_NE(GetCapture(), window) << static_cast<int>(button);
        PlacePointer(before.left + at.x + 30, before.top + at.y + 30);
        MoveTo(window, Point{at.x + 30, at.y + 30});
        const RECT after = WindowRect(window);
        EXPECT_EQ(after.left, before.left) << static_cast<int>(button);
        EXPECT_EQ(after.top, before.top) << static_cast<int>(button);
        Release(window, at);
    }
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(PreviewWindowTest, EscClosesOnlyThatPreview) {
    HWND first = OpenPreview(200, 100);
    HWND second = OpenPreview(120, 80, 900, 500);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);

    SendMessageW(second, WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(IsWindow(second));

    SendMessageW(first, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(IsWindow(second));
    EXPECT_EQ(previewWindows, std::vector<HWND>{second});
    EXPECT_EQ(log_.Count(L"Esc 关闭预览 hwnd=" + HandleText(first)), 1);
    EXPECT_EQ(log_.Count(L"Esc 关闭预览"), 1);
}

TEST_F(PreviewWindowTest, WmCloseClosesWithoutALogLine) {
    HWND window = OpenPreview(200, 100);
    ASSERT_NE(window, nullptr);
    const std::wstring handle = HandleText(window);
    log_.Clear();
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(previewWindows.empty());
    EXPECT_EQ(log_.Count(handle), 0);
}

TEST_F(PreviewWindowTest, CloseButtonLogsAndCloses) {
    HWND window = OpenPreview(200, 100);
    ASSERT_NE(window, nullptr);
    const std::wstring handle = HandleText(window);
    Press(window, ButtonCentre(window, PreviewButton::Close));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(previewWindows.empty());
    EXPECT_EQ(log_.Count(L"点击关闭预览 hwnd=" + handle), 1);
}

TEST_F(PreviewWindowTest, DestructionRemovesEveryEntryOfTheWindowKeepingTheOrder) {
    HWND a = OpenPreview(100, 60, 100, 100);
    HWND b = OpenPreview(100, 60, 400, 100);
    HWND c = OpenPreview(100, 60, 700, 100);
    ASSERT_TRUE(a != nullptr && b != nullptr && c != nullptr);
    previewWindows = {a, b, a, c, a};
    DestroyWindow(a);
    EXPECT_EQ(previewWindows, (std::vector<HWND>{b, c}));
}

TEST_F(PreviewWindowTest, LanguageChangeGivesEachPreviewANewFontAndWidth) {
    HWND first = OpenPreview(200, 100);
    HWND second = OpenPreview(60, 40, 900, 500);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const HFONT oldFonts[] = {PreviewStateOf(first)->font, PreviewStateOf(second)->font};
    const RECT oldRects[] = {WindowRect(first), WindowRect(second)};

    SetUiLanguage(static_cast<uint32_t>(UiLanguage::Japanese));
    RelayoutPreviewsForLanguage();
    EXPECT_EQ(log_.Count(L"预览按钮已按语言更新 count=2"), 1);

    const HWND windows[] = {first, second};
    for (int i = 0; i < 2; ++i) {
        const PreviewState& state = *PreviewStateOf(windows[i]);
        ASSERT_NE(state.font, nullptr);
        EXPECT_EQ(GetObjectType(oldFonts[i]), 0u) << "the old font is deleted";
        LOGFONTW face = {};
        ASSERT_EQ(GetObjectW(state.font, sizeof face, &face), static_cast<int>(sizeof face));
        EXPECT_EQ(std::wstring(face.lfFaceName), InterfaceFontFace(UiLanguage::Japanese));
        EXPECT_EQ(state.buttonWidth, MeasurePreviewButtonWidth(state.dpi, state.font));
        // The window takes the new layout's size and keeps its top-left corner.
        const PreviewLayout layout = ComputePreviewLayout(state);
        const RECT now = WindowRect(windows[i]);
        EXPECT_EQ(now.left, oldRects[i].left);
        EXPECT_EQ(now.top, oldRects[i].top);
        EXPECT_EQ(now.right - now.left, layout.windowWidth);
        EXPECT_EQ(now.bottom - now.top, layout.windowHeight);
    }
}

TEST_F(PreviewWindowTest, LanguageChangeWithoutPreviewsLogsZero) {
    RelayoutPreviewsForLanguage();
    EXPECT_EQ(log_.Count(L"预览按钮已按语言更新 count=0"), 1);
}

TEST_F(PreviewWindowTest, CloseAllDestroysEveryPreviewAndFreesItsObjects) {
    // The large one is shown scaled, so it holds a separate display copy.
    const HWND windows[] = {OpenPreview(200, 100), OpenPreview(3000, 2000, 0, 0), OpenPreview(1, 1, 50, 50)};
    std::vector<HGDIOBJ> owned;
    for (HWND window : windows) {
        ASSERT_NE(window, nullptr);
        const PreviewState& state = *PreviewStateOf(window);
        owned.push_back(state.captureBitmap);
        owned.push_back(state.font);
        if (state.displayBitmap != state.captureBitmap) {
            owned.push_back(state.displayBitmap);
        }
    }
    ASSERT_EQ(owned.size(), 7u) << "only the large picture is scaled";
    for (HGDIOBJ object : owned) {
        ASSERT_NE(GetObjectType(object), 0u);
    }
    log_.Clear();

    CloseAllPreviews();
    for (HWND window : windows) {
        EXPECT_FALSE(IsWindow(window));
    }
    EXPECT_TRUE(previewWindows.empty());
    for (HGDIOBJ object : owned) {
        EXPECT_EQ(GetObjectType(object), 0u);
    }
    EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(PreviewWindowTest, CloseAllSkipsHandlesOfWindowsThatAreGone) {
    HWND kept = OpenPreview(200, 100);
    ASSERT_NE(kept, nullptr);
    HWND gone =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    previewWindows.insert(previewWindows.begin(), gone);

    RelayoutPreviewsForLanguage();
    EXPECT_EQ(log_.Count(L"预览按钮已按语言更新 count=2"), 1);
    CloseAllPreviews();
    EXPECT_FALSE(IsWindow(kept));
    EXPECT_EQ(previewWindows, std::vector<HWND>{gone});
}

TEST_F(PreviewWindowTest, WindowWithoutStateIgnoresTheMouse) {
    // A preview first, so that the class is registered.
    HWND preview = OpenPreview(200, 100);
    ASSERT_NE(preview, nullptr);
    HWND bare = CreateWindowExW(0, L"KorvelPreview", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(PreviewStateOf(bare), nullptr);
    Press(bare, Point{5, 5});
    MoveTo(bare, Point{6, 6});
    Release(bare, Point{6, 6});
    SendMessageW(bare, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(bare);
    EXPECT_EQ(previewWindows, std::vector<HWND>{preview});
}

} // namespace
