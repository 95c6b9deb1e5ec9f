#include "settings/settings_mouse.h"

#include "base/window_helpers.h"
#include "log/log.h"
#include "settings/settings_apply.h"
#include "settings/settings_controls.h"
#include "settings/settings_layout.h"
#include "settings/settings_state.h"

namespace {

// Hover changes repaint the caption and navigation bars only, without erasing.
void InvalidateBars(HWND window, const SettingsState& state) {
    RECT client = {};
    GetClientRect(window, &client);
    const SettingsMetrics m = SettingsMetricsForDpi(state.dpi);
    const RECT bars = {0, 0, client.right, m.caption + m.navigation};
    InvalidateRect(window, &bars, FALSE);
}

} // namespace

int HitTestCaptionButton(HWND window, const Point& point) {
    const SettingsState* state = SettingsStateOf(window);
    if (state == nullptr) {
        return 0;
    }
    RECT client = {};
    GetClientRect(window, &client);
    return CaptionBoxAt(client.right, state->dpi, point);
}

int HitTestNavItem(HWND window, const Point& point) {
    const SettingsState* state = SettingsStateOf(window);
    if (state == nullptr) {
        return -1;
    }
    RECT client = {};
    GetClientRect(window, &client);
    return NavTabAt(client.right, state->dpi, point);
}

LRESULT OnSettingsSetCursor(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const SettingsState* state = SettingsStateOf(window);
    if (state != nullptr && (state->hoveredNavItem >= 0 || state->hoveredCaptionButton != 0)) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void OnSettingsMouseMove(HWND window, LPARAM lParam) {
    SettingsState* state = SettingsStateOf(window);
    if (state == nullptr) {
        return;
    }
    const Point point = MessagePoint(lParam);
    const int caption = HitTestCaptionButton(window, point);
    const int tab = HitTestNavItem(window, point);
    if (caption != state->hoveredCaptionButton || tab != state->hoveredNavItem) {
        state->hoveredCaptionButton = caption;
        state->hoveredNavItem = tab;
        InvalidateBars(window, *state);
    }
    TrackMouseLeave(window);
}

void OnSettingsMouseLeave(HWND window) {
    SettingsState* state = SettingsStateOf(window);
    if (state == nullptr || (state->hoveredNavItem == -1 && state->hoveredCaptionButton == 0)) {
        return;
    }
    state->hoveredNavItem = -1;
    state->hoveredCaptionButton = 0;
    InvalidateBars(window, *state);
}

void OnSettingsLButtonDown(HWND window, LPARAM lParam) {
    const Point point = MessagePoint(lParam);
    const int caption = HitTestCaptionButton(window, point);
    if (caption == kCloseBox) {
        LogInfo(L"点击设置窗口关闭");
        CancelSettings(window);
        return;
    }
    if (caption == kMinimiseBox) {
        LogInfo(L"点击设置窗口最小化");
        MinimiseSettings(window);
        return;
    }
    SettingsState* state = SettingsStateOf(window);
    if (state == nullptr) {
        return;
    }
    if (point.y >= 0 && point.y < SettingsMetricsForDpi(state->dpi).caption) {
        // The system drags the window by its drawn caption, from where the pointer is.
        ReleaseCapture();
        const DWORD at = GetMessagePos();
        SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, static_cast<LPARAM>(at));
        return;
    }
    const int tab = HitTestNavItem(window, point);
    if (tab >= 0 && tab != static_cast<int>(state->page)) {
        state->page = static_cast<SettingsPage>(tab);
        LogInfo(L"设置页切换 page=%d", tab);
        LayoutSettingsWindow(window, *state);
        ApplySettingsTexts(window);
    }
}
