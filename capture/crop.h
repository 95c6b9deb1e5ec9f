#pragma once
#include "base/rect.h"
#include "capture/captured_image.h"

// Cuts `rect` (virtual-screen coordinates) out of `source` into a new bitmap, clipped to the source. The
// source stays the caller's and must not be selected into any DC.
bool CropCapturedImage(const CapturedImage& source, const Rect& rect, CapturedImage& out);
