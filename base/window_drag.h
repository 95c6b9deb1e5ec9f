#pragma once
// Moving a window with the mouse by hand: a press remembers where the pointer and the window were, and every
// move puts the window back under the point that was grabbed.
#include <windows.h>

#include "base/rect.h"

// Remembers the pointer and the window rectangle (screen coordinates) and captures the mouse for the window.
void BeginWindowDrag(HWND window, Point& startCursor, Rect& startWindowRect);
// Moves the window by the pointer's movement since the drag began, without touching its size, z-order or
// activation.
void FollowWindowDrag(HWND window, const Point& startCursor, const Rect& startWindowRect);
// The button is up: the window is put where the pointer was released, since the last move before the release
// may not have been handled yet, and the mouse is given back.
void EndWindowDrag(HWND window, const Point& startCursor, const Rect& startWindowRect);
