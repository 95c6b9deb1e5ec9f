#include "app/commands.h"

#include <windows.h>
#include <shellapi.h>

#include "app/capture_pipeline.h"
#include "app/host.h"
#include "config/config_file.h"
#include "config/hotkey_text.h"
#include "floatbar/floatbar.h"
#include "log/log.h"
#include "preview/preview.h"
#include "settings/settings_window.h"
#include "text/texts.h"
#include "tray/tray.h"

namespace {

bool globalShortcutsSuspended = false;

void UnregisterAllHotkeys() {
    // An identifier that was never registered is fine: the results are ignored.
    UnregisterHotKey(hostWindow, kRegionHotkeyId);
    UnregisterHotKey(hostWindow, kScreenHotkeyId);
    UnregisterHotKey(hostWindow, kWindowHotkeyId);
}

void Quit() {
    LogInfo(L"退出 Korvel");
    TearDownInterface();
}

void ToggleToolbar() {
    AppConfig& config = GetConfig();
    config.toolbar = !config.toolbar;
    const int show = config.toolbar ? 1 : 0;
    // The new state stays in memory even when it cannot be saved.
    if (!SaveConfig(config)) {
        LogError(L"保存工具栏勾选状态失败 show=%d", show);
    }
    SetFloatBarVisible(config.toolbar);
    LogInfo(L"托盘切换工具栏 show=%d", show);
}

void VisitSite() {
    const wchar_t* address = KORVEL_SITE_URL;
    LogInfo(L"打开Ondralux %s", address);
    const INT_PTR result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(hostWindow, L"open", address, nullptr, nullptr, SW_SHOWNORMAL));
    // ShellExecuteW reports failure as a value of 32 or less.
    if (result <= 32) {
        LogError(L"打开Ondralux失败 err=%lld", static_cast<long long>(result));
    }
}

} // namespace

bool RegisterShortcut(int id, const HotkeyBinding& binding, const wchar_t* name) {
    if (!binding.enabled || binding.vk == 0) {
        LogInfo(L"快捷键未启用 name=%s", name);
        return true;
    }
    // MOD_NOREPEAT: holding the keys down gives one WM_HOTKEY, not a stream.
    if (RegisterHotKey(hostWindow, id, binding.mod | MOD_NOREPEAT, binding.vk)) {
        LogInfo(L"注册快捷键成功 name=%s key=%s", name, DescribeHotkey(binding).c_str());
        return true;
    }
    const DWORD error = GetLastError();
    LogError(L"注册快捷键失败 name=%s key=%s err=%lu", name, DescribeHotkey(binding).c_str(), error);
    return false;
}

void ReregisterHotkeys() {
    if (hostWindow == nullptr || !IsWindow(hostWindow)) {
        LogError(L"重新注册快捷键失败：主窗口不存在");
        return;
    }
    UnregisterAllHotkeys();
    const AppConfig& config = GetConfig();
    // All three are always tried, whatever the earlier ones gave.
    const bool regionOk = RegisterShortcut(kRegionHotkeyId, config.region, L"框选");
    const bool screenOk = RegisterShortcut(kScreenHotkeyId, config.full, L"全屏");
    const bool windowOk = RegisterShortcut(kWindowHotkeyId, config.window, L"窗口");
    if (!regionOk || !screenOk || !windowOk) {
        ShowTrayBalloon(GetText(48));
    }
}

void SuspendGlobalShortcuts() {
    if (globalShortcutsSuspended) {
        return;
    }
    globalShortcutsSuspended = true;
    LogInfo(L"正在录制快捷键，暂停全局快捷键");
    UnregisterAllHotkeys();
}

void ResumeGlobalShortcuts() {
    if (!globalShortcutsSuspended) {
        return;
    }
    globalShortcutsSuspended = false;
    LogInfo(L"录制结束，恢复全局快捷键");
    ReregisterHotkeys();
}

void TearDownInterface() {
    // Let go for good: a shortcut box that stops recording during the quit has nothing to resume.
    globalShortcutsSuspended = false;
    UnregisterAllHotkeys();
    CloseAllPreviews();
    RemoveTray();
    DestroyFloatBar();
    DestroySettingsWindow();
    // Its WM_DESTROY posts the quit message that ends the main loop with exit code 0.
    if (hostWindow != nullptr && IsWindow(hostWindow)) {
        DestroyWindow(hostWindow);
    }
}

void OnHostCommand(int32_t command) {
    switch (static_cast<HostCommand>(command)) {
    case HostCommand::Region:
    case HostCommand::Screen:
    case HostCommand::Window:
        RunCapture(static_cast<CaptureMode>(command - 1));
        break;
    case HostCommand::Settings:
        ShowSettingsWindow();
        break;
    case HostCommand::Quit:
        Quit();
        break;
    case HostCommand::ToggleToolbar:
        ToggleToolbar();
        break;
    case HostCommand::VisitSite:
        VisitSite();
        break;
    default:
        LogError(L"未知托盘命令 %d", command);
        break;
    }
}

void RefreshLanguage() {
    RelayoutFloatBar();
    UpdateTrayTooltip();
    RelayoutPreviewsForLanguage();
    LogInfo(L"已按语言刷新界面 language=%d", static_cast<int>(GetUiLanguage()));
}
