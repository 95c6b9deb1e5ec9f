#pragma once
#include <windows.h>

#include <cstdint>

// The private message a second launch posts to the running instance: open the settings.
constexpr UINT OpenSettingsMessage = WM_APP + 2;
constexpr wchar_t kHostWindowClass[] = L"KorvelHost";
constexpr wchar_t kHostWindowTitle[] = L"Korvel";
constexpr wchar_t kSingleInstanceMutexName[] = L"Local\\Korvel_SingleInstance";

// The hidden host window: owner of the shortcuts and the tray icon; null until created.
extern HWND hostWindow;

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
