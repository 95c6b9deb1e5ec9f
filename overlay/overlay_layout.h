#pragma once
// Where the overlay draws, computed without Win32 so that placements on every monitor layout (negative
// origins included) can be tested with tables. Positions are window-local unless said otherwise.
#include <array>
#include <cstdint>

#include "base/rect.h"

// The part of the still that lies under a window: its first column and row in the still and its size (cw or
// ch <= 0 when the window shows none of it), and where it starts in the window (0 unless the window reaches
// past the still's left or top edge).
struct StillPart {
    int32_t sx = 0;
    int32_t sy = 0;
    int32_t cw = 0;
    int32_t ch = 0;
    int32_t destX = 0;
    int32_t destY = 0;
};
StillPart StillUnderWindow(const Rect& window, const Rect& stillBounds);

// Top of the size label for a selection whose window-local top is `selectionTop`: inside the frame near the
// window's top edge (<= 24), above it otherwise.
int32_t SizeLabelTop(int32_t selectionTop);
// Centres of the eight handles, in the order
// top-left, top-middle, top-right, middle-left, middle-right, bottom-left, bottom-middle, bottom-right.
std::array<Point, 8> HandleCentres(const Rect& selection);
// Left of the hint text: centred, but at least 8.
int32_t HintLeft(int32_t windowWidth, int32_t textWidth);

constexpr int32_t kMagnifierCell = 12;
constexpr int32_t kMagnifierWidth = 206;
constexpr int32_t kMagnifierHeight = 228;

struct MagnifierPlan {
    bool visible = false; // false when the pointer is off the still
    Rect panel;           // window-local
    int32_t pixelX = 0;   // the pointer's pixel in the still
    int32_t pixelY = 0;
    int32_t x0 = 0; // source square in the still, clipped
    int32_t y0 = 0;
    int32_t cols = 0;
    int32_t rows = 0;
    int32_t dx = 0; // where the first source pixel's cell starts, window-local
    int32_t dy = 0;
    Point marker;     // top-left of the centre marker, window-local
    Point colourLine; // where the "x,y RGB r,g,b" line starts, window-local
};
// pointer: virtual-screen; stillBounds: the still's rectangle; window: the painted window's rectangle.
MagnifierPlan PlanMagnifier(const Point& pointer, const Rect& stillBounds, const Rect& window);

// The two 32 x 32 one-bit planes of the white cross cursor, 4 bytes a row, most significant bit leftmost.
struct CursorPlanes {
    std::array<uint8_t, 128> andPlane;
    std::array<uint8_t, 128> xorPlane;
};
CursorPlanes BuildWhiteCrossPlanes();
