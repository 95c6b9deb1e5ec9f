#include "overlay/overlay_layout.h"

#include <algorithm>

namespace {

// Panel offset from the pointer when it sits right of or below it, and the room it needs there.
constexpr int32_t kPanelGap = 28;
constexpr int32_t kRoomRight = kPanelGap + kMagnifierWidth;  // 234
constexpr int32_t kRoomBelow = kPanelGap + kMagnifierHeight; // 256
// The 17 x 17 source square reaches this far on each side of the pointer's pixel.
constexpr int32_t kReachBefore = 8;
constexpr int32_t kReachAfter = 9; // exclusive
// Where the zoom area and the colour line start inside the panel.
constexpr int32_t kZoomInset = 1;
constexpr int32_t kColourLineX = 4;
constexpr int32_t kColourLineY = 208;

// Coordinates are screen-sized, but the sums below are taken wide so that no input can wrap them.
int32_t Clamp32(int64_t value) {
    return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(value, INT32_MIN), INT32_MAX));
}

} // namespace

StillPart StillUnderWindow(const Rect& window, const Rect& stillBounds) {
    const int64_t width = static_cast<int64_t>(stillBounds.right) - stillBounds.left;
    const int64_t height = static_cast<int64_t>(stillBounds.bottom) - stillBounds.top;
    const int64_t fromLeft = static_cast<int64_t>(window.left) - stillBounds.left;
    const int64_t fromTop = static_cast<int64_t>(window.top) - stillBounds.top;
    StillPart part;
    part.sx = Clamp32(std::max<int64_t>(fromLeft, 0));
    part.sy = Clamp32(std::max<int64_t>(fromTop, 0));
    part.cw =
        Clamp32(std::min<int64_t>(static_cast<int64_t>(window.right) - stillBounds.left, width) - part.sx);
    part.ch =
        Clamp32(std::min<int64_t>(static_cast<int64_t>(window.bottom) - stillBounds.top, height) - part.sy);
    // In a window that reaches past the still's left or top edge the still starts that far into the window;
    // the columns and rows before it stay black.
    part.destX = Clamp32(std::max<int64_t>(-fromLeft, 0));
    part.destY = Clamp32(std::max<int64_t>(-fromTop, 0));
    return part;
}

int32_t SizeLabelTop(int32_t selectionTop) {
    // Near the window's top edge the label would be cut off above the frame, so it moves inside.
    return selectionTop <= 24 ? selectionTop + 4 : selectionTop - 22;
}

std::array<Point, 8> HandleCentres(const Rect& s) {
    // Truncated toward zero, as C++ division does, also for negative window-local coordinates.
    const int32_t mx = static_cast<int32_t>((static_cast<int64_t>(s.left) + s.right) / 2);
    const int32_t my = static_cast<int32_t>((static_cast<int64_t>(s.top) + s.bottom) / 2);
    return {{
        {s.left, s.top},
        {mx, s.top},
        {s.right, s.top},
        {s.left, my},
        {s.right, my},
        {s.left, s.bottom},
        {mx, s.bottom},
        {s.right, s.bottom},
    }};
}

int32_t HintLeft(int32_t windowWidth, int32_t textWidth) {
    return std::max((windowWidth - textWidth) / 2, 8);
}

MagnifierPlan PlanMagnifier(const Point& pointer, const Rect& stillBounds, const Rect& window) {
    MagnifierPlan plan;
    const int64_t width = static_cast<int64_t>(stillBounds.right) - stillBounds.left;
    const int64_t height = static_cast<int64_t>(stillBounds.bottom) - stillBounds.top;
    const int64_t px = static_cast<int64_t>(pointer.x) - stillBounds.left;
    const int64_t py = static_cast<int64_t>(pointer.y) - stillBounds.top;
    if (px < 0 || py < 0 || px >= width || py >= height) {
        return plan;
    }
    plan.visible = true;
    plan.pixelX = static_cast<int32_t>(px);
    plan.pixelY = static_cast<int32_t>(py);

    // Right of and below the pointer unless that would cross the still's right or bottom edge; only the
    // still's bounding rectangle counts, so the panel may continue onto a neighbouring monitor's window.
    const int64_t panelX = static_cast<int64_t>(pointer.x) + kRoomRight <= stillBounds.right
                               ? static_cast<int64_t>(pointer.x) + kPanelGap
                               : static_cast<int64_t>(pointer.x) - kRoomRight;
    const int64_t panelY = static_cast<int64_t>(pointer.y) + kRoomBelow <= stillBounds.bottom
                               ? static_cast<int64_t>(pointer.y) + kPanelGap
                               : static_cast<int64_t>(pointer.y) - kRoomBelow;
    const int32_t left = Clamp32(panelX - window.left);
    const int32_t top = Clamp32(panelY - window.top);
    plan.panel = {left, top, Clamp32(static_cast<int64_t>(left) + kMagnifierWidth),
                  Clamp32(static_cast<int64_t>(top) + kMagnifierHeight)};

    plan.x0 = static_cast<int32_t>(std::max<int64_t>(px - kReachBefore, 0));
    plan.y0 = static_cast<int32_t>(std::max<int64_t>(py - kReachBefore, 0));
    plan.cols = static_cast<int32_t>(std::min<int64_t>(px + kReachAfter, width) - plan.x0);
    plan.rows = static_cast<int32_t>(std::min<int64_t>(py + kReachAfter, height) - plan.y0);
    // Cells clipped away at the still's edge stay empty, so the pointer's pixel stays in the centre cell.
    plan.dx =
        Clamp32(static_cast<int64_t>(left) + kZoomInset + kMagnifierCell * (plan.x0 - (px - kReachBefore)));
    plan.dy =
        Clamp32(static_cast<int64_t>(top) + kZoomInset + kMagnifierCell * (plan.y0 - (py - kReachBefore)));
    plan.marker = {Clamp32(static_cast<int64_t>(plan.dx) + kMagnifierCell * (px - plan.x0)),
                   Clamp32(static_cast<int64_t>(plan.dy) + kMagnifierCell * (py - plan.y0))};
    plan.colourLine = {Clamp32(static_cast<int64_t>(left) + kColourLineX),
                       Clamp32(static_cast<int64_t>(top) + kColourLineY)};
    return plan;
}

CursorPlanes BuildWhiteCrossPlanes() {
    constexpr int kSide = 32;
    constexpr int kRowBytes = kSide / 8;
    CursorPlanes planes;
    planes.andPlane.fill(0xFF); // transparent
    planes.xorPlane.fill(0x00);
    auto set = [&](int x, int y, bool white) {
        const size_t index = static_cast<size_t>(y * kRowBytes + x / 8);
        const uint8_t bit = static_cast<uint8_t>(0x80u >> (x % 8));
        planes.andPlane[index] = static_cast<uint8_t>(planes.andPlane[index] & ~bit);
        if (white) {
            planes.xorPlane[index] = static_cast<uint8_t>(planes.xorPlane[index] | bit);
        } else {
            planes.xorPlane[index] = static_cast<uint8_t>(planes.xorPlane[index] & ~bit);
        }
    };
    // The black band, 5 pixels wide, keeps the white line visible on light backgrounds.
    for (int y = 2; y <= 29; ++y) {
        for (int x = 14; x <= 18; ++x) {
            set(x, y, false);
        }
    }
    for (int y = 14; y <= 18; ++y) {
        for (int x = 2; x <= 29; ++x) {
            set(x, y, false);
        }
    }
    for (int i = 3; i <= 28; ++i) {
        set(16, i, true);
        set(i, 16, true);
    }
    return planes;
}
