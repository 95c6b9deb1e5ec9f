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
