#include <gtest/gtest.h>

#include <string>

#include "config/hotkey_text.h"

TEST(HotkeyCompose, ModifiersComeInFixedOrder) {
    struct Case {
        uint32_t mod;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {0x0, L"A"},
        {kModAlt, L"Alt + A"},
        {kModControl, L"Ctrl + A"},
        {kModShift, L"Shift + A"},
        {kModWin, L"Win + A"},
        {kModControl | kModAlt, L"Ctrl + Alt + A"},
        {kModAlt | kModWin, L"Alt + Win + A"},
        {kModShift | kModWin, L"Shift + Win + A"},
        {kModControl | kModShift, L"Ctrl + Shift + A"},
        {0xF, L"Ctrl + Alt + Shift + Win + A"},
        // Flags other than the four modifiers add nothing.
        {0x4000 | kModControl, L"Ctrl + A"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ComposeHotkeyText(c.mod, L"A"), c.expected) << "mod " << c.mod;
    }
}

TEST(HotkeyExtendedBit, OnlyTheKeysThatShareScanCodesWithTheKeypad) {
    const uint32_t extended[] = {0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27,
                                 0x28, 0x2D, 0x2E, 0x6F, 0xA3, 0xA5};
    const uint32_t plain[] = {0x00, 0x08, 0x20, 0x29, 0x2C, 0x2F, 0x41, 0x60,
                              0x6E, 0x70, 0xA2, 0xA4, 0xA6, 0xFF, 0x121};
    for (uint32_t vk : extended) {
        EXPECT_TRUE(KeyNeedsExtendedBit(vk)) << "vk " << vk;
    }
    for (uint32_t vk : plain) {
        EXPECT_FALSE(KeyNeedsExtendedBit(vk)) << "vk " << vk;
    }
}

TEST(HotkeyKeyNameParam, ScanCodeInBitsSixteenToTwentyThree) {
    struct Case {
        uint32_t scanCode;
        uint32_t vk;
        int32_t expected;
    };
    const Case cases[] = {
        {0x1E, 0x41, 0x001E0000},   {0x3B, 0x70, 0x003B0000}, {0x53, 0x2E, 0x01530000},
        {0x1D, 0xA3, 0x011D0000},   {0x35, 0x6F, 0x01350000}, {0x00, 0xFF, 0x00000000},
        {0xE053, 0x2E, 0x01530000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeyNameParam(c.scanCode, c.vk), c.expected) << "vk " << c.vk;
    }
}
