#pragma once
// Conversions between Win32's RECT and the project's own Rect, which share their meaning (right and bottom
// exclusive).
#include <windows.h>

#include "base/rect.h"

inline Rect FromWinRect(const RECT& r) {
    return Rect{r.left, r.top, r.right, r.bottom};
}

inline RECT ToWinRect(const Rect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}
