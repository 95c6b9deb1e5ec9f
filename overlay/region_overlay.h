#pragma once
#include "capture/captured_image.h"

// Shows the darkened still on every monitor and lets the user select a region; true with the selection cut
// out of the still into `result`, false when cancelled or failed. The still stays the caller's.
bool RunRegionOverlay(const CapturedImage& still, CapturedImage& result);
