// The real Korvel.exe on two monitors of different sizes, the second left of the primary at a negative x:
// the overlay and its markup strip, the captures, the previews and the windows that open on the primary
// monitor. These tests skip themselves on one monitor; tests/run-two-monitors.sh gives them two.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "capture_fixture.h"
#include "markup/markup_overlay.h"
#include "preview_buttons.h"
#include "screen_probe.h"

namespace {

struct Monitor {
    RECT rect = {};
    RECT workArea = {};
    bool primary = false;
};

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) {
        reinterpret_cast<std::vector<Monitor>*>(list)->push_back(
            Monitor{info.rcMonitor, info.rcWork, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    }
    return TRUE;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

std::wstring RectText(const RECT& r) {
    return L"(" + std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," + std::to_wstring(r.right) +
           L"," + std::to_wstring(r.bottom) + L")";
}

std::wstring SizeAndOrigin(int width, int height, POINT origin) {
    return L"size=" + std::to_wstring(width) + L"x" + std::to_wstring(height) + L" origin=(" +
           std::to_wstring(origin.x) + L"," + std::to_wstring(origin.y) + L")";
}

std::vector<RECT> VisibleWindowRects(const wchar_t* className) {
    std::vector<RECT> rects;
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr) {
        if (IsWindowVisible(window)) {
            rects.push_back(WindowRect(window));
        }
    }
    return rects;
}

class TwoMonitorTest : public CaptureE2ETest {
  protected:
    void SetUp() override {
        std::vector<Monitor> monitors;
        EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
        if (monitors.size() < 2) {
            GTEST_SKIP() << "one monitor: tests/run-two-monitors.sh runs these on two";
        }
        for (const Monitor& m : monitors) {
            (m.primary ? primary_ : left_) = m;
        }
        ASSERT_EQ(monitors.size(), 2u);
        ASSERT_EQ(primary_.rect.left, 0);
        ASSERT_LT(left_.rect.left, 0) << "the second monitor should lie left of the primary";
        CaptureE2ETest::SetUp();
    }
    void TearDown() override {
        if (korvel_.Running()) {
            if (FindWindowW(L"KorvelOverlay", nullptr) != nullptr) {
                PressKey(VK_ESCAPE);
            }
            EXPECT_EQ(QuitThroughTrayMenu(korvel_), 0);
        }
    }

    void Start(bool toolbar = false) {
        AppConfig config = SampleConfig();
        config.saveDir = folder_;
        config.toolbar = toolbar;
        WriteConfig("\xEF\xBB\xBF" + ToUtf8(SerializeConfig(config)));
        ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel_));
    }

    // A region capture: the overlay opened with the pointer at `pointer`, a drag over `selection`, Enter.
    void CaptureRegion(POINT pointer, const RECT& selection) {
        MovePointer(pointer.x, pointer.y);
        PressShortcut(MOD_CONTROL | MOD_ALT, 'A');
        ASSERT_NE(WaitForVisibleWindow(L"KorvelOverlay", 5000), nullptr) << LogForFailure();
        ASSERT_TRUE(WaitUntilPainted(L"KorvelOverlay", 5000));
        DragLeft(selection.left, selection.top, selection.right, selection.bottom);
        PressKey(VK_RETURN);
    }

    // The newest saved picture shows the pattern at every pixel of `area`, the picture taken at `origin`,
    // and the log gives its size and origin.
    void ExpectSavedPicture(SIZE size, POINT origin, const RECT& area) {
        const std::wstring path = WaitForSavedPath();
        ASSERT_TRUE(IsCaptureFileName(path, folder_, L"png")) << LogForFailure();
        const DecodedImage image = DecodeImageFile(path);
        ASSERT_TRUE(image.ok);
        EXPECT_EQ(image.width, size.cx);
        EXPECT_EQ(image.height, size.cy);
        EXPECT_EQ(PatternMismatches(image, origin, place_, area), 0);
        EXPECT_GE(FindLogLine(ReadKorvelLog(), L"[INFO] 截图完成 " + SizeAndOrigin(size.cx, size.cy, origin)),
                  0)
            << LogForFailure();
    }

    // The preview of the capture just taken lies inside the work area of `monitor`.
    void ExpectPreviewInside(const Monitor& monitor) {
        HWND preview = WaitForVisibleWindow(L"KorvelPreview", 5000);
        ASSERT_NE(preview, nullptr) << LogForFailure();
        const RECT r = WindowRect(preview);
        EXPECT_TRUE(Inside(r, monitor.workArea))
            << ToUtf8(L"preview " + RectText(r) + L" work area " + RectText(monitor.workArea));
        // Closed with its button: on this display the X keyboard focus follows the pointer, and Wine can hand
        // the keys to the window under it instead of the preview.
        ClickAt(ButtonCentre(preview, kCloseButton));
        EXPECT_TRUE(WaitForNoVisibleWindow(L"KorvelPreview", 5000)) << LogForFailure();
    }

    Monitor primary_;
    Monitor left_;
    ChildProcess korvel_;
    ChildProcess pattern_;
    PatternPlace place_;
};

} // namespace

TEST_F(TwoMonitorTest, TheOverlayCoversEachMonitorWithAWindowOfItsOwn) {
    ASSERT_NO_FATAL_FAILURE(Start());
    MovePointer(left_.rect.left + 200, 300);
    PressShortcut(MOD_CONTROL | MOD_ALT, 'A');
    ASSERT_NE(WaitForVisibleWindow(L"KorvelOverlay", 5000), nullptr) << LogForFailure();
    ASSERT_TRUE(WaitUntilPainted(L"KorvelOverlay", 5000));
    std::vector<RECT> covered = VisibleWindowRects(L"KorvelOverlay");
    ASSERT_EQ(covered.size(), 2u);
    if (covered[0].left != left_.rect.left) {
        std::swap(covered[0], covered[1]);
    }
    EXPECT_TRUE(EqualRect(&covered[0], &left_.rect)) << ToUtf8(RectText(covered[0]));
    EXPECT_TRUE(EqualRect(&covered[1], &primary_.rect)) << ToUtf8(RectText(covered[1]));
    const int width = primary_.rect.right - left_.rect.left;
    const int height = std::max(primary_.rect.bottom, left_.rect.bottom);
    EXPECT_GE(FindLogLine(ReadKorvelLog(), L"[INFO] 框选遮罩显示器数量=2 virtual=" + std::to_wstring(width) +
                                               L"x" + std::to_wstring(height) + L" origin=(" +
                                               std::to_wstring(left_.rect.left) + L",0)"),
              0)
        << LogForFailure();
    // The keys go to the window of the monitor under the pointer: Esc there ends the overlay.
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 框选已取消", 3000));
    EXPECT_TRUE(WaitForNoVisibleWindow(L"KorvelOverlay", 3000));
}

TEST_F(TwoMonitorTest, ASelectionAcrossTheBoundarySavesThePixelsOfBothSides) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ShowPattern(pattern_, L"-400 200 800 500", place_));
    const RECT selection = {-300, 260, 250, 610};
    ASSERT_NO_FATAL_FAILURE(CaptureRegion(POINT{-350, 150}, selection));
    ExpectSavedPicture(SIZE{550, 350}, POINT{selection.left, selection.top}, selection);
}

TEST_F(TwoMonitorTest, TheScreenShortcutOnTheLeftMonitorSavesExactlyThatMonitor) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ShowPattern(pattern_, L"-1100 300 500 400", place_));
    MovePointer(left_.rect.left + 100, 900);
    PressCaptureShortcut(MOD_CONTROL | MOD_ALT, 'F');
    const RECT& m = left_.rect;
    ExpectSavedPicture(SIZE{m.right - m.left, m.bottom - m.top}, POINT{m.left, m.top}, ClientArea(place_));
    EXPECT_GE(FindLogLine(ReadKorvelLog(), L"rect=" + RectText(m)), 0) << LogForFailure();
    ExpectPreviewInside(left_);
}

TEST_F(TwoMonitorTest, AWindowOnTheLeftMonitorIsCapturedWithItsNegativeOrigin) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ShowPattern(pattern_, L"-1000 150 420 300 framed", place_));
    ASSERT_EQ(GetForegroundWindow(), place_.window);
    PressCaptureShortcut(MOD_CONTROL | MOD_ALT, 'W');
    const RECT& w = place_.windowRect;
    ExpectSavedPicture(SIZE{w.right - w.left, w.bottom - w.top}, POINT{w.left, w.top}, ClientArea(place_));
    ExpectPreviewInside(left_);
}

TEST_F(TwoMonitorTest, APreviewStaysInTheWorkAreaOfTheMonitorItsCaptureCameFrom) {
    // Pictures right beside the boundary: placed over its area, each preview would reach onto the other
    // monitor by its shadow and would be pulled back onto its own.
    ASSERT_NO_FATAL_FAILURE(Start());
    struct Case {
        const char* name;
        RECT selection;
        bool onLeft;
    };
    const Case cases[] = {
        {"left monitor, at its right edge", RECT{-400, 300, -4, 500}, true},
        {"primary monitor, at its left edge", RECT{4, 300, 400, 500}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(CaptureRegion(POINT{c.selection.left + 50, 200}, c.selection));
        ExpectPreviewInside(c.onLeft ? left_ : primary_);
    }
}

TEST_F(TwoMonitorTest, TheToolbarAndTheSettingsWindowOpenOnThePrimaryWorkArea) {
    // The pointer lies on the left monitor all the while: where they open does not follow it.
    MovePointer(left_.rect.left + 300, 400);
    ASSERT_NO_FATAL_FAILURE(Start(true));
    HWND bar = WaitForVisibleWindow(L"KorvelFloatBar", 5000);
    ASSERT_NE(bar, nullptr) << LogForFailure();
    const RECT& work = primary_.workArea;
    const RECT barRect = WindowRect(bar);
    EXPECT_EQ(barRect.left, work.left + 80);
    EXPECT_EQ(barRect.top, work.top + 24);

    // A second launch opens the settings of the running one.
    ChildProcess second;
    ASSERT_TRUE(second.Start(SiblingProgram(L"Korvel.exe")));
    EXPECT_EQ(second.WaitForExit(10000), 0);
    HWND settings = WaitForVisibleWindow(L"KorvelSettings", 5000);
    ASSERT_NE(settings, nullptr) << LogForFailure();
    // Centred there as a 700 x 600 window at 96 DPI, before it takes the height of its page.
    const RECT r = WindowRect(settings);
    EXPECT_EQ(r.left, work.left + (work.right - work.left - 700) / 2) << ToUtf8(RectText(r));
    EXPECT_EQ(r.top, work.top + (work.bottom - work.top - 600) / 2) << ToUtf8(RectText(r));
}

TEST_F(TwoMonitorTest, TheMarkupStripLandsOnTheMonitorOfTheSelection) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const Rect screen{left_.rect.left, 0, primary_.rect.right,
                      std::max(left_.rect.bottom, primary_.rect.bottom)};
    struct Case {
        const char* name;
        RECT selection;
        const Monitor* monitor;
    };
    const Case cases[] = {
        {"on the left monitor", RECT{-1000, 200, -400, 600}, &left_},
        {"across the boundary, its bottom right on the primary", RECT{-300, 300, 250, 700}, &primary_},
        {"at the left monitor's right edge", RECT{-600, 500, 0, 900}, &left_},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MovePointer(c.selection.left - 50, c.selection.top - 50);
        PressShortcut(MOD_CONTROL | MOD_ALT, 'A');
        ASSERT_NE(WaitForVisibleWindow(L"KorvelOverlay", 5000), nullptr) << LogForFailure();
        ASSERT_TRUE(WaitUntilPainted(L"KorvelOverlay", 5000));
        DragLeft(c.selection.left, c.selection.top, c.selection.right, c.selection.bottom);
        // The pointer away from the strip, so that no button is lit and the magnifier stays above it.
        MovePointer(c.selection.left + 20, c.selection.top + 20);
        ASSERT_TRUE(WaitUntilPainted(L"KorvelOverlay", 5000));
        Sleep(200);
        const StripLayout strip =
            PlaceStrip(Rect{c.selection.left, c.selection.top, c.selection.right, c.selection.bottom},
                       CollectMonitorAreas(), screen);
        const RECT shown = {strip.strip.left, strip.strip.top, strip.strip.right, strip.strip.bottom};
        EXPECT_TRUE(Inside(shown, c.monitor->workArea))
            << ToUtf8(L"strip " + RectText(shown) + L" work area " + RectText(c.monitor->workArea));
        // Drawn there: its border, its background and the accent of Save.
        const Rect& save = strip.buttons[static_cast<size_t>(StripButton::Save)];
        EXPECT_EQ(ScreenPixel(strip.strip.left + 40, strip.strip.top), 0x464C58u);
        EXPECT_EQ(ScreenPixel(strip.strip.left + 2, strip.strip.top + 2), 0x1C2028u);
        EXPECT_EQ(ScreenPixel(save.left + 1, save.top + 1), 0x2E78DCu);
        PressKey(VK_ESCAPE);
        ASSERT_TRUE(WaitForNoVisibleWindow(L"KorvelOverlay", 3000));
    }
}
