#pragma once
// The state of one preview window, owned by the window through its user data.
#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "capture/rect.h"

enum class PreviewButton : int32_t { Pin = 0, Save = 1, Close = 2, Copy = 3 };
constexpr int kPreviewButtonCount = 4;

struct PreviewState {
    HBITMAP captureBitmap = nullptr; // the captured picture at full size; owned
    HBITMAP displayBitmap = nullptr; // the picture as shown: a scaled copy (owned) or captureBitmap itself
    int32_t imageWidth = 0;
    int32_t imageHeight = 0;
    int32_t displayWidth = 0; // at least 1
    int32_t displayHeight = 0;
    int32_t dpi = 96;         // of the monitor the preview opened on; fixed for the window's life
    int32_t shadowSize = 0;   // S
    int32_t buttonHeight = 0; // T
    int32_t buttonWidth = 0;  // BW, common to the four buttons
    int32_t buttonGap = 0;    // G
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

// Computed from a state, never stored; window coordinates.
struct PreviewLayout {
    int32_t windowWidth = 0;
    int32_t windowHeight = 0;
    Rect imageRect;
    std::array<Rect, kPreviewButtonCount> buttonRects;
};

// The open previews, in the order they were opened.
extern std::vector<HWND> previewWindows;
