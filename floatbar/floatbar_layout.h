#pragma once
// The floating toolbar's geometry and buttons, free of Win32 calls: text widths and a DPI in, rectangles out.
#include <array>
#include <cstdint>

#include "base/rect.h"

constexpr int32_t kFloatBarButtonCount = 5;
using FloatBarButtonRects = std::array<Rect, kFloatBarButtonCount>;
using FloatBarTextWidths = std::array<int32_t, kFloatBarButtonCount>;

// Client coordinates of the bar for one DPI.
struct FloatBarGeometry {
    Rect captionRect;
    FloatBarButtonRects buttonRects;
    int32_t separatorX = 0;
    int32_t width = 0;
    int32_t height = 0;     // H
    int32_t cornerSize = 0; // H / 2: the rounding of the corners and the margin at either end
};

// Caption, then Capture, Window, Screen, a separator, Settings and Quit, each button as wide as its text plus
// a margin; `dpi` must be above 0.
FloatBarGeometry ComputeFloatBarGeometry(int32_t dpi, int32_t captionWidth,
                                         const FloatBarTextWidths& textWidths);
// How far the separator line stays from the top and the bottom of the bar.
int32_t FloatBarSeparatorInset(int32_t dpi);
// The first button whose rectangle holds the point, or -1 (the caption is not a button).
int32_t HitTestFloatBarButtons(const FloatBarButtonRects& buttonRects, const Point& point);
// The host command a button sends (Capture 1, Window 3, Screen 2, Settings 4, Quit 5), 0 for no button.
int32_t FloatBarButtonCommand(int32_t index);
// The text id of a button's label (33 to 37), or -1 for no button.
int32_t FloatBarButtonTextId(int32_t index);
