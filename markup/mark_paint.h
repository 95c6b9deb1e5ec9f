#pragma once
// Draws marks into a device context: shapes, arrows and lines antialiased with GDI+, text and step numbers
// with GDI, mosaics from the undimmed still. The overlay's back buffer, its cached drawing of the committed
// marks and the saved picture all go through this one drawing, so that what the screen shows is what is
// saved.
#include <windows.h>

#include <cstddef>
#include <vector>

#include "base/rect.h"
#include "capture/captured_image.h"
#include "markup/markup_history.h"
#include "markup/markup_model.h"

// Where a DC's pixels lie on the virtual screen, and what may be drawn on it.
struct MarkCanvas {
    HDC dc = nullptr;
    Point origin;          // the virtual-screen position of the DC's (0, 0)
    Rect clip;             // virtual-screen coordinates; nothing is drawn outside it
    HDC stillDc = nullptr; // holds the undimmed still, for mosaic blocks; without it no mosaic is drawn
    Rect stillRect;        // the still's rectangle on the virtual screen
};

void DrawMark(const MarkCanvas& canvas, const Mark& mark);
// The first `count` marks, in order.
void DrawMarks(const MarkCanvas& canvas, const std::vector<Mark>& marks, size_t count);
// A swatch's colour as GDI takes it.
COLORREF MarkColourRef(int32_t colourIndex);
// The interface font's face at a character height in pixels, greyscale-antialiased (no ClearType colour
// fringes in a saved picture); the caller owns it. The text box types in the very font its mark is drawn in.
HFONT CreateMarkFont(int32_t pixelHeight, bool bold);
// Draws the live marks into a picture cut from `still` (neither selected into any DC), clipped to the picture
// and placed by its origin, mosaic blocks averaged from the still. False (logged) when a bitmap could not be
// selected.
bool DrawMarksOnPicture(const CapturedImage& picture, const MarkupHistory& history,
                        const CapturedImage& still);
