#include "settings/settings_window.h"

#include <commctrl.h>
#include <dwmapi.h>

#include "base/dpi_scale.h"
#include "base/win_rect.h"
#include "base/window_helpers.h"
#include "log/log.h"
#include "settings/folder_picker.h"
#include "settings/hotkey_recorder.h"
#include "settings/settings_apply.h"
#include "settings/settings_controls.h"
#include "settings/settings_layout.h"
#include "settings/settings_mouse.h"
#include "settings/settings_paint.h"
#include "settings/settings_palette.h"
#include "settings/settings_state.h"

namespace {

constexpr wchar_t kSettingsClassName[] = L"KorvelSettings";
constexpr int32_t kWindowWidthAt96 = 700;
constexpr int32_t kWindowHeightAt96 = 600; // until the layout fits the height to the page
constexpr DWORD kDarkModeAttribute = 20;
constexpr DWORD kOldDarkModeAttribute = 19;

HWND settingsWindow = nullptr;
SettingsState* settingsState = nullptr;
bool settingsClassesRegistered = false;

HICON LoadProgramIcon(int size) {
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

// A class left registered by an earlier attempt counts as registered, so that an attempt that failed half
// way is really retried. On failure the error code goes to `error`.
bool RegisterClassOnce(const WNDCLASSEXW& windowClass, DWORD& error) {
    if (RegisterClassExW(&windowClass) != 0) {
        return true;
    }
    error = GetLastError();
    return error == ERROR_CLASS_ALREADY_EXISTS;
}

bool RegisterRecorderClass(HINSTANCE instance) {
    WNDCLASSEXW recorder = {};
    recorder.cbSize = sizeof recorder;
    recorder.lpfnWndProc = RecorderWindowProc;
    recorder.hInstance = instance;
    recorder.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    recorder.lpszClassName = kRecorderClassName;
    DWORD error = 0;
    if (!RegisterClassOnce(recorder, error)) {
        LogError(L"注册快捷键控件类失败 err=%lu", error);
        return false;
    }
    return true;
}

bool RegisterSettingsClass(HINSTANCE instance) {
    WNDCLASSEXW settings = {};
    settings.cbSize = sizeof settings;
    settings.style = CS_HREDRAW | CS_VREDRAW;
    settings.lpfnWndProc = SettingsWindowProc;
    settings.hInstance = instance;
    settings.hIcon = LoadProgramIcon(32);
    if (settings.hIcon == nullptr) {
        LogError(L"设置窗口加载图标失败 err=%lu", GetLastError());
    }
    settings.hIconSm = LoadProgramIcon(16);
    settings.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // The class keeps this brush for the life of the process.
    settings.hbrBackground = CreateSolidBrush(kBackgroundColor);
    settings.lpszClassName = kSettingsClassName;
    DWORD error = 0;
    const bool registered = RegisterClassOnce(settings, error);
    if (error != 0) {
        // No class took them.
        DeleteObject(settings.hbrBackground);
        for (HICON icon : {settings.hIcon, settings.hIconSm}) {
            if (icon != nullptr) {
                DestroyIcon(icon);
            }
        }
    }
    if (!registered) {
        LogError(L"注册设置窗口类失败 err=%lu", error);
    }
    return registered;
}

void RegisterSettingsClasses() {
    if (settingsClassesRegistered) {
        return;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // The flag is set only when both are registered, so that a failure is retried at the next call.
    if (RegisterRecorderClass(instance) && RegisterSettingsClass(instance)) {
        settingsClassesRegistered = true;
    }
}

void SetTaskbarIcons(HWND window, SettingsState& state) {
    state.bigIcon = LoadProgramIcon(32);
    state.smallIcon = LoadProgramIcon(16);
    if (state.bigIcon == nullptr || state.smallIcon == nullptr) {
        LogError(L"设置窗口任务栏图标加载失败 err=%lu", GetLastError());
    }
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(state.bigIcon));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(state.smallIcon));
    LogInfo(L"设置窗口已允许显示在任务栏");
}

bool CreateSettingsWindow() {
    auto* state = new SettingsState();
    settingsState = state;
    HWND window = CreateWindowExW(WS_EX_APPWINDOW, kSettingsClassName, L"KOR-VEL",
                                  WS_POPUP | WS_CLIPCHILDREN | WS_BORDER, CW_USEDEFAULT, CW_USEDEFAULT,
                                  kWindowWidthAt96, kWindowHeightAt96, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), state);
    if (window == nullptr) {
        LogError(L"创建设置窗口失败 err=%lu", GetLastError());
        // A window that got as far as WM_NCCREATE has freed the state on its way out.
        if (settingsState == state) {
            delete state;
            settingsState = nullptr;
        }
        return false;
    }
    SetTaskbarIcons(window, *state);
    return true;
}

void SetDarkFrame(HWND window) {
    const BOOL dark = TRUE;
    HRESULT result = DwmSetWindowAttribute(window, kDarkModeAttribute, &dark, sizeof dark);
    if (FAILED(result)) {
        result = DwmSetWindowAttribute(window, kOldDarkModeAttribute, &dark, sizeof dark);
        if (FAILED(result)) {
            LogError(L"设置窗口深色标题栏失败 hr=0x%08X", static_cast<unsigned>(result));
        }
    }
}

void InitCommonControlClasses() {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES;
    InitCommonControlsEx(&controls);
}

// s(700) x s(600), centred in the primary monitor's work area.
void PlaceNewWindow(HWND window, const SettingsState& state) {
    const int32_t width = ScaleForDpi(kWindowWidthAt96, state.dpi);
    const int32_t height = ScaleForDpi(kWindowHeightAt96, state.dpi);
    RECT workArea = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    const Point at = CentreInWorkArea(FromWinRect(workArea), width, height);
    SetWindowPos(window, nullptr, at.x, at.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT OnNcCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    // The default processing sets the window's title.
    return DefWindowProcW(window, message, wParam, lParam);
}

void OnCreate(HWND window) {
    // First, so that everything below finds the window.
    settingsWindow = window;
    SettingsState* state = SettingsStateOf(window);
    if (state == nullptr) {
        return;
    }
    state->page = SettingsPage::General;
    state->hoveredButtonId = 0;
    state->hoveredNavItem = -1;
    state->hoveredCaptionButton = 0;
    state->formatChoice = kPngRadioId;
    state->languageChoice = kFirstLanguageRadioId;
    state->backgroundBrush = CreateSolidBrush(kBackgroundColor);
    state->panelBrush = CreateSolidBrush(kPanelColor);
    state->editBrush = CreateSolidBrush(kPanelColor);
    SetDarkFrame(window);
    InitCommonControlClasses();
    CreateSettingsControls(window, *state);
    const int dpi = static_cast<int>(GetDpiForWindow(window));
    state->dpi = dpi > 0 ? dpi : 96;
    PlaceNewWindow(window, *state);
    LayoutSettingsWindow(window, *state);
    LoadSettingsControls(window, *state);
}

void FreeState(SettingsState* state) {
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(state->bodyFont), static_cast<HGDIOBJ>(state->titleFont),
                           static_cast<HGDIOBJ>(state->backgroundBrush),
                           static_cast<HGDIOBJ>(state->panelBrush), static_cast<HGDIOBJ>(state->editBrush)}) {
        if (object != nullptr) {
            DeleteObject(object);
        }
    }
    for (HICON icon : {state->bigIcon, state->smallIcon}) {
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
    }
    delete state;
}

// The children are gone by now, so nothing reads the state after it is freed.
void OnNcDestroy(HWND window) {
    if (SettingsState* state = SettingsStateOf(window)) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (settingsState == state) {
            settingsState = nullptr;
        }
        FreeState(state);
    }
    if (settingsWindow == window) {
        settingsWindow = nullptr;
    }
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint = {};
    HDC dc = BeginPaint(window, &paint);
    PaintSettingsWindow(window, dc);
    EndPaint(window, &paint);
}

// The caption and navigation bars are painted whole by WM_PAINT; erasing covers the rest.
LRESULT OnEraseBackground(HWND window, HDC dc) {
    RECT area = {};
    GetClientRect(window, &area);
    const SettingsState* state = SettingsStateOf(window);
    if (state != nullptr && state->bodyFont != nullptr) {
        const SettingsMetrics m = SettingsMetricsForDpi(state->dpi);
        area.top = m.caption + m.navigation;
    }
    const bool ownBrush = state != nullptr && state->backgroundBrush != nullptr;
    FillRect(dc, &area, ownBrush ? state->backgroundBrush : static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    return 1;
}

void OnCommand(HWND window, WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED) {
        return;
    }
    const int id = LOWORD(wParam);
    SettingsState* state = SettingsStateOf(window);
    if ((id == kPngRadioId || id == kJpegRadioId) && state != nullptr) {
        ChooseFormat(window, *state, id);
    } else if (IsLanguageRadioId(id) && state != nullptr) {
        ChooseLanguage(window, *state, id);
    } else if (id == kBrowseButtonId) {
        BrowseSaveFolder(window);
    } else if (id == kOkButtonId) {
        ApplySettings(window);
    } else if (id == kCancelButtonId) {
        CancelSettings(window);
    }
}

LRESULT OnControlColour(HWND window, UINT message, HDC dc, HWND control) {
    SetTextColor(dc, IsWindowEnabled(control) ? kTextColor : kMutedTextColor);
    const SettingsState* state = SettingsStateOf(window);
    if (message == WM_CTLCOLOREDIT && state != nullptr) {
        SetBkColor(dc, kPanelColor);
        return reinterpret_cast<LRESULT>(state->editBrush);
    }
    SetBkColor(dc, kBackgroundColor);
    HBRUSH brush =
        state != nullptr ? state->backgroundBrush : static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    return reinterpret_cast<LRESULT>(brush);
}

void OnDpiChanged(HWND window, LPARAM lParam) {
    if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (SettingsState* state = SettingsStateOf(window)) {
        LayoutSettingsWindow(window, *state);
    }
}

// The window is not a dialog: a control's request to move the focus on (the path field's Tab) is carried
// out here. wParam and lParam as for WM_NEXTDLGCTL.
void OnNextControl(HWND window, WPARAM wParam, LPARAM lParam) {
    HWND target = LOWORD(lParam) != 0 ? reinterpret_cast<HWND>(wParam)
                                      : GetNextDlgTabItem(window, GetFocus(), wParam != 0);
    if (target == nullptr || !IsChild(window, target)) {
        return;
    }
    SetFocus(target);
    // As a dialog does: a field entered by Tab has its text selected.
    if (SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
        SendMessageW(target, EM_SETSEL, 0, -1);
    }
}

} // namespace

SettingsState* GetSettingsState() {
    return settingsState;
}

SettingsState* SettingsStateOf(HWND window) {
    return WindowStateOf<SettingsState>(window);
}

void ShowSettingsWindow() {
    RegisterSettingsClasses();
    if (settingsWindow != nullptr && IsIconic(settingsWindow)) {
        // Minimised, it comes back as it was: the same page, every edit, the language in force.
        LogInfo(L"恢复最小化的设置窗口");
        ShowWindow(settingsWindow, SW_RESTORE);
        SetForegroundWindow(settingsWindow);
        return;
    }
    if (settingsWindow != nullptr) {
        if (settingsState != nullptr) {
            // Unsaved edits are dropped: the window opens on General with the configuration's values.
            settingsState->page = SettingsPage::General;
            LoadSettingsControls(settingsWindow, *settingsState);
            LayoutSettingsWindow(settingsWindow, *settingsState);
        }
    } else if (!CreateSettingsWindow()) {
        return;
    }
    ShowWindow(settingsWindow, SW_SHOW);
    SetForegroundWindow(settingsWindow);
}

void DestroySettingsWindow() {
    if (settingsWindow != nullptr && IsWindow(settingsWindow)) {
        DestroyWindow(settingsWindow);
    }
}

HWND GetSettingsWindow() {
    return settingsWindow;
}

void ResetSettingsClassesForTesting() {
    settingsClassesRegistered = false;
}

LRESULT CALLBACK SettingsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        return OnNcCreate(window, message, wParam, lParam);
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_NCDESTROY:
        OnNcDestroy(window);
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_ERASEBKGND:
        return OnEraseBackground(window, reinterpret_cast<HDC>(wParam));
    case WM_SETCURSOR:
        return OnSettingsSetCursor(window, message, wParam, lParam);
    case WM_DRAWITEM:
        DrawSettingsButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return 1;
    case WM_COMMAND:
        OnCommand(window, wParam);
        return 0;
    case WM_CLOSE:
        CancelSettings(window);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            CancelSettings(window);
            return 0;
        }
        if ((wParam & 0xFFF0) == SC_MINIMIZE) {
            MinimiseSettings(window);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(window, kQualitySliderId)) {
            UpdateQualityLabel(window);
        }
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        return OnControlColour(window, message, reinterpret_cast<HDC>(wParam),
                               reinterpret_cast<HWND>(lParam));
    case WM_MOUSEMOVE:
        OnSettingsMouseMove(window, lParam);
        return 0;
    case WM_MOUSELEAVE:
        OnSettingsMouseLeave(window);
        return 0;
    case WM_LBUTTONDOWN:
        OnSettingsLButtonDown(window, lParam);
        return 0;
    case WM_DPICHANGED:
        OnDpiChanged(window, lParam);
        return 0;
    case WM_NEXTDLGCTL:
        OnNextControl(window, wParam, lParam);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
