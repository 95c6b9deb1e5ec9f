#pragma once
// The settings window's drawn caption and navigation bar under the mouse: hover, the glyphs, the tabs and
// the drag by the caption.
#include <windows.h>

#include "base/rect.h"

// The caption box (0 none, 1 minimise, 2 close) and the navigation tab (0..2, or -1) at a client point;
// nothing while there is no state.
int HitTestCaptionButton(HWND window, const Point& point);
int HitTestNavItem(HWND window, const Point& point);

LRESULT OnSettingsSetCursor(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void OnSettingsMouseMove(HWND window, LPARAM lParam);
void OnSettingsMouseLeave(HWND window);
void OnSettingsLButtonDown(HWND window, LPARAM lParam);
