#include "floatbar/floatbar.h"

#include "config/config.h"
#include "floatbar/floatbar_state.h"
#include "log/log.h"

FloatBarState* floatBar = nullptr;
HWND floatBarWindow = nullptr;
bool floatBarWanted = false;
HostCommandHandler floatBarCommandHandler = nullptr;

namespace {

constexpr BYTE kFloatBarAlpha = 204;
constexpr int kStartOffsetX = 80;
constexpr int kStartOffsetY = 24;
// The size the window is created with; its first layout gives it its real size and shape.
constexpr int kCreateWidth = 520;
constexpr int kCreateHeight = 40;
// The caption is fixed, whatever the language, so that the window is always found under one title.
constexpr wchar_t kFloatBarTitle[] = L"KOR-VEL截图工具";

bool RegisterFloatBarClass() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = FloatBarWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kFloatBarClassName;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        LogError(L"注册悬浮工具栏窗口类失败 err=%lu", GetLastError());
        return false;
    }
    return true;
}

// A layered window that gets no opacity is never drawn at all; without layering it is at least opaque.
void ApplyFloatBarOpacity(HWND window) {
    if (SetLayeredWindowAttributes(window, 0, kFloatBarAlpha, LWA_ALPHA)) {
        LogInfo(L"悬浮工具栏透明度 alpha=%u", static_cast<unsigned>(kFloatBarAlpha));
        return;
    }
    LogError(L"设置工具栏透明度失败 err=%lu", GetLastError());
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    SetWindowLongPtrW(window, GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
}

void ShowOnTop(HWND window) {
    ShowWindow(window, SW_SHOWNA);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

} // namespace

bool CreateFloatBar(HostCommandHandler handler) {
    floatBarCommandHandler = handler;
    if (!RegisterFloatBarClass()) {
        return false;
    }
    auto* state = new FloatBarState();
    floatBar = state;
    RECT workArea = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    // WM_CREATE lays the bar out inside this call; from WM_NCCREATE on, the window owns the state.
    HWND window =
        CreateWindowExW(WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kFloatBarClassName, kFloatBarTitle,
                        WS_POPUP, workArea.left + kStartOffsetX, workArea.top + kStartOffsetY, kCreateWidth,
                        kCreateHeight, nullptr, nullptr, GetModuleHandleW(nullptr), state);
    if (window == nullptr) {
        LogError(L"创建悬浮工具栏失败 err=%lu", GetLastError());
        // A window that failed after taking the state has freed it in its destruction.
        if (floatBar == state) {
            delete state;
            floatBar = nullptr;
        }
        return false;
    }
    floatBarWindow = window;
    ApplyFloatBarOpacity(window);

    floatBarWanted = GetConfig().toolbar;
    if (floatBarWanted) {
        ShowWindow(window, SW_SHOWNA);
        LogInfo(L"悬浮工具栏已显示 hwnd=%p", window);
    } else {
        LogInfo(L"悬浮工具栏已创建但默认隐藏 hwnd=%p", window);
    }
    return true;
}

void DestroyFloatBar() {
    if (floatBarWindow == nullptr) {
        return;
    }
    // Cleared first: the destruction may run inside the toolbar's own click, which must then find no bar.
    HWND window = floatBarWindow;
    floatBarWindow = nullptr;
    DestroyWindow(window);
}

void SetFloatBarVisible(bool show) {
    floatBarWanted = show;
    if (floatBarWindow == nullptr) {
        LogError(L"切换工具栏失败：窗口不存在 enabled=%d", show ? 1 : 0);
        return;
    }
    if (show) {
        ShowOnTop(floatBarWindow);
        LogInfo(L"悬浮工具栏已按勾选显示");
    } else {
        ShowWindow(floatBarWindow, SW_HIDE);
        LogInfo(L"悬浮工具栏已按取消勾选隐藏");
    }
}

void RelayoutFloatBar() {
    if (floatBarWindow == nullptr || floatBar == nullptr) {
        return;
    }
    LayoutFloatBar(floatBarWindow, *floatBar);
    InvalidateRect(floatBarWindow, nullptr, FALSE);
    LogInfo(L"悬浮工具栏已按语言重排");
}

void HideFloatBarForCapture() {
    if (floatBarWindow == nullptr || !IsWindowVisible(floatBarWindow)) {
        return;
    }
    ShowWindow(floatBarWindow, SW_HIDE);
    // The pointer is not over a hidden bar: it comes back with no button lit.
    if (floatBar != nullptr) {
        floatBar->hoverButton = -1;
    }
    LogInfo(L"悬浮工具栏已隐藏");
}

void ReshowFloatBarAfterCapture() {
    if (floatBarWindow == nullptr || !floatBarWanted) {
        return;
    }
    ShowOnTop(floatBarWindow);
    LogInfo(L"悬浮工具栏已重新显示");
}
