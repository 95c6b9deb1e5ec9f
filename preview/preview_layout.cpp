#include "preview/preview_layout.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

constexpr int32_t kShadowAt96 = 18;
constexpr int32_t kButtonHeightAt96 = 28;
constexpr int32_t kButtonGapAt96 = 6;
constexpr int32_t kMinButtonWidthAt96 = 56;
constexpr int32_t kTextMarginAt96 = 18;
constexpr int32_t kFallbackButtonWidthAt96 = 72;
// The darkest shadow, right beside the picture, before it fades out over the band.
constexpr float kShadowPeakAlpha = 110.0f;

// The room for the picture along one axis: 9/10 of what the work area leaves, and never below one pixel.
int32_t FitLimit(int32_t available) {
    return std::max<int32_t>(
        1, static_cast<int32_t>(static_cast<int64_t>(std::max<int32_t>(1, available)) * 9 / 10));
}

int32_t ScaledSide(int32_t side, double scale) {
    // std::llround rounds halves away from zero.
    return std::max<int32_t>(1, static_cast<int32_t>(std::llround(side * scale)));
}

// Distance of a coordinate from the span [low, high): 0 inside, 1 for the first one outside either end.
int32_t DistanceOutside(int32_t value, int32_t low, int32_t high) {
    if (value < low) {
        return low - value;
    }
    if (value >= high) {
        return value - high + 1;
    }
    return 0;
}

} // namespace

PreviewMetrics PreviewMetricsForDpi(int32_t dpi) {
    PreviewMetrics metrics;
    metrics.shadowSize = ScaleForDpi(kShadowAt96, dpi);
    metrics.buttonHeight = ScaleForDpi(kButtonHeightAt96, dpi);
    metrics.buttonGap = ScaleForDpi(kButtonGapAt96, dpi);
    metrics.minButtonWidth = ScaleForDpi(kMinButtonWidthAt96, dpi);
    metrics.textMargin = ScaleForDpi(kTextMarginAt96, dpi);
    metrics.fallbackButtonWidth = ScaleForDpi(kFallbackButtonWidthAt96, dpi);
    return metrics;
}

DisplaySize FitPreviewImage(int32_t imageWidth, int32_t imageHeight, const Rect& workArea, int32_t shadowSize,
                            int32_t buttonHeight) {
    const int32_t maxWidth = FitLimit(workArea.Width() - 2 * shadowSize);
    const int32_t maxHeight = FitLimit(workArea.Height() - 2 * shadowSize - buttonHeight);
    double scale = 1.0;
    if (imageWidth > maxWidth) {
        scale = std::min(scale, static_cast<double>(maxWidth) / imageWidth);
    }
    if (imageHeight > maxHeight) {
        scale = std::min(scale, static_cast<double>(maxHeight) / imageHeight);
    }
    DisplaySize size;
    size.width = ScaledSide(imageWidth, scale);
    size.height = ScaledSide(imageHeight, scale);
    return size;
}

PreviewLayout ComputePreviewLayout(const PreviewSizes& sizes) {
    const int32_t s = sizes.shadowSize;
    const int32_t t = sizes.buttonHeight;
    const int32_t bw = sizes.buttonWidth;
    const int32_t g = sizes.buttonGap;
    const int32_t dw = sizes.displayWidth;
    const int32_t dh = sizes.displayHeight;
    const int32_t rowWidth = kPreviewButtonCount * bw + (kPreviewButtonCount - 1) * g;
    // A picture narrower than the button row moves right, so that it stays right-aligned under the row.
    const int32_t extra = std::max(0, rowWidth - dw);

    PreviewLayout layout;
    layout.windowWidth = 2 * s + extra + dw;
    layout.windowHeight = 2 * s + t + dh;
    layout.imageRect = Rect{s + extra, s + t, s + extra + dw, s + t + dh};
    for (int32_t i = 0; i < kPreviewButtonCount; ++i) {
        const int32_t left = layout.imageRect.right - rowWidth + i * (bw + g);
        layout.buttonRects[i] = Rect{left, 0, left + bw, t};
    }
    return layout;
}

Point PlacePreviewWindow(const PreviewLayout& layout, int32_t originX, int32_t originY,
                         const Rect& workArea) {
    Point place{originX - layout.imageRect.left, originY - layout.imageRect.top};
    if (place.x + layout.windowWidth > workArea.right) {
        place.x = workArea.right - layout.windowWidth;
    }
    if (place.y + layout.windowHeight > workArea.bottom) {
        place.y = workArea.bottom - layout.windowHeight;
    }
    // Last, so that a window larger than the work area keeps its left and top edges on the screen.
    place.x = std::max(place.x, workArea.left);
    place.y = std::max(place.y, workArea.top);
    return place;
}

uint8_t PreviewShadowAlpha(int32_t dx, int32_t dy, int32_t shadowSize) {
    if (shadowSize <= 0) {
        return 0;
    }
    const int64_t squared = static_cast<int64_t>(dx) * dx + static_cast<int64_t>(dy) * dy;
    if (squared >= static_cast<int64_t>(shadowSize) * shadowSize) {
        return 0;
    }
    const float distance = std::sqrt(static_cast<float>(squared));
    const float fade = 1.0f - distance / static_cast<float>(shadowSize);
    return static_cast<uint8_t>(static_cast<int32_t>(kShadowPeakAlpha * (fade * fade)));
}

void DrawPreviewShadow(uint8_t* pixels, int32_t stride, int32_t width, int32_t height, const Rect& rect,
                       int32_t shadowSize) {
    if (pixels == nullptr || shadowSize <= 0) {
        return;
    }
    const int32_t xEnd = std::min(width, rect.right + shadowSize);
    const int32_t yEnd = std::min(height, rect.bottom + shadowSize);
    for (int32_t y = std::max(0, rect.top - shadowSize); y < yEnd; ++y) {
        const int32_t dy = DistanceOutside(y, rect.top, rect.bottom);
        uint8_t* row = pixels + static_cast<std::ptrdiff_t>(y) * stride;
        for (int32_t x = std::max(0, rect.left - shadowSize); x < xEnd; ++x) {
            const int32_t dx = DistanceOutside(x, rect.left, rect.right);
            if (dx == 0 && dy == 0) {
                continue; // the picture itself
            }
            if (dx * dx + dy * dy >= shadowSize * shadowSize) {
                continue; // beyond the rounded corner
            }
            // Black, so its premultiplied colour is black too.
            uint8_t* pixel = row + static_cast<std::ptrdiff_t>(x) * 4;
            pixel[0] = 0;
            pixel[1] = 0;
            pixel[2] = 0;
            pixel[3] = PreviewShadowAlpha(dx, dy, shadowSize);
        }
    }
}

void MakeRectOpaque(uint8_t* pixels, int32_t stride, const Rect& rect) {
    if (pixels == nullptr) {
        return;
    }
    for (int32_t y = std::max(0, rect.top); y < rect.bottom; ++y) {
        uint8_t* row = pixels + static_cast<std::ptrdiff_t>(y) * stride;
        for (int32_t x = std::max(0, rect.left); x < rect.right; ++x) {
            row[static_cast<std::ptrdiff_t>(x) * 4 + 3] = 255;
        }
    }
}

int32_t HitTestPreviewButton(const PreviewLayout& layout, const Point& point) {
    for (int32_t i = 0; i < kPreviewButtonCount; ++i) {
        const Rect& r = layout.buttonRects[i];
        if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom) {
            return i;
        }
    }
    return -1;
}
