#include "support/floatbar_probe.h"

#include <windows.h>

#include <cwchar>

#include "text/font.h"
#include "text/texts.h"

FloatBarGeometry ExpectedFloatBarGeometry(int dpi) {
    HFONT font = CreateInterfaceFont(dpi, 9);
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    auto width = [&](const wchar_t* text) {
        SIZE size = {};
        GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
        return static_cast<int32_t>(size.cx);
    };
    FloatBarTextWidths widths{};
    for (int i = 0; i < kFloatBarButtonCount; ++i) {
        widths[i] = width(GetText(static_cast<TextId>(FloatBarButtonTextId(i))));
    }
    const int32_t captionWidth = width(GetText(32));
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return ComputeFloatBarGeometry(dpi, captionWidth, widths);
}

int FloatBarTextPixels(const std::vector<uint32_t>& pixels, int width, const Rect& area) {
    auto light = [](uint32_t c) {
        return (c >> 16 & 0xFF) > 0xB0 && (c >> 8 & 0xFF) > 0xB0 && (c & 0xFF) > 0xB0;
    };
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            count += light(pixels.at(static_cast<size_t>(y) * static_cast<size_t>(width) + x)) ? 1 : 0;
        }
    }
    return count;
}
