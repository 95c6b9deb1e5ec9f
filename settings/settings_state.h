#pragma once
// The state of the one settings window, allocated just before the window is created and freed when it is
// destroyed; the window keeps it in its user data and the program reaches it through GetSettingsState.
#include <windows.h>

#include <array>
#include <cstdint>

#include "config/config.h"
#include "settings/settings_ids.h"

// One shortcut box and the shortcut it edits; the box keeps the slot's address in its user data.
struct RecorderSlot {
    HWND control = nullptr;
    HotkeyBinding binding;  // working copy, saved only by OK
    bool recording = false; // the box waits for a key
};

struct SettingsState {
    std::array<RecorderSlot, kRecorderCount> recorders; // region, full (screen), window
    HFONT bodyFont = nullptr;                           // 10-point interface font; owned
    HFONT titleFont = nullptr;                          // 18-point interface font; owned
    int32_t dpi = 96;
    SettingsPage page = SettingsPage::General;
    int hoveredButtonId = 0;          // owner-drawn button under the pointer, 0 for none
    int32_t hoveredNavItem = -1;      // tab under the pointer, -1 for none
    int32_t hoveredCaptionButton = 0; // 0 none, 1 minimise, 2 close
    int formatChoice = kPngRadioId;
    int languageChoice = kFirstLanguageRadioId;
    HBRUSH backgroundBrush = nullptr; // #1C2028; owned
    HBRUSH panelBrush = nullptr;      // #262C36; owned
    HBRUSH editBrush = nullptr;       // #262C36, behind the path field; owned
    HICON bigIcon = nullptr;          // the taskbar icons sent with WM_SETICON; owned
    HICON smallIcon = nullptr;
};

// Null while there is no settings window.
SettingsState* GetSettingsState();
// The state a settings window keeps in its user data; null before WM_NCCREATE and after WM_NCDESTROY.
SettingsState* SettingsStateOf(HWND window);
