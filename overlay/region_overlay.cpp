#include "overlay/region_overlay.h"

#include "log/log.h"

// TODO(overlay): stand-in until the selection overlay lands; every region capture ends as cancelled.
bool RunRegionOverlay(const CapturedImage& still, CapturedImage& result) {
    LogInfo(L"TODO 框选遮罩尚未实现 still=%dx%d", still.width, still.height);
    result = CapturedImage();
    return false;
}
