#pragma once
// The arithmetic and rules of capturing, free of Win32 calls, so that they can be tested with tables.
#include <cstdint>

#include "base/rect.h"

constexpr int32_t kMaxCaptureSide = 32000;

// to - from, saturated to the int32 range: a rectangle whose sides lie further apart than int32 can express
// then reads as too large (or too small) and is refused, where a wrapped difference could look plausible.
int32_t SpanBetween(int32_t from, int32_t to);

// A capture of w x h pixels is allowed when both are within 1..32000.
bool IsCaptureSizeAllowed(int32_t width, int32_t height);

// The part of a crop rectangle (virtual-screen coordinates) that lies on a source picture of the given origin
// and size, in picture coordinates; empty when they do not overlap.
struct CropPlan {
    int32_t sourceX = 0; // first column and row in the source picture
    int32_t sourceY = 0;
    int32_t width = 0; // size of the part kept; <= 0 when nothing overlaps
    int32_t height = 0;
    int32_t originX = 0; // virtual-screen position of the part kept
    int32_t originY = 0;
};
CropPlan PlanCrop(const Rect& rect, int32_t sourceOriginX, int32_t sourceOriginY, int32_t sourceWidth,
                  int32_t sourceHeight);

// The intersection of two rectangles; an empty Rect() when they do not overlap.
Rect IntersectRects(const Rect& a, const Rect& b);
