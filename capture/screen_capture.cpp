#include "capture/screen_capture.h"

#include <windows.h>

#include "base/gdi_scope.h"
#include "base/win_rect.h"
#include "capture/capture_rules.h"
#include "log/log.h"

namespace {

// SRCCOPY | CAPTUREBLT: the CAPTUREBLT bit makes layered windows part of the copy.
constexpr DWORD kScreenCopyRop = SRCCOPY | CAPTUREBLT;

} // namespace

bool CaptureScreenRect(const Rect& rect, CapturedImage& out) {
    EmptyCapturedImage(out);
    const int32_t width = SpanBetween(rect.left, rect.right);
    const int32_t height = SpanBetween(rect.top, rect.bottom);
    if (!IsCaptureSizeAllowed(width, height)) {
        LogError(L"采集尺寸非法 %dx%d origin=(%d,%d)", width, height, rect.left, rect.top);
        return false;
    }

    // Declared first so that it is deleted, on a failure, only after the DCs below have let it go.
    OwnedBitmap bitmap;
    bool copied = false;
    DWORD copyError = 0;
    {
        ScreenDC screen;
        if (!screen) {
            LogError(L"GetDC 失败 err=%lu", GetLastError());
            return false;
        }
        MemoryDC memory(screen.Get());
        if (memory) {
            bitmap.Reset(CreateCompatibleBitmap(screen.Get(), width, height));
        }
        if (!memory || bitmap.Get() == nullptr) {
            // The failed call was the last one made, so its error code is still there.
            LogError(L"创建采集位图失败 size=%dx%d err=%lu", width, height, GetLastError());
            return false;
        }
        SelectionScope selected(memory.Get(), bitmap.Get());
        if (!selected.Ok()) {
            // Nothing was copied; SelectObject leaves no error code, so none is reported.
            LogError(L"采集失败：采集位图无法选入 DC size=%dx%d", width, height);
            return false;
        }
        copied = BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top, kScreenCopyRop);
        // Read at once: the clean-up below may overwrite the copy's error code.
        copyError = copied ? 0 : GetLastError();
    } // the memory DC gets its previous bitmap back, is deleted, then the screen DC is released
    if (!copied) {
        LogError(L"BitBlt 失败 size=%dx%d origin=(%d,%d) err=%lu", width, height, rect.left, rect.top,
                 copyError);
        return false;
    }

    out.bitmap = bitmap.Release();
    out.width = width;
    out.height = height;
    out.originX = rect.left;
    out.originY = rect.top;
    LogInfo(L"屏幕采集完成 size=%dx%d origin=(%d,%d)", width, height, rect.left, rect.top);
    return true;
}

bool CaptureVirtualScreen(CapturedImage& out) {
    EmptyCapturedImage(out);
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int cx = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int cy = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const Rect screen{x, y, x + cx, y + cy};
    LogInfo(L"采集虚拟屏幕 rect=(%d,%d,%d,%d)", screen.left, screen.top, screen.right, screen.bottom);
    // Where the monitors do not fill this bounding rectangle, the copy holds whatever the screen DC yields.
    return CaptureScreenRect(screen, out);
}

bool CaptureMonitorUnderCursor(CapturedImage& out) {
    EmptyCapturedImage(out);
    POINT cursor = {};
    if (!GetCursorPos(&cursor)) {
        LogError(L"GetCursorPos 失败 err=%lu", GetLastError());
        return false;
    }
    // A pointer in a gap between monitors takes the nearest one.
    HMONITOR monitor = MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) {
        LogError(L"GetMonitorInfo 失败 cursor=(%d,%d) err=%lu", cursor.x, cursor.y, GetLastError());
        return false;
    }
    // The whole monitor, taskbar included, not its work area.
    const RECT& area = info.rcMonitor;
    LogInfo(L"采集鼠标所在显示器 cursor=(%d,%d) rect=(%d,%d,%d,%d)", cursor.x, cursor.y, area.left, area.top,
            area.right, area.bottom);
    return CaptureScreenRect(FromWinRect(area), out);
}
