#pragma once
// Geometry of the settings window, free of Win32 calls: where every child goes for a client width, a DPI
// and the measured texts, how tall the window must be for the page, and the hit tests of the drawn caption
// and navigation bar (the same rectangles that the drawing uses). Client coordinates; right and bottom are
// exclusive.
#include <array>
#include <cstdint>

#include "base/rect.h"
#include "settings/settings_ids.h"

struct SettingsMetrics {
    int32_t caption = 0;    // C: 40 at 96 DPI
    int32_t navigation = 0; // N: 44
    int32_t margin = 0;     // M: 20
    int32_t row = 0;        // R: 34
    int32_t gap = 0;        // G: 12
};
SettingsMetrics SettingsMetricsForDpi(int32_t dpi);

// What the layout needs to know of the texts, measured with the body font of the same DPI.
struct SettingsTextMeasures {
    int32_t labelWidth = 0;  // L: the widest of texts 4 to 9
    int32_t lineHeight = 0;  // T: the font's tmHeight
    int32_t hintBottom = 0;  // the page's hint (text 16 on Language, else 15) wrapped at the full width
    int32_t aboutBottom = 0; // the About text (18) wrapped at the full width
};

struct ControlPlace {
    int id = 0;
    Rect rect; // never less than 1 x 1
};

struct SettingsLayout {
    std::array<ControlPlace, kSettingsControlCount> controls; // in creation order
    int32_t contentBottom = 0;                                // bottom of the page's last control
    int32_t buttonTop = 0;                                    // B: top of OK and Cancel
    int32_t clientHeight = 0;                                 // the client height the page needs

    // The place of a control; an empty rectangle for an unknown id.
    Rect Find(int id) const;
};

// The width that the hint and the About text wrap at: the client width less two margins, at least 1.
int32_t SettingsFullWidth(int32_t clientWidth, int32_t dpi);

SettingsLayout ComputeSettingsLayout(int32_t clientWidth, int32_t dpi, SettingsPage page,
                                     const SettingsTextMeasures& measures);

// The caption boxes drawn at the top right: 1 minimise, 2 close.
constexpr int32_t kMinimiseBox = 1;
constexpr int32_t kCloseBox = 2;
Rect CaptionBoxRect(int32_t clientWidth, int32_t dpi, int32_t box);
// 0 (none), kMinimiseBox or kCloseBox at a point.
int32_t CaptionBoxAt(int32_t clientWidth, int32_t dpi, const Point& point);

// Tab i of the navigation bar: the thirds of the client width, the last one ending at the right edge.
Rect NavTabRect(int32_t clientWidth, int32_t dpi, int32_t index);
// The tab at a point, or -1.
int32_t NavTabAt(int32_t clientWidth, int32_t dpi, const Point& point);

// The text rectangle of the path field for its client size and the font's height: 8 pixels in from the
// left, 4 from the right, the line centred vertically.
Rect PathTextRect(int32_t width, int32_t height, int32_t textHeight);

// The top-left that centres a window in the work area; the work area's own corner when it does not fit.
Point CentreInWorkArea(const Rect& workArea, int32_t width, int32_t height);
