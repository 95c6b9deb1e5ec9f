#include "preview/preview_render.h"

#include <algorithm>
#include <cstring>

#include "base/gdi_scope.h"
#include "log/log.h"
#include "preview/preview_layout.h"
#include "text/texts.h"

namespace {

constexpr COLORREF kPinnedFill = RGB(0x2D, 0x7D, 0xFF);
constexpr COLORREF kHoverFill = RGB(0xE8, 0xF0, 0xFF);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kOutline = RGB(0xBE, 0xC6, 0xD2);
constexpr COLORREF kButtonText = RGB(0x28, 0x28, 0x28);
// Texts 38 to 41 label Pin, Save, Close and Copy, in the order of PreviewButton.
constexpr TextId kFirstButtonText = 38;
constexpr UINT kButtonTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;

struct ButtonLook {
    COLORREF fill;
    COLORREF text;
};

// The pinned look of the Pin button wins over the hover look.
ButtonLook LookOfButton(const PreviewState& state, int32_t button) {
    if (button == static_cast<int32_t>(PreviewButton::Pin) && state.pinned) {
        return ButtonLook{kPinnedFill, kWhite};
    }
    if (button == state.hoverButton) {
        return ButtonLook{kHoverFill, kButtonText};
    }
    return ButtonLook{kWhite, kButtonText};
}

BITMAPINFO TopDownBitmapInfo(int32_t width, int32_t height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // negative: rows run from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// The shown picture at its place in the image; nothing is copied (and that is logged) when it cannot be
// selected.
void CopyPicture(HDC screenDc, HDC target, const PreviewState& state, const Rect& imageRect) {
    MemoryDC source(screenDc);
    if (!source) {
        return;
    }
    SelectionScope pictureSelected(source.Get(), state.displayBitmap);
    if (!pictureSelected.Ok()) {
        // Its place stays empty; the shadow and the buttons are still drawn.
        LogError(L"绘制预览图片失败：图片位图无法选入 DC size=%dx%d", state.displayWidth,
                 state.displayHeight);
        return;
    }
    BitBlt(target, imageRect.left, imageRect.top, state.displayWidth, state.displayHeight, source.Get(), 0, 0,
           SRCCOPY);
}

} // namespace

int32_t MeasurePreviewButtonWidth(int32_t dpi, HFONT font) {
    const PreviewMetrics metrics = PreviewMetricsForDpi(dpi);
    ScreenDC screen;
    if (!screen) {
        LogError(L"测量预览按钮失败 err=%lu", GetLastError());
        return metrics.fallbackButtonWidth;
    }
    SelectionScope fontSelected(screen.Get(), font);
    int32_t width = metrics.minButtonWidth;
    for (int32_t i = 0; i < kPreviewButtonCount; ++i) {
        const wchar_t* text = GetText(kFirstButtonText + i);
        SIZE extent = {};
        GetTextExtentPoint32W(screen.Get(), text, static_cast<int>(wcslen(text)), &extent);
        width = std::max(width, static_cast<int32_t>(extent.cx) + metrics.textMargin);
    }
    return width;
}

void DrawPreviewButtons(HDC dc, const PreviewState& state, const PreviewLayout& layout) {
    // Declared before the selections, so that the pen is deleted only once the DC has its previous pen back.
    OwnedGdiObject<HPEN> outline(CreatePen(PS_SOLID, 1, kOutline));
    // Each puts back what the DC held before, on every path.
    SelectionScope fontSelected(dc, state.font);
    SelectionScope outlineSelected(dc, outline.Get());
    SelectionScope noFill(dc, GetStockObject(NULL_BRUSH));
    const int previousBackground = SetBkMode(dc, TRANSPARENT);
    const COLORREF previousText = GetTextColor(dc);
    for (int32_t i = 0; i < kPreviewButtonCount; ++i) {
        const Rect& area = layout.buttonRects[i];
        RECT r{area.left, area.top, area.right, area.bottom};
        const ButtonLook look = LookOfButton(state, i);
        {
            OwnedGdiObject<HBRUSH> fill(CreateSolidBrush(look.fill));
            if (fill) {
                FillRect(dc, &r, fill.Get());
            }
        }
        // Rectangle with the null brush draws only the outline, on the rectangle's innermost pixels.
        if (outlineSelected.Ok() && noFill.Ok()) {
            Rectangle(dc, area.left, area.top, area.right, area.bottom);
        }
        SetTextColor(dc, look.text);
        DrawTextW(dc, GetText(kFirstButtonText + i), -1, &r, kButtonTextFormat);
    }
    SetTextColor(dc, previousText);
    if (previousBackground != 0) {
        SetBkMode(dc, previousBackground);
    }
}

HBITMAP ComposePreviewImage(const PreviewState& state, const PreviewLayout& layout, void** bits) {
    if (bits != nullptr) {
        *bits = nullptr;
    }
    const int32_t width = layout.windowWidth;
    const int32_t height = layout.windowHeight;
    const BITMAPINFO info = TopDownBitmapInfo(width, height);
    ScreenDC screen;
    void* pixels = nullptr;
    OwnedBitmap image(screen ? CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &pixels, nullptr, 0)
                             : nullptr);
    MemoryDC target(screen.Get());
    if (!screen || image.Get() == nullptr || pixels == nullptr || !target) {
        LogError(L"创建预览分层位图失败 size=%dx%d err=%lu", width, height, GetLastError());
        return nullptr;
    }
    uint8_t* const p = static_cast<uint8_t*>(pixels);
    const int32_t stride = width * 4;
    {
        SelectionScope imageSelected(target.Get(), image.Get());
        if (!imageSelected.Ok()) {
            // Nothing could be drawn into it; SelectObject leaves no error code, so none is reported.
            LogError(L"创建预览分层位图失败：位图无法选入 DC size=%dx%d", width, height);
            return nullptr;
        }
        std::memset(p, 0, static_cast<size_t>(stride) * static_cast<size_t>(height));
        DrawPreviewShadow(p, stride, width, height, layout.imageRect, state.shadowSize);
        CopyPicture(screen.Get(), target.Get(), state, layout.imageRect);
        // GDI may still hold drawing back in its batch; the pixels are edited directly only after it ran.
        GdiFlush();
        MakeRectOpaque(p, stride, layout.imageRect);
        DrawPreviewButtons(target.Get(), state, layout);
        GdiFlush();
        for (const Rect& button : layout.buttonRects) {
            MakeRectOpaque(p, stride, button);
        }
    }
    if (bits != nullptr) {
        *bits = pixels;
    }
    return image.Release();
}

void RenderPreview(HWND window, PreviewState& state) {
    const PreviewLayout layout = ComputePreviewLayout(state);
    // The window keeps its previous image when this fails (reported inside).
    OwnedBitmap image(ComposePreviewImage(state, layout, nullptr));
    if (image.Get() == nullptr) {
        return;
    }
    ScreenDC screen;
    MemoryDC source(screen.Get());
    if (!screen || !source) {
        LogError(L"更新预览窗口失败：无法取得 DC hwnd=%p err=%lu", static_cast<void*>(window),
                 GetLastError());
        return;
    }
    SelectionScope imageSelected(source.Get(), image.Get());
    if (!imageSelected.Ok()) {
        // UpdateLayeredWindow never ran; SelectObject leaves no error code, so none is reported.
        LogError(L"更新预览窗口失败：分层位图无法选入 DC hwnd=%p", static_cast<void*>(window));
        return;
    }
    RECT windowRect = {};
    GetWindowRect(window, &windowRect);
    // The window's current top-left stays; the size follows the layout (it changes with the button width).
    POINT destination{windowRect.left, windowRect.top};
    SIZE size{layout.windowWidth, layout.windowHeight};
    POINT sourcePoint{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (!UpdateLayeredWindow(window, screen.Get(), &destination, &size, source.Get(), &sourcePoint, 0, &blend,
                             ULW_ALPHA)) {
        LogError(L"UpdateLayeredWindow 失败 hwnd=%p err=%lu", static_cast<void*>(window), GetLastError());
    }
}

void FreePreviewState(PreviewState& state) {
    // The shown picture is a separate bitmap only when it was scaled; otherwise it is the capture itself.
    if (state.displayBitmap != nullptr && state.displayBitmap != state.captureBitmap) {
        DeleteObject(state.displayBitmap);
    }
    state.displayBitmap = nullptr;
    if (state.captureBitmap != nullptr) {
        DeleteObject(state.captureBitmap);
        state.captureBitmap = nullptr;
    }
    if (state.font != nullptr) {
        DeleteObject(state.font);
        state.font = nullptr;
    }
}

void PreviewStateDeleter::operator()(PreviewState* state) const {
    FreePreviewState(*state);
    delete state;
}
