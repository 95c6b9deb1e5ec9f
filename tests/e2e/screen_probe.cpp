#include "screen_probe.h"

#include <cstdlib>

#include "capture/captured_image.h"
#include "capture/gdiplus_headers.h"
#include "capture/image_save.h"
#include "capture/screen_capture.h"
#include "config/config.h"
#include "desktop_probe.h"
#include "support/bitmap_pixels.h"

ScreenShot TakeScreenShot() {
    ScreenShot shot;
    CapturedImage image;
    if (CaptureScreenRect(Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, image)) {
        shot.pixels = ReadBitmapPixels(image.bitmap, &shot.width, &shot.height);
    }
    ReleaseCapturedImage(image);
    return shot;
}

uint32_t ScreenPixel(int x, int y) {
    CapturedImage image;
    uint32_t colour = 0xFFFFFFFF;
    if (CaptureScreenRect(Rect{x, y, x + 1, y + 1}, image)) {
        colour = ReadBitmapPixels(image.bitmap).at(0);
    }
    ReleaseCapturedImage(image);
    return colour;
}

bool SaveScreenShot(const ScreenShot& shot, const RECT& area, const std::wstring& path) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    HBITMAP bitmap = CreatePatternBitmap(width, height, [&](int x, int y) {
        const int sx = area.left + x;
        const int sy = area.top + y;
        return sx >= 0 && sy >= 0 && sx < shot.width && sy < shot.height ? shot.At(sx, sy) : 0u;
    });
    if (bitmap == nullptr) {
        return false;
    }
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    bool saved = false;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
        saved = SaveBitmapToFile(bitmap, path, static_cast<int>(ImageFormat::Png), 100);
        Gdiplus::GdiplusShutdown(token);
    }
    DeleteObject(bitmap);
    return saved;
}

int Channel(uint32_t colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}

bool IsDimmedFrom(uint32_t shown, uint32_t original) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(Channel(shown, shift) - Channel(original, shift) * 135 / 255) > 2) {
            return false;
        }
    }
    return true;
}

bool AnyPixelIn(const ScreenShot& shot, const RECT& area, uint32_t colour) {
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (shot.At(x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

RECT WindowRect(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

bool IsTopmost(HWND window) {
    return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void ClickAt(POINT p) {
    ClickAt(p.x, p.y);
    Sleep(150); // handled before the next step looks
}
