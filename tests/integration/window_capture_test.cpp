#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "capture/captured_image.h"
#include "capture/window_capture.h"
#include "support/bitmap_pixels.h"
#include "support/pattern.h"
#include "support/test_support.h"

namespace {

// Waits for `done`, keeping this thread's own windows answering meanwhile.
template <typename Condition> bool WaitFor(Condition done, DWORD timeoutMs = 5000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(20);
    }
}

// Gives `window`, one of this thread's own, the foreground and the top of the z-order, and waits until both
// have held for a few polls. Under Wine, the activation of a window that another program has just brought
// forward can arrive after ours and take the foreground or the top back, so each is asked for again.
bool TakeForeground(HWND window) {
    int steadyPolls = 0;
    const bool taken = WaitFor([window, &steadyPolls] {
        const bool foreground = GetForegroundWindow() == window;
        const bool top = GetTopWindow(nullptr) == window;
        if (foreground && top) {
            return ++steadyPolls >= 5;
        }
        steadyPolls = 0;
        if (!foreground) {
            SetForegroundWindow(window);
        } else {
            SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        return false;
    });
    if (!taken) {
        ADD_FAILURE() << "window " << window << " not in front: foreground=" << GetForegroundWindow()
                      << " top=" << GetTopWindow(nullptr);
    }
    return taken;
}

RECT WindowRectOf(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

std::wstring Format(const wchar_t* format, ...) {
    wchar_t buffer[512] = {};
    va_list args;
    va_start(args, format);
    // The same formatting the log uses, so that %p prints the handle the way the log line does.
    _vsnwprintf_s(buffer, 512, _TRUNCATE, format, args);
    va_end(args);
    return buffer;
}

struct FindContext {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindPatternWindow(HWND window, LPARAM context) {
    FindContext& find = *reinterpret_cast<FindContext*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (processId == find.processId && wcscmp(className, L"KorvelTestPattern") == 0) {
        find.found = window;
        return FALSE;
    }
    return TRUE;
}

// The pattern_window program beside this test program, ended when the object goes.
class PatternWindow {
  public:
    PatternWindow() = default;
    ~PatternWindow() {
        if (process_.hProcess != nullptr) {
            TerminateProcess(process_.hProcess, 0);
            WaitForSingleObject(process_.hProcess, 5000);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
    }
    PatternWindow(const PatternWindow&) = delete;
    PatternWindow& operator=(const PatternWindow&) = delete;

    // Starts the program and waits for its window; `options` as the program takes them ("framed",
    // "minimized").
    bool Start(int x, int y, int width, int height, const std::wstring& options = L"") {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring program(self);
        program.erase(program.find_last_of(L"\\/") + 1);
        program += L"pattern_window.exe";
        std::wstring commandLine = L"\"" + program + L"\" " + std::to_wstring(x) + L" " + std::to_wstring(y) +
                                   L" " + std::to_wstring(width) + L" " + std::to_wstring(height) + L" " +
                                   options;
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process_)) {
            ADD_FAILURE() << "cannot start pattern_window.exe, err=" << GetLastError();
            return false;
        }
        const bool shown = WaitFor([this] {
            FindContext find = {process_.dwProcessId, nullptr};
            EnumWindows(FindPatternWindow, reinterpret_cast<LPARAM>(&find));
            window_ = find.found;
            return window_ != nullptr && IsWindowVisible(window_);
        });
        if (!shown) {
            ADD_FAILURE() << "pattern window did not appear";
        }
        return shown;
    }

    // Waits until the window has the foreground and, unless it lies off the screen, its pattern shows there.
    bool WaitUntilInFront(bool onScreen = true) {
        const bool inFront = WaitFor(
            [this, onScreen] { return GetForegroundWindow() == window_ && (!onScreen || ShowsPattern()); });
        if (!inFront) {
            ADD_FAILURE() << "pattern window not in front: foreground=" << GetForegroundWindow()
                          << " window=" << window_;
        }
        return inFront;
    }

    HWND Window() const { return window_; }

  private:
    // Whether the screen shows the pattern at a visible point of the client area.
    bool ShowsPattern() const {
        RECT client = {};
        GetClientRect(window_, &client);
        POINT corner = {0, 0};
        ClientToScreen(window_, &corner);
        // The middle of the part of the client area that lies on the screen.
        const int left = corner.x > 0 ? corner.x : 0;
        const int top = corner.y > 0 ? corner.y : 0;
        const int right = corner.x + client.right;
        const int bottom = corner.y + client.bottom;
        const POINT probe = {(left + right) / 2, (top + bottom) / 2};
        HDC screen = GetDC(nullptr);
        const COLORREF shown = GetPixel(screen, probe.x, probe.y);
        ReleaseDC(nullptr, screen);
        const uint32_t expected = PatternColour(probe.x - corner.x, probe.y - corner.y);
        return shown == RGB((expected >> 16) & 0xFF, (expected >> 8) & 0xFF, expected & 0xFF);
    }

    PROCESS_INFORMATION process_ = {};
    HWND window_ = nullptr;
};

// A visible topmost window of the test process itself, shown without taking the foreground.
class OwnWindow {
  public:
    OwnWindow(int x, int y, int width, int height) {
        window_ = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"own", WS_POPUP, x, y, width, height, nullptr,
                                  nullptr, nullptr, nullptr);
        // Not activated: under Wine, handing the activation on when an active window goes takes 2 s.
        if (window_ != nullptr) {
            ShowWindow(window_, SW_SHOWNOACTIVATE);
        }
    }
    ~OwnWindow() {
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
    }
    OwnWindow(const OwnWindow&) = delete;
    OwnWindow& operator=(const OwnWindow&) = delete;

    HWND Window() const { return window_; }

  private:
    HWND window_ = nullptr;
};

// Counts the captured pixels that differ from the pattern, where picture (x, y) shows pattern point
// (x + offsetX, y + offsetY), over the given part of the picture.
int CountPatternMismatches(const CapturedImage& image, int offsetX, int offsetY, const RECT& part,
                           std::string& first) {
    int width = 0;
    int height = 0;
    const std::vector<uint32_t> pixels = ReadBitmapPixels(image.bitmap, &width, &height);
    if (pixels.empty() || width != image.width || height != image.height) {
        first = "picture cannot be read";
        return -1;
    }
    int mismatches = 0;
    for (int y = part.top; y < part.bottom; ++y) {
        for (int x = part.left; x < part.right; ++x) {
            const uint32_t got = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + x];
            const uint32_t want = PatternColour(x + offsetX, y + offsetY);
            if (got != want && mismatches++ == 0) {
                char text[96];
                snprintf(text, sizeof text, "at (%d,%d): 0x%06X instead of 0x%06X", x, y,
                         static_cast<unsigned>(got), static_cast<unsigned>(want));
                first = text;
            }
        }
    }
    return mismatches;
}

} // namespace

TEST(WindowCaptureTest, RefusesTheTestsOwnWindowAndNoWindow) {
    OwnWindow own(300, 300, 200, 200);
    ASSERT_NE(nullptr, own.Window());
    EXPECT_FALSE(IsCapturableWindow(own.Window()));
    EXPECT_FALSE(IsCapturableWindow(nullptr));
}

TEST(WindowCaptureTest, CapturesTheForegroundWindowToItsWindowRectangle) {
    PatternWindow pattern;
    ASSERT_TRUE(pattern.Start(200, 150, 320, 240, L"framed"));
    ASSERT_TRUE(pattern.WaitUntilInFront());
    const HWND window = pattern.Window();
    // Wine reports no extended frame bounds, so the window rectangle, caption and border included, is
    // captured.
    const RECT rect = WindowRectOf(window);
    RECT client = {};
    GetClientRect(window, &client);
    POINT clientCorner = {0, 0};
    ClientToScreen(window, &clientCorner);

    CapturedLog log;
    CapturedImage image;
    ASSERT_TRUE(CaptureForegroundWindow(image));
    EXPECT_EQ(rect.left, image.originX);
    EXPECT_EQ(rect.top, image.originY);
    EXPECT_EQ(rect.right - rect.left, image.width);
    EXPECT_EQ(rect.bottom - rect.top, image.height);

    // The client area within the picture.
    const RECT part = {clientCorner.x - rect.left, clientCorner.y - rect.top,
                       clientCorner.x - rect.left + client.right, clientCorner.y - rect.top + client.bottom};
    ASSERT_GT(client.right, 0);
    std::string first;
    EXPECT_EQ(0, CountPatternMismatches(image, -part.left, -part.top, part, first)) << first;

    EXPECT_TRUE(
        log.Contains(Format(L"[INFO] 窗口截图 hwnd=%p class=KorvelTestPattern title=Korvel test pattern "
                            L"rect=(%d,%d,%d,%d)\r\n",
                            window, rect.left, rect.top, rect.right, rect.bottom)));
    EXPECT_EQ(0, log.Count(L"前台窗口不可截取"));
    ReleaseCapturedImage(image);
}

TEST(WindowCaptureTest, ClipsAWindowPartlyLeftOfTheScreen) {
    PatternWindow pattern;
    ASSERT_TRUE(pattern.Start(-100, 200, 400, 300));
    ASSERT_TRUE(pattern.WaitUntilInFront());
    ASSERT_EQ(-100, WindowRectOf(pattern.Window()).left);

    CapturedLog log;
    CapturedImage image;
    ASSERT_TRUE(CaptureForegroundWindow(image));
    EXPECT_EQ(0, image.originX);
    EXPECT_EQ(200, image.originY);
    EXPECT_EQ(300, image.width);
    EXPECT_EQ(300, image.height);
    // Picture column 0 is the window's 101st column.
    std::string first;
    EXPECT_EQ(0, CountPatternMismatches(image, 100, 0, RECT{0, 0, 300, 300}, first)) << first;
    EXPECT_TRUE(log.Contains(Format(L"窗口截图 hwnd=%p class=KorvelTestPattern title=Korvel test pattern "
                                    L"rect=(0,200,300,500)",
                                    pattern.Window())));
    ReleaseCapturedImage(image);
}

namespace {

struct SizeCase {
    int width;
    int height;
    bool capturable;
};

class WindowCaptureSizeTest : public testing::TestWithParam<SizeCase> {};

} // namespace

TEST_P(WindowCaptureSizeTest, NeedsAtLeastTwentyByTwenty) {
    const SizeCase& c = GetParam();
    PatternWindow pattern;
    ASSERT_TRUE(pattern.Start(500, 400, c.width, c.height));
    const RECT rect = WindowRectOf(pattern.Window());
    ASSERT_EQ(c.width, rect.right - rect.left);
    ASSERT_EQ(c.height, rect.bottom - rect.top);
    EXPECT_EQ(c.capturable, IsCapturableWindow(pattern.Window()));
}

INSTANTIATE_TEST_SUITE_P(Sizes, WindowCaptureSizeTest,
                         testing::Values(SizeCase{19, 50, false}, SizeCase{50, 19, false},
                                         SizeCase{20, 20, true}, SizeCase{1920, 1080, true}));

TEST(WindowCaptureTest, RefusesAMinimisedWindow) {
    PatternWindow pattern;
    ASSERT_TRUE(pattern.Start(300, 300, 200, 200, L"minimized"));
    ASSERT_TRUE(WaitFor([&] { return IsIconic(pattern.Window()) != FALSE; }));
    EXPECT_FALSE(IsCapturableWindow(pattern.Window()));
}

namespace {

// Puts a window of our own on top, with the foreground, and checks that the window capture walks past it
// down the z-order to `expected`, the 240 x 180 pattern at (400, 300).
void ExpectTheWalkToChoose(const PatternWindow& expected) {
    OwnWindow own(420, 320, 100, 100);
    ASSERT_NE(nullptr, own.Window());
    ASSERT_TRUE(TakeForeground(own.Window()));
    ASSERT_EQ(own.Window(), GetTopWindow(nullptr));

    CapturedLog log;
    CapturedImage image;
    ASSERT_TRUE(CaptureForegroundWindow(image));
    EXPECT_TRUE(log.Contains(
        Format(L"[INFO] 前台窗口不可截取 foreground=%p，改用 hwnd=%p\r\n", own.Window(), expected.Window())));
    EXPECT_EQ(400, image.originX);
    EXPECT_EQ(300, image.originY);
    EXPECT_EQ(240, image.width);
    EXPECT_EQ(180, image.height);
    ReleaseCapturedImage(image);
}

class WindowCaptureLayerTest : public testing::TestWithParam<const wchar_t*> {};

} // namespace

TEST(WindowCaptureTest, TakesTheTopmostCapturableWindowWhenTheForegroundIsOurOwn) {
    PatternWindow pattern;
    ASSERT_TRUE(pattern.Start(400, 300, 240, 180));
    ASSERT_TRUE(pattern.WaitUntilInFront());
    ExpectTheWalkToChoose(pattern);
}

TEST_P(WindowCaptureLayerTest, PassesOverAnotherProgramsInvisibleOrClickThroughLayer) {
    PatternWindow below;
    ASSERT_TRUE(below.Start(400, 300, 240, 180));
    ASSERT_TRUE(below.WaitUntilInFront());
    // Above it, wider and taller, a layer of another program that the user neither sees nor clicks.
    PatternWindow layer;
    ASSERT_TRUE(layer.Start(300, 200, 500, 400, GetParam()));
    // It takes the foreground as it starts; only then can ours take it over.
    ASSERT_TRUE(layer.WaitUntilInFront(false));
    EXPECT_FALSE(IsCapturableWindow(layer.Window()));
    ExpectTheWalkToChoose(below);
}

INSTANTIATE_TEST_SUITE_P(Layers, WindowCaptureLayerTest, testing::Values(L"clickthrough", L"invisible"));

TEST(WindowCaptureTest, RefusesAWindowEntirelyOffTheScreen) {
    PatternWindow pattern;
    ASSERT_TRUE(pattern.Start(-500, 100, 300, 200));
    ASSERT_TRUE(pattern.WaitUntilInFront(false));
    ASSERT_EQ(-500, WindowRectOf(pattern.Window()).left);

    CapturedLog log;
    CapturedImage image;
    EXPECT_FALSE(CaptureForegroundWindow(image));
    EXPECT_EQ(nullptr, image.bitmap);
    EXPECT_TRUE(log.Contains(
        Format(L"[ERROR] 窗口不在虚拟屏幕内 hwnd=%p rect=(-500,100,-200,300)\r\n", pattern.Window())));
    EXPECT_EQ(0, log.Count(L"窗口截图"));
}

TEST(WindowCaptureTest, FailsWhenNoWindowCanBeCaptured) {
    OwnWindow own(100, 100, 300, 200);
    ASSERT_NE(nullptr, own.Window());
    ASSERT_TRUE(TakeForeground(own.Window()));
    // A bare display (or a fresh virtual desktop) shows no other program's window; anything else makes this
    // test meaningless rather than wrong.
    for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
        if (IsCapturableWindow(window)) {
            GTEST_SKIP() << "another program shows a window: " << window;
        }
    }

    CapturedLog log;
    CapturedImage image;
    image.originX = 7; // left over from an earlier capture
    image.originY = 9;
    EXPECT_FALSE(CaptureForegroundWindow(image));
    EXPECT_EQ(nullptr, image.bitmap);
    EXPECT_EQ(0, image.width);
    EXPECT_EQ(0, image.height);
    EXPECT_EQ(0, image.originX);
    EXPECT_EQ(0, image.originY);
    EXPECT_TRUE(log.Contains(Format(L"[ERROR] 没有可截取的窗口 foreground=%p\r\n", own.Window())));
    EXPECT_EQ(0, log.Count(L"前台窗口不可截取"));
}
