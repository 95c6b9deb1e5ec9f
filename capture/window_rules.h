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
