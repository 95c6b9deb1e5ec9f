#include "markup/mosaic.h"

#include <algorithm>
#include <cstddef>

#include "capture/capture_rules.h"

namespace {

int64_t BlockCount(int64_t span, int64_t block) {
    return span <= 0 ? 0 : (span + block - 1) / block;
}

} // namespace

MosaicGrid PlanMosaic(const Rect& area, int32_t block) {
    const int64_t side = std::max(block, 1);
    MosaicGrid grid;
    grid.columns = static_cast<int32_t>(BlockCount(static_cast<int64_t>(area.right) - area.left, side));
    grid.rows = static_cast<int32_t>(BlockCount(static_cast<int64_t>(area.bottom) - area.top, side));
    return grid;
}

void PixelateArea(uint32_t* pixels, const Rect& bufferRect, const Rect& area, int32_t block) {
    const Rect covered = IntersectRects(bufferRect, area);
    if (pixels == nullptr || covered.Empty()) {
        return;
    }
    const int64_t side = std::max(block, 1);
    const int64_t stride = static_cast<int64_t>(bufferRect.right) - bufferRect.left;
    // The blocks that reach into the covered part, each clipped to it.
    const int64_t firstColumn = (static_cast<int64_t>(covered.left) - area.left) / side;
    const int64_t firstRow = (static_cast<int64_t>(covered.top) - area.top) / side;
    for (int64_t blockTop = area.top + firstRow * side; blockTop < covered.bottom; blockTop += side) {
        const int64_t top = std::max<int64_t>(blockTop, covered.top);
        const int64_t bottom = std::min<int64_t>(blockTop + side, covered.bottom);
        for (int64_t blockLeft = area.left + firstColumn * side; blockLeft < covered.right;
             blockLeft += side) {
            const int64_t left = std::max<int64_t>(blockLeft, covered.left);
            const int64_t right = std::min<int64_t>(blockLeft + side, covered.right);
            uint64_t red = 0;
            uint64_t green = 0;
            uint64_t blue = 0;
            for (int64_t y = top; y < bottom; ++y) {
                const uint32_t* row = pixels + (y - bufferRect.top) * stride;
                for (int64_t x = left; x < right; ++x) {
                    const uint32_t colour = row[x - bufferRect.left];
                    red += (colour >> 16) & 0xFF;
                    green += (colour >> 8) & 0xFF;
                    blue += colour & 0xFF;
                }
            }
            const uint64_t count = static_cast<uint64_t>((bottom - top) * (right - left));
            const uint32_t average =
                static_cast<uint32_t>(((red + count / 2) / count) << 16 | ((green + count / 2) / count) << 8 |
                                      ((blue + count / 2) / count));
            for (int64_t y = top; y < bottom; ++y) {
                uint32_t* row = pixels + (y - bufferRect.top) * stride;
                std::fill(row + (left - bufferRect.left), row + (right - bufferRect.left), average);
            }
        }
    }
}
