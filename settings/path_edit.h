#pragma once
// The save folder field: one line of path characters, whatever the source (keys, Ctrl+V, Shift+Insert, the
// context menu's Paste).
#include <windows.h>

#include <string>

LRESULT CALLBACK PathEditSubclassProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR data);

// The whole text of the settings window's path field, never cut short.
std::wstring ReadPathField(HWND settingsWindow);
