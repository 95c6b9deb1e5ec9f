#include "app/capture_pipeline.h"

#include "log/log.h"

// TODO(capture): stand-in until screen, window and region capture land; it only reports the request.
void RunCapture(CaptureMode mode) {
    LogInfo(L"TODO 截图流程尚未实现 mode=%d", static_cast<int>(mode));
}
