#pragma once
// Opening previews of pattern pictures in this process and looking inside them, for the preview tests.
#include <windows.h>

#include <cwchar>
#include <string>

#include "capture/captured_image.h"
#include "preview/preview.h"
#include "preview/preview_state.h"
#include "support/bitmap_pixels.h"
#include "support/pattern.h"

// Opens a preview of a pattern picture taken at (originX, originY); null if it did not open.
inline HWND OpenPatternPreview(int width, int height, int originX, int originY) {
    CapturedImage image;
    image.bitmap = CreatePatternBitmap(width, height, PatternColour);
    image.width = width;
    image.height = height;
    image.originX = originX;
    image.originY = originY;
    if (image.bitmap == nullptr || !ShowPreview(image)) {
        ReleaseCapturedImage(image);
        return nullptr;
    }
    return previewWindows.back();
}

inline PreviewState* PreviewStateOf(HWND window) {
    return reinterpret_cast<PreviewState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The handle as the log writes it.
inline std::wstring HandleText(HWND window) {
    wchar_t text[32] = {};
    _snwprintf_s(text, _countof(text), _TRUNCATE, L"%p", static_cast<void*>(window));
    return text;
}
