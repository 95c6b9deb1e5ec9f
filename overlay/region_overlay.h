#pragma once
#include <windows.h>

#include <vector>

#include "capture/captured_image.h"
#include "overlay/overlay_state.h"

// Shows the darkened still on every monitor and lets the user select a region; true with the selection cut
// out of the still into `result`, false when cancelled or failed. The still stays the caller's.
bool RunRegionOverlay(const CapturedImage& still, CapturedImage& result);

// Points the state at the still, takes the screen DC, darkens the still, selects the still and the darkened
// copy into their DCs, and makes the cursor and font; false (with the reason logged) when the overlay cannot
// be drawn. The caller releases what was made with ReleaseOverlayResources either way.
bool PrepareOverlayDrawing(OverlayState& state, const CapturedImage& still);
// Ends the overlay once: cuts the selection when confirming, destroys the windows, ends the nested loop.
void FinishSelection(OverlayState& state, bool confirm);
// Frees every drawing resource of the overlay (never the still's bitmap).
void ReleaseOverlayResources(OverlayState& state);
// Marks every overlay window for repainting, without erasing.
void InvalidateOverlayWindows(const OverlayState& state);
LRESULT CALLBACK OverlayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// EnumDisplayMonitors callback: appends the monitor rectangle to the std::vector<RECT> in `list`.
BOOL CALLBACK CollectMonitorRect(HMONITOR monitor, HDC dc, LPRECT monitorRect, LPARAM list);
