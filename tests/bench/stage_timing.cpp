#include "bench/stage_timing.h"

#include <windows.h>

#include "app/capture_pipeline.h"
#include "bench/bench_table.h"
#include "capture/image_save.h"
#include "capture/screen_capture.h"
#include "config/config.h"
#include "e2e/desktop_probe.h"
#include "overlay/region_overlay.h"
#include "preview/preview.h"

namespace {

constexpr int kRegionHotkey = 1;
constexpr int kScreenHotkey = 2;

// Time stamps of the run in progress, set by the timed steps and the overlay's subclass.
struct Marks {
    double pressed = 0, hotkey = 0, pauseStart = 0, pauseEnd = 0, captureStart = 0, captureEnd = 0;
    double saveStart = 0, saveEnd = 0, saved = 0, overlayCall = 0, windowCreated = 0, paintStart = 0;
    double paintEnd = 0, previewShown = 0;
    bool done = false;
    bool ok = false;
};
Marks marks;
std::wstring saveFolder;
WNDPROC overlayProc = nullptr;
HHOOK createHook = nullptr;

void TimedPause(unsigned milliseconds) {
    marks.pauseStart = NowMs();
    Sleep(milliseconds);
    marks.pauseEnd = NowMs();
}

// A capture step (the monitor, or the still of the virtual screen), timed.
template <bool (*Capture)(CapturedImage&)> bool TimedCapture(CapturedImage& out) {
    marks.captureStart = NowMs();
    const bool ok = Capture(out);
    marks.captureEnd = NowMs();
    return ok;
}

bool TimedSave(const CapturedImage& image, const std::wstring&, int format, int quality, std::wstring& path) {
    marks.saveStart = NowMs();
    const bool ok = AutoSaveCapture(image, saveFolder, format, quality, path);
    marks.saveEnd = NowMs();
    return ok;
}

// The pipeline has written its "saved" line just before; the preview that follows is timed on its own and
// closed again.
bool TimedPreview(CapturedImage& image) {
    marks.saved = NowMs();
    const bool shown = ShowPreview(image);
    marks.previewShown = NowMs();
    marks.ok = shown;
    CloseAllPreviews();
    return shown;
}

// The overlay's own procedure, with its first paint timed; once painted, it is cancelled with Esc.
LRESULT CALLBACK TimedOverlayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT || marks.paintEnd != 0) {
        return CallWindowProcW(overlayProc, window, message, wParam, lParam);
    }
    marks.paintStart = NowMs();
    const LRESULT result = CallWindowProcW(overlayProc, window, message, wParam, lParam);
    marks.paintEnd = NowMs();
    marks.ok = true;
    PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    return result;
}

// Sees each overlay window as it is created and puts the timed procedure in front of the overlay's own.
LRESULT CALLBACK WatchCreation(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_NCCREATE) {
        wchar_t name[32] = {};
        GetClassNameW(call->hwnd, name, 32);
        if (wcscmp(name, L"KorvelOverlay") == 0) {
            if (marks.windowCreated == 0) {
                marks.windowCreated = NowMs();
            }
            overlayProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(call->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TimedOverlayProc)));
        }
    }
    return CallNextHookEx(createHook, code, wParam, lParam);
}

bool TimedOverlay(const CapturedImage& still, CapturedImage& result) {
    marks.overlayCall = NowMs();
    return RunRegionOverlay(still, result);
}

void ReshowNothing() {}

void StartPipeline(int hotkey) {
    CaptureSteps steps = RealCaptureSteps();
    steps.hideToolbar = ReshowNothing;
    steps.reshowToolbar = ReshowNothing;
    steps.pause = TimedPause;
    steps.captureMonitorUnderCursor = TimedCapture<CaptureMonitorUnderCursor>;
    steps.captureVirtualScreen = TimedCapture<CaptureVirtualScreen>;
    steps.runRegionOverlay = TimedOverlay;
    steps.autoSave = TimedSave;
    steps.showPreview = TimedPreview;
    RunCaptureWith(hotkey == kRegionHotkey ? CaptureMode::Region : CaptureMode::Screen, steps);
}

LRESULT CALLBACK HotkeyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HOTKEY) {
        marks.hotkey = NowMs();
        StartPipeline(static_cast<int>(wParam));
        marks.done = true;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Presses the shortcut and handles messages until the pipeline has run; false after 10 s.
bool PressAndRun(WORD key) {
    marks = Marks();
    marks.pressed = NowMs();
    PressShortcut(MOD_CONTROL | MOD_ALT, key);
    MSG message;
    while (!marks.done && NowMs() - marks.pressed < 10000) {
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    return marks.done && marks.ok;
}

} // namespace

StagedPipeline::StagedPipeline() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = HotkeyWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KorvelBenchHotkeys";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
    if (window != nullptr &&
        RegisterHotKey(window, kRegionHotkey, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT, 'A') &&
        RegisterHotKey(window, kScreenHotkey, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT, 'F')) {
        window_ = window;
        createHook = SetWindowsHookExW(WH_CALLWNDPROC, WatchCreation, nullptr, GetCurrentThreadId());
    } else if (window != nullptr) {
        DestroyWindow(window);
    }
}

StagedPipeline::~StagedPipeline() {
    if (window_ != nullptr) {
        UnhookWindowsHookEx(createHook);
        UnregisterHotKey(static_cast<HWND>(window_), kRegionHotkey);
        UnregisterHotKey(static_cast<HWND>(window_), kScreenHotkey);
        DestroyWindow(static_cast<HWND>(window_));
    }
}

bool StagedPipeline::TimeScreenCapture(const wchar_t* folder, ScreenStages& stages) {
    saveFolder = folder;
    if (window_ == nullptr || !PressAndRun('F')) {
        return false;
    }
    stages.hotkey = marks.hotkey - marks.pressed;
    stages.pause = marks.pauseEnd - marks.pauseStart;
    stages.capture = marks.captureEnd - marks.captureStart;
    stages.save = marks.saveEnd - marks.saveStart;
    stages.total = marks.saved - marks.pressed;
    stages.rest = stages.total - stages.hotkey - stages.pause - stages.capture - stages.save;
    stages.preview = marks.previewShown - marks.saved;
    return true;
}

bool StagedPipeline::TimeRegionOverlay(OverlayStages& stages) {
    if (window_ == nullptr || !PressAndRun('A') || marks.windowCreated == 0) {
        return false;
    }
    stages.hotkey = marks.hotkey - marks.pressed;
    stages.pause = marks.captureStart - marks.hotkey;
    stages.still = marks.captureEnd - marks.captureStart;
    stages.prepare = marks.windowCreated - marks.overlayCall;
    stages.windows = marks.paintStart - marks.windowCreated;
    stages.paint = marks.paintEnd - marks.paintStart;
    stages.total = marks.paintEnd - marks.pressed;
    return true;
}
