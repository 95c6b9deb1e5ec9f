#pragma once
// Draws the markup strip in the settings window's palette: its buttons with their icons (the picked tool lit
// in the accent colour, the button under the pointer lit), an open colour or width pop-out, and the tooltip
// of the button under the pointer. Drawn into the overlay's back buffer only, so never into a saved picture.
#include <windows.h>

#include "markup/markup_events.h"

// Into `target`, whose (0, 0) is the virtual-screen point `windowOrigin`. `tooltipFont` is the interface
// font for the strip's DPI (or any font; null draws no tooltip).
void DrawMarkupStrip(HDC target, const SelectionState& selection, const MarkupState& markup,
                     const Point& windowOrigin, HFONT tooltipFont);
