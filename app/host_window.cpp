#include "app/host.h"

#include "app/capture_pipeline.h"
#include "app/commands.h"
#include "settings/settings_window.h"
#include "tray/tray.h"

HWND hostWindow = nullptr;

namespace {

void OnHotkey(WPARAM id) {
    switch (id) {
    case kRegionHotkeyId:
        RunCapture(CaptureMode::Region);
        break;
    case kScreenHotkeyId:
        RunCapture(CaptureMode::Screen);
        break;
    case kWindowHotkeyId:
        RunCapture(CaptureMode::Window);
        break;
    default:
        break;
    }
}

} // namespace

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The tray sees every message first: its icon callback and the taskbar re-creation broadcast.
    if (HandleTrayMessage(window, message, wParam, lParam)) {
        return 0;
    }
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_HOTKEY:
        // The capture runs to its end inside this handler.
        OnHotkey(wParam);
        return 0;
    case OpenSettingsMessage:
        ShowSettingsWindow();
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
