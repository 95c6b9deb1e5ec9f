#include "tray/tray.h"

#include <shellapi.h>

#include <cwchar>
#include <string>

#include "config/config.h"
#include "config/hotkey_text.h"
#include "log/log.h"
#include "text/texts.h"

namespace {

HWND trayWindow = nullptr;
HICON trayIcon = nullptr;
// The system's fallback icon is shared and must not be destroyed; only the program's own icon is.
bool trayIconOwned = false;
UINT taskbarCreatedMessage = 0;
HostCommandHandler trayCommandHandler = nullptr;

constexpr UINT kTrayIconId = 1;

// The full-size structure, zero-filled, with the icon, its callback and the tooltip of the current language.
NOTIFYICONDATAW FillTrayIconData() {
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = trayWindow;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = TrayCallbackMessage;
    data.hIcon = trayIcon;
    wcsncpy_s(data.szTip, GetText(24), _TRUNCATE);
    return data;
}

bool AddTrayIcon() {
    NOTIFYICONDATAW data = FillTrayIconData();
    if (!Shell_NotifyIconW(NIM_ADD, &data)) {
        LogError(L"添加托盘图标失败 err=%lu", GetLastError());
        return false;
    }
    return true;
}

void AppendShortcutMenuItem(HMENU menu, UINT id, const wchar_t* label, const HotkeyBinding& binding) {
    const std::wstring description = DescribeHotkey(binding);
    std::wstring text = label;
    if (binding.enabled && binding.vk != 0) {
        text += L" (" + description + L")";
    }
    AppendMenuW(menu, MF_STRING, id, text.c_str());
    LogInfo(L"托盘菜单 %s 快捷键=%s", label, description.c_str());
}

void ShowTrayMenu(HWND window) {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) {
        LogError(L"创建托盘菜单失败 err=%lu", GetLastError());
        return;
    }
    // Built afresh at every opening, so texts, shortcuts and the check mark are always current.
    const AppConfig& config = GetConfig();
    AppendShortcutMenuItem(menu, static_cast<UINT>(HostCommand::Region), GetText(25), config.region);
    AppendShortcutMenuItem(menu, static_cast<UINT>(HostCommand::Screen), GetText(26), config.full);
    AppendShortcutMenuItem(menu, static_cast<UINT>(HostCommand::Window), GetText(27), config.window);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, config.toolbar ? MF_CHECKED : MF_STRING, static_cast<UINT>(HostCommand::ToggleToolbar),
                GetText(28));
    LogInfo(L"托盘菜单 工具栏 checked=%d", config.toolbar ? 1 : 0);
    AppendMenuW(menu, MF_STRING, static_cast<UINT>(HostCommand::Settings), GetText(29));
    AppendMenuW(menu, MF_STRING, static_cast<UINT>(HostCommand::VisitSite), GetText(30));
    AppendMenuW(menu, MF_STRING, static_cast<UINT>(HostCommand::Quit), GetText(31));

    POINT cursor = {};
    GetCursorPos(&cursor);
    // Without this the menu does not close when the user clicks elsewhere.
    SetForegroundWindow(window);
    const int chosen = static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                                       cursor.x, cursor.y, 0, window, nullptr));
    DestroyMenu(menu);
    PostMessageW(window, WM_NULL, 0, 0);
    // The command runs only after the menu is gone.
    if (chosen != 0 && trayCommandHandler != nullptr) {
        trayCommandHandler(chosen);
    }
}

bool OpensTrayMenu(LPARAM mouseMessage) {
    switch (static_cast<UINT>(mouseMessage)) {
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        return true;
    default:
        return false;
    }
}

} // namespace

bool InitTray(HWND window) {
    trayWindow = window;
    taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
    trayIcon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    trayIconOwned = trayIcon != nullptr;
    if (trayIconOwned) {
        LogInfo(L"已加载程序图标 resource=1 size=32");
    } else {
        LogError(L"加载程序图标失败 err=%lu", GetLastError());
        trayIcon = LoadIconW(nullptr, IDI_APPLICATION);
    }
    if (!AddTrayIcon()) {
        return false;
    }
    LogInfo(L"托盘图标已添加");
    return true;
}

void SetTrayCommandHandler(HostCommandHandler handler) {
    trayCommandHandler = handler;
}

bool HandleTrayMessage(HWND window, UINT message, WPARAM, LPARAM lParam) {
    if (taskbarCreatedMessage != 0 && message == taskbarCreatedMessage) {
        // Explorer restarted: the icon is gone with the old taskbar.
        LogInfo(L"任务栏重建，重新添加托盘图标");
        AddTrayIcon();
        return true;
    }
    if (message != TrayCallbackMessage) {
        return false;
    }
    // Left and right clicks open the same menu; no mouse action captures directly.
    if (OpensTrayMenu(lParam)) {
        ShowTrayMenu(window);
    }
    return true;
}

void ShowTrayBalloon(const wchar_t* text) {
    if (trayWindow == nullptr || text == nullptr) {
        return;
    }
    NOTIFYICONDATAW data = FillTrayIconData();
    data.uFlags |= NIF_INFO;
    data.dwInfoFlags = NIIF_INFO;
    wcsncpy_s(data.szInfoTitle, L"Korvel", _TRUNCATE);
    wcsncpy_s(data.szInfo, text, _TRUNCATE);
    if (!Shell_NotifyIconW(NIM_MODIFY, &data)) {
        LogError(L"托盘气泡失败 text=%s err=%lu", text, GetLastError());
    }
}

void UpdateTrayTooltip() {
    if (trayWindow == nullptr || trayIcon == nullptr) {
        return;
    }
    NOTIFYICONDATAW data = FillTrayIconData();
    if (Shell_NotifyIconW(NIM_MODIFY, &data)) {
        LogInfo(L"托盘提示已更新");
    } else {
        LogError(L"更新托盘提示失败 err=%lu", GetLastError());
    }
}

void RemoveTray() {
    if (trayWindow == nullptr) {
        return;
    }
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = trayWindow;
    data.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &data);
    if (trayIcon != nullptr && trayIconOwned) {
        DestroyIcon(trayIcon);
    }
    trayIcon = nullptr;
    trayIconOwned = false;
    trayWindow = nullptr;
    LogInfo(L"托盘图标已移除");
}
