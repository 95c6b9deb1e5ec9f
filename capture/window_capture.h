#pragma once
#include <windows.h>

#include "capture/captured_image.h"

// Visible, not minimised, of another process, neither click-through nor fully transparent, at least 20 x 20,
// not cloaked, not the desktop or a taskbar.
bool IsCapturableWindow(HWND window);
// The foreground window, or the topmost capturable one, within its frame bounds clipped to the virtual
// screen.
bool CaptureForegroundWindow(CapturedImage& out);
