#include "support/bitmap_pixels.h"

namespace {

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // negative: rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

} // namespace

std::vector<uint32_t> ReadBitmapPixels(HBITMAP bitmap, int* width, int* height) {
    BITMAP facts = {};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof(facts), &facts) != sizeof(facts) ||
        facts.bmWidth < 1 || facts.bmHeight < 1) {
        return {};
    }
    if (width != nullptr) {
        *width = facts.bmWidth;
    }
    if (height != nullptr) {
        *height = facts.bmHeight;
    }
    std::vector<uint32_t> pixels(static_cast<size_t>(facts.bmWidth) * facts.bmHeight);
    BITMAPINFO info = TopDown32(facts.bmWidth, facts.bmHeight);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, facts.bmHeight, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != facts.bmHeight) {
        return {};
    }
    // A 32-bit DIB holds blue, green, red and an unused byte: read as a number that is 0x??RRGGBB.
    for (uint32_t& pixel : pixels) {
        pixel &= 0x00FFFFFF;
    }
    return pixels;
}

HBITMAP CreatePatternBitmap(int width, int height, const PixelPattern& pattern) {
    if (width < 1 || height < 1) {
        return nullptr;
    }
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    if (bitmap != nullptr) {
        const std::vector<uint32_t> pixels = PatternPixels(pattern, 0, 0, width, height);
        BITMAPINFO info = TopDown32(width, height);
        if (SetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS) != height) {
            DeleteObject(bitmap);
            bitmap = nullptr;
        }
    }
    ReleaseDC(nullptr, screen);
    return bitmap;
}

std::vector<uint32_t> CutPixels(const std::vector<uint32_t>& pixels, int pictureWidth, int x, int y,
                                int width, int height) {
    std::vector<uint32_t> part;
    part.reserve(static_cast<size_t>(width) * height);
    for (int row = y; row < y + height; ++row) {
        for (int column = x; column < x + width; ++column) {
            part.push_back(pixels[static_cast<size_t>(row) * pictureWidth + column]);
        }
    }
    return part;
}

std::vector<uint32_t> PatternPixels(const PixelPattern& pattern, int x, int y, int width, int height) {
    std::vector<uint32_t> pixels;
    pixels.reserve(static_cast<size_t>(width) * height);
    for (int row = y; row < y + height; ++row) {
        for (int column = x; column < x + width; ++column) {
            pixels.push_back(pattern(column, row) & 0x00FFFFFF);
        }
    }
    return pixels;
}

std::vector<uint32_t> WindowPixels(HWND window, int width, int height) {
    HDC windowDc = GetDC(window);
    if (windowDc == nullptr) {
        return {};
    }
    HBITMAP copy = CreateCompatibleBitmap(windowDc, width, height);
    HDC dc = CreateCompatibleDC(windowDc);
    HGDIOBJ previous = SelectObject(dc, copy);
    const bool copied = previous != nullptr && BitBlt(dc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
    if (previous != nullptr) {
        SelectObject(dc, previous);
    }
    DeleteDC(dc);
    ReleaseDC(window, windowDc);
    std::vector<uint32_t> pixels = copied ? ReadBitmapPixels(copy) : std::vector<uint32_t>();
    DeleteObject(copy);
    return pixels;
}

bool SelectableIntoNewDC(HBITMAP bitmap) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    if (previous != nullptr) {
        SelectObject(dc, previous);
    }
    DeleteDC(dc);
    return previous != nullptr;
}

bool IsEmptyCapture(const CapturedImage& image) {
    return image.bitmap == nullptr && image.width == 0 && image.height == 0 && image.originX == 0 &&
           image.originY == 0;
}

long GdiHeadroom() {
    std::vector<HBRUSH> brushes;
    for (;;) {
        HBRUSH brush = CreateSolidBrush(RGB(brushes.size() & 0xFF, 0, 0));
        if (brush == nullptr || brushes.size() >= 200000) {
            if (brush != nullptr) {
                DeleteObject(brush);
            }
            break;
        }
        brushes.push_back(brush);
    }
    for (HBRUSH brush : brushes) {
        DeleteObject(brush);
    }
    return static_cast<long>(brushes.size());
}
