#include "overlay/region_overlay.h"

#include "base/window_helpers.h"
#include "capture/crop.h"
#include "log/log.h"
#include "markup/mark_paint.h"
#include "markup/markup_events.h"
#include "overlay/overlay_paint.h"
#include "text/font.h"

namespace {

constexpr wchar_t kOverlayClass[] = L"KorvelOverlay";
bool overlayClassRegistered = false;

Point CursorPosition() {
    POINT p = {};
    GetCursorPos(&p);
    return Point{p.x, p.y};
}

OverlayState* StateOf(HWND window) {
    return WindowStateOf<OverlayState>(window);
}

HCURSOR CursorFor(const OverlayState& state) {
    switch (PointerCursor(state.model, state.markup)) {
    case OverlayCursor::SizeWE:
        return LoadCursorW(nullptr, IDC_SIZEWE);
    case OverlayCursor::SizeNS:
        return LoadCursorW(nullptr, IDC_SIZENS);
    case OverlayCursor::SizeNWSE:
        return LoadCursorW(nullptr, IDC_SIZENWSE);
    case OverlayCursor::SizeNESW:
        return LoadCursorW(nullptr, IDC_SIZENESW);
    case OverlayCursor::Arrow:
        return LoadCursorW(nullptr, IDC_ARROW);
    case OverlayCursor::IBeam:
        return LoadCursorW(nullptr, IDC_IBEAM);
    default:
        return state.crossCursor != nullptr ? state.crossCursor : LoadCursorW(nullptr, IDC_CROSS);
    }
}

// Carries out what an event rule asked for, in the order the rules give.
void ApplyEffects(HWND window, OverlayState& state, const MarkupEffects& effects) {
    if (effects.closeTextBox) {
        CloseTextBox(state.markupUi.textBox);
    }
    if (effects.focusWindow) {
        SetFocus(window);
    }
    if (effects.captureMouse) {
        SetCapture(window);
    }
    if (effects.releaseMouse) {
        ReleaseCapture();
    }
    if (effects.setCursor) {
        SetCursor(CursorFor(state));
    }
    if (effects.marksChanged) {
        SyncMarkLayer(state.markupUi.layer, state.markup.history, state.stillDc, state.model.bounds);
    }
    if (effects.openTextBox) {
        OpenTextBox(state.markupUi.textBox, window, state.markup.pending);
    }
    if (effects.repaint) {
        InvalidateOverlayWindows(state);
    }
    if (effects.finish != OverlayFinish::None) {
        state.markupUi.copy = effects.copy;
        FinishSelection(state, effects.finish == OverlayFinish::Confirm);
    }
}

// What the text box reports: its text changed (kept as the mark's draft, the box grown to fit), or it refused
// more text than a box holds, which a beep tells the user.
void OnTextBoxCommand(OverlayState& state, WORD code, HWND control) {
    TextBox& box = state.markupUi.textBox;
    if (control == nullptr || control != box.window) {
        return;
    }
    if (code == EN_CHANGE) {
        SetTextDraft(state.markup, TextBoxText(box));
        FitTextBox(box);
    } else if (code == EN_MAXTEXT) {
        MessageBeep(MB_OK);
        LogInfo(L"文字框已满 limit=%d", kMaxTextLength);
    }
}

KeyModifiers KeysHeld(bool alt) {
    return KeyModifiers{GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0, alt};
}

bool ShiftHeld(WPARAM mouseKeys) {
    return (mouseKeys & MK_SHIFT) != 0;
}

bool RegisterOverlayClass() {
    if (overlayClassRegistered) {
        return true;
    }
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = OverlayWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kOverlayClass;
    if (RegisterClassExW(&windowClass) == 0) {
        LogError(L"注册遮罩窗口类失败 err=%lu", GetLastError());
        return false;
    }
    overlayClassRegistered = true;
    return true;
}

} // namespace

bool PrepareOverlayDrawing(OverlayState& state, const CapturedImage& still) {
    state.source = &still;
    state.model.bounds =
        Rect{still.originX, still.originY, still.originX + still.width, still.originY + still.height};
    state.screenDc = GetDC(nullptr);
    if (state.screenDc != nullptr) {
        state.dimBitmap = CreateDimmedBitmap(state.screenDc, still.bitmap, still.width, still.height);
    }
    if (state.screenDc == nullptr || state.dimBitmap == nullptr) {
        LogError(L"框选失败：无法准备遮罩图像");
        return false;
    }
    state.stillDc = CreateCompatibleDC(state.screenDc);
    state.dimDc = CreateCompatibleDC(state.screenDc);
    if (state.stillDc == nullptr || state.dimDc == nullptr) {
        LogError(L"框选失败：创建内存 DC 失败 err=%lu", GetLastError());
        return false;
    }
    state.stillDcOldBitmap = SelectObject(state.stillDc, still.bitmap);
    state.dimDcOldBitmap = SelectObject(state.dimDc, state.dimBitmap);
    // A bitmap lives in one DC at a time; a refused selection would show black with a wrong magnifier.
    if (state.stillDcOldBitmap == nullptr || state.dimDcOldBitmap == nullptr) {
        LogError(L"框选失败：遮罩位图无法选入 DC，可能仍被其他 DC 占用");
        return false;
    }
    state.crossCursor = CreateWhiteCrossCursor();
    state.model.pointer = CursorPosition();
    state.font = CreateInterfaceFont(static_cast<int>(GetDpiForSystem()), 12);
    PrepareMarkup(state.markup, state.markupUi);
    return true;
}

namespace {

void CreateOverlayWindows(OverlayState& state, const std::vector<RECT>& monitors) {
    for (const RECT& m : monitors) {
        // The text box, a child, keeps its pixels while the overlay repaints around it.
        HWND window =
            CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kOverlayClass, L"",
                            WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, m.left, m.top, m.right - m.left,
                            m.bottom - m.top, nullptr, nullptr, GetModuleHandleW(nullptr), &state);
        if (window == nullptr) {
            LogError(L"创建遮罩窗口失败 rect=(%d,%d,%d,%d) err=%lu", m.left, m.top, m.right, m.bottom,
                     GetLastError());
            continue;
        }
        state.windows.push_back(window);
        RECT actual = {};
        GetWindowRect(window, &actual);
        if (!EqualRect(&actual, &m)) {
            LogError(L"遮罩窗口尺寸与显示器不一致 expect=(%d,%d,%d,%d) actual=(%d,%d,%d,%d)", m.left, m.top,
                     m.right, m.bottom, actual.left, actual.top, actual.right, actual.bottom);
        }
    }
}

// Keys go to the window under the pointer, or to the first one.
void FocusWindowUnderPointer(const OverlayState& state) {
    POINT p = {};
    GetCursorPos(&p);
    HWND chosen = state.windows.front();
    for (HWND window : state.windows) {
        RECT r = {};
        GetWindowRect(window, &r);
        if (PtInRect(&r, p)) {
            chosen = window;
            break;
        }
    }
    SetForegroundWindow(chosen);
    SetFocus(chosen);
}

// The loop ended without FinishSelection (WM_QUIT or a failed GetMessageW): the windows still exist and point
// at a state that is about to go away, so they are cut loose from it first and then destroyed.
void DetachAndDestroyWindows(OverlayState& state) {
    const std::vector<HWND> windows = state.windows;
    for (HWND window : windows) {
        if (IsWindow(window)) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            DestroyWindow(window);
        }
    }
}

void RunNestedLoop(OverlayState& state) {
    MSG message = {};
    while (!state.loopDone) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // Hand the quit request on, so that the main loop ends too.
            PostQuitMessage(static_cast<int>(message.wParam));
            state.confirmed = false;
            ReleaseCapturedImage(state.result);
            DetachAndDestroyWindows(state);
            return;
        }
        if (got == -1) {
            LogError(L"框选消息循环失败 err=%lu", GetLastError());
            DetachAndDestroyWindows(state);
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

template <typename Handle> void DeleteObjectAndClear(Handle& handle) {
    if (handle != nullptr) {
        DeleteObject(handle);
        handle = nullptr;
    }
}

} // namespace

bool RunRegionOverlay(const CapturedImage& still, CapturedImage& result) {
    EmptyCapturedImage(result);
    if (still.bitmap == nullptr || still.width <= 0 || still.height <= 0) {
        LogError(L"框选失败：虚拟屏幕位图无效");
        return false;
    }
    // A failed registration is logged; window creation then fails below.
    RegisterOverlayClass();

    OverlayState state;
    if (!PrepareOverlayDrawing(state, still)) {
        ReleaseOverlayResources(state);
        return false;
    }
    std::vector<RECT> monitors;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitorRect, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) {
        LogError(L"枚举显示器失败");
        ReleaseOverlayResources(state);
        return false;
    }
    LogInfo(L"框选遮罩显示器数量=%d virtual=%dx%d origin=(%d,%d)", static_cast<int>(monitors.size()),
            still.width, still.height, still.originX, still.originY);
    CreateOverlayWindows(state, monitors);
    if (state.windows.empty()) {
        ReleaseOverlayResources(state);
        return false;
    }
    FocusWindowUnderPointer(state);
    RunNestedLoop(state);

    if (state.confirmed && state.cropOk) {
        result = state.result; // the caller owns the bitmap from here
        state.result = CapturedImage();
    } else {
        ReleaseCapturedImage(state.result);
    }
    ReleaseOverlayResources(state);
    RememberMarkupStyle(state.markup);
    // Shown once the overlay has gone; the picture is still saved and previewed.
    ShowClipboardFailure(nullptr, state.markupUi.copyOutcome);
    return state.confirmed && state.cropOk && result.bitmap != nullptr;
}

namespace {

// The selection cut out of the still, with the marks at full resolution, clipped to it. The cached drawing of
// the marks already holds them on the still, exactly as the screen showed them; without it they are drawn on
// the cut picture.
bool CutMarkedSelection(OverlayState& state) {
    const MarkupHistory& history = state.markup.history;
    if (MarkLayerReady(state.markupUi.layer, history)) {
        return CutFromMarkLayer(state.markupUi.layer, state.model.bounds, state.model.selection,
                                state.result);
    }
    const bool cut = CropCapturedImage(*state.source, state.model.selection, state.result);
    if (cut && history.live > 0) {
        DrawMarksOnPicture(state.result, history, *state.source);
    }
    return cut;
}

// A marked picture is logged with its marks, and goes on the clipboard when Copy confirmed it.
void FinishMarkup(OverlayState& state) {
    LogMarksMade(state.markup.history);
    if (state.markupUi.copy && !state.windows.empty()) {
        state.markupUi.copyOutcome = PutPictureOnClipboard(state.windows.front(), state.result.bitmap,
                                                           state.result.width, state.result.height);
    }
}

} // namespace

void FinishSelection(OverlayState& state, bool confirm) {
    if (state.model.finished) {
        return; // only the first confirm or cancel counts
    }
    state.model.finished = true;
    state.confirmed = confirm;
    if (confirm) {
        // A bitmap can be selected into one DC only, and the crop must select the still.
        if (state.stillDc != nullptr && state.stillDcOldBitmap != nullptr) {
            SelectObject(state.stillDc, state.stillDcOldBitmap);
            state.stillDcOldBitmap = nullptr;
        }
        state.cropOk = CutMarkedSelection(state);
        if (!state.cropOk) {
            LogError(L"框选确认后裁剪失败");
        } else {
            FinishMarkup(state);
        }
    } else {
        LogInfo(L"框选已取消");
    }
    // A copy, since destroying a window re-enters the window procedure.
    const std::vector<HWND> windows = state.windows;
    for (HWND window : windows) {
        if (IsWindow(window)) {
            DestroyWindow(window);
        }
    }
    state.loopDone = true;
}

void ReleaseOverlayResources(OverlayState& state) {
    if (state.stillDc != nullptr && state.stillDcOldBitmap != nullptr) {
        SelectObject(state.stillDc, state.stillDcOldBitmap);
    }
    state.stillDcOldBitmap = nullptr;
    if (state.dimDc != nullptr && state.dimDcOldBitmap != nullptr) {
        SelectObject(state.dimDc, state.dimDcOldBitmap);
    }
    state.dimDcOldBitmap = nullptr;
    if (state.stillDc != nullptr) {
        DeleteDC(state.stillDc);
        state.stillDc = nullptr;
    }
    if (state.dimDc != nullptr) {
        DeleteDC(state.dimDc);
        state.dimDc = nullptr;
    }
    DeleteObjectAndClear(state.dimBitmap);
    if (state.screenDc != nullptr) {
        ReleaseDC(nullptr, state.screenDc);
        state.screenDc = nullptr;
    }
    if (state.backDc != nullptr && state.backDcOldBitmap != nullptr) {
        SelectObject(state.backDc, state.backDcOldBitmap);
    }
    state.backDcOldBitmap = nullptr;
    DeleteObjectAndClear(state.backBitmap);
    if (state.backDc != nullptr) {
        DeleteDC(state.backDc);
        state.backDc = nullptr;
    }
    DeleteObjectAndClear(state.font);
    ReleaseMarkup(state.markupUi);
    if (state.crossCursor != nullptr) {
        DestroyCursor(state.crossCursor);
        state.crossCursor = nullptr;
    }
}

void InvalidateOverlayWindows(const OverlayState& state) {
    for (HWND window : state.windows) {
        if (IsWindow(window)) {
            InvalidateRect(window, nullptr, FALSE);
        }
    }
}

BOOL CALLBACK CollectMonitorRect(HMONITOR, HDC, LPRECT monitorRect, LPARAM list) {
    reinterpret_cast<std::vector<RECT>*>(list)->push_back(*monitorRect);
    return TRUE;
}

LRESULT CALLBACK OverlayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return TRUE;
    }
    OverlayState* state = StateOf(window);
    switch (message) {
    case WM_PAINT:
        if (state != nullptr) {
            PaintOverlay(window, *state);
        } else {
            ValidateRect(window, nullptr);
        }
        return 0;
    case WM_ERASEBKGND:
        return 1; // every pixel comes from the back buffer
    case WM_SETCURSOR:
        SetCursor(state != nullptr ? CursorFor(*state) : LoadCursorW(nullptr, IDC_CROSS));
        return TRUE;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // System keys are answered here too, so Alt+F4 and the like do nothing over the overlay.
        if (state != nullptr) {
            ApplyEffects(window, *state,
                         OnOverlayKey(state->model, state->markup, static_cast<uint32_t>(wParam),
                                      KeysHeld(message == WM_SYSKEYDOWN)));
        }
        return 0;
    case WM_MOUSEMOVE:
        if (state != nullptr) {
            ApplyEffects(window, *state,
                         OnOverlayMove(state->model, state->markup, CursorPosition(), ShiftHeld(wParam)));
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // With a tool, the second press of a quick pair is a press like any other.
        if (state != nullptr) {
            ApplyEffects(
                window, *state,
                OnOverlayPress(state->model, state->markup, CursorPosition(), message == WM_LBUTTONDBLCLK));
        }
        return 0;
    case WM_LBUTTONUP:
        if (state != nullptr) {
            ApplyEffects(window, *state,
                         OnOverlayRelease(state->model, state->markup, CursorPosition(), ShiftHeld(wParam)));
        }
        return 0;
    case WM_RBUTTONDOWN:
        if (state != nullptr) {
            ApplyEffects(window, *state, OnOverlayRightPress(state->model, state->markup));
        }
        return 0;
    case WM_MOUSEWHEEL:
        if (state != nullptr) {
            ApplyEffects(window, *state,
                         OnOverlayWheel(state->model, state->markup, GET_WHEEL_DELTA_WPARAM(wParam)));
        }
        return 0;
    case WM_COMMAND:
        if (state != nullptr) {
            OnTextBoxCommand(*state, HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        }
        return 0;
    case WM_CTLCOLOREDIT:
        if (state != nullptr) {
            if (HBRUSH brush = TextBoxColours(state->markupUi.textBox, reinterpret_cast<HDC>(wParam),
                                              reinterpret_cast<HWND>(lParam))) {
                return reinterpret_cast<LRESULT>(brush);
            }
        }
        return DefWindowProcW(window, message, wParam, lParam);
    case kTextBoxDoneMessage:
        if (state != nullptr) {
            ApplyEffects(window, *state, OnTextBoxDone(state->model, state->markup));
        }
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
