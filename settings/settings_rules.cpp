#include "settings/settings_rules.h"

namespace {

// Virtual-key codes, as the recorder receives them.
constexpr uint32_t kVkBack = 0x08;
constexpr uint32_t kVkShift = 0x10;
constexpr uint32_t kVkControl = 0x11;
constexpr uint32_t kVkMenu = 0x12;
constexpr uint32_t kVkEscape = 0x1B;
constexpr uint32_t kVkLeftWin = 0x5B;
constexpr uint32_t kVkRightWin = 0x5C;

bool IsControlCharacter(wchar_t c) {
    return c < 0x20 || c == 0x7F;
}

} // namespace

bool ShortcutsCollide(const HotkeyBinding& first, const HotkeyBinding& second) {
    return first.enabled && second.enabled && first.vk != 0 && first.vk == second.vk &&
           first.mod == second.mod;
}

int32_t FindShortcutCollision(const HotkeyBinding& region, const HotkeyBinding& full,
                              const HotkeyBinding& window) {
    if (ShortcutsCollide(region, full)) {
        return 0;
    }
    if (ShortcutsCollide(region, window)) {
        return 1;
    }
    if (ShortcutsCollide(full, window)) {
        return 2;
    }
    return -1;
}

RecorderKeyAction ClassifyRecorderKey(uint32_t vk) {
    switch (vk) {
    case kVkEscape:
        return RecorderKeyAction::Cancel;
    case kVkBack:
        return RecorderKeyAction::Clear;
    case kVkShift:
    case kVkControl:
    case kVkMenu:
    case kVkLeftWin:
    case kVkRightWin:
        return RecorderKeyAction::Ignore;
    default:
        return RecorderKeyAction::Record;
    }
}

uint32_t RecorderModifiers(bool control, bool alt, bool shift, bool leftWin, bool rightWin) {
    return (control ? kModControl : 0) | (alt ? kModAlt : 0) | (shift ? kModShift : 0) |
           (leftWin || rightWin ? kModWin : 0);
}

bool PathFieldRefusesChar(wchar_t c) {
    switch (c) {
    case 0x01: // Ctrl+A: select all
    case 0x03: // Ctrl+C: copy
    case 0x08: // Backspace
    case 0x16: // Ctrl+V: paste, which the field cleans on its own
    case 0x18: // Ctrl+X: cut
    case 0x1A: // Ctrl+Z: undo
        return false;
    default:
        return IsControlCharacter(c);
    }
}

std::wstring RemoveControlCharacters(const std::wstring& text) {
    std::wstring kept;
    kept.reserve(text.size());
    for (wchar_t c : text) {
        if (!IsControlCharacter(c)) {
            kept += c;
        }
    }
    return kept;
}
