#pragma once
// The still with the committed marks drawn on it, kept from one paint to the next: a pointer move then copies
// it and draws only the mark in progress, however many marks there are. A new or redone mark is drawn onto
// it; after an undo it is drawn again from the still; without live marks it is freed.
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "base/rect.h"
#include "capture/captured_image.h"
#include "markup/markup_history.h"

struct MarkLayer {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr; // owned, the still's size
    HGDIOBJ oldBitmap = nullptr;
    size_t drawn = 0;      // how many of the live marks it holds
    uint32_t removals = 0; // the history's removals when it was last drawn from the still
};

// Brings the layer up to the history's live marks. `stillDc` holds the undimmed still whose rectangle on the
// virtual screen is `stillRect`. False (logged) when the layer could not be made; it is then empty.
bool SyncMarkLayer(MarkLayer& layer, const MarkupHistory& history, HDC stillDc, const Rect& stillRect);
// True when the layer holds the live marks and can stand in for the still inside the selection.
bool MarkLayerReady(const MarkLayer& layer, const MarkupHistory& history);
void ReleaseMarkLayer(MarkLayer& layer);
// Cuts `rect` (virtual-screen) out of the layer, whose top-left lies at `stillRect`'s, as CropCapturedImage
// cuts it out of the still: the picture with its marks, exactly as the screen showed them. The layer's bitmap
// leaves its DC for the cut, so the layer is used up; false (logged by the cut) on failure.
bool CutFromMarkLayer(MarkLayer& layer, const Rect& stillRect, const Rect& rect, CapturedImage& out);
