#pragma once
// What the screen shows, read back the way a capture would take it, and a few window facts, for tests that
// check what a user would see.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// What the screen shows now, rows from the top, 0x00RRGGBB.
struct ScreenShot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
ScreenShot TakeScreenShot();
// One pixel of the screen, 0x00RRGGBB (0xFFFFFFFF when it cannot be read).
uint32_t ScreenPixel(int x, int y);
// Writes a screenshot as a PNG file, for a person to look at after the run; false when it could not.
bool SaveScreenShot(const ScreenShot& shot, const RECT& area, const std::wstring& path);

int Channel(uint32_t colour, int shift);
// Each channel about 135/255 of the original's: how the region overlay darkens the screen.
bool IsDimmedFrom(uint32_t shown, uint32_t original);
bool AnyPixelIn(const ScreenShot& shot, const RECT& area, uint32_t colour);

RECT WindowRect(HWND window);
bool IsTopmost(HWND window);
// A left click at a screen point, like a person's, given a moment to be handled.
void ClickAt(POINT p);
