#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "capture/captured_image.h"
#include "capture/screen_capture.h"
#include "log/log.h"
#include "support/bitmap_pixels.h"
#include "support/import_patch.h"
#include "support/test_support.h"

namespace {

// Every pixel of the window differs from its neighbours, so a copy shifted by one pixel shows.
uint32_t WindowPattern(int x, int y) {
    return (static_cast<uint32_t>(x * 7 + 30) & 0xFF) << 16 |
           (static_cast<uint32_t>(y * 11 + 60) & 0xFF) << 8 |
           (static_cast<uint32_t>((x / 10 + y / 10) * 40 + 5) & 0xFF);
}

constexpr wchar_t kWindowClass[] = L"KorvelTestPatternWindow";
constexpr Rect kWindowRect{200, 150, 320, 230}; // 120 x 80, away from the pointer

LRESULT CALLBACK PatternWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        const std::vector<uint32_t> pixels = PatternPixels(WindowPattern, 0, 0, client.right, client.bottom);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = client.right;
        info.bmiHeader.biHeight = -client.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(dc, 0, 0, client.right, client.bottom, 0, 0, 0, client.bottom, pixels.data(), &info,
                          DIB_RGB_COLORS);
        EndPaint(window, &paint);
        return 0;
    }
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The pixels of a capture, or nothing when the capture failed.
std::vector<uint32_t> CapturePixels(const Rect& rect) {
    CapturedImage image;
    if (!CaptureScreenRect(rect, image)) {
        return {};
    }
    std::vector<uint32_t> pixels = ReadBitmapPixels(image.bitmap);
    ReleaseCapturedImage(image);
    return pixels;
}

// A record with a stale size and origin (and no handle, so nothing leaks) that a capture has to clear.
CapturedImage StaleRecord() {
    CapturedImage image;
    image.width = 7;
    image.height = 8;
    image.originX = 9;
    image.originY = 10;
    return image;
}

// A topmost popup window painted with WindowPattern, shown for the whole suite.
class ScreenCaptureTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ResetLogForTesting();
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = PatternWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kWindowClass, L"pattern", WS_POPUP,
                                  kWindowRect.left, kWindowRect.top, kWindowRect.Width(),
                                  kWindowRect.Height(), nullptr, nullptr, windowClass.hInstance, nullptr);
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
        SetCursorPos(1500, 900);
        // The X server shows the window a little later than Win32 reports it shown.
        const std::vector<uint32_t> expected =
            PatternPixels(WindowPattern, 0, 0, kWindowRect.Width(), kWindowRect.Height());
        for (int attempt = 0; attempt < 100; ++attempt) {
            PumpMessages();
            if (CapturePixels(kWindowRect) == expected) {
                break;
            }
            Sleep(30);
        }
    }
    static void TearDownTestSuite() {
        DestroyWindow(window_);
        PumpMessages();
        UnregisterClassW(kWindowClass, GetModuleHandleW(nullptr));
        window_ = nullptr;
    }

    void TearDown() override { ReleaseCapturedImage(image_); }

    static HWND window_;
    CapturedLog log_;
    CapturedImage image_;
};

HWND ScreenCaptureTest::window_ = nullptr;

} // namespace

TEST_F(ScreenCaptureTest, CopiesTheScreenPixelsOfTheRectangleExactly) {
    ASSERT_NE(nullptr, window_);
    ASSERT_TRUE(CaptureScreenRect(kWindowRect, image_));
    EXPECT_EQ(120, image_.width);
    EXPECT_EQ(80, image_.height);
    EXPECT_EQ(200, image_.originX);
    EXPECT_EQ(150, image_.originY);
    int width = 0;
    int height = 0;
    const std::vector<uint32_t> pixels = ReadBitmapPixels(image_.bitmap, &width, &height);
    EXPECT_EQ(120, width);
    EXPECT_EQ(80, height);
    EXPECT_TRUE(pixels == PatternPixels(WindowPattern, 0, 0, 120, 80));
    ASSERT_EQ(1u, log_.Lines().size());
    EXPECT_EQ(L" [INFO] 屏幕采集完成 size=120x80 origin=(200,150)\r\n", log_.Lines()[0].substr(19));
}

TEST_F(ScreenCaptureTest, PictureStartsAtTheRectanglesTopLeftCorner) {
    // A margin of 10 and 20 pixels around the window: the window's pixels sit at that offset in the picture.
    const Rect around{kWindowRect.left - 10, kWindowRect.top - 20, kWindowRect.right + 5,
                      kWindowRect.bottom + 5};
    ASSERT_TRUE(CaptureScreenRect(around, image_));
    EXPECT_EQ(around.left, image_.originX);
    EXPECT_EQ(around.top, image_.originY);
    const std::vector<uint32_t> pixels = ReadBitmapPixels(image_.bitmap);
    ASSERT_EQ(static_cast<size_t>(around.Width() * around.Height()), pixels.size());
    EXPECT_TRUE(CutPixels(pixels, around.Width(), 10, 20, 120, 80) ==
                PatternPixels(WindowPattern, 0, 0, 120, 80));
}

TEST_F(ScreenCaptureTest, BitmapHasTheScreensFormatAndSelectsIntoANewDCAtOnce) {
    ASSERT_TRUE(CaptureScreenRect(kWindowRect, image_));
    BITMAP facts = {};
    ASSERT_EQ(static_cast<int>(sizeof(facts)), GetObjectW(image_.bitmap, sizeof(facts), &facts));
    HDC screen = GetDC(nullptr);
    const int screenBits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(screenBits, facts.bmBitsPixel * facts.bmPlanes);
    EXPECT_TRUE(SelectableIntoNewDC(image_.bitmap));
}

TEST_F(ScreenCaptureTest, SizeIsCheckedBeforeAnythingIsMade) {
    struct Case {
        Rect rect;
        const wchar_t* refusal; // null when the capture is taken
    };
    const Case cases[] = {
        {{0, 0, 32000, 1}, nullptr},
        {{0, 0, 1, 32000}, nullptr},
        {{0, 0, 32001, 1}, L" [ERROR] 采集尺寸非法 32001x1 origin=(0,0)\r\n"},
        {{0, 0, 1, 32001}, L" [ERROR] 采集尺寸非法 1x32001 origin=(0,0)\r\n"},
        {{5, 7, 5, 17}, L" [ERROR] 采集尺寸非法 0x10 origin=(5,7)\r\n"},
        {{5, 7, 15, 7}, L" [ERROR] 采集尺寸非法 10x0 origin=(5,7)\r\n"},
        {{5, 7, 0, 17}, L" [ERROR] 采集尺寸非法 -5x10 origin=(5,7)\r\n"},
        {{5, 7, 15, 6}, L" [ERROR] 采集尺寸非法 10x-1 origin=(5,7)\r\n"},
        {{-100, -50, -100, -40}, L" [ERROR] 采集尺寸非法 0x10 origin=(-100,-50)\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.rect.left << "," << c.rect.top << "," << c.rect.right << "," << c.rect.bottom);
        log_.Clear();
        CapturedImage image = StaleRecord();
        const bool taken = CaptureScreenRect(c.rect, image);
        ASSERT_EQ(1u, log_.Lines().size());
        if (c.refusal == nullptr) {
            EXPECT_TRUE(taken);
            EXPECT_EQ(c.rect.Width(), image.width);
            EXPECT_EQ(c.rect.Height(), image.height);
            BITMAP facts = {};
            GetObjectW(image.bitmap, sizeof(facts), &facts);
            EXPECT_EQ(c.rect.Width(), facts.bmWidth);
            EXPECT_EQ(c.rect.Height(), facts.bmHeight);
            EXPECT_TRUE(SelectableIntoNewDC(image.bitmap));
            ReleaseCapturedImage(image);
        } else {
            EXPECT_FALSE(taken);
            EXPECT_TRUE(IsEmptyCapture(image));
            EXPECT_EQ(c.refusal, log_.Lines()[0].substr(19));
        }
    }
}

TEST_F(ScreenCaptureTest, VirtualScreenCoversTheBoundingRectangleOfTheMonitors) {
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int cx = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int cy = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    image_ = StaleRecord();
    ASSERT_TRUE(CaptureVirtualScreen(image_));
    EXPECT_EQ(x, image_.originX);
    EXPECT_EQ(y, image_.originY);
    EXPECT_EQ(cx, image_.width);
    EXPECT_EQ(cy, image_.height);

    wchar_t expected[128];
    swprintf(expected, 128, L" [INFO] 采集虚拟屏幕 rect=(%d,%d,%d,%d)\r\n", x, y, x + cx, y + cy);
    ASSERT_EQ(2u, log_.Lines().size());
    EXPECT_EQ(expected, log_.Lines()[0].substr(19));
    EXPECT_NE(std::wstring::npos, log_.Lines()[1].find(L"屏幕采集完成"));

    // Picture pixel (0, 0) is the virtual-screen point (originX, originY).
    const std::vector<uint32_t> pixels = ReadBitmapPixels(image_.bitmap);
    ASSERT_EQ(static_cast<size_t>(cx) * cy, pixels.size());
    EXPECT_TRUE(CutPixels(pixels, cx, kWindowRect.left - x, kWindowRect.top - y, 120, 80) ==
                PatternPixels(WindowPattern, 0, 0, 120, 80));
}

TEST_F(ScreenCaptureTest, MonitorUnderTheCursorIsCapturedWhole) {
    ASSERT_TRUE(SetCursorPos(1500, 900));
    POINT cursor = {};
    ASSERT_TRUE(GetCursorPos(&cursor));
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &info));
    const RECT& monitor = info.rcMonitor;

    image_ = StaleRecord();
    ASSERT_TRUE(CaptureMonitorUnderCursor(image_));
    EXPECT_EQ(monitor.left, image_.originX);
    EXPECT_EQ(monitor.top, image_.originY);
    EXPECT_EQ(monitor.right - monitor.left, image_.width);
    EXPECT_EQ(monitor.bottom - monitor.top, image_.height);

    wchar_t expected[160];
    swprintf(expected, 160, L" [INFO] 采集鼠标所在显示器 cursor=(%d,%d) rect=(%d,%d,%d,%d)\r\n", cursor.x,
             cursor.y, monitor.left, monitor.top, monitor.right, monitor.bottom);
    ASSERT_EQ(2u, log_.Lines().size());
    EXPECT_EQ(expected, log_.Lines()[0].substr(19));
    wchar_t done[96];
    swprintf(done, 96, L" [INFO] 屏幕采集完成 size=%dx%d origin=(%d,%d)\r\n", image_.width, image_.height,
             monitor.left, monitor.top);
    EXPECT_EQ(done, log_.Lines()[1].substr(19));

    const std::vector<uint32_t> pixels = ReadBitmapPixels(image_.bitmap);
    ASSERT_EQ(static_cast<size_t>(image_.width) * image_.height, pixels.size());
    EXPECT_TRUE(CutPixels(pixels, image_.width, kWindowRect.left - monitor.left,
                          kWindowRect.top - monitor.top, 120,
                          80) == PatternPixels(WindowPattern, 0, 0, 120, 80));
}

TEST_F(ScreenCaptureTest, ReleaseDeletesTheBitmapAndKeepsTheOrigin) {
    ASSERT_TRUE(CaptureScreenRect(kWindowRect, image_));
    const HBITMAP bitmap = image_.bitmap;
    ASSERT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(bitmap));
    ReleaseCapturedImage(image_);
    EXPECT_EQ(0u, GetObjectType(bitmap)) << "the bitmap is deleted";
    EXPECT_EQ(nullptr, image_.bitmap);
    EXPECT_EQ(0, image_.width);
    EXPECT_EQ(0, image_.height);
    EXPECT_EQ(200, image_.originX);
    EXPECT_EQ(150, image_.originY);

    ReleaseCapturedImage(image_); // twice is harmless
    EXPECT_EQ(nullptr, image_.bitmap);
    EXPECT_EQ(200, image_.originX);

    CapturedImage empty;
    ReleaseCapturedImage(empty);
    EXPECT_TRUE(IsEmptyCapture(empty));

    CapturedImage sizeOnly = StaleRecord();
    ReleaseCapturedImage(sizeOnly);
    EXPECT_EQ(nullptr, sizeOnly.bitmap);
    EXPECT_EQ(0, sizeOnly.width);
    EXPECT_EQ(0, sizeOnly.height);
    EXPECT_EQ(9, sizeOnly.originX);
    EXPECT_EQ(10, sizeOnly.originY);
}

TEST_F(ScreenCaptureTest, ARefusedSelectionIsReportedAsSuchWithoutAStaleErrorCode) {
    {
        BitmapSelectionRefusal refuse(64, 48);
        ASSERT_TRUE(refuse.Active());
        SetLastError(ERROR_ALREADY_EXISTS); // left by some earlier call
        EXPECT_FALSE(CaptureScreenRect(Rect{10, 20, 74, 68}, image_));
        EXPECT_EQ(1, refuse.Refusals());
    }
    EXPECT_TRUE(IsEmptyCapture(image_));
    ASSERT_EQ(1u, log_.Lines().size());
    EXPECT_NE(std::wstring::npos,
              log_.Lines()[0].find(L"[ERROR] 采集失败：采集位图无法选入 DC size=64x48\r\n"))
        << ToUtf8(log_.Lines()[0]);
}

TEST_F(ScreenCaptureTest, ManyCapturesInARowLeaveNoGdiObjectsBehind) {
    // A DC or bitmap kept by each capture (also by a refused one) would pile up: every capture must still
    // succeed, and GDI must have as much room left afterwards as before. The GDI quota is far away, so the
    // room is measured rather than waited for.
    CapturedImage warmUp;
    ASSERT_TRUE(CaptureScreenRect(Rect{0, 0, 64, 48}, warmUp));
    ReleaseCapturedImage(warmUp);
    const long before = GdiHeadroom();
    for (int i = 0; i < 300; ++i) {
        CapturedImage image;
        ASSERT_TRUE(CaptureScreenRect(Rect{i, i, i + 64, i + 48}, image)) << "capture " << i;
        const HBITMAP bitmap = image.bitmap;
        ReleaseCapturedImage(image);
        ASSERT_EQ(0u, GetObjectType(bitmap)) << "capture " << i;
        ASSERT_FALSE(CaptureScreenRect(Rect{i, i, i, i + 48}, image)) << "refused capture " << i;
    }
    const long after = GdiHeadroom();
    EXPECT_GE(after, before) << "objects left behind by 300 captures: " << before - after;
}
