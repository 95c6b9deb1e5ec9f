#include "base/gdi_scope.h"
#include "base/paint_buffer.h"
#include "floatbar/floatbar_state.h"
#include "text/texts.h"

namespace {

constexpr COLORREF kFillColor = RGB(0x00, 0x00, 0x00);
constexpr COLORREF kOutlineColor = RGB(0x5A, 0x5A, 0x5A);
constexpr COLORREF kCaptionColor = RGB(0xF5, 0xF7, 0xFA);
constexpr COLORREF kSeparatorColor = RGB(0x5A, 0x60, 0x6C);
constexpr COLORREF kButtonTextColor = RGB(0xDC, 0xE0, 0xE6);
constexpr COLORREF kHoverColor = RGB(0x30, 0x30, 0x30);

void DrawCapsule(HDC dc, int32_t width, int32_t height) {
    const int32_t corner = height / 2;
    OwnedGdiObject<HBRUSH> fill(CreateSolidBrush(kFillColor));
    OwnedGdiObject<HPEN> outline(CreatePen(PS_SOLID, 1, kOutlineColor));
    SelectionScope brush(dc, fill.Get());
    SelectionScope pen(dc, outline.Get());
    RoundRect(dc, 0, 0, width, height, corner, corner);
}

void DrawSeparator(HDC dc, const FloatBarState& state, int32_t height) {
    const int32_t inset = FloatBarSeparatorInset(state.dpi);
    OwnedGdiObject<HPEN> line(CreatePen(PS_SOLID, 1, kSeparatorColor));
    SelectionScope pen(dc, line.Get());
    MoveToEx(dc, state.separatorX, inset, nullptr);
    LineTo(dc, state.separatorX, height - inset);
}

void DrawLabel(HDC dc, const wchar_t* text, const Rect& rect, UINT format) {
    RECT r = {rect.left, rect.top, rect.right, rect.bottom};
    DrawTextW(dc, text, -1, &r, format | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}

void DrawButtons(HDC dc, const FloatBarState& state) {
    OwnedGdiObject<HBRUSH> hover(CreateSolidBrush(kHoverColor));
    SetTextColor(dc, kButtonTextColor);
    for (int32_t i = 0; i < kFloatBarButtonCount; ++i) {
        const Rect& r = state.buttonRects[i];
        if (i == state.hoverButton && hover) {
            RECT fill = {r.left, r.top, r.right, r.bottom};
            FillRect(dc, &fill, hover.Get());
        }
        DrawLabel(dc, FloatBarButtonLabel(i), r, DT_CENTER);
    }
}

} // namespace

void RenderFloatBar(HDC dc, const FloatBarState& state, int32_t width, int32_t height) {
    DrawCapsule(dc, width, height);
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    SelectionScope font(dc, state.font);
    SetTextColor(dc, kCaptionColor);
    DrawLabel(dc, GetText(32), state.captionRect, DT_LEFT);
    DrawSeparator(dc, state, height);
    DrawButtons(dc, state);
    SetBkMode(dc, previousMode);
}

void PaintFloatBar(HWND window, FloatBarState& state) {
    PAINTSTRUCT paint = {};
    HDC dc = BeginPaint(window, &paint);
    if (dc == nullptr) {
        return;
    }
    RECT client = {};
    GetClientRect(window, &client);
    {
        // One copy to the window, so that a hover change never shows the capsule without its texts.
        PaintBuffer buffer(dc, client);
        RenderFloatBar(buffer.Dc(), state, client.right, client.bottom);
    }
    EndPaint(window, &paint);
}
