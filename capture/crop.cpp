#include "capture/crop.h"

#include <windows.h>

#include "base/gdi_scope.h"
#include "capture/capture_rules.h"
#include "log/log.h"

bool CropCapturedImage(const CapturedImage& source, const Rect& rect, CapturedImage& out) {
    EmptyCapturedImage(out);
    if (source.bitmap == nullptr) {
        LogError(L"裁剪失败：源位图为空");
        return false;
    }
    const int32_t width = SpanBetween(rect.left, rect.right);
    const int32_t height = SpanBetween(rect.top, rect.bottom);
    if (width < 1 || height < 1) {
        LogError(L"裁剪尺寸非法 %dx%d", width, height);
        return false;
    }
    const CropPlan plan = PlanCrop(rect, source.originX, source.originY, source.width, source.height);
    if (plan.width <= 0 || plan.height <= 0) {
        LogError(L"裁剪区域超出源图 screen=(%d,%d,%d,%d) srcOrigin=(%d,%d) srcSize=%dx%d", rect.left,
                 rect.top, rect.right, rect.bottom, source.originX, source.originY, source.width,
                 source.height);
        return false;
    }

    // Declared first so that it is deleted, on a failure, only after the DCs below have let it go.
    OwnedBitmap bitmap;
    bool copied = false;
    DWORD copyError = 0;
    {
        ScreenDC screen;
        MemoryDC sourceDC(screen.Get());
        MemoryDC targetDC(screen.Get());
        if (screen && sourceDC && targetDC) {
            bitmap.Reset(CreateCompatibleBitmap(screen.Get(), plan.width, plan.height));
        }
        if (!screen || !sourceDC || !targetDC || bitmap.Get() == nullptr) {
            LogError(L"创建裁剪位图失败 size=%dx%d err=%lu", plan.width, plan.height, GetLastError());
            return false;
        }
        // A bitmap lives in one DC at a time: this fails while the caller still has the source selected.
        SelectionScope sourceSelected(sourceDC.Get(), source.bitmap);
        if (!sourceSelected.Ok()) {
            LogError(L"裁剪失败：源位图无法选入 DC，可能仍被其他 DC 占用 err=%lu", GetLastError());
            return false;
        }
        SelectionScope targetSelected(targetDC.Get(), bitmap.Get());
        if (!targetSelected.Ok()) {
            // Nothing was copied; SelectObject leaves no error code, so none is reported.
            LogError(L"裁剪失败：裁剪位图无法选入 DC size=%dx%d", plan.width, plan.height);
            return false;
        }
        copied = BitBlt(targetDC.Get(), 0, 0, plan.width, plan.height, sourceDC.Get(), plan.sourceX,
                        plan.sourceY, SRCCOPY);
        // Read at once: the clean-up below may overwrite the copy's error code.
        copyError = copied ? 0 : GetLastError();
    } // both DCs get their previous bitmaps back and are deleted, then the screen DC is released
    if (!copied) {
        LogError(L"裁剪 BitBlt 失败 err=%lu", copyError);
        return false;
    }

    out.bitmap = bitmap.Release();
    out.width = plan.width;
    out.height = plan.height;
    out.originX = plan.originX;
    out.originY = plan.originY;
    LogInfo(L"裁剪完成 size=%dx%d origin=(%d,%d)", out.width, out.height, out.originX, out.originY);
    return true;
}
