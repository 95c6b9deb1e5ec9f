#pragma once
#include <windows.h>

#include "capture/rect.h"

// Creates the settings window on first use (afterwards it is refreshed: General page, values re-read from
// the configuration), then shows it and brings it to the foreground.
void ShowSettingsWindow();
// At quit.
void DestroySettingsWindow();
// Null when there is none.
HWND GetSettingsWindow();

LRESULT CALLBACK SettingsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The caption box (0 none, 1 minimise, 2 close) and the navigation tab (0..2, or -1) at a client point;
// nothing while there is no state.
int HitTestCaptionButton(HWND window, const Point& point);
int HitTestNavItem(HWND window, const Point& point);

// Forgets that the window classes were registered, as in a process where an earlier attempt stopped half way.
void ResetSettingsClassesForTesting();
