#include "markup/mark_paint.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "base/gdi_scope.h"
#include "capture/capture_rules.h"
#include "capture/gdiplus_headers.h"
#include "log/log.h"
#include "markup/mosaic.h"
#include "text/font.h"
#include "text/texts.h"

namespace {

constexpr COLORREF kStepNumberColour = RGB(0xFF, 0xFF, 0xFF);
// The number fills this share of its circle's height.
constexpr double kStepNumberShare = 0.55;

Gdiplus::Color ToGdiplus(uint32_t rgb, BYTE alpha = 255) {
    return Gdiplus::Color(alpha, static_cast<BYTE>((rgb >> 16) & 0xFF), static_cast<BYTE>((rgb >> 8) & 0xFF),
                          static_cast<BYTE>(rgb & 0xFF));
}

// A virtual-screen position in the DC's coordinates.
Gdiplus::PointF Local(const MarkCanvas& canvas, double x, double y) {
    return Gdiplus::PointF(static_cast<Gdiplus::REAL>(x - canvas.origin.x),
                           static_cast<Gdiplus::REAL>(y - canvas.origin.y));
}

Gdiplus::PointF Local(const MarkCanvas& canvas, const Point& p) {
    return Local(canvas, static_cast<double>(p.x), static_cast<double>(p.y));
}

Gdiplus::PointF Local(const MarkCanvas& canvas, const PointF& p) {
    return Local(canvas, p.x, p.y);
}

RECT LocalRect(const MarkCanvas& canvas, const Rect& r) {
    return RECT{SaturateToInt32(static_cast<int64_t>(r.left) - canvas.origin.x),
                SaturateToInt32(static_cast<int64_t>(r.top) - canvas.origin.y),
                SaturateToInt32(static_cast<int64_t>(r.right) - canvas.origin.x),
                SaturateToInt32(static_cast<int64_t>(r.bottom) - canvas.origin.y)};
}

// Antialiased drawing on the canvas, clipped to its clip; the DC may take GDI calls again once it goes.
class MarkGraphics {
  public:
    explicit MarkGraphics(const MarkCanvas& canvas) : graphics_(canvas.dc) {
        graphics_.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        graphics_.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        const RECT clip = LocalRect(canvas, canvas.clip);
        graphics_.SetClip(Gdiplus::Rect(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top));
    }
    Gdiplus::Graphics& operator*() { return graphics_; }
    Gdiplus::Graphics* operator->() { return &graphics_; }

  private:
    Gdiplus::Graphics graphics_;
};

void RoundEnds(Gdiplus::Pen& pen) {
    pen.SetStartCap(Gdiplus::LineCapRound);
    pen.SetEndCap(Gdiplus::LineCapRound);
    pen.SetLineJoin(Gdiplus::LineJoinRound);
}

void DrawShape(const MarkCanvas& canvas, const Mark& mark) {
    const Rect r = RectBetween(mark.from, mark.to);
    const Gdiplus::PointF corner = Local(canvas, Point{r.left, r.top});
    const auto width = static_cast<Gdiplus::REAL>(static_cast<int64_t>(r.right) - r.left);
    const auto height = static_cast<Gdiplus::REAL>(static_cast<int64_t>(r.bottom) - r.top);
    Gdiplus::Pen pen(ToGdiplus(MarkColour(mark.colour)), static_cast<Gdiplus::REAL>(mark.size));
    pen.SetLineJoin(Gdiplus::LineJoinMiter);
    MarkGraphics graphics(canvas);
    if (mark.kind == MarkKind::Ellipse) {
        graphics->DrawEllipse(&pen, corner.X, corner.Y, width, height);
    } else {
        graphics->DrawRectangle(&pen, corner.X, corner.Y, width, height);
    }
}

void DrawArrow(const MarkCanvas& canvas, const Mark& mark) {
    const ArrowShape arrow = ArrowGeometry(mark.from, mark.to, mark.size);
    const Gdiplus::Color colour = ToGdiplus(MarkColour(mark.colour));
    Gdiplus::Pen pen(colour, static_cast<Gdiplus::REAL>(mark.size));
    pen.SetStartCap(Gdiplus::LineCapRound);
    Gdiplus::SolidBrush brush(colour);
    const Gdiplus::PointF head[3] = {Local(canvas, arrow.tip), Local(canvas, arrow.left),
                                     Local(canvas, arrow.right)};
    MarkGraphics graphics(canvas);
    graphics->DrawLine(&pen, Local(canvas, arrow.tail), Local(canvas, arrow.shaftEnd));
    graphics->FillPolygon(&brush, head, 3);
}

// Pen and highlighter: one path through every point, drawn at once, so that where a highlighter stroke
// crosses itself it is not laid on twice.
void DrawStroke(const MarkCanvas& canvas, const Mark& mark) {
    if (mark.points.empty()) {
        return;
    }
    const BYTE alpha = mark.kind == MarkKind::Highlighter ? kHighlighterAlpha : 255;
    const Gdiplus::Color colour = ToGdiplus(MarkColour(mark.colour), alpha);
    MarkGraphics graphics(canvas);
    if (mark.points.size() == 1) {
        const Gdiplus::PointF centre = Local(canvas, mark.points.front());
        const Gdiplus::REAL radius = static_cast<Gdiplus::REAL>(mark.size) / 2;
        Gdiplus::SolidBrush brush(colour);
        graphics->FillEllipse(&brush, centre.X - radius, centre.Y - radius, 2 * radius, 2 * radius);
        return;
    }
    std::vector<Gdiplus::PointF> points;
    points.reserve(mark.points.size());
    for (const Point& p : mark.points) {
        points.push_back(Local(canvas, p));
    }
    Gdiplus::Pen pen(colour, static_cast<Gdiplus::REAL>(mark.size));
    RoundEnds(pen);
    graphics->DrawLines(&pen, points.data(), static_cast<INT>(points.size()));
}

// Text of one colour with a transparent background; the DC gets its previous settings back.
void PutText(HDC dc, HFONT font, COLORREF colour, const std::wstring& text, RECT box, UINT format) {
    SelectionScope fontSelected(dc, font);
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF previousColour = SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format | DT_NOPREFIX | DT_NOCLIP);
    SetTextColor(dc, previousColour);
    SetBkMode(dc, previousMode);
}

void DrawTextMark(const MarkCanvas& canvas, const Mark& mark) {
    OwnedGdiObject<HFONT> font(CreateMarkFont(mark.size, false));
    const RECT at = LocalRect(canvas, Rect{mark.from.x, mark.from.y, mark.from.x, mark.from.y});
    PutText(canvas.dc, font.Get(), MarkColourRef(mark.colour), mark.text, at,
            DT_LEFT | DT_TOP | DT_EXPANDTABS);
}

void DrawStep(const MarkCanvas& canvas, const Mark& mark) {
    const Gdiplus::PointF centre = Local(canvas, mark.from);
    const Gdiplus::REAL radius = static_cast<Gdiplus::REAL>(mark.size) / 2;
    {
        MarkGraphics graphics(canvas);
        Gdiplus::SolidBrush brush(ToGdiplus(MarkColour(mark.colour)));
        graphics->FillEllipse(&brush, centre.X - radius, centre.Y - radius, 2 * radius, 2 * radius);
    } // GDI+ is done with the DC before GDI writes the number
    const int32_t half = mark.size / 2;
    const RECT box =
        LocalRect(canvas, Rect{SaturateToInt32(static_cast<int64_t>(mark.from.x) - half),
                               SaturateToInt32(static_cast<int64_t>(mark.from.y) - half),
                               SaturateToInt32(static_cast<int64_t>(mark.from.x) + mark.size - half),
                               SaturateToInt32(static_cast<int64_t>(mark.from.y) + mark.size - half)});
    OwnedGdiObject<HFONT> font(CreateMarkFont(static_cast<int32_t>(mark.size * kStepNumberShare), true));
    PutText(canvas.dc, font.Get(), kStepNumberColour, std::to_wstring(mark.step), box,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

// The blocks that reach into the clip, laid on the mosaic's own grid, and only where the still has pixels:
// each block's average is then the same however the mosaic is clipped.
Rect BlocksToRead(const MarkCanvas& canvas, const Rect& area, int32_t block) {
    const Rect shown = IntersectRects(IntersectRects(area, canvas.clip), canvas.stillRect);
    if (shown.Empty()) {
        return Rect();
    }
    const int64_t side = std::max(block, 1);
    const int64_t left = area.left + (static_cast<int64_t>(shown.left) - area.left) / side * side;
    const int64_t top = area.top + (static_cast<int64_t>(shown.top) - area.top) / side * side;
    const int64_t right =
        area.left + ((static_cast<int64_t>(shown.right) - area.left) + side - 1) / side * side;
    const int64_t bottom =
        area.top + ((static_cast<int64_t>(shown.bottom) - area.top) + side - 1) / side * side;
    const Rect blocks{SaturateToInt32(left), SaturateToInt32(top), SaturateToInt32(right),
                      SaturateToInt32(bottom)};
    return IntersectRects(IntersectRects(blocks, area), canvas.stillRect);
}

void DrawMosaic(const MarkCanvas& canvas, const Mark& mark) {
    if (canvas.stillDc == nullptr) {
        return;
    }
    const Rect area = RectBetween(mark.from, mark.to);
    const Rect read = BlocksToRead(canvas, area, mark.size);
    if (read.Empty()) {
        return;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = read.Width();
    info.bmiHeader.biHeight = -read.Height(); // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    OwnedBitmap blocks(CreateDIBSection(canvas.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDC blocksDc(canvas.dc);
    if (blocks.Get() == nullptr || bits == nullptr || !blocksDc) {
        LogError(L"马赛克位图创建失败 size=%dx%d err=%lu", read.Width(), read.Height(), GetLastError());
        return;
    }
    SelectionScope selected(blocksDc.Get(), blocks.Get());
    // The original still, never the darkened copy nor marks drawn before.
    BitBlt(blocksDc.Get(), 0, 0, read.Width(), read.Height(), canvas.stillDc,
           read.left - canvas.stillRect.left, read.top - canvas.stillRect.top, SRCCOPY);
    GdiFlush();
    PixelateArea(static_cast<uint32_t*>(bits), read, area, mark.size);
    const RECT target = LocalRect(canvas, read);
    BitBlt(canvas.dc, target.left, target.top, read.Width(), read.Height(), blocksDc.Get(), 0, 0, SRCCOPY);
}

} // namespace

COLORREF MarkColourRef(int32_t colourIndex) {
    const uint32_t rgb = MarkColour(colourIndex);
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

HFONT CreateMarkFont(int32_t pixelHeight, bool bold) {
    return CreateFontW(-std::max(pixelHeight, 1), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, 0,
                       InterfaceFontFace(GetUiLanguage()));
}

void DrawMark(const MarkCanvas& canvas, const Mark& mark) {
    if (canvas.dc == nullptr || canvas.clip.Empty()) {
        return;
    }
    const int saved = SaveDC(canvas.dc);
    const RECT clip = LocalRect(canvas, canvas.clip);
    IntersectClipRect(canvas.dc, clip.left, clip.top, clip.right, clip.bottom);
    switch (mark.kind) {
    case MarkKind::Rectangle:
    case MarkKind::Ellipse:
        DrawShape(canvas, mark);
        break;
    case MarkKind::Arrow:
        DrawArrow(canvas, mark);
        break;
    case MarkKind::Pen:
    case MarkKind::Highlighter:
        DrawStroke(canvas, mark);
        break;
    case MarkKind::Text:
        DrawTextMark(canvas, mark);
        break;
    case MarkKind::Step:
        DrawStep(canvas, mark);
        break;
    case MarkKind::Mosaic:
        DrawMosaic(canvas, mark);
        break;
    }
    RestoreDC(canvas.dc, saved);
}

void DrawMarks(const MarkCanvas& canvas, const std::vector<Mark>& marks, size_t count) {
    for (size_t i = 0; i < count && i < marks.size(); ++i) {
        DrawMark(canvas, marks[i]);
    }
}

bool DrawMarksOnPicture(const CapturedImage& picture, const MarkupHistory& history,
                        const CapturedImage& still) {
    if (history.live == 0) {
        return true;
    }
    ScreenDC screen;
    MemoryDC target(screen.Get());
    MemoryDC source(screen.Get());
    if (!target || !source || picture.bitmap == nullptr) {
        LogError(L"标注绘制失败：无法准备 DC err=%lu", GetLastError());
        return false;
    }
    SelectionScope pictureSelected(target.Get(), picture.bitmap);
    SelectionScope stillSelected(source.Get(), still.bitmap);
    if (!pictureSelected.Ok() || !stillSelected.Ok()) {
        LogError(L"标注绘制失败：位图无法选入 DC size=%dx%d", picture.width, picture.height);
        return false;
    }
    MarkCanvas canvas;
    canvas.dc = target.Get();
    canvas.origin = Point{picture.originX, picture.originY};
    canvas.clip = Rect{picture.originX, picture.originY,
                       SaturateToInt32(static_cast<int64_t>(picture.originX) + picture.width),
                       SaturateToInt32(static_cast<int64_t>(picture.originY) + picture.height)};
    canvas.stillDc = source.Get();
    canvas.stillRect =
        Rect{still.originX, still.originY, still.originX + still.width, still.originY + still.height};
    DrawMarks(canvas, history.marks, history.live);
    return true;
}
