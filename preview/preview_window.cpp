#include "preview/preview_window.h"

#include <algorithm>
#include <vector>

#include "base/window_drag.h"
#include "base/window_helpers.h"
#include "log/log.h"
#include "preview/preview.h"
#include "preview/preview_export.h"
#include "preview/preview_layout.h"
#include "preview/preview_render.h"
#include "preview/preview_state.h"
#include "text/font.h"

namespace {

constexpr int kPreviewFontPoints = 9;

PreviewState* StateOf(HWND window) {
    return WindowStateOf<PreviewState>(window);
}

int32_t ButtonAt(const PreviewState& state, LPARAM lParam) {
    return HitTestPreviewButton(ComputePreviewLayout(state), MessagePoint(lParam));
}

LRESULT OnNcCreate(HWND window, LPARAM lParam) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    // The creator hands over its owner of the state; from here the window frees it, at WM_NCDESTROY, also
    // when a later step of the creation fails.
    auto* handed = static_cast<OwnedPreviewState*>(create->lpCreateParams);
    PreviewState* state = handed != nullptr ? handed->release() : nullptr;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    return TRUE;
}

void OnPaint(HWND window) {
    // The picture is the layered image; painting only validates the window.
    PAINTSTRUCT paint = {};
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
}

void OnKeyDown(HWND window, WPARAM key) {
    if (key != VK_ESCAPE) {
        return;
    }
    LogInfo(L"Esc 关闭预览 hwnd=%p", window);
    DestroyWindow(window);
}

void OnMouseMove(HWND window, LPARAM lParam) {
    PreviewState* state = StateOf(window);
    if (state == nullptr) {
        return;
    }
    const int32_t hover = ButtonAt(*state, lParam);
    if (hover != state->hoverButton) {
        state->hoverButton = hover;
        RenderPreview(window, *state);
    }
    TrackMouseLeave(window);
    if (state->dragging) {
        FollowWindowDrag(window, state->dragStartCursor, state->dragStartWindowRect);
    }
}

void StartDrag(HWND window, PreviewState& state) {
    state.dragging = true;
    BeginWindowDrag(window, state.dragStartCursor, state.dragStartWindowRect);
}

void TogglePin(HWND window, PreviewState& state) {
    state.pinned = !state.pinned;
    SetWindowPos(window, state.pinned ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    LogInfo(L"预览钉住=%d hwnd=%p", state.pinned ? 1 : 0, window);
    RenderPreview(window, state);
}

void OnLButtonDown(HWND window, LPARAM lParam) {
    PreviewState* state = StateOf(window);
    if (state == nullptr) {
        return;
    }
    SetFocus(window);
    // Close destroys the window, and Save and Copy may run nested loops in which it is destroyed: nothing
    // touches the state after these calls.
    switch (ButtonAt(*state, lParam)) {
    case static_cast<int32_t>(PreviewButton::Pin):
        TogglePin(window, *state);
        break;
    case static_cast<int32_t>(PreviewButton::Save):
        SavePreviewAs(window, *state);
        break;
    case static_cast<int32_t>(PreviewButton::Close):
        LogInfo(L"点击关闭预览 hwnd=%p", window);
        DestroyWindow(window);
        break;
    case static_cast<int32_t>(PreviewButton::Copy):
        CopyPreviewToClipboard(window, *state);
        break;
    default:
        StartDrag(window, *state);
        break;
    }
}

void OnLButtonUp(HWND window) {
    PreviewState* state = StateOf(window);
    if (state == nullptr || !state->dragging) {
        return;
    }
    state->dragging = false;
    EndWindowDrag(window, state->dragStartCursor, state->dragStartWindowRect);
}

void OnMouseLeave(HWND window) {
    PreviewState* state = StateOf(window);
    if (state == nullptr || state->hoverButton == -1) {
        return;
    }
    state->hoverButton = -1;
    RenderPreview(window, *state);
}

void OnNcDestroy(HWND window) {
    if (PreviewState* state = StateOf(window)) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        OwnedPreviewState{state}.reset();
    }
    previewWindows.erase(std::remove(previewWindows.begin(), previewWindows.end(), window),
                         previewWindows.end());
}

} // namespace

LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        return OnNcCreate(window, lParam);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(window, wParam);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(window, lParam);
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(window, lParam);
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(window);
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave(window);
        return 0;
    case WM_NCDESTROY:
        OnNcDestroy(window);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void RelayoutPreviewsForLanguage() {
    // A copy, in case drawing ever dispatches something that closes a preview.
    const std::vector<HWND> windows = previewWindows;
    for (HWND window : windows) {
        PreviewState* state = IsWindow(window) ? StateOf(window) : nullptr;
        if (state == nullptr) {
            continue;
        }
        if (state->font != nullptr) {
            DeleteObject(state->font);
        }
        state->font = CreateInterfaceFont(state->dpi, kPreviewFontPoints);
        state->buttonWidth = MeasurePreviewButtonWidth(state->dpi, state->font);
        RenderPreview(window, *state);
    }
    LogInfo(L"预览按钮已按语言更新 count=%d", static_cast<int>(previewWindows.size()));
}

void CloseAllPreviews() {
    // Each destruction removes its entry from previewWindows, so walk a copy.
    const std::vector<HWND> windows = previewWindows;
    for (HWND window : windows) {
        if (IsWindow(window)) {
            DestroyWindow(window);
        }
    }
}
