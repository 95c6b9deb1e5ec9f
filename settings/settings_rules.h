#pragma once
// The settings window's rules, free of Win32 calls: which shortcuts collide, what a key does to a recording
// shortcut box and which modifiers it records, and which characters the save folder field refuses.
#include <cstdint>
#include <string>

#include "config/config.h"

// Two shortcuts collide when both are enabled, have a key, and have the same key and modifiers. A cleared
// (disabled) shortcut never collides.
bool ShortcutsCollide(const HotkeyBinding& first, const HotkeyBinding& second);
// The first colliding pair, checked in the order (region, full), (region, window), (full, window): 0, 1 or
// 2; -1 when the three are distinct.
int32_t FindShortcutCollision(const HotkeyBinding& region, const HotkeyBinding& full,
                              const HotkeyBinding& window);

// What a key pressed in a recording shortcut box does.
enum class RecorderKeyAction {
    Cancel, // Esc: stop recording, keep the shortcut
    Clear,  // Backspace: no shortcut
    Ignore, // a modifier on its own: keep recording
    Record, // any other key, with the modifiers held
};
RecorderKeyAction ClassifyRecorderKey(uint32_t vk);
// The kMod* flags for the modifier keys held down. Either Win key counts as Win.
uint32_t RecorderModifiers(bool control, bool alt, bool shift, bool leftWin, bool rightWin);

// The save folder field holds one line of path characters: line breaks, tabs and the other control
// characters are refused. The editing keys that reach the field as control characters (Backspace, and
// Ctrl+A, C, V, X, Z) are let through.
bool PathFieldRefusesChar(wchar_t c);
// The text without its control characters (line breaks included), as it may enter the field or be saved.
std::wstring RemoveControlCharacters(const std::wstring& text);
// The longest save folder the field takes from the keyboard or the clipboard.
constexpr int32_t kPathFieldLimit = 1039;
