#include "floatbar/floatbar_layout.h"

#include "base/dpi_scale.h"

namespace {

constexpr int32_t kHeightAt96 = 40;
constexpr int32_t kGapAt96 = 8;
constexpr int32_t kAfterCaptionAt96 = 16;
constexpr int32_t kTextMarginAt96 = 16;
constexpr int32_t kButtonInsetAt96 = 6;
constexpr int32_t kBeforeSettingsAt96 = 8;
constexpr int32_t kSeparatorInsetAt96 = 10;
constexpr int32_t kSettingsButton = 3;

} // namespace

FloatBarGeometry ComputeFloatBarGeometry(int32_t dpi, int32_t captionWidth,
                                         const FloatBarTextWidths& textWidths) {
    FloatBarGeometry geometry;
    const int32_t gap = ScaleForDpi(kGapAt96, dpi);
    const int32_t height = ScaleForDpi(kHeightAt96, dpi);
    const int32_t half = height / 2;
    const int32_t inset = ScaleForDpi(kButtonInsetAt96, dpi);
    const int32_t margin = ScaleForDpi(kTextMarginAt96, dpi);

    geometry.captionRect = Rect{half, 0, half + captionWidth, height};
    int32_t x = half + captionWidth + ScaleForDpi(kAfterCaptionAt96, dpi);
    for (int32_t i = 0; i < kFloatBarButtonCount; ++i) {
        if (i == kSettingsButton) {
            // Two gaps and a little more set Settings and Quit apart, with the line in the middle.
            geometry.separatorX = x + gap / 2;
            x += gap + ScaleForDpi(kBeforeSettingsAt96, dpi);
        }
        geometry.buttonRects[i] = Rect{x, inset, x + textWidths[i] + margin, height - inset};
        x = geometry.buttonRects[i].right + gap;
    }
    geometry.width = geometry.buttonRects[kFloatBarButtonCount - 1].right + half;
    geometry.height = height;
    geometry.cornerSize = half;
    return geometry;
}

int32_t FloatBarSeparatorInset(int32_t dpi) {
    return ScaleForDpi(kSeparatorInsetAt96, dpi);
}

int32_t HitTestFloatBarButtons(const FloatBarButtonRects& buttonRects, const Point& point) {
    for (int32_t i = 0; i < kFloatBarButtonCount; ++i) {
        const Rect& r = buttonRects[i];
        if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom) {
            return i;
        }
    }
    return -1;
}

int32_t FloatBarButtonCommand(int32_t index) {
    // Capture, Window, Screen, Settings, Quit: the host's Region 1, Window 3, Screen 2, Settings 4, Quit 5.
    static const int32_t kCommands[kFloatBarButtonCount] = {1, 3, 2, 4, 5};
    return index >= 0 && index < kFloatBarButtonCount ? kCommands[index] : 0;
}

int32_t FloatBarButtonTextId(int32_t index) {
    constexpr int32_t kFirstButtonText = 33;
    return index >= 0 && index < kFloatBarButtonCount ? kFirstButtonText + index : -1;
}
