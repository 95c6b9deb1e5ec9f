#pragma once
// Small pieces every window procedure of the program needs.
#include <windows.h>
#include <windowsx.h>

#include "base/rect.h"

// The state record a window keeps in its user-data slot; null before WM_NCCREATE stores it and after it is
// freed.
template <typename State> State* WindowStateOf(HWND window) {
    return reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Mouse messages carry client coordinates as signed 16-bit halves (negative while the mouse is captured and
// the pointer is left of or above the window).
inline Point MessagePoint(LPARAM lParam) {
    return Point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

// Asks for WM_MOUSELEAVE when the pointer leaves the window. Asked again on every move: the system forgets
// the request once it has sent the message.
inline void TrackMouseLeave(HWND window) {
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = window;
    TrackMouseEvent(&track);
}
