#pragma once
// The children of the settings window: their creation, their places for the window's DPI and page, which
// of them the page shows, and their texts in the current language.
#include <windows.h>

#include "settings/settings_state.h"

// Creates every child in Tab order, with its style, subclass and range.
void CreateSettingsControls(HWND window, SettingsState& state);
// New fonts for the DPI and language, every child in its place, and the window as tall as the page needs.
void LayoutSettingsWindow(HWND window, SettingsState& state);
void ShowPageControls(HWND window);
// The quality slider, its label and its number are enabled only for JPEG.
void UpdateQualityEnabled(HWND window);
void UpdateQualityLabel(HWND window);
void ApplySettingsTexts(HWND window);
