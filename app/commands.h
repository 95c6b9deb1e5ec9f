#pragma once
#include <cstdint>

#include "config/config.h"

// Numbers that the tray menu and the floating toolbar pass to OnHostCommand.
enum class HostCommand : int32_t {
    Region = 1,
    Screen = 2,
    Window = 3,
    Settings = 4,
    Quit = 5,
    ToggleToolbar = 6,
    VisitSite = 7,
};
using HostCommandHandler = void (*)(int32_t command);

// Global shortcut identifiers (the id of RegisterHotKey).
constexpr int kRegionHotkeyId = 1;
constexpr int kScreenHotkeyId = 2;
constexpr int kWindowHotkeyId = 3;

// True when the binding is registered or inactive (disabled or without a key).
bool RegisterShortcut(int id, const HotkeyBinding& binding, const wchar_t* name);
// Unregisters 1..3 and registers the three configured bindings; one balloon 48 if any failed, unless the
// end of a recording has announced each of them since the window opened (one OK announces a failure once).
void ReregisterHotkeys();
void OnHostCommand(int32_t command);
// Lets the shortcuts go and takes down the previews, the tray icon, the toolbar, the settings window and the
// host window, in that order. Quit does it; the entry point does it again once the main loop has ended, for
// a quit request that came another way (a WM_QUIT posted from outside), and after a Quit finds nothing left.
void TearDownInterface();
// While a shortcut box records, Korvel lets its own three shortcuts go, so that every combination reaches the
// box. Resuming registers the configured ones again, but reports (ERROR line, balloon 48) only a shortcut
// that Korvel held when the recording began and cannot take back; once Quit has let them go there is
// nothing to resume.
void SuspendGlobalShortcuts();
void ResumeGlobalShortcuts();
// A new opening of the settings window: its OK announces every failure again, also one that the end of a
// recording announced before.
void ForgetAnnouncedShortcutFailures();
// After a language change: toolbar, tray tooltip, previews, in that order.
void RefreshLanguage();
