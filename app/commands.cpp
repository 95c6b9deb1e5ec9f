#include "app/commands.h"

#include <windows.h>
#include <shellapi.h>

#include "app/capture_pipeline.h"
#include "app/host.h"
#include "app/shortcut_reports.h"
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
// The shortcuts Korvel holds now, and those it held when a box began to record.
ShortcutSet heldShortcuts = 0;
ShortcutSet heldWhenSuspended = 0;
// Failures that the end of a recording has announced since the last OK or opening of the settings window.
ShortcutSet announcedFailures = 0;

void UnregisterAllHotkeys() {
    // An identifier that was never registered is fine: the results are ignored.
    UnregisterHotKey(hostWindow, kRegionHotkeyId);
    UnregisterHotKey(hostWindow, kScreenHotkeyId);
    UnregisterHotKey(hostWindow, kWindowHotkeyId);
    heldShortcuts = 0;
}

struct ShortcutAttempt {
    bool active = false; // enabled and with a key; an inactive binding is not registered
    bool registered = false;
    DWORD error = 0;
};

ShortcutAttempt TryRegisterShortcut(int id, const HotkeyBinding& binding) {
    ShortcutAttempt attempt;
    attempt.active = binding.enabled && binding.vk != 0;
    if (!attempt.active) {
        return attempt;
    }
    // MOD_NOREPEAT: holding the keys down gives one WM_HOTKEY, not a stream.
    attempt.registered = RegisterHotKey(hostWindow, id, binding.mod | MOD_NOREPEAT, binding.vk) != FALSE;
    if (attempt.registered) {
        heldShortcuts |= ShortcutBit(id);
    } else {
        attempt.error = GetLastError();
    }
    return attempt;
}

// A failure that is not reported still leaves an INFO line, for whoever reads the log.
void LogShortcutAttempt(const ShortcutAttempt& attempt, const HotkeyBinding& binding, const wchar_t* name,
                        bool reportFailure) {
    if (!attempt.active) {
        LogInfo(L"快捷键未启用 name=%s", name);
        return;
    }
    const std::wstring key = DescribeHotkey(binding);
    if (attempt.registered) {
        LogInfo(L"注册快捷键成功 name=%s key=%s", name, key.c_str());
    } else if (reportFailure) {
        LogError(L"注册快捷键失败 name=%s key=%s err=%lu", name, key.c_str(), attempt.error);
    } else {
        LogInfo(L"快捷键仍无法注册 name=%s key=%s err=%lu", name, key.c_str(), attempt.error);
    }
}

// Registers the three configured shortcuts, all three in this order whatever the earlier ones gave, and
// reports the failures as the pass calls for: ERROR lines and at most one balloon 48.
void RegisterConfiguredShortcuts(RegistrationPass pass) {
    const AppConfig& config = GetConfig();
    const struct {
        int id;
        const HotkeyBinding& binding;
        const wchar_t* name;
    } shortcuts[] = {{kRegionHotkeyId, config.region, L"框选"},
                     {kScreenHotkeyId, config.full, L"全屏"},
                     {kWindowHotkeyId, config.window, L"窗口"}};
    ShortcutAttempt attempts[3];
    ShortcutSet failed = 0;
    for (size_t i = 0; i < 3; ++i) {
        attempts[i] = TryRegisterShortcut(shortcuts[i].id, shortcuts[i].binding);
        if (attempts[i].active && !attempts[i].registered) {
            failed |= ShortcutBit(shortcuts[i].id);
        }
    }
    const ShortcutReport report = ReportShortcutFailures(pass, heldWhenSuspended, failed, announcedFailures);
    for (size_t i = 0; i < 3; ++i) {
        LogShortcutAttempt(attempts[i], shortcuts[i].binding, shortcuts[i].name,
                           (report.logged & ShortcutBit(shortcuts[i].id)) != 0);
    }
    if (report.balloon) {
        ShowTrayBalloon(GetText(48));
    }
    announcedFailures = pass == RegistrationPass::Apply ? 0 : announcedFailures | report.logged;
}

void RegisterAgain(RegistrationPass pass) {
    if (hostWindow == nullptr || !IsWindow(hostWindow)) {
        LogError(L"重新注册快捷键失败：主窗口不存在");
        return;
    }
    UnregisterAllHotkeys();
    RegisterConfiguredShortcuts(pass);
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
    const ShortcutAttempt attempt = TryRegisterShortcut(id, binding);
    LogShortcutAttempt(attempt, binding, name, true);
    return !attempt.active || attempt.registered;
}

void ReregisterHotkeys() {
    RegisterAgain(RegistrationPass::Apply);
}

void SuspendGlobalShortcuts() {
    if (globalShortcutsSuspended) {
        return;
    }
    globalShortcutsSuspended = true;
    heldWhenSuspended = heldShortcuts;
    LogInfo(L"正在录制快捷键，暂停全局快捷键");
    UnregisterAllHotkeys();
}

void ResumeGlobalShortcuts() {
    if (!globalShortcutsSuspended) {
        return;
    }
    globalShortcutsSuspended = false;
    LogInfo(L"录制结束，恢复全局快捷键");
    RegisterAgain(RegistrationPass::AfterRecording);
}

void ForgetAnnouncedShortcutFailures() {
    announcedFailures = 0;
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
