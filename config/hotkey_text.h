#pragma once
#include <cstdint>
#include <string>

#include "config/config.h"

// The one text form of a shortcut, such as "Ctrl + Alt + A"; text 14 (None) when unset.
std::wstring DescribeHotkey(const HotkeyBinding& binding);

// Pure parts of it.
// Modifier prefixes in the fixed order Ctrl, Alt, Shift, Win, followed by the key name.
std::wstring ComposeHotkeyText(uint32_t mod, const std::wstring& keyName);
// Keys whose name must be looked up with the extended-key bit (navigation block, divide, right Ctrl/Alt).
bool KeyNeedsExtendedBit(uint32_t vk);
// The lParam that GetKeyNameTextW takes for a scan code and key.
int32_t KeyNameParam(uint32_t scanCode, uint32_t vk);
