#include "text/font.h"

const wchar_t* InterfaceFontFace(UiLanguage language) {
    switch (language) {
    case UiLanguage::TraditionalChinese:
        return L"Microsoft JhengHei UI";
    case UiLanguage::English:
        return L"Segoe UI";
    case UiLanguage::Japanese:
        return L"Yu Gothic UI";
    default:
        // Simplified Chinese, and the fallback for anything out of range.
        return L"Microsoft YaHei UI";
    }
}

int InterfaceFontHeight(int dpi, int pointSize) {
    const int effectiveDpi = dpi > 0 ? dpi : 96;
    const int effectiveSize = pointSize > 0 ? pointSize : 9;
    // Negative: the value is the character height in pixels, not the cell height.
    return -MulDiv(effectiveSize, effectiveDpi, 72);
}

HFONT CreateInterfaceFont(int dpi, int pointSize) {
    return CreateFontW(InterfaceFontHeight(dpi, pointSize), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0,
                       InterfaceFontFace(GetUiLanguage()));
}
