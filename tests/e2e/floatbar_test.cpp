// The floating toolbar of the real Korvel.exe, driven like a person would: shown and hidden from the tray,
// its buttons pressed with the mouse, dragged by its caption, and looked at on the screen.
#include <string>
#include <vector>

#include "capture_fixture.h"
#include "screen_probe.h"
#include "support/bitmap_pixels.h"
#include "support/floatbar_probe.h"
#include "text/texts.h"

namespace {

// A borderless pattern window under the whole place where the bar opens.
const wchar_t kPatternUnderTheBar[] = L"0 0 1000 700";

HWND FloatBarWindow() {
    return FindWindowW(L"KorvelFloatBar", nullptr);
}

// The bar is made a moment after the host window; a restart may also still find the last run's lines in the
// log.
HWND WaitForFloatBarWindow() {
    for (int i = 0; i < 200; ++i) {
        if (HWND bar = FloatBarWindow()) {
            return bar;
        }
        Sleep(50);
    }
    return nullptr;
}

POINT DefaultBarPlace() {
    RECT workArea = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    return POINT{workArea.left + 80, workArea.top + 24};
}

// The bar's geometry in a language, measured here with that language's font.
FloatBarGeometry ExpectedIn(UiLanguage language) {
    const UiLanguage before = GetUiLanguage();
    SetUiLanguage(static_cast<uint32_t>(language));
    const FloatBarGeometry geometry = ExpectedFloatBarGeometry(96);
    SetUiLanguage(static_cast<uint32_t>(before));
    return geometry;
}

POINT OnScreen(HWND bar, Point client) {
    const RECT r = WindowRect(bar);
    return POINT{r.left + client.x, r.top + client.y};
}

POINT Centre(HWND bar, const Rect& r) {
    return OnScreen(bar, Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

// What the bar itself has painted, read from its own window, rows from the top. The screen shows the bar at
// opacity 204 over what lies below it: Windows blends the two, Xvfb shows the bar as if opaque, so only the
// bar's own pixels hold its exact colours. (Wine's PrintWindow sends WM_PRINT, whose DC cannot reach into
// another process; the window's own DC can be read from here.)
std::vector<uint32_t> BarPixels(HWND bar, const RECT& r) {
    return WindowPixels(bar, r.right - r.left, r.bottom - r.top);
}

bool WaitForVisibility(HWND window, bool visible, DWORD timeoutMs) {
    return WaitUntil([window, visible] { return (IsWindowVisible(window) != FALSE) == visible; }, timeoutMs);
}

class FloatBarE2ETest : public CaptureE2ETest {
  protected:
    void TearDown() override {
        if (korvel_.Running()) {
            if (FindWindowW(L"KorvelOverlay", nullptr) != nullptr) {
                PressKey(VK_ESCAPE);
            }
            EXPECT_EQ(QuitThroughTrayMenu(korvel_), 0);
        }
    }

    // The pattern window first, so that the bar, shown later, lies above it.
    void Start(bool toolbar, UiLanguage language = UiLanguage::SimplifiedChinese) {
        AppConfig config = SampleConfig();
        config.saveDir = folder_;
        config.toolbar = toolbar;
        config.language = language;
        WriteConfig("\xEF\xBB\xBF" + ToUtf8(SerializeConfig(config)));
        ASSERT_NO_FATAL_FAILURE(ShowPattern(pattern_, kPatternUnderTheBar, place_));
        ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel_));
        bar_ = WaitForFloatBarWindow();
        ASSERT_NE(bar_, nullptr) << LogForFailure();
        if (toolbar) {
            ASSERT_TRUE(WaitForVisibility(bar_, true, 5000));
            Sleep(300); // drawn
        }
        geometry_ = ExpectedIn(language);
    }

    void ToggleFromTray(int show) {
        HWND host = FindWindowW(L"KorvelHost", L"Korvel");
        PostTrayEvent(host, WM_RBUTTONUP);
        ASSERT_NE(WaitForPopupMenu(5000), nullptr);
        // Up from no selection: Quit, Ondralux, Settings, Toolbar.
        PressKey(VK_UP, 4);
        PressKey(VK_RETURN);
        ASSERT_TRUE(WaitForLogLine(L"[INFO] 托盘切换工具栏 show=" + std::to_wstring(show), 5000));
    }

    void PressBarButton(int index) { ClickAt(Centre(bar_, geometry_.buttonRects[index])); }

    ChildProcess korvel_;
    ChildProcess pattern_;
    PatternPlace place_;
    HWND bar_ = nullptr;
    FloatBarGeometry geometry_;
};

TEST_F(FloatBarE2ETest, TheDefaultBarIsHiddenAndTheTrayItemShowsAndHidesIt) {
    ASSERT_NO_FATAL_FAILURE(Start(false));
    EXPECT_FALSE(IsWindowVisible(bar_));
    const POINT place = DefaultBarPlace();
    EXPECT_EQ(WindowRect(bar_).left, place.x);
    EXPECT_EQ(WindowRect(bar_).top, place.y);
    wchar_t handle[32] = {};
    _snwprintf_s(handle, 32, _TRUNCATE, L"%p", static_cast<void*>(bar_));
    EXPECT_GE(FindLogLine(ReadKorvelLog(), std::wstring(L"[INFO] 悬浮工具栏已创建但默认隐藏 hwnd=") + handle),
              0)
        << LogForFailure();

    ASSERT_NO_FATAL_FAILURE(ToggleFromTray(1));
    ASSERT_TRUE(WaitForVisibility(bar_, true, 5000));
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(bar_, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 204);
    EXPECT_NE(flags & LWA_ALPHA, 0u);
    const LONG exStyle = GetWindowLongW(bar_, GWL_EXSTYLE);
    EXPECT_NE(exStyle & WS_EX_LAYERED, 0);
    EXPECT_TRUE(IsTopmost(bar_));
    EXPECT_NE(exStyle & WS_EX_TOOLWINDOW, 0);
    const RECT r = WindowRect(bar_);
    EXPECT_EQ(r.bottom - r.top, 40);
    EXPECT_EQ(r.right - r.left, geometry_.width);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(bar_, region), COMPLEXREGION) << "the bar is not rounded";
    DeleteObject(region);

    ASSERT_NO_FATAL_FAILURE(ToggleFromTray(0));
    EXPECT_TRUE(WaitForVisibility(bar_, false, 5000));
}

TEST_F(FloatBarE2ETest, ScreenFromTheBarLeavesItOutOfThePictureAndBringsItBackInPlace) {
    ASSERT_NO_FATAL_FAILURE(Start(true));
    const RECT before = WindowRect(bar_);
    PressBarButton(2);
    const std::wstring saved = WaitForSavedPath();
    ASSERT_FALSE(saved.empty()) << LogForFailure();
    const DecodedImage image = DecodeImageFile(saved);
    ASSERT_TRUE(image.ok);
    // Where the bar stood, the picture holds the window below it.
    EXPECT_EQ(PatternMismatches(image, POINT{0, 0}, place_, before), 0);

    ASSERT_TRUE(WaitForLogLine(L"[INFO] 悬浮工具栏已重新显示", 5000));
    EXPECT_TRUE(IsWindowVisible(bar_));
    const RECT after = WindowRect(bar_);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    const std::vector<std::wstring> lines = ReadKorvelLog();
    const int click = FindLogLine(lines, L"[INFO] 悬浮工具栏点击 全屏");
    const int hidden = FindLogLine(lines, L"[INFO] 悬浮工具栏已隐藏", click);
    const int done = FindLogLine(lines, L"[INFO] 已保存 ", hidden);
    EXPECT_GE(click, 0);
    EXPECT_GT(hidden, click);
    EXPECT_GT(done, hidden);
    EXPECT_GT(FindLogLine(lines, L"[INFO] 悬浮工具栏已重新显示", done), done);
}

TEST_F(FloatBarE2ETest, WindowFromTheBarCapturesTheWindowTheUserWasWorkingIn) {
    ASSERT_NO_FATAL_FAILURE(Start(true));
    ASSERT_EQ(GetForegroundWindow(), place_.window);
    PressBarButton(1);
    const std::wstring saved = WaitForSavedPath();
    ASSERT_FALSE(saved.empty()) << LogForFailure();
    // The click left the activation where it was: the window capture found the pattern window in the
    // foreground, and had no need to look further down the z-order.
    wchar_t handle[32] = {};
    _snwprintf_s(handle, 32, _TRUNCATE, L"%p", static_cast<void*>(place_.window));
    EXPECT_GE(FindLogLine(ReadKorvelLog(), std::wstring(L"[INFO] 窗口截图 hwnd=") + handle), 0)
        << LogForFailure();
    EXPECT_EQ(FindLogLine(ReadKorvelLog(), L"前台窗口不可截取"), -1) << LogForFailure();
    const DecodedImage image = DecodeImageFile(saved);
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.width, place_.windowRect.right - place_.windowRect.left);
    EXPECT_EQ(image.height, place_.windowRect.bottom - place_.windowRect.top);
    EXPECT_EQ(PatternMismatches(image, POINT{place_.windowRect.left, place_.windowRect.top}, place_,
                                ClientArea(place_)),
              0);
    EXPECT_TRUE(WaitForVisibility(bar_, true, 5000));
}

TEST_F(FloatBarE2ETest, CaptureFromTheBarOpensTheOverlayWithoutTheBarAndEscBringsItBack) {
    ASSERT_NO_FATAL_FAILURE(Start(true));
    const RECT before = WindowRect(bar_);
    PressBarButton(0);
    ASSERT_NE(WaitForVisibleWindow(L"KorvelOverlay", 5000), nullptr) << LogForFailure();
    Sleep(300);
    EXPECT_FALSE(IsWindowVisible(bar_));
    // The still under the overlay shows the window below the bar, darkened, not the bar.
    const ScreenShot shot = TakeScreenShot();
    ASSERT_FALSE(shot.pixels.empty());
    int undimmed = 0;
    for (int y = before.top + 2; y < before.bottom - 2; y += 3) {
        for (int x = before.left + 2; x < before.right - 2; x += 5) {
            undimmed += IsDimmedFrom(shot.At(x, y), PatternColour(x, y)) ? 0 : 1;
        }
    }
    EXPECT_EQ(undimmed, 0);

    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 截图取消或失败 mode=0", 5000));
    ASSERT_TRUE(WaitForVisibility(bar_, true, 5000));
    EXPECT_EQ(WindowRect(bar_).left, before.left);
    EXPECT_EQ(WindowRect(bar_).top, before.top);
}

TEST_F(FloatBarE2ETest, ToggledOffTheBarStaysHiddenAfterACapture) {
    ASSERT_NO_FATAL_FAILURE(Start(true));
    ASSERT_NO_FATAL_FAILURE(ToggleFromTray(0));
    ASSERT_TRUE(WaitForVisibility(bar_, false, 5000));
    const int toggled = FindLogLine(ReadKorvelLog(), L"[INFO] 托盘切换工具栏 show=0");
    PressShortcut(MOD_CONTROL | MOD_ALT, 'F');
    ASSERT_FALSE(WaitForSavedPath().empty()) << LogForFailure();
    Sleep(300);
    EXPECT_FALSE(IsWindowVisible(bar_));
    EXPECT_EQ(FindLogLine(ReadKorvelLog(), L"悬浮工具栏已重新显示", toggled), -1);
}

TEST_F(FloatBarE2ETest, ADragFromTheCaptionMovesTheBarByThePointersMovementAndTheNextStartResetsIt) {
    ASSERT_NO_FATAL_FAILURE(Start(true));
    const RECT before = WindowRect(bar_);
    const POINT from = Centre(bar_, geometry_.captionRect);
    // Wine hands a captured mouse only to the thread in the foreground, and a press on the bar never brings
    // it there, so here the bar is put in front first; on Windows the capture of a press carries the drag
    // either way.
    SetForegroundWindow(bar_);
    for (int i = 0; i < 50 && GetForegroundWindow() != bar_; ++i) {
        Sleep(20);
    }
    ASSERT_EQ(GetForegroundWindow(), bar_);
    DragLeft(from.x, from.y, from.x + 150, from.y + 200);
    const std::wstring logged = L"[INFO] 悬浮工具栏位置 pos=(" + std::to_wstring(before.left + 150) + L"," +
                                std::to_wstring(before.top + 200) + L")";
    EXPECT_TRUE(WaitForLogLine(logged, 5000)) << LogForFailure();
    const RECT after = WindowRect(bar_);
    EXPECT_EQ(after.left, before.left + 150);
    EXPECT_EQ(after.top, before.top + 200);
    // With the button up, the pointer no longer carries the bar.
    MovePointer(from.x + 300, from.y + 300);
    Sleep(100);
    EXPECT_EQ(WindowRect(bar_).left, after.left);

    ASSERT_EQ(QuitThroughTrayMenu(korvel_), 0);
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel_));
    ASSERT_NE(bar_ = WaitForVisibleWindow(L"KorvelFloatBar", 10000), nullptr);
    const POINT place = DefaultBarPlace();
    EXPECT_EQ(WindowRect(bar_).left, place.x);
    EXPECT_EQ(WindowRect(bar_).top, place.y);
}

TEST_F(FloatBarE2ETest, QuitOnTheBarRunsTheWholeQuitSequenceAndExitsWithZero) {
    ASSERT_NO_FATAL_FAILURE(Start(true));
    PressBarButton(4);
    EXPECT_EQ(korvel_.WaitForExit(10000), 0) << LogForFailure();
    const std::vector<std::wstring> lines = ReadKorvelLog();
    int at = 0;
    for (const wchar_t* part : {L"[INFO] 悬浮工具栏点击 退出", L"[INFO] 退出 Korvel",
                                L"[INFO] 托盘图标已移除", L"[INFO] 进程退出"}) {
        const int found = FindLogLine(lines, part, at);
        EXPECT_GE(found, at) << "missing or out of order: " << ToUtf8(part);
        at = found + 1;
    }
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find(L"[INFO] 进程退出"), std::wstring::npos);
    EXPECT_EQ(FloatBarWindow(), nullptr);
}

TEST_F(FloatBarE2ETest, SettingsOnTheBarOpensTheSettingsWindow) {
    ASSERT_NO_FATAL_FAILURE(Start(true));
    PressBarButton(3);
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 悬浮工具栏点击 设置", 5000));
    EXPECT_NE(WaitForVisibleWindow(L"KorvelSettings", 5000), nullptr) << LogForFailure();
}

TEST_F(FloatBarE2ETest, TheShownBarLooksRightInEachLanguageAndKeepsItsPlace) {
    struct LanguageCase {
        UiLanguage language;
        const char* name;
    };
    const FloatBarGeometry chinese = ExpectedIn(UiLanguage::SimplifiedChinese);
    const FloatBarGeometry english = ExpectedIn(UiLanguage::English);
    ASSERT_NE(chinese.width, english.width) << "the texts should give the two languages different widths";
    for (const LanguageCase& c :
         {LanguageCase{UiLanguage::SimplifiedChinese, "zh"}, LanguageCase{UiLanguage::English, "en"}}) {
        SCOPED_TRACE(c.name);
        if (korvel_.Running()) {
            ASSERT_EQ(QuitThroughTrayMenu(korvel_), 0);
            pattern_.Stop();
            place_ = PatternPlace();
        }
        ASSERT_NO_FATAL_FAILURE(Start(true, c.language));
        const RECT r = WindowRect(bar_);
        const POINT place = DefaultBarPlace();
        EXPECT_EQ(r.left, place.x);
        EXPECT_EQ(r.top, place.y);
        EXPECT_EQ(r.right - r.left, geometry_.width);
        EXPECT_EQ(r.bottom - r.top, 40);

        BYTE alpha = 0;
        DWORD flags = 0;
        ASSERT_TRUE(GetLayeredWindowAttributes(bar_, nullptr, &alpha, &flags));
        EXPECT_EQ(alpha, 204);
        EXPECT_NE(flags & LWA_ALPHA, 0u);

        // Light the Window button with the pointer, and read what the bar painted.
        const POINT hover = Centre(bar_, geometry_.buttonRects[1]);
        MovePointer(hover.x, hover.y);
        const int width = r.right - r.left;
        const Point lit{geometry_.buttonRects[1].left + 2, geometry_.buttonRects[1].top + 2};
        std::vector<uint32_t> drawn;
        EXPECT_TRUE(WaitUntil(
            [&] {
                drawn = BarPixels(bar_, r);
                return drawn.size() == static_cast<size_t>(width) * 40 &&
                       drawn[static_cast<size_t>(lit.y) * width + lit.x] == kFloatBarHover;
            },
            1000))
            << "the hovered button was not lit";
        ASSERT_EQ(drawn.size(), static_cast<size_t>(width) * 40);
        auto at = [&](int x, int y) { return drawn[static_cast<size_t>(y) * width + x]; };
        EXPECT_EQ(at(geometry_.buttonRects[2].left + 2, geometry_.buttonRects[2].top + 2), kFloatBarFill);
        EXPECT_EQ(at(width / 2, 0), kFloatBarOutline);
        EXPECT_EQ(at(width / 2, 3), kFloatBarFill);
        EXPECT_EQ(at(geometry_.separatorX, 20), kFloatBarSeparator);
        EXPECT_GT(FloatBarTextPixels(drawn, width, geometry_.captionRect), 10);
        for (int i = 0; i < kFloatBarButtonCount; ++i) {
            EXPECT_GT(FloatBarTextPixels(drawn, width, geometry_.buttonRects[i]), 5) << i;
        }

        // On the screen, only shape and place: the bar covers its rectangle, all but the rounded corners,
        // where the window below shows; just outside it the window below shows too.
        const ScreenShot shot = TakeScreenShot();
        ASSERT_FALSE(shot.pixels.empty());
        SaveScreenShot(shot, RECT{r.left - 10, r.top - 10, r.right + 10, r.bottom + 10},
                       SiblingProgram((std::wstring(L"floatbar-") + FromUtf8(c.name) + L".png").c_str()));
        const auto below = [&](int x, int y) { return shot.At(x, y) == PatternColour(x, y); };
        EXPECT_TRUE(below(r.left, r.top)) << "the corner is not rounded";
        EXPECT_TRUE(below(r.right - 1, r.bottom - 1)) << "the corner is not rounded";
        EXPECT_TRUE(below(r.left - 1, r.top + 20));
        EXPECT_TRUE(below(r.right, r.top + 20));
        EXPECT_TRUE(below(r.left + width / 2, r.top - 1));
        EXPECT_TRUE(below(r.left + width / 2, r.bottom));
        int showingBelow = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left + 20; x < r.right - 20; ++x) {
                showingBelow += below(x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(showingBelow, 0) << "the bar does not cover its middle part";
        EXPECT_FALSE(below(r.left, r.top + 20));
        EXPECT_FALSE(below(r.right - 1, r.top + 20));
    }
}

} // namespace
