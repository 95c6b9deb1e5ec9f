#pragma once
// The marks a user draws over a selected region before it is saved, free of Win32: their kinds, what each one
// holds, their sizes and the arithmetic that shapes them. Every position is a virtual-screen position in
// physical pixels, so that a mark keeps its place on the screen when the selection is resized afterwards.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/rect.h"

// The number is what the log prints as kind=.
enum class MarkKind : int32_t {
    Rectangle = 0,
    Ellipse = 1,
    Arrow = 2,
    Pen = 3,
    Highlighter = 4,
    Text = 5,
    Step = 6,
    Mosaic = 7,
};
constexpr int32_t kMarkKindCount = 8;

// The eight swatches, 0x00RRGGBB: red, orange, yellow, green, blue, purple, black, white.
constexpr int32_t kColourCount = 8;
constexpr std::array<uint32_t, kColourCount> kMarkColours = {0xE53935, 0xFB8C00, 0xFDD835, 0x43A047,
                                                             0x1E88E5, 0x8E24AA, 0x000000, 0xFFFFFF};
// Thin, medium and thick.
constexpr int32_t kWidthLevelCount = 3;
constexpr int32_t kDefaultColour = 0;
constexpr int32_t kDefaultWidthLevel = 1;
// The highlighter's colour lies over the picture at this alpha (of 255), about 40 %, so text under it stays
// readable.
constexpr uint8_t kHighlighterAlpha = 102;
// At most this many characters in one text box; more is refused with a beep.
constexpr int32_t kMaxTextLength = 1000;
// A freehand stroke keeps at most this many points; the pointer's further moves are not added.
constexpr size_t kMaxStrokePoints = 100000;

struct Mark {
    MarkKind kind = MarkKind::Rectangle;
    int32_t colour = kDefaultColour; // index into kMarkColours
    // Physical pixels: the stroke width of a shape, arrow or line; a text's character height; a step's circle
    // diameter; a mosaic's block side.
    int32_t size = 1;
    // A shape's or mosaic's first corner, an arrow's tail, a text's top-left corner, a step's centre.
    Point from;
    // The opposite corner, the arrow's tip (unused by pen, highlighter, text and step).
    Point to;
    std::vector<Point> points; // pen and highlighter: the path, at least one point
    std::wstring text;         // text: as typed, lines split by CR LF
    int32_t step = 0;          // step: its number, 1 and up
};

// The size a mark of this kind gets at a width level (clamped to 0..2) on a monitor of this DPI.
int32_t MarkSize(MarkKind kind, int32_t widthLevel, int32_t dpi);
// The colour of a swatch index as 0x00RRGGBB; an index out of range gives the default.
uint32_t MarkColour(int32_t colourIndex);

// The rectangle spanned by two corners, ordered: the smaller coordinates left and top, the larger right and
// bottom.
Rect RectBetween(const Point& a, const Point& b);
// Shift on a rectangle or ellipse: the corner of the square from `from` whose side is the longer of the two
// distances to `to`, in `to`'s direction.
Point SquareCorner(const Point& from, const Point& to);
// Shift on an arrow: `to` moved onto the nearest of the eight directions at multiples of 45 degrees from
// `from`.
Point SnapTo45(const Point& from, const Point& to);

struct PointF {
    double x = 0;
    double y = 0;
};
// An arrow from `tail` to `tip`: the shaft ends where the filled head begins; the head grows with the width
// and is never longer than the arrow.
struct ArrowShape {
    PointF tail;
    PointF shaftEnd;
    PointF tip;
    PointF left; // the head's two back corners
    PointF right;
};
ArrowShape ArrowGeometry(const Point& tail, const Point& tip, int32_t width);

// Adds the pointer's position to a freehand path unless it lies within 2 pixels of the last point (the
// pointer's jitter) or the path is full; true when it was added.
bool AppendStrokePoint(std::vector<Point>& points, const Point& p);
// Smooths a finished path: every inner point moves to the 1-2-1 average of itself and its neighbours; the
// ends stay where they are.
void SmoothStroke(std::vector<Point>& points);
