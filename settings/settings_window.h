#pragma once
#include <windows.h>

// Creates the settings window on first use, then shows it and brings it to the foreground.
void ShowSettingsWindow();
void DestroySettingsWindow();
// Null when there is none.
HWND GetSettingsWindow();
