#pragma once
// Observes and drives the Wine virtual desktop: tray balloons, popup menus, keys.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The texts of the balloons on screen now, read from the notification area's tooltip windows in explorer's
// process. (Wine's tooltips do not give their title back, so only the text is read.)
std::vector<std::wstring> VisibleBalloons();
// True when some tooltip on the desktop (the notification area's icon tips among them) has this text.
bool TrayTooltipPresent(const std::wstring& text);
// How many tooltips have this text. Wine's notification area keeps the tip window of an icon that was
// removed, so a count that grows shows an icon added with this tip, and nothing else.
int TrayTooltipCount(const std::wstring& text);
// Whether the notification area holds icon 1 of this window: a modification that changes nothing succeeds
// only for an icon it knows.
bool TrayIconRegistered(HWND owner);
// Waits for a balloon whose text equals `text`; true when it came in time.
bool WaitForBalloon(const std::wstring& text, DWORD timeoutMs);

// The visible popup menu window ("#32768"), once one is open; null when none opened in time.
HWND WaitForPopupMenu(DWORD timeoutMs);
// True when no popup menu is open after `timeoutMs`.
bool NoPopupMenuFor(DWORD timeoutMs);

// Presses and releases one key with SendInput, `times` times.
void PressKey(WORD vk, int times = 1);
// Presses a global shortcut like a person: modifiers down (MOD_CONTROL, MOD_ALT, MOD_SHIFT, MOD_WIN flags),
// the key, then everything up in reverse order.
void PressShortcut(UINT modifiers, WORD vk);
// Moves the pointer to a screen position and lets the window under it see the move.
void MovePointer(int x, int y);
// Presses or releases the left or right button where the pointer is.
void PressButton(bool left, bool down);
// A drag with the left button from one point to another, through a few steps.
void DragLeft(int fromX, int fromY, int toX, int toY);
// A click with the left or right button at a screen point.
void ClickAt(int x, int y, bool left = true);
// Types text as Unicode characters (KEYEVENTF_UNICODE), whatever the keyboard layout.
void TypeText(const std::wstring& text);
// Two quick left clicks at a point.
void DoubleClickLeft(int x, int y);
// The visible top-level windows of a class, now.
std::vector<HWND> VisibleWindows(const wchar_t* className);
// Asks `condition` every 30 ms until it holds; true when it held in time.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);
// Waits for a visible top-level window of the class; null when none came in time.
HWND WaitForVisibleWindow(const wchar_t* className, DWORD timeoutMs);
// Waits until every visible window of the class has painted all of itself and its thread is back in its
// message loop, so that input sent next is handled where it is meant.
bool WaitUntilPainted(const wchar_t* className, DWORD timeoutMs);
// True when no visible window of the class is left after `timeoutMs`.
bool WaitForNoVisibleWindow(const wchar_t* className, DWORD timeoutMs);
// Posts the tray icon's callback with a mouse message, as the notification area does.
void PostTrayEvent(HWND host, UINT mouseMessage);
