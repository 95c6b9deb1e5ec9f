#pragma once
// Observes and drives the Wine virtual desktop: tray balloons, popup menus, keys.
#include <windows.h>

#include <string>
#include <vector>

struct BalloonText {
    std::wstring title;
    std::wstring text;
};

// The balloons on screen now, read from the notification area's tooltip windows in explorer's process.
std::vector<BalloonText> VisibleBalloons();
// Waits for a balloon whose text equals `text`; true when it came in time.
bool WaitForBalloon(const std::wstring& text, DWORD timeoutMs, BalloonText* seen = nullptr);

// The visible popup menu window ("#32768"), once one is open; null when none opened in time.
HWND WaitForPopupMenu(DWORD timeoutMs);
// True when no popup menu is open after `timeoutMs`.
bool NoPopupMenuFor(DWORD timeoutMs);
// The item texts of an open popup menu, or empty when they cannot be read from this process.
std::vector<std::wstring> PopupMenuItems(HWND menuWindow);

// Presses and releases one key with SendInput, `times` times.
void PressKey(WORD vk, int times = 1);
// Posts the tray icon's callback with a mouse message, as the notification area does.
void PostTrayEvent(HWND host, UINT mouseMessage);
