#pragma once
#include <windows.h>

// Creates the settings window on first use (afterwards it is refreshed: General page, values re-read from
// the configuration; a minimised one is only restored), then shows it and brings it to the foreground.
void ShowSettingsWindow();
// At quit.
void DestroySettingsWindow();
// Null when there is none.
HWND GetSettingsWindow();

LRESULT CALLBACK SettingsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Forgets that the window classes were registered, as in a process where an earlier attempt stopped half way.
void ResetSettingsClassesForTesting();
