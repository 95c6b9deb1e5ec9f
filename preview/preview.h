#pragma once
#include "capture/captured_image.h"

// Opens a preview of the capture. Takes the bitmap over (clearing `image.bitmap`) when it accepts it; returns
// true when a preview window is open.
bool ShowPreview(CapturedImage& image);
// Closes every open preview window (at quit).
void CloseAllPreviews();
// Every open preview re-measures and redraws its buttons in the current language.
void RelayoutPreviewsForLanguage();
