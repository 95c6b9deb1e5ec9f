#pragma once
// Which windows may be captured, decided from facts gathered by the caller, free of Win32 calls.
#include <string>

#include "capture/rect.h"

// The facts about a window that decide whether it may be captured.
struct WindowFacts {
    bool exists = false;
    bool visible = false;
    bool minimized = false;
    bool ownProcess = false;
    bool cloaked = false; // the cloak query succeeded and reported non-zero
    std::wstring className;
    bool windowRectKnown = false;
    Rect windowRect;
};
bool IsCapturableWindowFacts(const WindowFacts& facts);

// The rectangles from which the captured area of a chosen window follows.
struct WindowAreaFacts {
    bool frameBoundsKnown = false; // the window manager reported the extended frame bounds
    Rect frameBounds;
    bool windowRectKnown = false; // the window rectangle; only needed when the frame bounds are unknown
    Rect windowRect;
    Rect virtualScreen;
};

enum class WindowAreaResult {
    Ok,
    NoRect,   // neither rectangle is known
    OffScreen // the window does not overlap the virtual screen
};

struct WindowArea {
    WindowAreaResult result = WindowAreaResult::NoRect;
    Rect window;  // the frame bounds, or the window rectangle when those are unknown
    Rect clipped; // `window` within the virtual screen; empty unless the result is Ok
};
WindowArea PlanWindowArea(const WindowAreaFacts& facts);
