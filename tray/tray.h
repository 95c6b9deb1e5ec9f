#pragma once
#include <windows.h>

#include "app/commands.h"

// The private message by which the notification area reports mouse events on the icon.
constexpr UINT TrayCallbackMessage = WM_APP + 1;

bool InitTray(HWND hostWindow);
void SetTrayCommandHandler(HostCommandHandler handler);
// True when the message was the tray's (the taskbar re-creation broadcast or the icon's callback).
bool HandleTrayMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void ShowTrayBalloon(const wchar_t* text);
void UpdateTrayTooltip();
void RemoveTray();
