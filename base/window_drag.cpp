#include "base/window_drag.h"

#include "base/win_rect.h"

void BeginWindowDrag(HWND window, Point& startCursor, Rect& startWindowRect) {
    POINT pointer = {};
    GetCursorPos(&pointer);
    RECT rect = {};
    GetWindowRect(window, &rect);
    startCursor = Point{pointer.x, pointer.y};
    startWindowRect = FromWinRect(rect);
    SetCapture(window);
}

void FollowWindowDrag(HWND window, const Point& startCursor, const Rect& startWindowRect) {
    POINT pointer = {};
    GetCursorPos(&pointer);
    const int x = startWindowRect.left + pointer.x - startCursor.x;
    const int y = startWindowRect.top + pointer.y - startCursor.y;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void EndWindowDrag(HWND window, const Point& startCursor, const Rect& startWindowRect) {
    FollowWindowDrag(window, startCursor, startWindowRect);
    ReleaseCapture();
}
