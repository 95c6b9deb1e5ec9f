#pragma once
#include <windows.h>

#include "capture/captured_image.h"

// Visible, not minimised, of another process, not cloaked, not the desktop or taskbar, at least 20 x 20.
bool IsCapturableWindow(HWND window);
// The foreground window, or the topmost capturable one, within its frame bounds clipped to the virtual
// screen.
bool CaptureForegroundWindow(CapturedImage& out);
