#include "config/hotkey_text.h"

namespace {

constexpr uint32_t kExtendedKeyBit = 0x01000000;

struct ModifierPrefix {
    uint32_t flag;
    const wchar_t* text;
};

// Always in this order, whatever the order of the bits.
constexpr ModifierPrefix kModifierPrefixes[] = {
    {kModControl, L"Ctrl + "},
    {kModAlt, L"Alt + "},
    {kModShift, L"Shift + "},
    {kModWin, L"Win + "},
};

} // namespace

std::wstring ComposeHotkeyText(uint32_t mod, const std::wstring& keyName) {
    std::wstring text;
    for (const ModifierPrefix& prefix : kModifierPrefixes) {
        if (mod & prefix.flag) {
            text += prefix.text;
        }
    }
    return text + keyName;
}

bool KeyNeedsExtendedBit(uint32_t vk) {
    // Page Up .. Down arrow, Insert, Delete, keypad divide, right Ctrl, right Alt: without the bit their scan
    // codes name the keypad or left-hand keys that share them.
    return (vk >= 0x21 && vk <= 0x28) || vk == 0x2D || vk == 0x2E || vk == 0x6F || vk == 0xA3 || vk == 0xA5;
}

int32_t KeyNameParam(uint32_t scanCode, uint32_t vk) {
    uint32_t param = (scanCode & 0xFF) << 16;
    if (KeyNeedsExtendedBit(vk)) {
        param |= kExtendedKeyBit;
    }
    return static_cast<int32_t>(param);
}
