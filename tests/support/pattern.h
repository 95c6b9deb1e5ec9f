#pragma once
// The picture that the test program pattern_window paints, so that a capture of it can be checked pixel by
// pixel. Blocks of 8 x 8 pixels, each a colour that follows from its block column and row, so that a picture
// shifted or cut at the wrong place no longer matches.
#include <cstdint>

constexpr int kPatternBlock = 8;

// The colour (0x00RRGGBB) at a point of the pattern window's client area.
inline uint32_t PatternColour(int x, int y) {
    // Floor division, so that the blocks stay 8 pixels wide on both sides of zero.
    const int column = (x >= 0 ? x : x - (kPatternBlock - 1)) / kPatternBlock;
    const int row = (y >= 0 ? y : y - (kPatternBlock - 1)) / kPatternBlock;
    const uint32_t red = static_cast<uint32_t>(column * 53 + 17) & 0xFFu;
    const uint32_t green = static_cast<uint32_t>(row * 91 + 40) & 0xFFu;
    const uint32_t blue = static_cast<uint32_t>((column + row) * 29 + 100) & 0xFFu;
    return (red << 16) | (green << 8) | blue;
}
