#include "settings/settings_paint.h"

#include <commctrl.h>

#include "base/dpi_scale.h"
#include "base/paint_buffer.h"
#include "base/win_rect.h"
#include "base/window_helpers.h"
#include "settings/settings_layout.h"
#include "settings/settings_palette.h"
#include "settings/settings_state.h"
#include "text/texts.h"

namespace {

constexpr int32_t kTitleLeftAt96 = 16;
constexpr int32_t kGlyphInsetAt96 = 14;
constexpr int32_t kTabAccentAt96 = 3;
constexpr int32_t kRingAt96 = 16;
constexpr int32_t kRingLeftAt96 = 16;
constexpr int32_t kDotInsetAt96 = 4;
constexpr int32_t kRadioTextGapAt96 = 10;
constexpr int32_t kOutlineCornerAt96 = 8;
constexpr int kButtonTextLength = 128;

void FillWith(HDC dc, const RECT& r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

// A pen selected for one drawing step, with the stock null brush, both put back when it goes.
class OutlineScope {
  public:
    OutlineScope(HDC dc, int width, COLORREF colour)
        : dc_(dc), pen_(CreatePen(PS_SOLID, width, colour)), previousPen_(SelectObject(dc, pen_)),
          previousBrush_(SelectObject(dc, GetStockObject(NULL_BRUSH))) {}
    ~OutlineScope() {
        SelectObject(dc_, previousBrush_);
        SelectObject(dc_, previousPen_);
        DeleteObject(pen_);
    }
    OutlineScope(const OutlineScope&) = delete;
    OutlineScope& operator=(const OutlineScope&) = delete;

  private:
    HDC dc_;
    HPEN pen_;
    HGDIOBJ previousPen_;
    HGDIOBJ previousBrush_;
};

void PaintNavigationBar(HDC dc, const SettingsState& state, int width) {
    const int32_t dpi = state.dpi;
    const SettingsMetrics m = SettingsMetricsForDpi(dpi);
    // The whole bar every time, so that a tab that was hovered before loses its highlight.
    const RECT bar = {0, m.caption, width, m.caption + m.navigation};
    FillRect(dc, &bar, state.backgroundBrush);
    {
        OutlineScope pen(dc, 1, kBorderColor);
        Line(dc, 0, m.caption - 1, width, m.caption - 1);
        Line(dc, 0, m.caption + m.navigation - 1, width, m.caption + m.navigation - 1);
    }
    for (int32_t i = 0; i < kSettingsPageCount; ++i) {
        RECT tab = ToWinRect(NavTabRect(width, dpi, i));
        const bool selected = static_cast<int32_t>(state.page) == i;
        if (state.hoveredNavItem == i && !selected) {
            FillRect(dc, &tab, state.panelBrush);
        }
        SetTextColor(dc, selected ? kTextColor : kMutedTextColor);
        DrawTextW(dc, GetText(static_cast<TextId>(1 + i)), -1, &tab,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        if (selected) {
            const RECT accent = {tab.left, tab.bottom - ScaleForDpi(kTabAccentAt96, dpi), tab.right,
                                 tab.bottom};
            FillWith(dc, accent, kAccentColor);
        }
    }
}

void DrawRadioMark(HDC dc, const RECT& rc, bool checked, int32_t dpi) {
    const int d = ScaleForDpi(kRingAt96, dpi);
    const int x = rc.left + ScaleForDpi(kRingLeftAt96, dpi);
    const int y = (rc.top + rc.bottom - d) / 2;
    {
        OutlineScope ring(dc, ScaleForDpi(1, dpi), checked ? kWhiteColor : kMutedTextColor);
        Ellipse(dc, x, y, x + d, y + d);
    }
    if (checked) {
        const int k = ScaleForDpi(kDotInsetAt96, dpi);
        HBRUSH white = CreateSolidBrush(kWhiteColor);
        HPEN pen = CreatePen(PS_SOLID, 1, kWhiteColor);
        HGDIOBJ previousBrush = SelectObject(dc, white);
        HGDIOBJ previousPen = SelectObject(dc, pen);
        Ellipse(dc, x + k, y + k, x + d - k, y + d - k);
        SelectObject(dc, previousPen);
        SelectObject(dc, previousBrush);
        DeleteObject(pen);
        DeleteObject(white);
    }
}

void DrawButtonFace(HDC dc, const RECT& rc, int id, bool radio, bool checked, bool hovered,
                    const SettingsState& state) {
    if (radio) {
        FillRect(dc, &rc, state.backgroundBrush);
        if (checked) {
            const int corner = 2 * ScaleForDpi(kOutlineCornerAt96, state.dpi);
            OutlineScope outline(dc, ScaleForDpi(1, state.dpi), kWhiteColor);
            RoundRect(dc, rc.left, rc.top, rc.right - 1, rc.bottom - 1, corner, corner);
        } else if (hovered) {
            FillRect(dc, &rc, state.panelBrush);
        }
        return;
    }
    if (id == kOkButtonId) {
        FillWith(dc, rc, hovered ? kAccentHoverColor : kAccentColor);
    } else if (hovered) {
        FillWith(dc, rc, kHoverColor);
    } else {
        FillRect(dc, &rc, state.panelBrush);
    }
    OutlineScope border(dc, 1, kBorderColor);
    Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
}

} // namespace

void PaintSettingsWindow(HWND window, HDC target) {
    const SettingsState* state = GetSettingsState();
    if (state == nullptr || state->bodyFont == nullptr) {
        return;
    }
    RECT client = {};
    GetClientRect(window, &client);
    const int width = client.right;
    const int32_t dpi = state->dpi;
    const SettingsMetrics m = SettingsMetricsForDpi(dpi);
    PaintBuffer buffer(target, RECT{0, 0, width, m.caption + m.navigation});
    HDC dc = buffer.Dc();

    const RECT caption = {0, 0, width, m.caption};
    FillRect(dc, &caption, state->backgroundBrush);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ previousFont = SelectObject(dc, state->bodyFont);
    SetTextColor(dc, kTextColor);
    RECT title = {ScaleForDpi(kTitleLeftAt96, dpi), 0, width - 2 * m.caption, m.caption};
    DrawTextW(dc, GetText(0), -1, &title, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    DrawCaptionGlyph(dc, ToWinRect(CaptionBoxRect(width, dpi, kMinimiseBox)), kMinimiseBox,
                     state->hoveredCaptionButton == kMinimiseBox);
    DrawCaptionGlyph(dc, ToWinRect(CaptionBoxRect(width, dpi, kCloseBox)), kCloseBox,
                     state->hoveredCaptionButton == kCloseBox);
    PaintNavigationBar(dc, *state, width);
    SelectObject(dc, previousFont);
}

void DrawCaptionGlyph(HDC dc, const RECT& box, int kind, bool hovered) {
    const SettingsState* state = GetSettingsState();
    if (hovered && state != nullptr) {
        FillWith(dc, box, kind == kCloseBox ? kCloseHoverColor : kHoverColor);
    }
    const int m = state != nullptr ? ScaleForDpi(kGlyphInsetAt96, state->dpi) : kGlyphInsetAt96;
    OutlineScope pen(dc, 1, kTextColor);
    if (kind == kMinimiseBox) {
        const int y = (box.top + box.bottom) / 2;
        Line(dc, box.left + m, y, box.right - m, y);
    } else if (kind == kCloseBox) {
        Line(dc, box.left + m, box.top + m, box.right - m, box.bottom - m);
        Line(dc, box.right - m, box.top + m, box.left + m, box.bottom - m);
    }
}

void DrawSettingsButton(const DRAWITEMSTRUCT& item) {
    const SettingsState* state = GetSettingsState();
    if (state == nullptr) {
        return;
    }
    const int id = static_cast<int>(item.CtlID);
    const bool radio = IsRadioId(id);
    const bool checked = id == state->formatChoice || id == state->languageChoice;
    const bool hovered = id == state->hoveredButtonId;
    const RECT rc = item.rcItem;
    PaintBuffer buffer(item.hDC, rc);
    HDC dc = buffer.Dc();
    DrawButtonFace(dc, rc, id, radio, checked, hovered, *state);

    wchar_t text[kButtonTextLength] = {};
    GetWindowTextW(item.hwndItem, text, kButtonTextLength);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kTextColor);
    HGDIOBJ previousFont = SelectObject(dc, state->bodyFont);
    if (!radio) {
        RECT textRect = rc;
        DrawTextW(dc, text, -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    } else {
        DrawRadioMark(dc, rc, checked, state->dpi);
        RECT textRect = rc;
        textRect.left = rc.left + ScaleForDpi(kRingLeftAt96, state->dpi) +
                        ScaleForDpi(kRingAt96, state->dpi) + ScaleForDpi(kRadioTextGapAt96, state->dpi);
        DrawTextW(dc, text, -1, &textRect, DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    SelectObject(dc, previousFont);
}

LRESULT CALLBACK ButtonHoverSubclassProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR) {
    SettingsState* state = GetSettingsState();
    if (state != nullptr && (message == WM_MOUSEMOVE || message == WM_MOUSELEAVE)) {
        const int id = message == WM_MOUSELEAVE ? 0 : GetDlgCtrlID(button);
        if (id != state->hoveredButtonId) {
            // Only the two buttons whose look changes are repainted, without erasing.
            const int previous = state->hoveredButtonId;
            state->hoveredButtonId = id;
            if (previous != 0) {
                InvalidateRect(GetDlgItem(GetParent(button), previous), nullptr, FALSE);
            }
            InvalidateRect(button, nullptr, FALSE);
        }
    }
    if (message == WM_MOUSEMOVE) {
        TrackMouseLeave(button);
    }
    return DefSubclassProc(button, message, wParam, lParam);
}
