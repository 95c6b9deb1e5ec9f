#pragma once
#include <windows.h>

#include "text/texts.h"

// A new interface font for a DPI and point size (<= 0 means 96 DPI / 9 pt), face chosen by the current
// language. The caller owns it.
HFONT CreateInterfaceFont(int dpi, int pointSize);

// Pure parts of it.
const wchar_t* InterfaceFontFace(UiLanguage language);
// The negative character height CreateFontW takes, after the <= 0 defaults.
int InterfaceFontHeight(int dpi, int pointSize);
