#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "settings/settings_rules.h"

namespace {

HotkeyBinding Binding(uint32_t mod, uint32_t vk, bool enabled = true) {
    HotkeyBinding binding;
    binding.mod = mod;
    binding.vk = vk;
    binding.enabled = enabled;
    return binding;
}

constexpr uint32_t kCtrlAlt = kModControl | kModAlt;

} // namespace

TEST(SettingsRules, ShortcutsCollideOnlyWhenBothAreSetAndEqual) {
    struct Case {
        const char* name;
        HotkeyBinding first;
        HotkeyBinding second;
        bool collide;
    };
    const Case cases[] = {
        {"same keys", Binding(kCtrlAlt, 'A'), Binding(kCtrlAlt, 'A'), true},
        {"same bare key", Binding(0, 0x77), Binding(0, 0x77), true},
        {"other modifiers", Binding(kModControl, 'A'), Binding(kModAlt, 'A'), false},
        {"other key", Binding(kCtrlAlt, 'A'), Binding(kCtrlAlt, 'B'), false},
        {"first cleared", Binding(kCtrlAlt, 'A', false), Binding(kCtrlAlt, 'A'), false},
        {"second cleared", Binding(kCtrlAlt, 'A'), Binding(kCtrlAlt, 'A', false), false},
        {"both cleared", Binding(0, 0, false), Binding(0, 0, false), false},
        {"enabled without a key", Binding(kCtrlAlt, 0), Binding(kCtrlAlt, 0), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ShortcutsCollide(c.first, c.second), c.collide);
    }
}

TEST(SettingsRules, TheFirstCollidingPairIsReportedInOrder) {
    const HotkeyBinding a = Binding(kCtrlAlt, 'A');
    const HotkeyBinding f = Binding(kCtrlAlt, 'F');
    const HotkeyBinding w = Binding(kCtrlAlt, 'W');
    const HotkeyBinding none = Binding(0, 0, false);
    struct Case {
        HotkeyBinding region;
        HotkeyBinding full;
        HotkeyBinding window;
        int32_t expected;
    };
    const Case cases[] = {
        {a, f, w, -1},          {a, a, w, 0},    {a, f, a, 1},
        {a, w, w, 2},           {a, a, a, 0}, // all three equal: the first pair
        {none, none, none, -1}, {a, none, a, 1}, {none, w, w, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindShortcutCollision(c.region, c.full, c.window), c.expected);
    }
}

TEST(SettingsRules, RecorderKeyActions) {
    struct Case {
        uint32_t vk;
        RecorderKeyAction action;
    };
    const Case cases[] = {
        {0x1B, RecorderKeyAction::Cancel}, // Esc
        {0x08, RecorderKeyAction::Clear},  // Backspace
        {0x10, RecorderKeyAction::Ignore}, {0x11, RecorderKeyAction::Ignore},
        {0x12, RecorderKeyAction::Ignore}, {0x5B, RecorderKeyAction::Ignore},
        {0x5C, RecorderKeyAction::Ignore}, {'A', RecorderKeyAction::Record},
        {0x70, RecorderKeyAction::Record},                                    // F1
        {0x09, RecorderKeyAction::Record}, {0x0D, RecorderKeyAction::Record}, // Tab and Enter are keys too
        {0x20, RecorderKeyAction::Record}, {0x2E, RecorderKeyAction::Record}, // Space, Delete
        {0xA0, RecorderKeyAction::Record}, // left Shift by its own code is not the generic modifier
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vk);
        EXPECT_EQ(ClassifyRecorderKey(c.vk), c.action);
    }
}

TEST(SettingsRules, RecorderModifiersFromTheKeysHeld) {
    struct Case {
        bool control;
        bool alt;
        bool shift;
        bool leftWin;
        bool rightWin;
        uint32_t mod;
    };
    const Case cases[] = {
        {false, false, false, false, false, 0}, {true, false, false, false, false, 2},
        {false, true, false, false, false, 1},  {false, false, true, false, false, 4},
        {false, false, false, true, false, 8},  {false, false, false, false, true, 8},
        {false, false, false, true, true, 8},   {true, false, true, false, false, 6}, // Ctrl+Shift
        {true, true, false, false, false, 3},                                         // Ctrl+Alt
        {true, true, true, false, true, 15},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RecorderModifiers(c.control, c.alt, c.shift, c.leftWin, c.rightWin), c.mod)
            << c.control << c.alt << c.shift << c.leftWin << c.rightWin;
    }
}

TEST(SettingsRules, PathFieldRefusesLineBreaksTabsAndControlCharacters) {
    for (wchar_t c : {L'\r', L'\n', L'\t', wchar_t(0x00), wchar_t(0x02), wchar_t(0x0B), wchar_t(0x1B),
                      wchar_t(0x1F), wchar_t(0x7F)}) {
        EXPECT_TRUE(PathFieldRefusesChar(c)) << int(c);
    }
    // The editing keys and every path character pass.
    for (wchar_t c :
         {wchar_t(0x01), wchar_t(0x03), wchar_t(0x08), wchar_t(0x16), wchar_t(0x18), wchar_t(0x1A), L' ',
          L'C', L':', L'\\', L'~', wchar_t(0x00A0), L'图', wchar_t(0xD83D)}) {
        EXPECT_FALSE(PathFieldRefusesChar(c)) << int(c);
    }
}

TEST(SettingsRules, RemoveControlCharactersKeepsEverythingElse) {
    struct Case {
        std::wstring text;
        std::wstring kept;
    };
    const Case cases[] = {
        {L"C:\\截图\\Korvel\r\n", L"C:\\截图\\Korvel"},
        {L"C:\\a\nb", L"C:\\ab"},
        {L"\tD:\\x\x7F", L"D:\\x"},
        {L" ", L" "},
        {L"\r\n", L""},
        {L"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RemoveControlCharacters(c.text), c.kept);
    }
}
