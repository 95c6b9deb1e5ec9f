#include "preview/preview.h"

#include "log/log.h"

// TODO(preview): stand-ins until the preview windows land; no preview exists yet.
void CloseAllPreviews() {
    LogInfo(L"TODO 预览窗口尚未实现：CloseAllPreviews");
}

void RelayoutPreviewsForLanguage() {
    LogInfo(L"TODO 预览窗口尚未实现：RelayoutPreviewsForLanguage");
}

bool ShowPreview(CapturedImage& image) {
    // The caller keeps the bitmap and releases it.
    LogInfo(L"TODO 预览窗口尚未实现：ShowPreview size=%dx%d origin=(%d,%d)", image.width, image.height,
            image.originX, image.originY);
    return false;
}
