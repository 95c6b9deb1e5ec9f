// The text of a shortcut with its key named by the system's keyboard layout.
#include <gtest/gtest.h>

#include <string>

#include "config/hotkey_text.h"
#include "text/texts.h"

namespace {

// Sets the interface language for one test and puts the previous one back.
class LanguageScope {
  public:
    explicit LanguageScope(UiLanguage language) : previous_(GetUiLanguage()) {
        SetUiLanguage(static_cast<uint32_t>(language));
    }
    ~LanguageScope() { SetUiLanguage(static_cast<uint32_t>(previous_)); }
    LanguageScope(const LanguageScope&) = delete;
    LanguageScope& operator=(const LanguageScope&) = delete;

  private:
    UiLanguage previous_;
};

} // namespace

// Key names come from the keyboard layout; letters, function keys and Delete are named alike under Windows
// and Wine.
TEST(HotkeyDescribe, NamesBindingsOnThisLayout) {
    struct Case {
        HotkeyBinding binding;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {{kModControl | kModAlt, 0x41, true}, L"Ctrl + Alt + A"},
        {{0xF, 0x70, true}, L"Ctrl + Alt + Shift + Win + F1"},
        {{0x0, 0x5A, true}, L"Z"},
        {{0x0, 0x71, true}, L"F2"},
        {{kModShift, 0x2E, true}, L"Shift + Delete"},
        {{kModWin, 0xFF, true}, L"Win + VK255"},
        {{0x0, 0xFF, true}, L"VK255"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DescribeHotkey(c.binding), c.expected) << "vk " << c.binding.vk;
    }
}

TEST(HotkeyDescribe, UnsetBindingGivesNoneInTheCurrentLanguage) {
    const HotkeyBinding disabled = {kModControl | kModAlt, 0x41, false};
    const HotkeyBinding noKey = {kModControl, 0, true};
    {
        LanguageScope english(UiLanguage::English);
        EXPECT_EQ(DescribeHotkey(disabled), L"None");
        EXPECT_EQ(DescribeHotkey(noKey), L"None");
    }
    {
        LanguageScope chinese(UiLanguage::SimplifiedChinese);
        EXPECT_EQ(DescribeHotkey(disabled), L"未设置");
        EXPECT_EQ(DescribeHotkey(noKey), L"未设置");
    }
}
