#include "markup/strip_paint.h"

#include <cwchar>

#include "base/dpi_scale.h"
#include "base/gdi_draw.h"
#include "base/gdi_scope.h"
#include "markup/mark_paint.h"
#include "settings/settings_palette.h"
#include "text/texts.h"

namespace {

// The icons are drawn on a grid of 32 x 32 units over their button.
constexpr int kIconUnits = 32;

Rect ToLocal(const Rect& r, const Point& origin) {
    return Rect{r.left - origin.x, r.top - origin.y, r.right - origin.x, r.bottom - origin.y};
}

// An icon's box and the pen it is drawn with; positions are given in units of the 32 x 32 grid.
class Icon {
  public:
    Icon(HDC dc, const Rect& box, COLORREF colour, int dpi)
        : dc_(dc), box_(box), pen_(CreatePen(PS_SOLID, ScaleForDpi(2, dpi), colour)),
          selected_(dc, pen_.Get()), brush_(dc, GetStockObject(NULL_BRUSH)) {}
    int X(int units) const { return box_.left + MulDiv(units, box_.Width(), kIconUnits); }
    int Y(int units) const { return box_.top + MulDiv(units, box_.Height(), kIconUnits); }
    void Line(int x0, int y0, int x1, int y1) const {
        MoveToEx(dc_, X(x0), Y(y0), nullptr);
        LineTo(dc_, X(x1), Y(y1));
    }
    void Lines(std::initializer_list<POINT> units) const {
        bool first = true;
        for (const POINT& p : units) {
            first ? static_cast<void>(MoveToEx(dc_, X(p.x), Y(p.y), nullptr))
                  : static_cast<void>(LineTo(dc_, X(p.x), Y(p.y)));
            first = false;
        }
    }
    void Box(int x0, int y0, int x1, int y1) const { Rectangle(dc_, X(x0), Y(y0), X(x1), Y(y1)); }
    void Oval(int x0, int y0, int x1, int y1) const { Ellipse(dc_, X(x0), Y(y0), X(x1), Y(y1)); }
    void Solid(int x0, int y0, int x1, int y1, COLORREF colour) const {
        FillSolid(dc_, Rect{X(x0), Y(y0), X(x1), Y(y1)}, colour);
    }

  private:
    HDC dc_;
    Rect box_;
    OwnedGdiObject<HPEN> pen_;
    SelectionScope selected_;
    SelectionScope brush_;
};

void DrawIcon(HDC dc, StripButton button, const Rect& box, COLORREF colour, const MarkupState& markup,
              int dpi) {
    const Icon icon(dc, box, colour, dpi);
    switch (button) {
    case StripButton::Rectangle:
        icon.Box(8, 10, 24, 22);
        break;
    case StripButton::Ellipse:
        icon.Oval(7, 10, 25, 22);
        break;
    case StripButton::Arrow:
        icon.Line(9, 23, 23, 9);
        icon.Lines({{15, 9}, {23, 9}, {23, 17}});
        break;
    case StripButton::Pen:
        icon.Lines({{8, 21}, {12, 13}, {16, 21}, {20, 13}, {24, 19}});
        break;
    case StripButton::Highlighter:
        icon.Solid(8, 13, 24, 19, kMutedTextColor);
        icon.Line(8, 22, 24, 22);
        break;
    case StripButton::Text:
        icon.Line(10, 9, 22, 9);
        icon.Line(16, 9, 16, 23);
        break;
    case StripButton::Step:
        icon.Oval(8, 8, 24, 24);
        icon.Lines({{14, 13}, {16, 11}, {16, 21}});
        break;
    case StripButton::Mosaic:
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                if ((row + column) % 2 == 0) {
                    icon.Solid(9 + 5 * column, 9 + 5 * row, 14 + 5 * column, 14 + 5 * row, colour);
                }
            }
        }
        icon.Box(9, 9, 24, 24);
        break;
    case StripButton::Undo:
        icon.Lines({{22, 22}, {22, 13}, {10, 13}});
        icon.Lines({{14, 9}, {10, 13}, {14, 17}});
        break;
    case StripButton::Redo:
        icon.Lines({{10, 22}, {10, 13}, {22, 13}});
        icon.Lines({{18, 9}, {22, 13}, {18, 17}});
        break;
    case StripButton::Colour:
        icon.Solid(9, 9, 23, 23, MarkColourRef(markup.colour));
        icon.Box(9, 9, 23, 23);
        break;
    case StripButton::Width: {
        const int thickness = MarkSize(MarkKind::Pen, markup.widthLevel, dpi);
        const int middle = icon.Y(16);
        FillSolid(dc, Rect{icon.X(8), middle - thickness / 2, icon.X(24), middle - thickness / 2 + thickness},
                  colour);
        break;
    }
    case StripButton::Cancel:
        icon.Line(10, 10, 22, 22);
        icon.Line(22, 10, 10, 22);
        break;
    case StripButton::Copy:
        icon.Box(8, 8, 19, 19);
        icon.Box(13, 13, 24, 24);
        break;
    case StripButton::Save:
        icon.Lines({{9, 16}, {14, 21}, {23, 11}});
        break;
    }
}

// The button's face: the picked tool and Save in the accent colour, the button under the pointer lit.
COLORREF FaceColour(StripButton button, const MarkupState& markup, bool hovered) {
    const bool picked = static_cast<int32_t>(button) < kStripToolCount &&
                        static_cast<int32_t>(markup.tool) == static_cast<int32_t>(button);
    if (picked || button == StripButton::Save) {
        return hovered ? kAccentHoverColor : kAccentColor;
    }
    if (hovered) {
        return button == StripButton::Cancel ? kCloseHoverColor : kHoverColor;
    }
    const bool open = (button == StripButton::Colour && markup.popout == Popout::Colour) ||
                      (button == StripButton::Width && markup.popout == Popout::Width);
    return open ? kHoverColor : kBackgroundColor;
}

bool Enabled(StripButton button, const MarkupState& markup) {
    if (button == StripButton::Undo) {
        return CanUndo(markup.history);
    }
    if (button == StripButton::Redo) {
        return CanRedo(markup.history);
    }
    return true;
}

void DrawPopout(HDC dc, const StripLayout& strip, const MarkupState& markup, const Point& origin) {
    const PopoutLayout popout = PlacePopout(strip, markup.popout);
    FillSolid(dc, ToLocal(popout.panel, origin), kBackgroundColor);
    Outline(dc, ToLocal(popout.panel, origin), 1, kBorderColor);
    for (size_t i = 0; i < popout.items.size(); ++i) {
        const Rect item = ToLocal(popout.items[i], origin);
        const int32_t index = static_cast<int32_t>(i);
        if (markup.popout == Popout::Colour) {
            FillSolid(dc, item, MarkColourRef(index));
            Outline(dc, item, 1, kBorderColor);
            if (index == markup.colour || index == markup.hoveredItem) {
                Outline(dc, item, ScaleForDpi(2, strip.dpi), kWhiteColor);
            }
            continue;
        }
        const bool current = index == markup.widthLevel;
        FillSolid(dc, item,
                  current                       ? kAccentColor
                  : index == markup.hoveredItem ? kHoverColor
                                                : kBackgroundColor);
        const int thickness = MarkSize(MarkKind::Pen, index, strip.dpi);
        const int middle = (item.top + item.bottom) / 2;
        const int inset = item.Width() / 4;
        FillSolid(dc,
                  Rect{item.left + inset, middle - thickness / 2, item.right - inset,
                       middle - thickness / 2 + thickness},
                  kTextColor);
    }
}

void DrawTooltip(HDC dc, const StripLayout& strip, int32_t button, const Point& origin, HFONT font) {
    const wchar_t* text = GetText(StripButtonTooltip(button));
    const int length = static_cast<int>(wcslen(text));
    SelectionScope fontSelected(dc, font);
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text, length, &extent);
    const Rect box = ToLocal(PlaceTooltip(strip, button, extent.cx, extent.cy), origin);
    FillSolid(dc, box, kPanelColor);
    Outline(dc, box, 1, kBorderColor);
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF previousColour = SetTextColor(dc, kTextColor);
    TextOutW(dc, box.left + TooltipPaddingX(strip.dpi), box.top + TooltipPaddingY(strip.dpi), text, length);
    SetTextColor(dc, previousColour);
    SetBkMode(dc, previousMode);
}

} // namespace

void DrawMarkupStrip(HDC target, const SelectionState& selection, const MarkupState& markup,
                     const Point& windowOrigin, HFONT tooltipFont) {
    if (!StripShown(selection, markup)) {
        return;
    }
    const StripLayout strip = CurrentStrip(selection, markup);
    FillSolid(target, ToLocal(strip.strip, windowOrigin), kBackgroundColor);
    Outline(target, ToLocal(strip.strip, windowOrigin), 1, kBorderColor);
    const int inset = ScaleForDpi(6, strip.dpi);
    for (int32_t x : strip.separators) {
        FillSolid(target,
                  Rect{x - windowOrigin.x, strip.strip.top + inset - windowOrigin.y, x - windowOrigin.x + 1,
                       strip.strip.bottom - inset - windowOrigin.y},
                  kBorderColor);
    }
    for (int32_t i = 0; i < kStripButtonCount; ++i) {
        const StripButton button = static_cast<StripButton>(i);
        const Rect box = ToLocal(strip.buttons[static_cast<size_t>(i)], windowOrigin);
        const bool hovered = markup.hoveredButton == i && !markup.drawing;
        FillSolid(target, box, FaceColour(button, markup, hovered));
        DrawIcon(target, button, box, Enabled(button, markup) ? kTextColor : kMutedTextColor, markup,
                 strip.dpi);
    }
    if (markup.popout != Popout::None) {
        DrawPopout(target, strip, markup, windowOrigin);
    } else if (markup.hoveredButton != kNoButton && !markup.drawing && tooltipFont != nullptr) {
        DrawTooltip(target, strip, markup.hoveredButton, windowOrigin, tooltipFont);
    }
}
