#pragma once
#include "base/rect.h"
#include "capture/captured_image.h"

// Copies a rectangle of the virtual screen (1..32000 pixels each way) into `out`; `out` is emptied first.
bool CaptureScreenRect(const Rect& rect, CapturedImage& out);
// The bounding rectangle of all monitors.
bool CaptureVirtualScreen(CapturedImage& out);
// The whole monitor under the pointer (the nearest one when the pointer is on none), taskbar included.
bool CaptureMonitorUnderCursor(CapturedImage& out);
