#pragma once
// Finding the previews of a running Korvel.exe and the places of their buttons, at 96 DPI in Chinese.
#include <windows.h>

#include <vector>

#include "desktop_probe.h"
#include "screen_probe.h"

constexpr int kPreviewShadow = 18; // at 96 DPI
constexpr int kPreviewButtonHeight = 28;
constexpr int kPreviewButtonWidth = 56; // the least width: the Chinese button texts are narrower
constexpr int kPreviewButtonGap = 6;
constexpr int kPinButton = 0;
constexpr int kSaveButton = 1;
constexpr int kCloseButton = 2;
constexpr int kCopyButton = 3;

// The visible previews, the topmost first.
inline std::vector<HWND> VisiblePreviews() {
    return VisibleWindows(L"KorvelPreview");
}

inline bool WaitForPreviewCount(size_t count, DWORD timeoutMs) {
    return WaitUntil([count] { return VisiblePreviews().size() == count; }, timeoutMs);
}

// Centre of a button (Pin, Save, Close, Copy) of a preview, in screen coordinates: the row ends at the
// picture's right edge, which is the shadow's width in from the window's right edge.
inline POINT ButtonCentre(HWND preview, int button) {
    const RECT r = WindowRect(preview);
    const int rowRight = r.right - kPreviewShadow;
    const int left = rowRight - (4 * kPreviewButtonWidth + 3 * kPreviewButtonGap) +
                     button * (kPreviewButtonWidth + kPreviewButtonGap);
    return POINT{left + kPreviewButtonWidth / 2, r.top + kPreviewButtonHeight / 2};
}
