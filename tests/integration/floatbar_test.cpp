// The real floating toolbar in this process: where and how it is created, what its buttons send, how it hides
// for captures and follows the setting, its drag, its re-layout, its drawing, and its destruction from inside
// its own click.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "config/config.h"
#include "floatbar/floatbar.h"
#include "floatbar/floatbar_state.h"
#include "support/bitmap_pixels.h"
#include "support/floatbar_probe.h"
#include "support/rect_print.h"
#include "support/test_support.h"
#include "text/texts.h"

namespace {

std::vector<int32_t> sentCommands;
void RecordCommand(int32_t command) {
    sentCommands.push_back(command);
}

LPARAM PointParam(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<int16_t>(x)), static_cast<WORD>(static_cast<int16_t>(y)));
}

Point Centre(const Rect& r) {
    return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

RECT WindowRect(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

void DrainMessages() {
    MSG message = {};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

class FloatBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        savedConfig_ = GetConfig();
        savedLanguage_ = GetUiLanguage();
        GetConfig().toolbar = false;
        SetUiLanguage(static_cast<uint32_t>(UiLanguage::SimplifiedChinese));
        sentCommands.clear();
        SetCursorPos(900, 700); // away from where the bar opens
        DrainMessages();
        ASSERT_EQ(floatBarWindow, nullptr);
        log_.Clear();
    }
    void TearDown() override {
        DestroyFloatBar();
        DrainMessages();
        EXPECT_EQ(floatBar, nullptr) << "the state outlived its window";
        GetConfig() = savedConfig_;
        SetUiLanguage(static_cast<uint32_t>(savedLanguage_));
    }

    void Create() {
        ASSERT_TRUE(CreateFloatBar(RecordCommand));
        ASSERT_NE(floatBarWindow, nullptr);
        ASSERT_NE(floatBar, nullptr);
    }

    void Press(Point at) { SendMessageW(floatBarWindow, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(at.x, at.y)); }

    // Shows the bar and presses on its caption, 5 pixels in and 20 down, with the pointer there; `start` is
    // the bar's rectangle before the drag.
    void StartCaptionDrag(RECT& start) {
        GetConfig().toolbar = true;
        ASSERT_NO_FATAL_FAILURE(Create());
        start = WindowRect(floatBarWindow);
        ASSERT_TRUE(PlacePointer(start.left + floatBar->captionRect.left + 5, start.top + 20));
        Press(Point{floatBar->captionRect.left + 5, 20});
        ASSERT_TRUE(floatBar->dragging);
    }

    AppConfig savedConfig_;
    UiLanguage savedLanguage_ = UiLanguage::SimplifiedChinese;
    CapturedLog log_;
};

TEST_F(FloatBarTest, IsCreatedHiddenAtTheWorkAreaOffsetAsATranslucentRoundedTopmostToolWindow) {
    ASSERT_NO_FATAL_FAILURE(Create());
    HWND bar = floatBarWindow;
    EXPECT_FALSE(IsWindowVisible(bar));

    RECT workArea = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    const FloatBarGeometry expected = ExpectedFloatBarGeometry(96);
    const RECT r = WindowRect(bar);
    EXPECT_EQ(r.left, workArea.left + 80);
    EXPECT_EQ(r.top, workArea.top + 24);
    EXPECT_EQ(r.right - r.left, expected.width);
    EXPECT_EQ(r.bottom - r.top, 40);
    EXPECT_EQ(floatBar->captionRect, expected.captionRect);
    EXPECT_EQ(floatBar->separatorX, expected.separatorX);
    EXPECT_EQ(floatBar->dpi, 96);

    wchar_t title[64] = {};
    GetWindowTextW(bar, title, 64);
    EXPECT_STREQ(title, L"KOR-VEL截图工具");
    wchar_t className[64] = {};
    GetClassNameW(bar, className, 64);
    EXPECT_STREQ(className, L"KorvelFloatBar");
    const LONG_PTR exStyle = GetWindowLongPtrW(bar, GWL_EXSTYLE);
    EXPECT_EQ(exStyle & (WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
              WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetWindowLongPtrW(bar, GWL_STYLE) & WS_POPUP, WS_POPUP);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(bar, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 204);
    EXPECT_EQ(flags & LWA_ALPHA, static_cast<DWORD>(LWA_ALPHA));

    // Rounded: the corner pixel is cut off, the middle and the middle of each edge are not.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetWindowRgn(bar, region), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_FALSE(PtInRegion(region, expected.width - 1, 39));
    EXPECT_TRUE(PtInRegion(region, expected.width / 2, 0));
    EXPECT_TRUE(PtInRegion(region, 0, 20));
    EXPECT_TRUE(PtInRegion(region, expected.width / 2, 20));
    DeleteObject(region);

    // The handle is written as the log writes every %p, by the C runtime's own formatting.
    wchar_t handle[32] = {};
    _snwprintf_s(handle, 32, _TRUNCATE, L"%p", static_cast<void*>(bar));
    EXPECT_TRUE(log_.Contains(L"[INFO] 悬浮工具栏透明度 alpha=204"));
    EXPECT_EQ(log_.Count(std::wstring(L"[INFO] 悬浮工具栏已创建但默认隐藏 hwnd=") + handle), 1);
    EXPECT_EQ(log_.Count(L"悬浮工具栏已显示"), 0);
}

TEST_F(FloatBarTest, IsShownAtCreationWhenTheSettingIsOn) {
    GetConfig().toolbar = true;
    ASSERT_NO_FATAL_FAILURE(Create());
    EXPECT_TRUE(IsWindowVisible(floatBarWindow));
    EXPECT_TRUE(floatBarWanted);
    EXPECT_EQ(log_.Count(L"[INFO] 悬浮工具栏已显示 hwnd="), 1);
    EXPECT_EQ(GetForegroundWindow() == floatBarWindow, false) << "showing the bar must not activate it";
}

TEST_F(FloatBarTest, EachButtonSendsItsCommandOnThePressAndLogsItsLabel) {
    SetUiLanguage(static_cast<uint32_t>(UiLanguage::English));
    ASSERT_NO_FATAL_FAILURE(Create());
    struct ButtonCase {
        int index;
        int32_t command;
        const wchar_t* line;
    };
    const std::vector<ButtonCase> cases = {{0, 1, L"[INFO] 悬浮工具栏点击 Capture"},
                                           {1, 3, L"[INFO] 悬浮工具栏点击 Window"},
                                           {2, 2, L"[INFO] 悬浮工具栏点击 Screen"},
                                           {3, 4, L"[INFO] 悬浮工具栏点击 Settings"},
                                           {4, 5, L"[INFO] 悬浮工具栏点击 Quit"}};
    for (const ButtonCase& c : cases) {
        sentCommands.clear();
        log_.Clear();
        Press(Centre(floatBar->buttonRects[c.index]));
        EXPECT_EQ(sentCommands, std::vector<int32_t>{c.command}) << c.index;
        EXPECT_TRUE(log_.Contains(c.line)) << c.index;
        EXPECT_FALSE(floatBar->dragging) << "a button press is not a drag";
    }
    // The caption and the background start a drag instead, and send nothing.
    sentCommands.clear();
    Press(Centre(floatBar->captionRect));
    EXPECT_TRUE(sentCommands.empty());
    EXPECT_TRUE(floatBar->dragging);
    EXPECT_EQ(GetCapture(), floatBarWindow);
    SendMessageW(floatBarWindow, WM_LBUTTONUP, 0, 0);
    EXPECT_FALSE(floatBar->dragging);
    EXPECT_NE(GetCapture(), floatBarWindow);
    EXPECT_EQ(log_.Count(L"[INFO] 悬浮工具栏位置 pos=("), 1);
}

TEST_F(FloatBarTest, APressDoesNotTakeTheActivation) {
    ASSERT_NO_FATAL_FAILURE(Create());
    EXPECT_EQ(SendMessageW(floatBarWindow, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(floatBarWindow),
                           MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
}

TEST_F(FloatBarTest, QuitFromTheBarDestroysItInsideItsOwnClickAndNothingTouchesTheFreedState) {
    ASSERT_NO_FATAL_FAILURE(Create());
    HWND bar = floatBarWindow;
    const Point quit = Centre(floatBar->buttonRects[4]);
    static FloatBarState* freedState;
    static std::vector<unsigned char*> reuse;
    freedState = floatBar;
    reuse.clear();
    // Quit destroys the bar and then, as the rest of the quit sequence would, allocates memory: blocks of the
    // record's size are handed out again, and filled with a pattern that any later write to the freed record
    // would disturb.
    floatBarCommandHandler = [](int32_t) {
        DestroyFloatBar();
        for (int i = 0; i < 8; ++i) {
            auto* block = new unsigned char[sizeof(FloatBarState)];
            std::memset(block, 0xA5, sizeof(FloatBarState));
            reuse.push_back(block);
        }
    };
    Press(quit);
    EXPECT_FALSE(IsWindow(bar));
    EXPECT_EQ(floatBar, nullptr);
    EXPECT_EQ(floatBarWindow, nullptr);
    bool reused = false;
    for (unsigned char* block : reuse) {
        if (block == reinterpret_cast<unsigned char*>(freedState)) {
            reused = true;
            for (size_t i = 0; i < sizeof(FloatBarState); ++i) {
                ASSERT_EQ(block[i], 0xA5) << "byte " << i << " of the freed state was written after Quit";
            }
        }
        delete[] block;
    }
    EXPECT_TRUE(reused) << "the heap did not hand the freed record out again, so the check above saw nothing";
    EXPECT_TRUE(log_.Contains(L"[INFO] 悬浮工具栏点击 退出"));
}

TEST_F(FloatBarTest, HidesForACaptureAndComesBackOnlyWhenWanted) {
    ASSERT_NO_FATAL_FAILURE(Create());
    HWND bar = floatBarWindow;

    // Hidden by default: a capture neither hides nor shows it.
    HideFloatBarForCapture();
    ReshowFloatBarAfterCapture();
    EXPECT_FALSE(IsWindowVisible(bar));
    EXPECT_FALSE(log_.Contains(L"悬浮工具栏已隐藏"));
    EXPECT_FALSE(log_.Contains(L"悬浮工具栏已重新显示"));

    SetFloatBarVisible(true);
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_TRUE(log_.Contains(L"[INFO] 悬浮工具栏已按勾选显示"));
    const RECT shownAt = WindowRect(bar);

    floatBar->hoverButton = 2;
    HideFloatBarForCapture();
    EXPECT_FALSE(IsWindowVisible(bar));
    EXPECT_TRUE(floatBarWanted) << "hiding for a capture does not change what is wanted";
    EXPECT_EQ(floatBar->hoverButton, -1) << "it comes back with no button lit";
    EXPECT_EQ(log_.Count(L"[INFO] 悬浮工具栏已隐藏"), 1);
    ReshowFloatBarAfterCapture();
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_NE(GetWindowLongPtrW(bar, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(WindowRect(bar).left, shownAt.left);
    EXPECT_EQ(WindowRect(bar).top, shownAt.top);
    EXPECT_EQ(log_.Count(L"[INFO] 悬浮工具栏已重新显示"), 1);

    SetFloatBarVisible(false);
    EXPECT_FALSE(IsWindowVisible(bar));
    EXPECT_TRUE(log_.Contains(L"[INFO] 悬浮工具栏已按取消勾选隐藏"));
    HideFloatBarForCapture();
    ReshowFloatBarAfterCapture();
    EXPECT_FALSE(IsWindowVisible(bar)) << "toggled off, a capture must not bring it back";
}

TEST_F(FloatBarTest, WithoutABarTheCallsDoNothingButTheToggleIsRemembered) {
    HideFloatBarForCapture();
    ReshowFloatBarAfterCapture();
    RelayoutFloatBar();
    DestroyFloatBar();
    SetFloatBarVisible(true);
    EXPECT_TRUE(floatBarWanted);
    ASSERT_EQ(log_.Lines().size(), 1u);
    EXPECT_NE(log_.Lines()[0].find(L"[ERROR] 切换工具栏失败：窗口不存在 enabled=1"), std::wstring::npos);
    SetFloatBarVisible(false);
}

TEST_F(FloatBarTest, ALanguageChangeRelaysTheBarOutAndKeepsItsTopLeft) {
    ASSERT_NO_FATAL_FAILURE(Create());
    SetWindowPos(floatBarWindow, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const LONG chineseWidth = WindowRect(floatBarWindow).right - WindowRect(floatBarWindow).left;

    SetUiLanguage(static_cast<uint32_t>(UiLanguage::English));
    RelayoutFloatBar();
    const FloatBarGeometry english = ExpectedFloatBarGeometry(96);
    const RECT r = WindowRect(floatBarWindow);
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 200);
    EXPECT_EQ(r.right - r.left, english.width);
    EXPECT_NE(r.right - r.left, chineseWidth);
    for (int i = 0; i < kFloatBarButtonCount; ++i) {
        EXPECT_EQ(floatBar->buttonRects[i], english.buttonRects[i]) << i;
    }
    EXPECT_TRUE(log_.Contains(L"[INFO] 悬浮工具栏已按语言重排"));

    // A DPI change lays it out again in place; the rectangle the system suggests is not taken.
    RECT suggested = {700, 500, 1500, 560};
    SendMessageW(floatBarWindow, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(WindowRect(floatBarWindow).left, 300);
    EXPECT_EQ(WindowRect(floatBarWindow).top, 200);
    EXPECT_EQ(WindowRect(floatBarWindow).right - 300, english.width);
}

TEST_F(FloatBarTest, ADragThatLosesTheMouseEndsSoTheBarNoLongerFollows) {
    RECT start = {};
    ASSERT_NO_FATAL_FAILURE(StartCaptionDrag(start));
    ASSERT_TRUE(PlacePointer(start.left + 45, start.top + 60));
    SendMessageW(floatBarWindow, WM_MOUSEMOVE, MK_LBUTTON, PointParam(0, 0));
    EXPECT_EQ(WindowRect(floatBarWindow).left, start.left + 40 - floatBar->captionRect.left);
    EXPECT_EQ(WindowRect(floatBarWindow).top, start.top + 40);

    // Another window takes the mouse, as a menu or Alt+Tab would.
    ReleaseCapture();
    EXPECT_FALSE(floatBar->dragging);
    EXPECT_EQ(log_.Count(L"[INFO] 悬浮工具栏位置 pos=("), 1);
    const RECT dropped = WindowRect(floatBarWindow);
    ASSERT_TRUE(PlacePointer(start.left + 200, start.top + 200));
    SendMessageW(floatBarWindow, WM_MOUSEMOVE, 0, PointParam(150, 150));
    EXPECT_EQ(WindowRect(floatBarWindow).left, dropped.left);
    EXPECT_EQ(WindowRect(floatBarWindow).top, dropped.top);
}

TEST_F(FloatBarTest, AReleaseBeforeTheLastMoveIsHandledStillPutsTheBarWhereTheButtonCameUp) {
    RECT start = {};
    ASSERT_NO_FATAL_FAILURE(StartCaptionDrag(start));
    // The pointer moves, but the button comes up before that move reaches the bar.
    ASSERT_TRUE(PlacePointer(start.left + floatBar->captionRect.left + 5 + 70, start.top + 20 + 90));
    SendMessageW(floatBarWindow, WM_LBUTTONUP, 0, PointParam(floatBar->captionRect.left + 5, 20));
    EXPECT_FALSE(floatBar->dragging);
    EXPECT_EQ(WindowRect(floatBarWindow).left, start.left + 70);
    EXPECT_EQ(WindowRect(floatBarWindow).top, start.top + 90);
    EXPECT_EQ(log_.Count(L"[INFO] 悬浮工具栏位置 pos=(" + std::to_wstring(start.left + 70) + L"," +
                         std::to_wstring(start.top + 90) + L")"),
              1);
}

TEST_F(FloatBarTest, CursorIsTheHandOverAButtonAndTheFourWayArrowElsewhere) {
    GetConfig().toolbar = true;
    ASSERT_NO_FATAL_FAILURE(Create());
    const RECT r = WindowRect(floatBarWindow);
    const Point button = Centre(floatBar->buttonRects[1]);
    const Point caption = Centre(floatBar->captionRect);
    struct CursorCase {
        Point at;
        const wchar_t* cursor;
    };
    for (const CursorCase& c : {CursorCase{button, IDC_HAND}, CursorCase{caption, IDC_SIZEALL}}) {
        ASSERT_TRUE(PlacePointer(r.left + c.at.x, r.top + c.at.y));
        EXPECT_EQ(SendMessageW(floatBarWindow, WM_SETCURSOR, reinterpret_cast<WPARAM>(floatBarWindow),
                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
                  TRUE);
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, c.cursor));
    }
}

// Counts the paints of a window and the erasing of its background, for as long as it lives.
class PaintCounter {
  public:
    explicit PaintCounter(HWND window) : window_(window) {
        SetWindowSubclass(window_, Count, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    ~PaintCounter() { RemoveWindowSubclass(window_, Count, 1); }
    PaintCounter(const PaintCounter&) = delete;
    PaintCounter& operator=(const PaintCounter&) = delete;

    int paints = 0;
    int erases = 0;

  private:
    static LRESULT CALLBACK Count(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR data) {
        auto* self = reinterpret_cast<PaintCounter*>(data);
        if (message == WM_PAINT) {
            ++self->paints;
        } else if (message == WM_ERASEBKGND) {
            ++self->erases;
        }
        return DefSubclassProc(window, message, wParam, lParam);
    }
    HWND window_;
};

TEST_F(FloatBarTest, HoverFollowsThePointerAndRepaintsWithoutErasing) {
    GetConfig().toolbar = true; // a hidden window has nothing to repaint
    ASSERT_NO_FATAL_FAILURE(Create());
    HWND bar = floatBarWindow;
    UpdateWindow(bar); // the first paint of the shown bar
    PaintCounter counter(bar);
    const Point over = Centre(floatBar->buttonRects[2]);
    SendMessageW(bar, WM_MOUSEMOVE, 0, PointParam(over.x, over.y));
    EXPECT_EQ(floatBar->hoverButton, 2);
    UpdateWindow(bar);
    EXPECT_EQ(counter.paints, 1);
    // A move within the same button repaints nothing.
    SendMessageW(bar, WM_MOUSEMOVE, 0, PointParam(over.x + 1, over.y));
    UpdateWindow(bar);
    EXPECT_EQ(counter.paints, 1);
    SendMessageW(bar, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(floatBar->hoverButton, -1);
    UpdateWindow(bar);
    EXPECT_EQ(counter.paints, 2);
    // The buffered paint covers every pixel, so a hover change asks for no erase before it.
    EXPECT_EQ(counter.erases, 0);
}

TEST_F(FloatBarTest, DrawsTheCapsuleCaptionSeparatorButtonsAndTheHoveredButton) {
    ASSERT_NO_FATAL_FAILURE(Create());
    floatBar->hoverButton = 1;
    const RECT r = WindowRect(floatBarWindow);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    const long headroomBefore = GdiHeadroom();
    for (int i = 0; i < 200; ++i) {
        RenderFloatBar(dc, *floatBar, width, height);
    }
    EXPECT_GE(GdiHeadroom(), headroomBefore) << "drawing leaked GDI objects";
    SelectObject(dc, previous);
    DeleteDC(dc);
    const std::vector<uint32_t> pixels = ReadBitmapPixels(bitmap);
    DeleteObject(bitmap);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(width * height));
    auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y * width + x)]; };

    EXPECT_EQ(at(width / 2, 0), kFloatBarOutline);
    EXPECT_EQ(at(width / 2, height - 1), kFloatBarOutline);
    EXPECT_EQ(at(width / 2, 3), kFloatBarFill);
    const FloatBarState& s = *floatBar;
    EXPECT_EQ(at(s.separatorX, height / 2), kFloatBarSeparator);
    EXPECT_EQ(at(s.separatorX, 10), kFloatBarSeparator);
    EXPECT_EQ(at(s.separatorX, 9), kFloatBarFill);
    EXPECT_EQ(at(s.separatorX, height - 10), kFloatBarFill);
    // The hovered button is lit around its text; the others stay black.
    EXPECT_EQ(at(s.buttonRects[1].left + 1, s.buttonRects[1].top + 1), kFloatBarHover);
    EXPECT_EQ(at(s.buttonRects[1].right - 1, s.buttonRects[1].bottom - 1), kFloatBarHover);
    EXPECT_EQ(at(s.buttonRects[2].left + 1, s.buttonRects[2].top + 1), kFloatBarFill);
    // Every text is drawn: bright pixels in the caption and in each button.
    EXPECT_GT(FloatBarTextPixels(pixels, width, s.captionRect), 10);
    for (int i = 0; i < kFloatBarButtonCount; ++i) {
        EXPECT_GT(FloatBarTextPixels(pixels, width, s.buttonRects[i]), 5) << i;
    }
}

} // namespace
