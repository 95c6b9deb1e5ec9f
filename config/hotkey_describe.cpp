#include "config/hotkey_text.h"

#include <windows.h>

// The key's name comes from the keyboard layout; the rest of the text is ComposeHotkeyText.
namespace {

constexpr TextId kTextNone = 14;
constexpr int kKeyNameChars = 64;

} // namespace

std::wstring DescribeHotkey(const HotkeyBinding& binding) {
    if (!binding.enabled || binding.vk == 0) {
        return GetText(kTextNone);
    }
    const UINT scanCode = MapVirtualKeyW(binding.vk, MAPVK_VK_TO_VSC);
    wchar_t name[kKeyNameChars] = {};
    const int length = GetKeyNameTextW(KeyNameParam(scanCode, binding.vk), name, kKeyNameChars);
    const std::wstring keyName = length > 0 ? std::wstring(name) : L"VK" + std::to_wstring(binding.vk);
    return ComposeHotkeyText(binding.mod, keyName);
}
