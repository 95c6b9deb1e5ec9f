#pragma once
#include <windows.h>

#include "base/rect.h"
#include "overlay/overlay_state.h"

// The still darkened to 135/255 (black at alpha 120 over it), same size; owned by the caller; null on
// failure.
HBITMAP CreateDimmedBitmap(HDC screenDc, HBITMAP source, int width, int height);
// Handles one WM_PAINT of an overlay window through the shared back buffer, with a single transfer.
void PaintOverlay(HWND window, OverlayState& state);
// Draws the whole content of the window with rectangle `window` (virtual-screen) into `target`, whose (0, 0)
// is the window's top-left: dimmed still, selection, label, handles, hint, magnifier. PaintOverlay draws into
// its back buffer with it; tests draw into a memory DC.
void RenderOverlay(HDC target, const OverlayState& state, const Rect& window);
void DrawMagnifier(HDC target, const OverlayState& state, const Rect& window);
// A white cross one pixel thick in a black band, hot spot in the centre; null on failure.
HCURSOR CreateWhiteCrossCursor();
