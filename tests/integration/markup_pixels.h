#pragma once
// What the markup's integration tests draw over and how they print a colour.
#include <cstdint>
#include <cstdio>
#include <string>

// Distinct neighbours, and never one of the marks' or the strip's colours.
inline uint32_t MarkupStillPattern(int x, int y) {
    const uint32_t red = 40 + static_cast<uint32_t>(x * 5) % 150;
    const uint32_t green = 50 + static_cast<uint32_t>(y * 7) % 150;
    const uint32_t blue = 60 + static_cast<uint32_t>((x + 2 * y) * 3) % 150;
    return red << 16 | green << 8 | blue;
}

// "#RRGGBB", so that a failed comparison shows the colours.
inline std::string Hex(uint32_t colour) {
    char text[16];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(colour));
    return text;
}
