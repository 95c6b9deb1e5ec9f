#include "settings/settings_window.h"

#include "log/log.h"

// TODO(settings): stand-ins until the settings window lands; there is no window yet.
void ShowSettingsWindow() {
    LogInfo(L"TODO 设置窗口尚未实现：ShowSettingsWindow");
}

void DestroySettingsWindow() {
    LogInfo(L"TODO 设置窗口尚未实现：DestroySettingsWindow");
}

HWND GetSettingsWindow() {
    return nullptr;
}
