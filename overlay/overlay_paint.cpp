#include "overlay/overlay_paint.h"

#include <algorithm>
#include <cwchar>

#include "base/gdi_draw.h"
#include "base/gdi_scope.h"
#include "base/win_rect.h"
#include "log/log.h"
#include "markup/mark_paint.h"
#include "markup/strip_paint.h"
#include "overlay/overlay_layout.h"
#include "text/texts.h"

namespace {

constexpr COLORREF kFrameColour = RGB(0x2D, 0x7D, 0xFF);
constexpr COLORREF kDarkColour = RGB(0x14, 0x14, 0x14); // handle outline, hint box, magnifier background
constexpr COLORREF kGridColour = RGB(0x46, 0x46, 0x46);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kBlack = RGB(0x00, 0x00, 0x00);
// Black at this alpha over the still keeps 135/255 of every channel.
constexpr BYTE kShadeAlpha = 120;
constexpr TextId kHintEmpty = 42;    // "Drag to select. Esc cancels"
constexpr TextId kHintSelected = 43; // "Drag edges to resize. Double-click or Enter confirms. Esc cancels"
constexpr int kFrameWidth = 2;
constexpr int kMarkerWidth = 2;
constexpr int kHandleReach = 4; // a handle spans 4 pixels each way from its centre

// Text with a transparent background; the DC gets its previous background mode and text colour back.
class TextStyleScope {
  public:
    TextStyleScope(HDC dc, COLORREF colour)
        : dc_(dc), previousMode_(SetBkMode(dc, TRANSPARENT)), previousColour_(SetTextColor(dc, colour)) {}
    ~TextStyleScope() {
        if (previousColour_ != CLR_INVALID) {
            SetTextColor(dc_, previousColour_);
        }
        if (previousMode_ != 0) {
            SetBkMode(dc_, previousMode_);
        }
    }
    TextStyleScope(const TextStyleScope&) = delete;
    TextStyleScope& operator=(const TextStyleScope&) = delete;

    void SetColour(COLORREF colour) { SetTextColor(dc_, colour); }

  private:
    HDC dc_;
    int previousMode_;
    COLORREF previousColour_;
};

// The still's rectangle on the virtual screen; empty without a still.
Rect StillRect(const OverlayState& state) {
    if (state.source == nullptr) {
        return Rect();
    }
    const CapturedImage& still = *state.source;
    return Rect{still.originX, still.originY, still.originX + still.width, still.originY + still.height};
}

Rect Intersection(const Rect& a, const Rect& b) {
    const Rect c{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
    return c.Empty() ? Rect() : c;
}

void PutText(HDC dc, int x, int y, const wchar_t* text) {
    TextOutW(dc, x, y, text, static_cast<int>(wcslen(text)));
}

void DrawSizeLabel(HDC target, const OverlayState& state, const Rect& s) {
    const Rect& selection = state.model.selection;
    wchar_t label[32];
    swprintf(label, 32, L"%d x %d", selection.Width(), selection.Height());
    const int32_t y = SizeLabelTop(s.top);
    SelectionScope fontSelected(target, state.font);
    TextStyleScope style(target, kBlack);
    // A black copy one pixel right and down keeps the white text readable on light pictures.
    PutText(target, s.left + 5, y + 1, label);
    style.SetColour(kWhite);
    PutText(target, s.left + 4, y, label);
}

void DrawHandles(HDC target, const Rect& s) {
    OwnedGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, kDarkColour));
    SelectionScope penSelected(target, pen.Get());
    SelectionScope brushSelected(target, GetStockObject(WHITE_BRUSH));
    for (const Point& centre : HandleCentres(s)) {
        Rectangle(target, centre.x - kHandleReach, centre.y - kHandleReach, centre.x + kHandleReach,
                  centre.y + kHandleReach);
    }
}

// The mark being drawn, over the committed ones, only inside the part `shown` (window-local) of the
// selection.
void DrawPendingMark(HDC target, const OverlayState& state, const Rect& window, const Rect& shown) {
    MarkCanvas canvas;
    canvas.dc = target;
    canvas.origin = Point{window.left, window.top};
    canvas.clip = Rect{shown.left + window.left, shown.top + window.top, shown.right + window.left,
                       shown.bottom + window.top};
    canvas.stillDc = state.stillDc;
    canvas.stillRect = StillRect(state);
    DrawMark(canvas, state.markup.pending);
}

// The selection: the undimmed still inside it (with the committed marks, from their cached drawing), the
// mark being drawn, then the frame, the size label and the handles. A window
// that shows no part of the selection draws none of them; the others compute everything from the same
// virtual-screen values, so the pieces join where the selection crosses from one monitor to the next.
void DrawSelection(HDC target, const OverlayState& state, const Rect& window, const StillPart& part) {
    const Rect& selection = state.model.selection;
    const Rect s{selection.left - window.left, selection.top - window.top, selection.right - window.left,
                 selection.bottom - window.top};
    const Rect shown{part.destX, part.destY, part.destX + part.cw, part.destY + part.ch};
    const Rect c = Intersection(s, shown);
    if (c.Empty()) {
        return;
    }
    // The cached drawing of the marks has the still's size and place, so it stands in for the still.
    const HDC inside =
        MarkLayerReady(state.markupUi.layer, state.markup.history) ? state.markupUi.layer.dc : state.stillDc;
    BitBlt(target, c.left, c.top, c.Width(), c.Height(), inside, part.sx + c.left - part.destX,
           part.sy + c.top - part.destY, SRCCOPY);
    if (state.markup.drawing) {
        DrawPendingMark(target, state, window, c);
    }
    Outline(target, s, kFrameWidth, kFrameColour);
    DrawSizeLabel(target, state, s);
    if (state.model.dragKind != DragKind::NewRect) {
        DrawHandles(target, s);
    }
}

void DrawHint(HDC target, const OverlayState& state, int32_t windowWidth) {
    const wchar_t* text = GetText(state.model.hasSelection ? kHintSelected : kHintEmpty);
    const int length = static_cast<int>(wcslen(text));
    SelectionScope fontSelected(target, state.font);
    SIZE extent = {};
    GetTextExtentPoint32W(target, text, length, &extent);
    // Every monitor shows the hint at its own top centre.
    const int32_t x = HintLeft(windowWidth, extent.cx);
    FillSolid(target, Rect{x - 10, 10, x + extent.cx + 10, extent.cy + 22}, kDarkColour);
    TextStyleScope style(target, kWhite);
    TextOutW(target, x, 16, text, length);
}

void DrawGrid(HDC target, const MagnifierPlan& plan) {
    OwnedGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, kGridColour));
    SelectionScope penSelected(target, pen.Get());
    const int width = kMagnifierCell * plan.cols;
    const int height = kMagnifierCell * plan.rows;
    for (int i = 0; i <= plan.cols; ++i) {
        MoveToEx(target, plan.dx + kMagnifierCell * i, plan.dy, nullptr);
        LineTo(target, plan.dx + kMagnifierCell * i, plan.dy + height);
    }
    for (int j = 0; j <= plan.rows; ++j) {
        MoveToEx(target, plan.dx, plan.dy + kMagnifierCell * j, nullptr);
        LineTo(target, plan.dx + width, plan.dy + kMagnifierCell * j);
    }
}

void DrawColourLine(HDC target, const OverlayState& state, const MagnifierPlan& plan) {
    // The undimmed still's colour, at virtual-screen coordinates (negative left of or above the primary).
    const COLORREF colour = GetPixel(state.stillDc, plan.pixelX, plan.pixelY);
    wchar_t line[64];
    swprintf(line, 64, L"%d,%d RGB %d,%d,%d", state.model.pointer.x, state.model.pointer.y,
             static_cast<int>(GetRValue(colour)), static_cast<int>(GetGValue(colour)),
             static_cast<int>(GetBValue(colour)));
    SelectionScope fontSelected(target, state.font);
    TextStyleScope style(target, kWhite);
    PutText(target, plan.colourLine.x, plan.colourLine.y, line);
}

} // namespace

HBITMAP CreateDimmedBitmap(HDC screenDc, HBITMAP source, int width, int height) {
    // Declared first so that they are deleted only after the DCs below have let them go.
    OwnedBitmap result;
    OwnedBitmap shade;
    MemoryDC copyDc(screenDc);
    MemoryDC sourceDc(screenDc);
    MemoryDC shadeDc(screenDc);
    if (screenDc != nullptr && width > 0 && height > 0) {
        result.Reset(CreateCompatibleBitmap(screenDc, width, height));
        shade.Reset(CreateCompatibleBitmap(screenDc, width, height));
    }
    if (!copyDc || !sourceDc || !shadeDc || result.Get() == nullptr || shade.Get() == nullptr) {
        LogError(L"创建压暗位图失败 size=%dx%d err=%lu", width, height, GetLastError());
        return nullptr;
    }
    {
        SelectionScope resultSelected(copyDc.Get(), result.Get());
        // Refused while the still is selected into another DC: nothing could be copied from it.
        SelectionScope sourceSelected(sourceDc.Get(), source);
        SelectionScope shadeSelected(shadeDc.Get(), shade.Get());
        // Each step says what failed. Only BitBlt leaves an error code; SelectObject, FillRect and AlphaBlend
        // set none, so the code of an earlier call is not passed off as theirs.
        if (!resultSelected.Ok() || !sourceSelected.Ok() || !shadeSelected.Ok()) {
            LogError(L"压暗位图绘制失败：位图无法选入 DC，可能仍被其他 DC 占用 size=%dx%d", width, height);
            return nullptr;
        }
        if (!BitBlt(copyDc.Get(), 0, 0, width, height, sourceDc.Get(), 0, 0, SRCCOPY)) {
            LogError(L"压暗位图绘制失败：BitBlt size=%dx%d err=%lu", width, height, GetLastError());
            return nullptr;
        }
        const RECT all{0, 0, width, height};
        if (!FillRect(shadeDc.Get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)))) {
            LogError(L"压暗位图绘制失败：FillRect size=%dx%d", width, height);
            return nullptr;
        }
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, kShadeAlpha, 0};
        if (!AlphaBlend(copyDc.Get(), 0, 0, width, height, shadeDc.Get(), 0, 0, width, height, blend)) {
            LogError(L"压暗位图绘制失败：AlphaBlend size=%dx%d", width, height);
            return nullptr;
        }
    } // the three DCs get their previous bitmaps back; the still is selected nowhere afterwards
    return result.Release();
}

void RenderOverlay(HDC target, const OverlayState& state, const Rect& window) {
    const RECT all{0, 0, window.Width(), window.Height()};
    FillRect(target, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    const StillPart part = StillUnderWindow(window, StillRect(state));
    const bool showsStill = part.cw > 0 && part.ch > 0;
    if (showsStill && state.dimDc != nullptr) {
        BitBlt(target, part.destX, part.destY, part.cw, part.ch, state.dimDc, part.sx, part.sy, SRCCOPY);
    }
    if (showsStill && state.model.hasSelection && state.stillDc != nullptr) {
        DrawSelection(target, state, window, part);
    }
    if (!state.model.dragging) {
        DrawHint(target, state, window.Width());
    }
    if (StripShown(state.model, state.markup)) {
        const HFONT tooltipFont = TooltipFontFor(state.markupUi, CurrentStrip(state.model, state.markup).dpi);
        DrawMarkupStrip(target, state.model, state.markup, Point{window.left, window.top},
                        tooltipFont != nullptr ? tooltipFont : state.font);
    }
    // Last, so that the panel lies over the hint and the selection; away from the strip, whose buttons and
    // tooltips it would hide.
    if (!PointerOverStrip(state.model, state.markup)) {
        DrawMagnifier(target, state, window);
    }
}

namespace {

void ReleaseBackBuffer(OverlayState& state) {
    if (state.backDc != nullptr && state.backDcOldBitmap != nullptr) {
        SelectObject(state.backDc, state.backDcOldBitmap);
    }
    state.backDcOldBitmap = nullptr;
    if (state.backBitmap != nullptr) {
        DeleteObject(state.backBitmap);
        state.backBitmap = nullptr;
    }
    if (state.backDc != nullptr) {
        DeleteDC(state.backDc);
        state.backDc = nullptr;
    }
    state.backWidth = 0;
    state.backHeight = 0;
}

// Keeps the one back buffer of all overlay windows; windows of different sizes re-create it in turn.
bool EnsureBackBuffer(OverlayState& state, HDC paintDc, int32_t width, int32_t height) {
    if (state.backDc != nullptr && state.backBitmap != nullptr && state.backWidth == width &&
        state.backHeight == height) {
        return true;
    }
    ReleaseBackBuffer(state);
    HDC dc = CreateCompatibleDC(paintDc);
    HBITMAP bitmap =
        dc != nullptr ? CreateCompatibleBitmap(paintDc, std::max(width, 1), std::max(height, 1)) : nullptr;
    HGDIOBJ previous = bitmap != nullptr ? SelectObject(dc, bitmap) : nullptr;
    if (previous == nullptr) {
        const DWORD error = GetLastError();
        LogError(L"遮罩双缓冲失败 size=%dx%d err=%lu", width, height, error);
        // Nothing half-made is kept, so that the next paint tries again from scratch.
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
        if (dc != nullptr) {
            DeleteDC(dc);
        }
        return false;
    }
    state.backDc = dc;
    state.backBitmap = bitmap;
    state.backDcOldBitmap = previous;
    state.backWidth = width;
    state.backHeight = height;
    return true;
}

} // namespace

void PaintOverlay(HWND window, OverlayState& state) {
    PAINTSTRUCT paint = {};
    HDC dc = BeginPaint(window, &paint);
    RECT r = {};
    GetWindowRect(window, &r);
    const Rect bounds{r.left, r.top, r.right, r.bottom};
    // Drawn off screen and transferred at once, so that the repaint on every pointer move does not flicker.
    if (dc != nullptr && EnsureBackBuffer(state, dc, bounds.Width(), bounds.Height())) {
        RenderOverlay(state.backDc, state, bounds);
        BitBlt(dc, 0, 0, bounds.Width(), bounds.Height(), state.backDc, 0, 0, SRCCOPY);
    }
    EndPaint(window, &paint);
}

void DrawMagnifier(HDC target, const OverlayState& state, const Rect& window) {
    if (state.stillDc == nullptr || state.source == nullptr) {
        return;
    }
    const MagnifierPlan plan = PlanMagnifier(state.model.pointer, StillRect(state), window);
    if (!plan.visible) {
        return;
    }
    FillSolid(target, plan.panel, kDarkColour);
    if (plan.cols > 0 && plan.rows > 0) {
        // Whole pixels repeated, no smoothing: each still pixel becomes one 12 x 12 cell.
        const int previousMode = SetStretchBltMode(target, COLORONCOLOR);
        StretchBlt(target, plan.dx, plan.dy, kMagnifierCell * plan.cols, kMagnifierCell * plan.rows,
                   state.stillDc, plan.x0, plan.y0, plan.cols, plan.rows, SRCCOPY);
        if (previousMode != 0) {
            SetStretchBltMode(target, previousMode);
        }
        DrawGrid(target, plan);
        Outline(target, Rect{plan.marker.x, plan.marker.y, plan.marker.x + 13, plan.marker.y + 13},
                kMarkerWidth, kWhite);
    }
    DrawColourLine(target, state, plan);
    Outline(target, plan.panel, 1, kWhite);
}

HCURSOR CreateWhiteCrossCursor() {
    const CursorPlanes planes = BuildWhiteCrossPlanes();
    HCURSOR cursor = CreateCursor(GetModuleHandleW(nullptr), 16, 16, 32, 32, planes.andPlane.data(),
                                  planes.xorPlane.data());
    if (cursor == nullptr) {
        LogError(L"创建白色十字光标失败 err=%lu", GetLastError());
    }
    return cursor;
}
