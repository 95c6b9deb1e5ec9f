#include "markup/markup_model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/dpi_scale.h"

namespace {

// Sizes at 96 DPI for thin, medium and thick.
constexpr std::array<int32_t, kWidthLevelCount> kStrokeSizes = {2, 4, 8};
constexpr std::array<int32_t, kWidthLevelCount> kHighlighterSizes = {12, 20, 32};
constexpr std::array<int32_t, kWidthLevelCount> kTextSizes = {16, 24, 36};
constexpr std::array<int32_t, kWidthLevelCount> kStepSizes = {24, 30, 38};
constexpr std::array<int32_t, kWidthLevelCount> kMosaicSizes = {12, 16, 24};
// Smaller blocks could be read back: whatever the DPI, a block is at least this many physical pixels wide.
constexpr int32_t kMinMosaicBlock = 12;
// A move shorter than this either way is the pointer's jitter, not part of a stroke.
constexpr int64_t kStrokeStep = 2;
constexpr double kPi = 3.14159265358979323846;

int32_t LevelIndex(int32_t level) {
    return std::clamp(level, 0, kWidthLevelCount - 1);
}

} // namespace

int32_t MarkSize(MarkKind kind, int32_t widthLevel, int32_t dpi) {
    const size_t level = static_cast<size_t>(LevelIndex(widthLevel));
    const int32_t usableDpi = UsableDpi(dpi);
    switch (kind) {
    case MarkKind::Highlighter:
        return ScaleForDpi(kHighlighterSizes[level], usableDpi);
    case MarkKind::Text:
        return ScaleForDpi(kTextSizes[level], usableDpi);
    case MarkKind::Step:
        return ScaleForDpi(kStepSizes[level], usableDpi);
    case MarkKind::Mosaic:
        return std::max(kMinMosaicBlock, ScaleForDpi(kMosaicSizes[level], usableDpi));
    default:
        return ScaleForDpi(kStrokeSizes[level], usableDpi);
    }
}

uint32_t MarkColour(int32_t colourIndex) {
    if (colourIndex < 0 || colourIndex >= kColourCount) {
        colourIndex = kDefaultColour;
    }
    return kMarkColours[static_cast<size_t>(colourIndex)];
}

Rect RectBetween(const Point& a, const Point& b) {
    return Rect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

Point SquareCorner(const Point& from, const Point& to) {
    const int64_t dx = static_cast<int64_t>(to.x) - from.x;
    const int64_t dy = static_cast<int64_t>(to.y) - from.y;
    const int64_t side = std::max(std::llabs(dx), std::llabs(dy));
    return Point{SaturateToInt32(from.x + (dx < 0 ? -side : side)),
                 SaturateToInt32(from.y + (dy < 0 ? -side : side))};
}

Point SnapTo45(const Point& from, const Point& to) {
    const int64_t dx = static_cast<int64_t>(to.x) - from.x;
    const int64_t dy = static_cast<int64_t>(to.y) - from.y;
    if (dx == 0 && dy == 0) {
        return to;
    }
    // The nearest of the eight directions, counted from the positive x axis in steps of 45 degrees.
    const double angle = std::atan2(static_cast<double>(dy), static_cast<double>(dx));
    const long octant = (std::lround(angle / (kPi / 4)) + 8) % 8;
    static constexpr int kDirections[8][2] = {{1, 0},  {1, 1},   {0, 1},  {-1, 1},
                                              {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
    const int ux = kDirections[octant][0];
    const int uy = kDirections[octant][1];
    int64_t moveX = 0;
    int64_t moveY = 0;
    if (uy == 0) {
        moveX = dx;
    } else if (ux == 0) {
        moveY = dy;
    } else {
        // The pointer projected onto the diagonal: equal steps along both axes.
        const int64_t along = std::llround(static_cast<double>(ux * dx + uy * dy) / 2.0);
        moveX = ux * along;
        moveY = uy * along;
    }
    return Point{SaturateToInt32(from.x + moveX), SaturateToInt32(from.y + moveY)};
}

ArrowShape ArrowGeometry(const Point& tail, const Point& tip, int32_t width) {
    ArrowShape shape;
    shape.tail = PointF{static_cast<double>(tail.x), static_cast<double>(tail.y)};
    shape.tip = PointF{static_cast<double>(tip.x), static_cast<double>(tip.y)};
    const double dx = shape.tip.x - shape.tail.x;
    const double dy = shape.tip.y - shape.tail.y;
    const double length = std::hypot(dx, dy);
    if (length < 1e-9) {
        shape.shaftEnd = shape.left = shape.right = shape.tip;
        return shape;
    }
    const double ux = dx / length;
    const double uy = dy / length;
    // The head grows with the width; on an arrow shorter than its head, the head is the whole arrow.
    const double head = std::min(3.0 * std::max(width, 1) + 8.0, length);
    const PointF base{shape.tip.x - ux * head, shape.tip.y - uy * head};
    const double halfWidth = head / 2;
    shape.left = PointF{base.x - uy * halfWidth, base.y + ux * halfWidth};
    shape.right = PointF{base.x + uy * halfWidth, base.y - ux * halfWidth};
    // The shaft reaches a little into the head, which covers its end, so no gap shows at the joint.
    shape.shaftEnd = PointF{base.x + ux * head / 4, base.y + uy * head / 4};
    return shape;
}

bool AppendStrokePoint(std::vector<Point>& points, const Point& p) {
    if (points.size() >= kMaxStrokePoints) {
        return false;
    }
    if (!points.empty()) {
        const Point& last = points.back();
        if (std::llabs(static_cast<int64_t>(p.x) - last.x) < kStrokeStep &&
            std::llabs(static_cast<int64_t>(p.y) - last.y) < kStrokeStep) {
            return false;
        }
    }
    points.push_back(p);
    return true;
}

void SmoothStroke(std::vector<Point>& points) {
    if (points.size() < 3) {
        return;
    }
    const std::vector<Point> original = points;
    for (size_t i = 1; i + 1 < original.size(); ++i) {
        const int64_t x = static_cast<int64_t>(original[i - 1].x) + 2 * static_cast<int64_t>(original[i].x) +
                          original[i + 1].x;
        const int64_t y = static_cast<int64_t>(original[i - 1].y) + 2 * static_cast<int64_t>(original[i].y) +
                          original[i + 1].y;
        // Rounded half away from zero, so that a straight line stays on its pixels.
        points[i] = Point{static_cast<int32_t>(std::llround(static_cast<double>(x) / 4.0)),
                          static_cast<int32_t>(std::llround(static_cast<double>(y) / 4.0))};
    }
}
