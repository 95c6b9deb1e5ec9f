#include "markup/markup_overlay.h"

#include <shellscalingapi.h>

#include "base/dpi_scale.h"
#include "base/win_rect.h"
#include "config/config.h"
#include "config/config_file.h"
#include "log/log.h"
#include "text/font.h"

namespace {

constexpr int kTooltipPoints = 9;

BOOL CALLBACK CollectMonitorArea(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) {
        return TRUE;
    }
    UINT dpiX = 0;
    UINT dpiY = 0;
    const bool dpiKnown = SUCCEEDED(GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY));
    MonitorArea area;
    area.monitor = FromWinRect(info.rcMonitor);
    area.work = FromWinRect(info.rcWork);
    area.dpi = UsableDpi(dpiKnown ? static_cast<int32_t>(dpiX) : static_cast<int32_t>(GetDpiForSystem()));
    reinterpret_cast<std::vector<MonitorArea>*>(list)->push_back(area);
    return TRUE;
}

} // namespace

std::vector<MonitorArea> CollectMonitorAreas() {
    std::vector<MonitorArea> monitors;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitorArea, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

void PrepareMarkup(MarkupState& markup, MarkupUi& ui) {
    markup.monitors = CollectMonitorAreas();
    const AppConfig& config = GetConfig();
    markup.colour = config.markupColor;
    markup.widthLevel = config.markupWidth;
    for (const MonitorArea& monitor : markup.monitors) {
        if (TooltipFontFor(ui, monitor.dpi) == nullptr) {
            ui.tooltipFonts.emplace_back(monitor.dpi, CreateInterfaceFont(monitor.dpi, kTooltipPoints));
        }
    }
}

HFONT TooltipFontFor(const MarkupUi& ui, int32_t dpi) {
    for (const auto& font : ui.tooltipFonts) {
        if (font.first == dpi) {
            return font.second;
        }
    }
    return nullptr;
}

void ReleaseMarkup(MarkupUi& ui) {
    ReleaseMarkLayer(ui.layer);
    CloseTextBox(ui.textBox);
    for (auto& font : ui.tooltipFonts) {
        if (font.second != nullptr) {
            DeleteObject(font.second);
        }
    }
    ui.tooltipFonts.clear();
}

void RememberMarkupStyle(const MarkupState& markup) {
    AppConfig& config = GetConfig();
    if (config.markupColor == markup.colour && config.markupWidth == markup.widthLevel) {
        return;
    }
    config.markupColor = markup.colour;
    config.markupWidth = markup.widthLevel;
    if (!SaveConfig(config)) {
        LogError(L"保存标注颜色和粗细失败 color=%d width=%d", markup.colour, markup.widthLevel);
    }
}
