#pragma once
// Reading and making bitmaps pixel by pixel, for tests that compare pictures exactly.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "capture/captured_image.h"

// Colour of the pixel at (x, y), as 0x00RRGGBB.
using PixelPattern = std::function<uint32_t(int x, int y)>;

// The pixels of a bitmap (not selected into any DC) as 32-bit 0x00RRGGBB values, rows from the top; the
// size goes to `width` and `height` when they are given. Empty when the bitmap cannot be read.
std::vector<uint32_t> ReadBitmapPixels(HBITMAP bitmap, int* width = nullptr, int* height = nullptr);

// What a window has drawn of (0, 0, width, height), read through its own DC, rows from the top: the window's
// own pixels, not what the screen shows where other windows or the window's opacity change them. Works for
// a window of another process too. Empty when it cannot be read.
std::vector<uint32_t> WindowPixels(HWND window, int width, int height);

// A bitmap compatible with the screen, like the ones captures make, filled with `pattern`; the caller owns
// it. Null on failure.
HBITMAP CreatePatternBitmap(int width, int height, const PixelPattern& pattern);

// The pixels of the part (x, y, width, height) of a picture of `pictureWidth` columns, rows from the top.
std::vector<uint32_t> CutPixels(const std::vector<uint32_t>& pixels, int pictureWidth, int x, int y,
                                int width, int height);
// The pattern evaluated over (x, y, width, height), rows from the top.
std::vector<uint32_t> PatternPixels(const PixelPattern& pattern, int x, int y, int width, int height);

// True when the bitmap can be selected into a new memory DC, that is, no other DC holds it.
bool SelectableIntoNewDC(HBITMAP bitmap);
// True when every field of the capture is zero.
bool IsEmptyCapture(const CapturedImage& image);
// Wine answers 0 to GetGuiResources, so GDI leaks are measured as headroom: how many more objects the process
// can still create before GDI refuses. A leak of N objects shrinks it by N.
long GdiHeadroom();
