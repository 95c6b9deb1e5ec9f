#pragma once
// The state of one preview window, owned by the window through its user data.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "base/rect.h"
#include "preview/preview_layout.h"

// The sizes that the layout is computed from (PreviewSizes) and what the window holds besides.
struct PreviewState : PreviewSizes {
    HBITMAP captureBitmap = nullptr; // the captured picture at full size; owned
    HBITMAP displayBitmap = nullptr; // the picture as shown: a scaled copy (owned) or captureBitmap itself
    int32_t imageWidth = 0;
    int32_t imageHeight = 0;
    int32_t dpi = 96;         // of the monitor the preview opened on; fixed for the window's life
    bool pinned = true;       // stays above all non-topmost windows
    bool dragging = false;    // the user is moving the window
    int32_t hoverButton = -1; // PreviewButton under the pointer, or -1
    Point dragStartCursor;    // screen position of the pointer when the drag began
    Rect dragStartWindowRect; // window rectangle when the drag began
    HFONT font = nullptr;     // interface font at 9 points for `dpi`; owned
};

// Frees what a state owns (FreePreviewState) and the record itself.
struct PreviewStateDeleter {
    void operator()(PreviewState* state) const;
};
// The one owner of a state: ShowPreview until the window takes it over at WM_NCCREATE, then the window until
// WM_NCDESTROY.
using OwnedPreviewState = std::unique_ptr<PreviewState, PreviewStateDeleter>;

// The open previews, in the order they were opened.
extern std::vector<HWND> previewWindows;
