#pragma once
// Which windows may be captured, decided from facts gathered by the caller, free of Win32 calls.
#include <string>

#include "base/rect.h"

// The facts about a window that decide whether it may be captured, each asked for only when needed.
class WindowFacts {
  public:
    virtual ~WindowFacts() = default;
    virtual bool Exists() = 0;
    virtual bool Visible() = 0;
    virtual bool Minimized() = 0;
    virtual bool OwnedByThisProcess() = 0;
    // Clicks pass through it to what lies below (WS_EX_TRANSPARENT).
    virtual bool ClickThrough() = 0;
    // A layered window whose constant alpha is 0: nothing of it shows.
    virtual bool FullyTransparent() = 0;
    // False when the window rectangle cannot be read.
    virtual bool WindowRect(Rect& rect) = 0;
    // The compositor's cloak query succeeded and reported non-zero.
    virtual bool Cloaked() = 0;
    virtual std::wstring ClassName() = 0;
};
// Asks the cheap facts first and stops at the first that refuses, so a walk down the z-order does not query
// the compositor and the class name of every hidden window.
bool IsCapturableWindowFacts(WindowFacts& facts);

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
