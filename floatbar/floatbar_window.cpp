#include "base/dpi_scale.h"
#include "base/window_drag.h"
#include "base/window_helpers.h"
#include "floatbar/floatbar_state.h"
#include "log/log.h"
#include "text/font.h"
#include "text/texts.h"

namespace {

constexpr int kFloatBarFontPoints = 9;

FloatBarState* StateOf(HWND window) {
    return WindowStateOf<FloatBarState>(window);
}

int32_t TextWidth(HDC dc, const wchar_t* text) {
    SIZE size = {};
    if (dc == nullptr || !GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size)) {
        return 0;
    }
    return size.cx;
}

void ApplyRoundedShape(HWND window, int32_t width, int32_t height, int32_t cornerSize) {
    HRGN region = CreateRoundRectRgn(0, 0, width + 1, height + 1, cornerSize, cornerSize);
    if (region == nullptr) {
        LogError(L"创建工具栏圆角区域失败 err=%lu", GetLastError());
        return;
    }
    // After a successful call the system owns the region; after a failure it is still ours.
    if (!SetWindowRgn(window, region, TRUE)) {
        LogError(L"设置工具栏圆角失败 err=%lu", GetLastError());
        DeleteObject(region);
    }
}

void FreeState(HWND window, FloatBarState* state) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (state->font != nullptr) {
        DeleteObject(state->font);
    }
    if (floatBar == state) {
        floatBar = nullptr;
    }
    delete state;
    if (floatBarWindow == window) {
        floatBarWindow = nullptr;
    }
}

void LogBarPosition(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    LogInfo(L"悬浮工具栏位置 pos=(%d,%d)", static_cast<int>(rect.left), static_cast<int>(rect.top));
}

LRESULT OnNcCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    // The default processing is what gives the window its title.
    return DefWindowProcW(window, message, wParam, lParam);
}

void OnSetCursor(HWND window, const FloatBarState& state) {
    POINT pointer = {};
    GetCursorPos(&pointer);
    ScreenToClient(window, &pointer);
    const bool overButton = FloatBarHitTest(state, Point{pointer.x, pointer.y}) >= 0;
    SetCursor(LoadCursorW(nullptr, overButton ? IDC_HAND : IDC_SIZEALL));
}

void OnMouseMove(HWND window, FloatBarState& state, LPARAM lParam) {
    if (state.dragging) {
        FollowWindowDrag(window, state.dragStartCursor, state.dragStartWindowRect);
        return;
    }
    const int32_t hover = FloatBarHitTest(state, MessagePoint(lParam));
    if (hover != state.hoverButton) {
        state.hoverButton = hover;
        InvalidateRect(window, nullptr, FALSE);
    }
    TrackMouseLeave(window);
}

void OnLButtonDown(HWND window, FloatBarState& state, LPARAM lParam) {
    const int32_t button = FloatBarHitTest(state, MessagePoint(lParam));
    if (button >= 0) {
        LogInfo(L"悬浮工具栏点击 %s", FloatBarButtonLabel(button));
        // The command runs inside this message: a capture with its own loop, the settings window, or Quit,
        // which destroys this very window and its state. Nothing of either is touched after it.
        if (HostCommandHandler handler = floatBarCommandHandler) {
            handler(FloatBarButtonCommand(button));
        }
        return;
    }
    state.dragging = true;
    BeginWindowDrag(window, state.dragStartCursor, state.dragStartWindowRect);
}

void OnLButtonUp(HWND window, FloatBarState& state) {
    if (!state.dragging) {
        return;
    }
    // Cleared before the release, whose WM_CAPTURECHANGED then finds no drag to end.
    state.dragging = false;
    EndWindowDrag(window, state.dragStartCursor, state.dragStartWindowRect);
    LogBarPosition(window);
}

// Another window took the mouse (a menu, Alt+Tab) while the button was down: the drag ends where the bar is,
// so that it never follows a pointer whose button is up.
void OnCaptureChanged(HWND window, FloatBarState& state) {
    if (!state.dragging) {
        return;
    }
    state.dragging = false;
    LogBarPosition(window);
}

void OnMouseLeave(HWND window, FloatBarState& state) {
    if (state.hoverButton == -1) {
        return;
    }
    state.hoverButton = -1;
    InvalidateRect(window, nullptr, FALSE);
}

} // namespace

LRESULT CALLBACK FloatBarWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        return OnNcCreate(window, message, wParam, lParam);
    }
    FloatBarState* state = StateOf(window);
    switch (message) {
    case WM_CREATE:
        if (state != nullptr) {
            LayoutFloatBar(window, *state);
        }
        return 0;
    case WM_DESTROY:
    case WM_NCDESTROY:
        // Freed at WM_DESTROY; WM_NCDESTROY only finds it still there when a failed creation skipped that.
        if (state != nullptr) {
            FreeState(window, state);
        }
        return message == WM_NCDESTROY ? DefWindowProcW(window, message, wParam, lParam) : 0;
    case WM_PAINT:
        if (state != nullptr) {
            PaintFloatBar(window, *state);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        // A click on the bar leaves the activation, and the typing focus, with the user's window.
        return MA_NOACTIVATE;
    case WM_SETCURSOR:
        if (state != nullptr) {
            OnSetCursor(window, *state);
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE:
        if (state != nullptr) {
            OnMouseMove(window, *state, lParam);
        }
        return 0;
    case WM_LBUTTONDOWN:
        if (state != nullptr) {
            OnLButtonDown(window, *state, lParam);
        }
        return 0;
    case WM_LBUTTONUP:
        if (state != nullptr) {
            OnLButtonUp(window, *state);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (state != nullptr) {
            OnCaptureChanged(window, *state);
        }
        return 0;
    case WM_MOUSELEAVE:
        if (state != nullptr) {
            OnMouseLeave(window, *state);
        }
        return 0;
    case WM_DPICHANGED:
        // The bar keeps its top-left corner and takes the new DPI; the system's suggested rectangle is not
        // used.
        if (state != nullptr) {
            LayoutFloatBar(window, *state);
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void LayoutFloatBar(HWND window, FloatBarState& state) {
    state.dpi = UsableDpi(static_cast<int32_t>(GetDpiForWindow(window)));
    if (state.font != nullptr) {
        DeleteObject(state.font);
    }
    state.font = CreateInterfaceFont(state.dpi, kFloatBarFontPoints);

    int32_t captionWidth = 0;
    FloatBarTextWidths textWidths{};
    if (HDC dc = GetDC(window)) {
        const HGDIOBJ previousFont = SelectObject(dc, state.font);
        captionWidth = TextWidth(dc, GetText(32));
        for (int32_t i = 0; i < kFloatBarButtonCount; ++i) {
            textWidths[i] = TextWidth(dc, FloatBarButtonLabel(i));
        }
        if (previousFont != nullptr) {
            SelectObject(dc, previousFont);
        }
        ReleaseDC(window, dc);
    }
    const FloatBarGeometry geometry = ComputeFloatBarGeometry(state.dpi, captionWidth, textWidths);
    state.captionRect = geometry.captionRect;
    state.buttonRects = geometry.buttonRects;
    state.separatorX = geometry.separatorX;

    RECT rect = {};
    GetWindowRect(window, &rect);
    SetWindowPos(window, nullptr, rect.left, rect.top, geometry.width, geometry.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyRoundedShape(window, geometry.width, geometry.height, geometry.cornerSize);
}

int32_t FloatBarHitTest(const FloatBarState& state, const Point& point) {
    return HitTestFloatBarButtons(state.buttonRects, point);
}

const wchar_t* FloatBarButtonLabel(int32_t index) {
    const int32_t textId = FloatBarButtonTextId(index);
    return textId >= 0 ? GetText(static_cast<TextId>(textId)) : L"";
}
