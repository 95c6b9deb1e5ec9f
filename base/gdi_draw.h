#pragma once
// Two drawing steps that make their own pen or brush and free it again, leaving the DC as it was.
#include <windows.h>

#include "base/gdi_scope.h"
#include "base/rect.h"
#include "base/win_rect.h"

inline void FillSolid(HDC dc, const Rect& area, COLORREF colour) {
    OwnedGdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    if (brush) {
        const RECT r = ToWinRect(area);
        FillRect(dc, &r, brush.Get());
    }
}

// The outline of `area` with a solid pen and no fill.
inline void Outline(HDC dc, const Rect& area, int penWidth, COLORREF colour) {
    OwnedGdiObject<HPEN> pen(CreatePen(PS_SOLID, penWidth, colour));
    SelectionScope penSelected(dc, pen.Get());
    SelectionScope brushSelected(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, area.left, area.top, area.right, area.bottom);
}
