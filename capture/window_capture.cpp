#include "capture/window_capture.h"

#include <dwmapi.h>

#include "base/win_rect.h"
#include "capture/screen_capture.h"
#include "capture/window_rules.h"
#include "log/log.h"

namespace {

// Enough for every class the capturability test compares against.
constexpr int kRuleClassChars = 64;
// Class name and title as far as the log line shows them.
constexpr int kLogNameChars = 128;
// GetWindow(GW_HWNDNEXT) can run in a circle while windows are re-ordered under the walk; no session holds
// more top-level windows than USER has handles.
constexpr int kMaxWalkSteps = 65536;

// The facts of a real window, each read from the system when the rules ask for it.
class LiveWindowFacts : public WindowFacts {
  public:
    explicit LiveWindowFacts(HWND window) : window_(window) {}

    bool Exists() override { return IsWindow(window_) != FALSE; }
    bool Visible() override { return IsWindowVisible(window_) != FALSE; }
    bool Minimized() override { return IsIconic(window_) != FALSE; }
    bool OwnedByThisProcess() override {
        DWORD processId = 0;
        GetWindowThreadProcessId(window_, &processId);
        return processId == GetCurrentProcessId();
    }
    bool ClickThrough() override { return (ExtendedStyle() & WS_EX_TRANSPARENT) != 0; }
    bool FullyTransparent() override {
        if ((ExtendedStyle() & WS_EX_LAYERED) == 0) {
            return false;
        }
        // Fails for a layered window drawn with UpdateLayeredWindow, whose pixels carry their own alpha.
        BYTE alpha = 255;
        DWORD flags = 0;
        return GetLayeredWindowAttributes(window_, nullptr, &alpha, &flags) && (flags & LWA_ALPHA) != 0 &&
               alpha == 0;
    }
    bool WindowRect(Rect& rect) override {
        RECT r = {};
        if (!GetWindowRect(window_, &r)) {
            return false;
        }
        rect = FromWinRect(r);
        return true;
    }
    bool Cloaked() override {
        // A failed query (no window manager, an older system) admits the window.
        DWORD cloaked = 0;
        return SUCCEEDED(DwmGetWindowAttribute(window_, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) &&
               cloaked != 0;
    }
    std::wstring ClassName() override {
        wchar_t className[kRuleClassChars] = {};
        GetClassNameW(window_, className, kRuleClassChars);
        return className;
    }

  private:
    LONG_PTR ExtendedStyle() const { return GetWindowLongPtrW(window_, GWL_EXSTYLE); }

    HWND window_;
};

// The foreground window when it may be captured, otherwise the topmost top-level window that may; null
// (and the error logged) when there is none.
HWND ChooseWindow() {
    HWND foreground = GetForegroundWindow();
    if (IsCapturableWindow(foreground)) {
        return foreground;
    }
    HWND candidate = GetTopWindow(nullptr);
    for (int step = 0; candidate != nullptr && step < kMaxWalkSteps; ++step) {
        if (IsCapturableWindow(candidate)) {
            LogInfo(L"前台窗口不可截取 foreground=%p，改用 hwnd=%p", foreground, candidate);
            return candidate;
        }
        candidate = GetWindow(candidate, GW_HWNDNEXT);
    }
    LogError(L"没有可截取的窗口 foreground=%p", foreground);
    return nullptr;
}

Rect VirtualScreenRect() {
    Rect screen;
    screen.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    screen.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    return screen;
}

} // namespace

bool IsCapturableWindow(HWND window) {
    LiveWindowFacts facts(window);
    return IsCapturableWindowFacts(facts);
}

bool CaptureForegroundWindow(CapturedImage& out) {
    EmptyCapturedImage(out);

    HWND window = ChooseWindow();
    if (window == nullptr) {
        return false;
    }
    // The window may have been minimised since it was chosen.
    if (IsIconic(window)) {
        LogError(L"窗口已最小化，无法截图 hwnd=%p", window);
        return false;
    }

    WindowAreaFacts facts;
    RECT frame = {};
    const HRESULT frameResult =
        DwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &frame, sizeof frame);
    facts.frameBoundsKnown = SUCCEEDED(frameResult);
    DWORD windowRectError = 0;
    if (facts.frameBoundsKnown) {
        facts.frameBounds = FromWinRect(frame);
    } else {
        RECT rect = {};
        facts.windowRectKnown = GetWindowRect(window, &rect) != FALSE;
        if (facts.windowRectKnown) {
            facts.windowRect = FromWinRect(rect);
        } else {
            windowRectError = GetLastError();
        }
    }
    facts.virtualScreen = VirtualScreenRect();

    const WindowArea area = PlanWindowArea(facts);
    if (area.result == WindowAreaResult::NoRect) {
        LogError(L"获取窗口矩形失败 hwnd=%p hr=0x%08X err=%lu", window, static_cast<unsigned>(frameResult),
                 windowRectError);
        return false;
    }
    if (area.result == WindowAreaResult::OffScreen) {
        LogError(L"窗口不在虚拟屏幕内 hwnd=%p rect=(%d,%d,%d,%d)", window, area.window.left, area.window.top,
                 area.window.right, area.window.bottom);
        return false;
    }

    wchar_t className[kLogNameChars] = {};
    GetClassNameW(window, className, kLogNameChars);
    wchar_t title[kLogNameChars] = {};
    GetWindowTextW(window, title, kLogNameChars);
    const Rect& clipped = area.clipped;
    LogInfo(L"窗口截图 hwnd=%p class=%s title=%s rect=(%d,%d,%d,%d)", window, className, title, clipped.left,
            clipped.top, clipped.right, clipped.bottom);
    return CaptureScreenRect(clipped, out);
}
