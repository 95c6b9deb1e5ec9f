#pragma once
// Reads a picture file back through GDI+, so that tests can compare what was written pixel by pixel.
#include <cstdint>
#include <string>
#include <vector>

struct DecodedImage {
    bool ok = false;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // top-down rows, 0x00RRGGBB

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Starts GDI+ for the call when needed; works for PNG and JPEG alike.
DecodedImage DecodeImageFile(const std::wstring& path);
