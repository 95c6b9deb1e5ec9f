#pragma once
// The markup strip beside the selection, free of Win32: its buttons at a DPI, where it goes in the work areas
// of the monitors (negative origins and mixed DPI included), the hit tests, the colour and width pop-outs and
// the tooltip's box. All rectangles are virtual-screen coordinates in physical pixels.
#include <array>
#include <cstdint>
#include <vector>

#include "base/rect.h"
#include "text/texts.h"

// In the strip's fixed order; the first eight are the tools, in the order of MarkKind.
enum class StripButton : int32_t {
    Rectangle = 0,
    Ellipse = 1,
    Arrow = 2,
    Pen = 3,
    Highlighter = 4,
    Text = 5,
    Step = 6,
    Mosaic = 7,
    Undo = 8,
    Redo = 9,
    Colour = 10,
    Width = 11,
    Cancel = 12,
    Copy = 13,
    Save = 14,
};
constexpr int32_t kStripButtonCount = 15;
constexpr int32_t kStripToolCount = 8;
constexpr int32_t kNoButton = -1;

// One monitor as the overlay sees it: its rectangle, its work area and its effective DPI.
struct MonitorArea {
    Rect monitor;
    Rect work;
    int32_t dpi = 96;
};

enum class StripPlacement : int32_t { Below = 0, Above = 1, Inside = 2 };

struct StripLayout {
    Rect strip;
    std::array<Rect, kStripButtonCount> buttons;
    std::array<int32_t, 3> separators = {}; // x of the lines between the groups
    int32_t dpi = 96;                       // of the monitor it was placed on
    Rect work;                              // that monitor's work area
    StripPlacement placement = StripPlacement::Below;
};

// The strip for a selection: under it, its right end at the selection's right edge, inside the work area of
// the monitor that holds the selection's bottom edge; where it does not fit there, above the selection
// (inside the work area of the monitor holding its top edge); where neither fits, inside the selection's
// bottom edge. Scaled for the DPI of the monitor it lands on, never outside `virtualBounds`. Without
// monitors, `virtualBounds` counts as one monitor at 96 DPI.
StripLayout PlaceStrip(const Rect& selection, const std::vector<MonitorArea>& monitors,
                       const Rect& virtualBounds);
// The monitor holding the point, or the nearest one; `fallback` (a monitor at 96 DPI) when there are none.
MonitorArea MonitorAt(const std::vector<MonitorArea>& monitors, const Point& p, const Rect& fallback);
bool StripContains(const StripLayout& layout, const Point& p);
// The button under the point, or kNoButton (also between the buttons).
int32_t StripButtonAt(const StripLayout& layout, const Point& p);

enum class Popout : int32_t { None = 0, Colour = 1, Width = 2 };
struct PopoutLayout {
    Rect panel;
    std::vector<Rect> items; // eight swatches, or thin, medium and thick
};
// Under the strip at its button when there is room in the work area, otherwise above it. Empty for None.
PopoutLayout PlacePopout(const StripLayout& layout, Popout popout);
// The item under the point, or -1.
int32_t PopoutItemAt(const PopoutLayout& popout, const Point& p);

// The box of a tooltip of textWidth x textHeight for a button: centred under the strip at the button, or
// above the strip where there is no room below, inside the work area.
Rect PlaceTooltip(const StripLayout& layout, int32_t button, int32_t textWidth, int32_t textHeight);
// The tooltips name each button and its key, in the strip's order: texts 49 (Rectangle (R)) to 63
// (Save (Enter)).
constexpr TextId kFirstStripTooltip = 50;
// The text of a button's tooltip, or kTextCount (no text) for no button.
TextId StripButtonTooltip(int32_t button);
// The padding around a tooltip's text at the strip's DPI, each side.
int32_t TooltipPaddingX(int32_t dpi);
int32_t TooltipPaddingY(int32_t dpi);
