#pragma once
// Moving values between the configuration and the settings window: loading the controls, the format and
// language choices, OK (validate, save, re-register the shortcuts), Cancel (restore the language) and
// minimising, which keeps everything.
#include <windows.h>

#include "settings/settings_state.h"
#include "text/texts.h"

void LoadSettingsControls(HWND window, SettingsState& state);
void ChooseFormat(HWND window, SettingsState& state, int id);
// Switches the whole interface to the language at once; only OK makes it the configured one.
void ChooseLanguage(HWND window, SettingsState& state, int id);
void ApplySettings(HWND window);
void CancelSettings(HWND window);
// Down to the taskbar with every edit, the page and the language in force; ShowSettingsWindow brings it back
// as it was.
void MinimiseSettings(HWND window);
// A message box of the settings window, titled "KOR-VEL".
void ShowSettingsMessage(HWND window, TextId text, UINT icon);
