#pragma once
// Preview geometry and pixels, free of Win32 calls: sizes for a DPI, the fit into the work area, the window
// layout and place, the shadow and the opaque areas of the layered image.
#include <array>
#include <cstdint>

#include "base/dpi_scale.h"
#include "base/rect.h"

enum class PreviewButton : int32_t { Pin = 0, Save = 1, Close = 2, Copy = 3 };
constexpr int kPreviewButtonCount = 4;

// The sizes of one preview in pixels for its DPI; the window's state record holds them.
struct PreviewSizes {
    int32_t displayWidth = 0; // the picture as shown, at least 1
    int32_t displayHeight = 0;
    int32_t shadowSize = 0;   // S
    int32_t buttonHeight = 0; // T
    int32_t buttonWidth = 0;  // BW, common to the four buttons
    int32_t buttonGap = 0;    // G
};

// Computed from the sizes, never stored; window coordinates.
struct PreviewLayout {
    int32_t windowWidth = 0;
    int32_t windowHeight = 0;
    Rect imageRect;
    std::array<Rect, kPreviewButtonCount> buttonRects;
};

struct PreviewMetrics {
    int32_t shadowSize = 0;          // S: 18 at 96 DPI
    int32_t buttonHeight = 0;        // T: 28
    int32_t buttonGap = 0;           // G: 6
    int32_t minButtonWidth = 0;      // 56
    int32_t textMargin = 0;          // 18, added to a button's text width
    int32_t fallbackButtonWidth = 0; // 72, when no screen DC can measure the texts
};
PreviewMetrics PreviewMetricsForDpi(int32_t dpi);

struct DisplaySize {
    int32_t width = 1;
    int32_t height = 1;
};
// The picture's shown size: scaled down (never up) to 9/10 of the work area less the shadow and button row.
DisplaySize FitPreviewImage(int32_t imageWidth, int32_t imageHeight, const Rect& workArea, int32_t shadowSize,
                            int32_t buttonHeight);

PreviewLayout ComputePreviewLayout(const PreviewSizes& sizes);

// The window's top-left: the picture over the captured area, pulled back into the work area at the right and
// bottom, then at the left and top.
Point PlacePreviewWindow(const PreviewLayout& layout, int32_t originX, int32_t originY, const Rect& workArea);

// Alpha of the shadow pixel at distance (dx, dy) from the picture for a band of width S; 0 outside the band.
uint8_t PreviewShadowAlpha(int32_t dx, int32_t dy, int32_t shadowSize);
// Writes the shadow (black, premultiplied) around `rect` into 32-bit BGRA pixels of width x height.
void DrawPreviewShadow(uint8_t* pixels, int32_t stride, int32_t width, int32_t height, const Rect& rect,
                       int32_t shadowSize);
// Sets the alpha byte of every pixel inside `rect` to 255, leaving the colour bytes as they are.
void MakeRectOpaque(uint8_t* pixels, int32_t stride, const Rect& rect);

// The button under a point in window coordinates, or -1.
int32_t HitTestPreviewButton(const PreviewLayout& layout, const Point& point);
