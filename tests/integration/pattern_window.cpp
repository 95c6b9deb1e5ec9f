// Shows a topmost window painted with the test pattern (support/pattern.h) until it is ended, so that tests
// can capture a window of another process and know every pixel of it.
// Arguments: X Y WIDTH HEIGHT [framed] [minimized] [clickthrough] [invisible]
//   X Y WIDTH HEIGHT  the window rectangle in screen pixels (X and Y may be negative)
//   framed            a captioned, sizeable window instead of a borderless one
//   minimized         start minimised and leave the foreground alone
//   clickthrough      a layered window that clicks pass through (WS_EX_TRANSPARENT), like an overlay
//   invisible         a layered window of constant alpha 0
// Exit code 2 when the arguments or the window cannot be made.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include "support/pattern.h"

namespace {

const wchar_t kClassName[] = L"KorvelTestPattern";
const wchar_t kTitle[] = L"Korvel test pattern";

void PaintPattern(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client = {};
    GetClientRect(window, &client);
    const int width = client.right;
    const int height = client.bottom;
    if (width > 0 && height > 0) {
        std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                    PatternColour(x, y);
            }
        }
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height; // rows from the top
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                          static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    }
    EndPaint(window, &paint);
}

LRESULT CALLBACK PatternWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the pattern covers the whole client area
    case WM_PAINT:
        PaintPattern(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    // wWinMain's command line starts after the program name.
    wchar_t* rest = commandLine;
    int numbers[4] = {};
    for (int& number : numbers) {
        wchar_t* end = nullptr;
        number = static_cast<int>(wcstol(rest, &end, 10));
        if (end == rest) {
            return 2;
        }
        rest = end;
    }
    const int x = numbers[0];
    const int y = numbers[1];
    const int width = numbers[2];
    const int height = numbers[3];
    const bool framed = wcsstr(rest, L"framed") != nullptr;
    const bool minimized = wcsstr(rest, L"minimized") != nullptr;
    const bool clickThrough = wcsstr(rest, L"clickthrough") != nullptr;
    const bool invisible = wcsstr(rest, L"invisible") != nullptr;

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = PatternWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) == 0) {
        return 2;
    }
    const DWORD style = framed ? WS_OVERLAPPEDWINDOW : WS_POPUP;
    DWORD exStyle = WS_EX_TOPMOST;
    if (clickThrough || invisible) {
        exStyle |= WS_EX_LAYERED;
    }
    if (clickThrough) {
        exStyle |= WS_EX_TRANSPARENT;
    }
    HWND window = CreateWindowExW(exStyle, kClassName, kTitle, style, x, y, width, height, nullptr, nullptr,
                                  instance, nullptr);
    if (window == nullptr) {
        return 2;
    }
    if ((exStyle & WS_EX_LAYERED) != 0 &&
        !SetLayeredWindowAttributes(window, 0, invisible ? 0 : 255, LWA_ALPHA)) {
        return 2;
    }
    if (minimized) {
        ShowWindow(window, SW_SHOWMINNOACTIVE);
    } else {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
        SetForegroundWindow(window);
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
