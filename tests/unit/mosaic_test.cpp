#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "markup/mosaic.h"

namespace {

// A buffer over `r` whose every pixel differs from its neighbours, like fine print.
std::vector<uint32_t> Detailed(const Rect& r) {
    std::vector<uint32_t> pixels;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            pixels.push_back(
                static_cast<uint32_t>(((x * 37) & 0xFF) << 16 | ((y * 59) & 0xFF) << 8 | ((x * y) & 0xFF)));
        }
    }
    return pixels;
}

uint32_t At(const std::vector<uint32_t>& pixels, const Rect& r, int x, int y) {
    return pixels[static_cast<size_t>((y - r.top) * (r.right - r.left) + (x - r.left))];
}

} // namespace

TEST(Mosaic, GridCountsPartialBlocks) {
    struct Case {
        Rect area;
        int block;
        int columns;
        int rows;
    };
    const Case cases[] = {
        {{0, 0, 24, 24}, 12, 2, 2},   {{0, 0, 25, 13}, 12, 3, 2},
        {{-30, -10, 0, 0}, 12, 3, 1}, {{5, 5, 5, 40}, 12, 0, 3},
        {{0, 0, 7, 7}, 0, 7, 7},      {{INT32_MIN, 0, INT32_MAX, 1}, 12, 357913942, 1},
    };
    for (const Case& c : cases) {
        const MosaicGrid grid = PlanMosaic(c.area, c.block);
        EXPECT_EQ(c.columns, grid.columns) << c.area.left << "," << c.area.right;
        EXPECT_EQ(c.rows, grid.rows) << c.area.top << "," << c.area.bottom;
    }
}

TEST(Mosaic, EveryBlockTakesTheRoundedAverageOfItsPixels) {
    // Four blocks of 2 x 2 over a 4 x 4 buffer; the third block's blue averages 0.5 and rounds up.
    const Rect r{0, 0, 4, 4};
    std::vector<uint32_t> pixels = {
        0x000000, 0x040404, 0x100000, 0x100000, //
        0x080808, 0x0C0C0C, 0x100000, 0x300000, //
        0x000001, 0x000000, 0x0000FF, 0x0000FF, //
        0x000001, 0x000000, 0x0000FF, 0x0000FD,
    };
    PixelateArea(pixels.data(), r, r, 2);
    const uint32_t expected[4] = {0x060606, 0x180000, 0x000001, 0x0000FF};
    for (int by = 0; by < 2; ++by) {
        for (int bx = 0; bx < 2; ++bx) {
            for (int y = 0; y < 2; ++y) {
                for (int x = 0; x < 2; ++x) {
                    EXPECT_EQ(expected[by * 2 + bx], At(pixels, r, bx * 2 + x, by * 2 + y))
                        << "block " << bx << "," << by;
                }
            }
        }
    }
}

TEST(Mosaic, TheDetailIsGoneInsideTheAreaAndUntouchedOutsideIt) {
    // An area left of and above the origin, inside a larger buffer, with blocks cut short at its right and
    // bottom edges.
    const Rect buffer{-40, -30, 20, 20};
    const Rect area{-30, -25, 10, 5}; // 40 x 30: blocks of 12 give 4 columns (the last 4 wide), 3 rows
    const std::vector<uint32_t> original = Detailed(buffer);
    std::vector<uint32_t> pixels = original;
    PixelateArea(pixels.data(), buffer, area, 12);
    std::set<uint32_t> colours;
    for (int y = buffer.top; y < buffer.bottom; ++y) {
        for (int x = buffer.left; x < buffer.right; ++x) {
            const bool inside = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
            if (!inside) {
                ASSERT_EQ(At(original, buffer, x, y), At(pixels, buffer, x, y)) << x << "," << y;
                continue;
            }
            colours.insert(At(pixels, buffer, x, y));
            // One colour per block, laid from the area's corner.
            const int blockLeft = area.left + (x - area.left) / 12 * 12;
            const int blockTop = area.top + (y - area.top) / 12 * 12;
            ASSERT_EQ(At(pixels, buffer, blockLeft, blockTop), At(pixels, buffer, x, y)) << x << "," << y;
        }
    }
    EXPECT_LE(colours.size(), 12u);
}

TEST(Mosaic, ABufferHoldingPartOfTheAreaKeepsTheAreasGrid) {
    // The area starts 5 pixels before the buffer (the still's edge): its first column of blocks is 7 wide in
    // the buffer, and averages the pixels that the buffer holds.
    const Rect buffer{0, 0, 20, 4};
    const Rect area{-5, 0, 30, 4};
    std::vector<uint32_t> pixels(80, 0);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 7; ++x) {
            pixels[static_cast<size_t>(y * 20 + x)] = x < 3 ? 0x00000A : 0x000014; // 3 of 10, 4 of 20: 15.7
        }
    }
    PixelateArea(pixels.data(), buffer, area, 12);
    EXPECT_EQ(0x000010u, At(pixels, buffer, 0, 0));
    EXPECT_EQ(0x000010u, At(pixels, buffer, 6, 3));
    EXPECT_EQ(0x000000u, At(pixels, buffer, 7, 0));
    // Nothing to do without pixels, without overlap, or for an empty area.
    PixelateArea(nullptr, buffer, area, 12);
    PixelateArea(pixels.data(), buffer, Rect{30, 0, 40, 4}, 12);
    PixelateArea(pixels.data(), buffer, Rect{5, 0, 5, 4}, 12);
    EXPECT_EQ(0x000010u, At(pixels, buffer, 0, 0));
}
