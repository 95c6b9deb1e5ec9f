#include "preview/preview.h"

#include <shellscalingapi.h>

#include "base/gdi_scope.h"
#include "base/win_rect.h"
#include "log/log.h"
#include "preview/preview_layout.h"
#include "preview/preview_render.h"
#include "preview/preview_state.h"
#include "preview/preview_window.h"
#include "text/font.h"

std::vector<HWND> previewWindows;

namespace {

constexpr wchar_t kPreviewClass[] = L"KorvelPreview";
constexpr int32_t kDefaultDpi = 96;
constexpr int kButtonFontPoints = 9;

// Set only once the class is registered, so that a failed registration is tried again by the next preview.
bool previewClassRegistered = false;

void EnsurePreviewClass() {
    if (previewClassRegistered) {
        return;
    }
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = PreviewWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kPreviewClass;
    if (RegisterClassExW(&windowClass) == 0) {
        // The window creation below then fails and says so.
        LogError(L"注册预览窗口类失败 err=%lu", GetLastError());
        return;
    }
    previewClassRegistered = true;
}

// The monitor nearest to the captured area's top-left corner and its work area.
bool FindPreviewMonitor(const CapturedImage& image, HMONITOR& monitor, Rect& workArea) {
    monitor = MonitorFromPoint(POINT{image.originX, image.originY}, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (monitor == nullptr || !GetMonitorInfoW(monitor, &info)) {
        LogError(L"预览时获取显示器失败 err=%lu", GetLastError());
        return false;
    }
    workArea = FromWinRect(info.rcWork);
    return true;
}

int32_t MonitorDpi(HMONITOR monitor) {
    UINT dpiX = 0;
    UINT dpiY = 0;
    if (FAILED(GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) || dpiX == 0) {
        LogError(L"GetDpiForMonitor 失败，按 96 DPI 排预览");
        return kDefaultDpi;
    }
    return static_cast<int32_t>(dpiX);
}

// A fresh state for the picture: pinned, no hover, sizes for the DPI, its own font and button width.
OwnedPreviewState NewPreviewState(const CapturedImage& image, const DisplaySize& display, int32_t dpi) {
    const PreviewMetrics metrics = PreviewMetricsForDpi(dpi);
    OwnedPreviewState state(new PreviewState());
    state->captureBitmap = image.bitmap;
    state->imageWidth = image.width;
    state->imageHeight = image.height;
    state->displayWidth = display.width;
    state->displayHeight = display.height;
    state->dpi = dpi;
    state->shadowSize = metrics.shadowSize;
    state->buttonHeight = metrics.buttonHeight;
    state->buttonGap = metrics.buttonGap;
    state->pinned = true;
    state->hoverButton = -1;
    state->font = CreateInterfaceFont(dpi, kButtonFontPoints);
    state->buttonWidth = MeasurePreviewButtonWidth(dpi, state->font);
    return state;
}

// The picture as shown: the capture itself when it fits, else a copy scaled once with HALFTONE quality.
bool MakeDisplayBitmap(PreviewState& state) {
    if (state.displayWidth == state.imageWidth && state.displayHeight == state.imageHeight) {
        state.displayBitmap = state.captureBitmap;
        return true;
    }
    OwnedBitmap scaled;
    ScreenDC screen;
    MemoryDC sourceDc(screen.Get());
    MemoryDC targetDc(screen.Get());
    if (screen) {
        scaled.Reset(CreateCompatibleBitmap(screen.Get(), state.displayWidth, state.displayHeight));
    }
    bool done = false;
    if (sourceDc && targetDc && scaled.Get() != nullptr) {
        SelectionScope sourceSelected(sourceDc.Get(), state.captureBitmap);
        SelectionScope targetSelected(targetDc.Get(), scaled.Get());
        SetStretchBltMode(targetDc.Get(), HALFTONE);
        SetBrushOrgEx(targetDc.Get(), 0, 0, nullptr);
        // A picture that cannot be selected or stretched would show as a black square: refused likewise.
        done = sourceSelected.Ok() && targetSelected.Ok() &&
               StretchBlt(targetDc.Get(), 0, 0, state.displayWidth, state.displayHeight, sourceDc.Get(), 0, 0,
                          state.imageWidth, state.imageHeight, SRCCOPY);
    }
    if (!done) {
        LogError(L"创建缩放预览失败 %dx%d -> %dx%d err=%lu", state.imageWidth, state.imageHeight,
                 state.displayWidth, state.displayHeight, GetLastError());
        return false;
    }
    state.displayBitmap = scaled.Release();
    return true;
}

// The window takes the state out of `state` at WM_NCCREATE.
HWND CreatePreviewWindow(OwnedPreviewState* state, const Point& place, const PreviewLayout& layout) {
    return CreateWindowExW(WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kPreviewClass, L"", WS_POPUP,
                           place.x, place.y, layout.windowWidth, layout.windowHeight, nullptr, nullptr,
                           GetModuleHandleW(nullptr), state);
}

// Gives the new preview the keyboard focus (so that Esc closes it), also while another program is in front:
// joined to the foreground thread's input, this thread may take the foreground.
void BringPreviewToFront(HWND window) {
    const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    const DWORD currentThread = GetCurrentThreadId();
    if (foregroundThread != 0 && foregroundThread != currentThread &&
        AttachThreadInput(foregroundThread, currentThread, TRUE)) {
        SetForegroundWindow(window);
        SetFocus(window);
        AttachThreadInput(foregroundThread, currentThread, FALSE);
        return;
    }
    SetForegroundWindow(window);
    SetFocus(window);
}

} // namespace

bool ShowPreview(CapturedImage& image) {
    if (image.bitmap == nullptr || image.width <= 0 || image.height <= 0) {
        LogError(L"预览失败：位图无效");
        return false;
    }
    EnsurePreviewClass();
    HMONITOR monitor = nullptr;
    Rect workArea;
    if (!FindPreviewMonitor(image, monitor, workArea)) {
        return false;
    }
    const int32_t dpi = MonitorDpi(monitor);
    const PreviewMetrics metrics = PreviewMetricsForDpi(dpi);
    const DisplaySize display =
        FitPreviewImage(image.width, image.height, workArea, metrics.shadowSize, metrics.buttonHeight);

    OwnedPreviewState state = NewPreviewState(image, display, dpi);
    if (!MakeDisplayBitmap(*state)) {
        state.reset(); // deletes the full-size picture and the font
        image.bitmap = nullptr;
        return false;
    }
    // The state owns the picture from here on, whatever happens next.
    image.bitmap = nullptr;

    const PreviewLayout layout = ComputePreviewLayout(*state);
    const Point place = PlacePreviewWindow(layout, image.originX, image.originY, workArea);
    // Exactly one of the two frees the state when the creation fails: the window, once WM_NCCREATE has taken
    // it (its WM_NCDESTROY runs also when a later step of the creation fails); otherwise `state` as it goes.
    PreviewState* const owned = state.get();
    HWND window = CreatePreviewWindow(&state, place, layout);
    if (window == nullptr) {
        LogError(L"创建预览窗口失败 err=%lu", GetLastError());
        return false;
    }

    RenderPreview(window, *owned);
    ShowWindow(window, SW_SHOWNA);
    previewWindows.push_back(window);
    BringPreviewToFront(window);
    LogInfo(L"预览已显示 hwnd=%p pos=(%d,%d) image=%dx%d window=%dx%d pinned=1", static_cast<void*>(window),
            place.x, place.y, display.width, display.height, layout.windowWidth, layout.windowHeight);
    return true;
}
