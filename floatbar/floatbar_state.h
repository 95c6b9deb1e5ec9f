#pragma once
// The one toolbar's state, owned by its window from WM_NCCREATE until the window is destroyed.
#include <windows.h>

#include <cstdint>

#include "app/commands.h"
#include "base/rect.h"
#include "floatbar/floatbar_layout.h"

struct FloatBarState {
    HFONT font = nullptr;     // interface font at 9 points for `dpi`; owned, replaced at every layout
    int32_t dpi = 0;          // of the window at the last layout
    int32_t hoverButton = -1; // button under the pointer, or -1
    bool dragging = false;    // the bar follows the pointer
    Point dragStartCursor;    // screen position of the pointer when the drag began
    Rect dragStartWindowRect; // window rectangle when the drag began
    Rect captionRect;         // where the caption is drawn
    FloatBarButtonRects buttonRects{}; // Capture, Window, Screen, Settings, Quit
    int32_t separatorX = 0;            // the line between Screen and Settings
};

constexpr wchar_t kFloatBarClassName[] = L"KorvelFloatBar";

extern FloatBarState* floatBar;                   // null when there is no toolbar
extern HWND floatBarWindow;                       // null when there is none
extern bool floatBarWanted;                       // the bar is meant to be shown: follows the toolbar setting
extern HostCommandHandler floatBarCommandHandler; // null: clicks only log

LRESULT CALLBACK FloatBarWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Measures the texts for the window's DPI, sizes the window (keeping its top-left corner) and rounds it.
void LayoutFloatBar(HWND window, FloatBarState& state);
void PaintFloatBar(HWND window, FloatBarState& state);
// Draws the whole bar into a DC of width x height: the capsule, caption, separator and buttons.
void RenderFloatBar(HDC dc, const FloatBarState& state, int32_t width, int32_t height);
int32_t FloatBarHitTest(const FloatBarState& state, const Point& point);
// The label of a button in the current language; "" for any other index.
const wchar_t* FloatBarButtonLabel(int32_t index);
