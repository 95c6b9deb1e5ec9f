#pragma once
// The mosaic's blocks over a plain pixel buffer, free of Win32: an area is cut into square blocks laid from
// its top-left corner (the last ones in a row or column cut short by the area's edge), and every pixel of a
// block takes the average colour of the block, so that what lay beneath cannot be read back.
#include <cstdint>

#include "base/rect.h"

// Columns and rows of blocks of `block` pixels over `area` (partial blocks counted); 0 for an empty area.
struct MosaicGrid {
    int32_t columns = 0;
    int32_t rows = 0;
};
MosaicGrid PlanMosaic(const Rect& area, int32_t block);

// `pixels` holds `bufferRect` (in the same coordinates as `area`), rows from the top, 0x00RRGGBB. Every
// pixel of the buffer inside `area` becomes the rounded average of the pixels of its block that the buffer
// holds. Blocks below 1 pixel count as 1.
void PixelateArea(uint32_t* pixels, const Rect& bufferRect, const Rect& area, int32_t block);
