#include "settings/settings_apply.h"

#include <commctrl.h>

#include <string>

#include "app/commands.h"
#include "capture/save_rules.h"
#include "config/config_file.h"
#include "config/config_text.h"
#include "log/log.h"
#include "settings/hotkey_recorder.h"
#include "settings/path_edit.h"
#include "settings/settings_controls.h"
#include "settings/settings_rules.h"

namespace {

HWND Child(HWND window, int id) {
    return GetDlgItem(window, id);
}

void InvalidateChild(HWND window, int id) {
    InvalidateRect(Child(window, id), nullptr, FALSE);
}

// The folder to save, or empty when there is none. Control characters cannot be part of a Windows path
// (and a line break would split config.ini's line): they are dropped, and the field shows what is saved.
std::wstring TakeSaveFolder(HWND window) {
    const std::wstring typed = ReadPathField(window);
    const std::wstring folder = RemoveControlCharacters(typed);
    if (folder != typed) {
        SetWindowTextW(Child(window, kPathEditId), folder.c_str());
    }
    return folder;
}

} // namespace

void ShowSettingsMessage(HWND window, TextId text, UINT icon) {
    MessageBoxW(window, GetText(text), L"KOR-VEL", MB_OK | icon);
}

void LoadSettingsControls(HWND window, SettingsState& state) {
    ForgetAnnouncedShortcutFailures();
    const AppConfig& config = GetConfig();
    const HotkeyBinding* bindings[kRecorderCount] = {&config.region, &config.full, &config.window};
    for (int i = 0; i < kRecorderCount; ++i) {
        RecorderSlot& slot = state.recorders[static_cast<size_t>(i)];
        slot.binding = *bindings[i];
        SetRecording(slot, false);
    }
    state.formatChoice = config.format == ImageFormat::Jpeg ? kJpegRadioId : kPngRadioId;
    // The language in force, which differs from the configured one when the window is opened again while it
    // shows a language not yet saved.
    state.languageChoice = kFirstLanguageRadioId + static_cast<int>(GetUiLanguage());
    LogInfo(L"设置单选 formatId=%d languageId=%d", state.formatChoice, state.languageChoice);
    SendMessageW(Child(window, kQualitySliderId), TBM_SETPOS, TRUE, config.jpegQuality);
    SetWindowTextW(Child(window, kPathEditId), config.saveDir.c_str());
    UpdateQualityLabel(window);
    UpdateQualityEnabled(window);
    ApplySettingsTexts(window);
}

void ChooseFormat(HWND window, SettingsState& state, int id) {
    state.formatChoice = id;
    LogInfo(L"选择图片格式 id=%d", id);
    InvalidateChild(window, kPngRadioId);
    InvalidateChild(window, kJpegRadioId);
    UpdateQualityEnabled(window);
}

void ChooseLanguage(HWND window, SettingsState& state, int id) {
    state.languageChoice = id;
    LogInfo(L"选择语言按钮 id=%d", id);
    for (int i = 0; i < kLanguageRadioCount; ++i) {
        InvalidateChild(window, kFirstLanguageRadioId + i);
    }
    const int language = id - kFirstLanguageRadioId;
    if (language == static_cast<int>(GetUiLanguage())) {
        return;
    }
    SetUiLanguage(static_cast<uint32_t>(language));
    RefreshLanguage();
    LayoutSettingsWindow(window, state);
    ApplySettingsTexts(window);
}

void ApplySettings(HWND window) {
    SettingsState* state = GetSettingsState();
    if (state == nullptr) {
        return;
    }
    const HotkeyBinding& region = state->recorders[0].binding;
    const HotkeyBinding& full = state->recorders[1].binding;
    const HotkeyBinding& windowBinding = state->recorders[2].binding;
    if (FindShortcutCollision(region, full, windowBinding) >= 0) {
        ShowSettingsMessage(window, 19, MB_ICONWARNING);
        return;
    }
    // config.ini keeps no blanks around a value, so a folder of spaces would come back empty, that is as the
    // default folder, at the next start.
    const std::wstring folder = TakeSaveFolder(window);
    if (TrimSpaces(folder).empty()) {
        ShowSettingsMessage(window, 20, MB_ICONWARNING);
        return;
    }
    // Every capture would fail to save into it. Text 49: the save folder is too long.
    if (SaveFolderTooLong(folder)) {
        ShowSettingsMessage(window, 49, MB_ICONWARNING);
        return;
    }
    AppConfig updated = GetConfig();
    updated.region = region;
    updated.full = full;
    updated.window = windowBinding;
    updated.format = state->formatChoice == kJpegRadioId ? ImageFormat::Jpeg : ImageFormat::Png;
    updated.jpegQuality =
        static_cast<int32_t>(SendMessageW(Child(window, kQualitySliderId), TBM_GETPOS, 0, 0));
    updated.saveDir = folder;
    updated.language = GetUiLanguage();
    // Until the file is written, the configuration, the file and the shortcuts in force stay as they were.
    if (!SaveConfig(updated)) {
        ShowSettingsMessage(window, 21, MB_ICONERROR);
        return;
    }
    GetConfig() = updated;
    ReregisterHotkeys();
    LogInfo(L"设置已保存 language=%d format=%d", static_cast<int>(updated.language),
            static_cast<int>(updated.format));
    ShowWindow(window, SW_HIDE);
}

void MinimiseSettings(HWND window) {
    // A box that records stops, as when the focus goes elsewhere: the shortcuts are back while the window
    // is down.
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(window, focus)) {
        SetFocus(window);
    }
    ShowWindow(window, SW_MINIMIZE);
}

void CancelSettings(HWND window) {
    const UiLanguage saved = GetConfig().language;
    if (saved != GetUiLanguage()) {
        LogInfo(L"取消设置，恢复语言 %d", static_cast<int>(saved));
        SetUiLanguage(static_cast<uint32_t>(saved));
        RefreshLanguage();
        ApplySettingsTexts(window);
    }
    ShowWindow(window, SW_HIDE);
}
