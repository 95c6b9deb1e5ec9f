#include "app/capture_pipeline.h"

#include <windows.h>

#include "capture/image_save.h"
#include "capture/screen_capture.h"
#include "capture/window_capture.h"
#include "config/config.h"
#include "floatbar/floatbar.h"
#include "log/log.h"
#include "overlay/region_overlay.h"
#include "preview/preview.h"

namespace {

// Guards against re-entry on the one thread: the region overlay's nested loop can deliver another shortcut.
bool captureBusy = false;

// Long enough for the screen to stop showing the toolbar before its pixels are taken.
constexpr unsigned kToolbarHidePauseMs = 50;

void SleepFor(unsigned milliseconds) {
    Sleep(milliseconds);
}

// Obtains the picture for the mode; any mode other than Region and Screen is a window capture.
bool TakeCapture(CaptureMode mode, const CaptureSteps& steps, CapturedImage& result) {
    switch (mode) {
    case CaptureMode::Region: {
        CapturedImage still;
        if (!steps.captureVirtualScreen(still)) {
            return false;
        }
        const bool selected = steps.runRegionOverlay(still, result);
        ReleaseCapturedImage(still);
        return selected;
    }
    case CaptureMode::Screen:
        return steps.captureMonitorUnderCursor(result);
    default:
        return steps.captureForegroundWindow(result);
    }
}

void FinishCapture(const CaptureSteps& steps) {
    captureBusy = false;
    steps.reshowToolbar();
}

} // namespace

const CaptureSteps& RealCaptureSteps() {
    static const CaptureSteps steps = {HideFloatBarForCapture,
                                       ReshowFloatBarAfterCapture,
                                       SleepFor,
                                       CaptureVirtualScreen,
                                       RunRegionOverlay,
                                       CaptureMonitorUnderCursor,
                                       CaptureForegroundWindow,
                                       AutoSaveCapture,
                                       ShowPreview};
    return steps;
}

void RunCapture(CaptureMode mode) {
    RunCaptureWith(mode, RealCaptureSteps());
}

void RunCaptureWith(CaptureMode mode, const CaptureSteps& steps) {
    const int modeNumber = static_cast<int>(mode);
    if (captureBusy) {
        LogInfo(L"已有截图进行中，忽略本次请求 mode=%d", modeNumber);
        return;
    }
    captureBusy = true;
    LogInfo(L"开始截图 mode=%d", modeNumber);
    // Always, also when no toolbar was visible, so every capture sees the screen settle the same way.
    steps.hideToolbar();
    steps.pause(kToolbarHidePauseMs);

    CapturedImage result;
    if (!TakeCapture(mode, steps, result) || result.bitmap == nullptr) {
        // A cancelled selection ends here too; the capture steps have logged any real failure.
        LogInfo(L"截图取消或失败 mode=%d", modeNumber);
        ReleaseCapturedImage(result);
        FinishCapture(steps);
        return;
    }
    LogInfo(L"截图完成 size=%dx%d origin=(%d,%d)", result.width, result.height, result.originX,
            result.originY);

    // The configuration is read now, not at the start: a nested loop may have changed it meanwhile.
    const AppConfig& config = GetConfig();
    std::wstring savedPath;
    if (steps.autoSave(result, config.saveDir, static_cast<int>(config.format), config.jpegQuality,
                       savedPath)) {
        LogInfo(L"已保存 %s", savedPath.c_str());
    } else {
        // The preview still comes, so the user can copy or save the picture by hand.
        LogError(L"保存截图失败 dir=%s format=%d", config.saveDir.c_str(), static_cast<int>(config.format));
    }
    if (!steps.showPreview(result)) {
        // Deletes the bitmap only when the preview did not take it over.
        ReleaseCapturedImage(result);
    }
    FinishCapture(steps);
}
