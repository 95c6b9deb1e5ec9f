#pragma once
#include <windows.h>

#include "preview/preview_state.h"

// The common width of the four buttons for a DPI and font, from the texts of the current language.
int32_t MeasurePreviewButtonWidth(int32_t dpi, HFONT font);
// Builds the window's layered image (shadow, picture, buttons) and hands it to the system.
void RenderPreview(HWND window, PreviewState& state);
// The layered image in a new 32-bit top-down DIB section, for RenderPreview and for tests; null on failure.
// `bits` receives the pixels (BGRA, premultiplied).
HBITMAP ComposePreviewImage(const PreviewState& state, const PreviewLayout& layout, void** bits);
void DrawPreviewButtons(HDC dc, const PreviewState& state, const PreviewLayout& layout);
// Deletes what the state owns (scaled copy if separate, picture, font) and clears the fields.
void FreePreviewState(PreviewState& state);
