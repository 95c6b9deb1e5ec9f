#pragma once
// The Win32 side of the overlay's markup: what it keeps beside the two models (the cached drawing of the
// marks, the text box, the tooltip fonts), made when the overlay starts and freed when it ends, and the
// remembered colour and width.
#include <windows.h>

#include <utility>
#include <vector>

#include "markup/mark_layer.h"
#include "markup/markup_tools.h"
#include "markup/text_box.h"
#include "preview/preview_export.h"

struct MarkupUi {
    MarkLayer layer;
    TextBox textBox;
    std::vector<std::pair<int32_t, HFONT>> tooltipFonts; // owned: the interface font at each monitor's DPI
    bool copy = false;                                   // the confirmation also copies to the clipboard
    ClipboardOutcome copyOutcome = ClipboardOutcome::Copied;
};

// Every monitor with its work area and effective DPI, in enumeration order.
std::vector<MonitorArea> CollectMonitorAreas();
// The monitors and the last colour and width into the model, a tooltip font for each monitor's DPI.
void PrepareMarkup(MarkupState& markup, MarkupUi& ui);
// The tooltip font for a DPI, or null when there is none for it.
HFONT TooltipFontFor(const MarkupUi& ui, int32_t dpi);
// Frees the layer, the text box and the fonts.
void ReleaseMarkup(MarkupUi& ui);
// Keeps the colour and width in config.ini when they changed during the overlay.
void RememberMarkupStyle(const MarkupState& markup);
