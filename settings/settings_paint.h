#pragma once
// What the settings window draws itself: the caption bar with its title and glyphs, the navigation bar,
// and the owner-drawn push and radio buttons, with their hover tracking.
#include <windows.h>

void PaintSettingsWindow(HWND window, HDC dc);
// kind 1: minimise, 2: close.
void DrawCaptionGlyph(HDC dc, const RECT& box, int kind, bool hovered);
void DrawSettingsButton(const DRAWITEMSTRUCT& item);
LRESULT CALLBACK ButtonHoverSubclassProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);
