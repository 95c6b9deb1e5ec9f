#include "capture/capture_rules.h"

#include <algorithm>
#include <limits>

int32_t SpanBetween(int32_t from, int32_t to) {
    const int64_t span = static_cast<int64_t>(to) - from;
    const int64_t low = std::numeric_limits<int32_t>::min();
    const int64_t high = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(span, low, high));
}

bool IsCaptureSizeAllowed(int32_t width, int32_t height) {
    return width >= 1 && height >= 1 && width <= kMaxCaptureSide && height <= kMaxCaptureSide;
}

CropPlan PlanCrop(const Rect& rect, int32_t sourceOriginX, int32_t sourceOriginY, int32_t sourceWidth,
                  int32_t sourceHeight) {
    // 64-bit throughout: a rectangle far from a source near the edge of the int32 range must not wrap into
    // an overlap.
    const int64_t startX = std::max<int64_t>(static_cast<int64_t>(rect.left) - sourceOriginX, 0);
    const int64_t startY = std::max<int64_t>(static_cast<int64_t>(rect.top) - sourceOriginY, 0);
    const int64_t endX = std::min<int64_t>(static_cast<int64_t>(rect.right) - sourceOriginX, sourceWidth);
    const int64_t endY = std::min<int64_t>(static_cast<int64_t>(rect.bottom) - sourceOriginY, sourceHeight);
    if (endX <= startX || endY <= startY) {
        return CropPlan(); // nothing overlaps: width and height 0
    }
    // Here 0 <= start < end <= source size, so every value fits in int32.
    CropPlan plan;
    plan.sourceX = static_cast<int32_t>(startX);
    plan.sourceY = static_cast<int32_t>(startY);
    plan.width = static_cast<int32_t>(endX - startX);
    plan.height = static_cast<int32_t>(endY - startY);
    plan.originX = static_cast<int32_t>(sourceOriginX + startX);
    plan.originY = static_cast<int32_t>(sourceOriginY + startY);
    return plan;
}

Rect IntersectRects(const Rect& a, const Rect& b) {
    Rect overlap;
    overlap.left = std::max(a.left, b.left);
    overlap.top = std::max(a.top, b.top);
    overlap.right = std::min(a.right, b.right);
    overlap.bottom = std::min(a.bottom, b.bottom);
    if (overlap.Empty()) {
        return Rect();
    }
    return overlap;
}
