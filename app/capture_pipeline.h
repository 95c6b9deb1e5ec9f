#pragma once
#include <cstdint>
#include <string>

#include "capture/captured_image.h"

enum class CaptureMode : int32_t { Region = 0, Screen = 1, Window = 2 };

// Takes one capture of the given kind, saves it and shows it; one capture at a time.
void RunCapture(CaptureMode mode);

// The steps the pipeline sequences. RunCapture uses the real ones; tests hand in their own to watch the
// sequence (busy flag, toolbar hidden and re-shown once, the bitmap released on every path).
struct CaptureSteps {
    void (*hideToolbar)();
    void (*reshowToolbar)();
    void (*pause)(unsigned milliseconds);
    bool (*captureVirtualScreen)(CapturedImage& out);
    bool (*runRegionOverlay)(const CapturedImage& still, CapturedImage& result);
    bool (*captureMonitorUnderCursor)(CapturedImage& out);
    bool (*captureForegroundWindow)(CapturedImage& out);
    bool (*autoSave)(const CapturedImage& image, const std::wstring& folder, int format, int quality,
                     std::wstring& savedPath);
    bool (*showPreview)(CapturedImage& image);
};
const CaptureSteps& RealCaptureSteps();
void RunCaptureWith(CaptureMode mode, const CaptureSteps& steps);
