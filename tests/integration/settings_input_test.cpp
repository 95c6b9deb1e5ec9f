// The settings window's keyboard: the shortcut boxes' key rules, the path field's one line, and Tab.
#include <windows.h>
#include <imm.h>

#include <functional>
#include <string>
#include <vector>

#include "config/hotkey_text.h"
#include "settings/settings_rules.h"
#include "settings_fixture.h"

namespace {

// Holds modifier keys down in this thread's key state, which the boxes read with GetKeyState.
class HeldKeys {
  public:
    explicit HeldKeys(const std::vector<int>& keys) {
        GetKeyboardState(saved_);
        BYTE state[256] = {};
        for (int key : keys) {
            state[key] = 0x80;
        }
        SetKeyboardState(state);
    }
    ~HeldKeys() { SetKeyboardState(saved_); }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

  private:
    BYTE saved_[256] = {};
};

} // namespace

class RecorderTest : public SettingsWindowTest {
  protected:
    HWND Box() const { return Child(kScreenRecorderId); }
    void Key(UINT message, WPARAM vk) { SendMessageW(Box(), message, vk, 0); }
};

TEST_F(RecorderTest, AClickStartsRecordingAndAKeyWithItsModifiersIsRecorded) {
    EXPECT_EQ(TextOf(Box()), L"Ctrl + Alt + F");
    Click(Box(), 10, 10);
    EXPECT_TRUE(Slot(1).recording);
    EXPECT_EQ(GetFocus(), Box());
    EXPECT_EQ(TextOf(Box()), L"请按下快捷键，Backspace 清除");

    {
        HeldKeys held({VK_CONTROL});
        Key(WM_KEYDOWN, VK_CONTROL); // a modifier on its own
    }
    EXPECT_TRUE(Slot(1).recording);
    {
        HeldKeys held({VK_CONTROL, VK_SHIFT});
        Key(WM_KEYDOWN, VK_SHIFT);
        Key(WM_KEYDOWN, 'A');
    }
    EXPECT_FALSE(Slot(1).recording);
    EXPECT_EQ(Slot(1).binding.mod, 6u);
    EXPECT_EQ(Slot(1).binding.vk, 0x41u);
    EXPECT_TRUE(Slot(1).binding.enabled);
    EXPECT_EQ(TextOf(Box()), L"Ctrl + Shift + A");
    EXPECT_TRUE(log_.Contains(L"[INFO] 录制快捷键 Ctrl + Shift + A"));
    EXPECT_EQ(GetConfig().full.vk, 0x46u) << "only OK changes the configuration";
}

TEST_F(RecorderTest, AltAndWinCombinationsAreRecordedWithTheirFlags) {
    struct Case {
        std::vector<int> held;
        UINT message;
        WPARAM vk;
        uint32_t mod;
    };
    const Case cases[] = {
        {{VK_MENU}, WM_SYSKEYDOWN, 'S', kModAlt},
        {{VK_LWIN}, WM_KEYDOWN, 'S', kModWin},
        {{VK_RWIN}, WM_KEYDOWN, 'S', kModWin},
        {{VK_CONTROL, VK_MENU, VK_SHIFT, VK_RWIN}, WM_SYSKEYDOWN, VK_F8, 15},
        {{}, WM_KEYDOWN, VK_F8, 0}, // a bare key is a shortcut too
        {{}, WM_SYSKEYDOWN, VK_F10, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mod);
        Click(Box(), 10, 10);
        HeldKeys held(c.held);
        Key(c.message, c.vk);
        EXPECT_EQ(Slot(1).binding.mod, c.mod);
        EXPECT_EQ(Slot(1).binding.vk, static_cast<uint32_t>(c.vk));
        EXPECT_FALSE(Slot(1).recording);
    }
}

TEST_F(RecorderTest, BackspaceClearsEscKeepsAndAnIdleBoxIgnoresKeys) {
    Click(Box(), 10, 10);
    Key(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_FALSE(Slot(1).recording);
    EXPECT_EQ(TextOf(Box()), L"Ctrl + Alt + F");

    Key(WM_KEYDOWN, VK_BACK); // not recording: nothing
    Key(WM_KEYDOWN, 'Q');
    EXPECT_TRUE(Slot(1).binding.enabled);
    EXPECT_EQ(Slot(1).binding.vk, 0x46u);

    Click(Box(), 10, 10);
    Key(WM_KEYDOWN, VK_BACK);
    EXPECT_FALSE(Slot(1).recording);
    EXPECT_FALSE(Slot(1).binding.enabled);
    EXPECT_EQ(Slot(1).binding.mod, 0u);
    EXPECT_EQ(Slot(1).binding.vk, 0u);
    EXPECT_EQ(TextOf(Box()), L"未设置");
    EXPECT_EQ(log_.Count(L"[INFO] 已清除快捷键"), 1);
    EXPECT_EQ(log_.Count(L"[INFO] 录制快捷键 "), 0);
}

TEST_F(RecorderTest, RecordingEndsWhenTheBoxLosesTheFocus) {
    Click(Box(), 10, 10);
    Click(Child(kRegionRecorderId), 10, 10);
    EXPECT_FALSE(Slot(1).recording) << "only the box with the focus records";
    EXPECT_TRUE(Slot(0).recording);
    SetFocus(Child(kPathEditId));
    EXPECT_FALSE(Slot(0).recording);
    EXPECT_EQ(TextOf(Child(kRegionRecorderId)), L"Ctrl + Alt + A");
}

// A recording box takes every key; an idle one lets the keyboard move on with Tab.
TEST_F(RecorderTest, OnlyARecordingBoxAsksForEveryKey) {
    EXPECT_EQ(SendMessageW(Box(), WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, 0);
    Click(Box(), 10, 10);
    EXPECT_EQ(SendMessageW(Box(), WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS | DLGC_WANTCHARS);
}

// With an input method active, a box without an input context still gets the key pressed.
TEST_F(RecorderTest, TheBoxesHaveNoInputContext) {
    for (int id = kRegionRecorderId; id < kRegionRecorderId + kRecorderCount; ++id) {
        HIMC context = ImmGetContext(Child(id));
        EXPECT_EQ(context, nullptr) << id;
        if (context != nullptr) {
            ImmReleaseContext(Child(id), context);
        }
    }
    HIMC pathContext = ImmGetContext(Child(kPathEditId));
    EXPECT_NE(pathContext, nullptr) << "the path field keeps its input method";
    ImmReleaseContext(Child(kPathEditId), pathContext);
}

class PathFieldTest : public SettingsWindowTest {
  protected:
    HWND Field() const { return Child(kPathEditId); }
};

TEST_F(PathFieldTest, EnterAndLineBreakCharactersInsertNothing) {
    SetFocus(Field());
    SendMessageW(Field(), EM_SETSEL, 2, 2);
    for (WPARAM c : {WPARAM(13), WPARAM(10), WPARAM(9), WPARAM(0x0B), WPARAM(0x7F)}) {
        SendMessageW(Field(), WM_CHAR, c, 0);
    }
    SendMessageW(Field(), WM_KEYDOWN, VK_RETURN, 0);
    SendMessageW(Field(), WM_CHAR, L'x', 0);
    EXPECT_EQ(TextOf(Field()), L"D:x\\shots");
    EXPECT_EQ(SendMessageW(Field(), EM_GETLINECOUNT, 0, 0), 1);
}

TEST_F(PathFieldTest, PastedTextLosesItsLineBreaksAndAnOverlongPasteIsRefusedWhole) {
    struct Case {
        std::wstring clipboard;
        std::wstring field;
    };
    const Case cases[] = {
        {L"C:\\截图\\Korvel\r\n", L"C:\\截图\\Korvel"},
        {L"\r\nE:\\a\nb\t", L"E:\\ab"},
        {L"\r\n", L"D:\\shots"}, // nothing left to paste
    };
    // WM_PASTE (Ctrl+V sends it) and Shift+Insert, which the edit control may handle without it.
    const std::function<void()> pastes[] = {
        [&] { SendMessageW(Field(), WM_PASTE, 0, 0); },
        [&] {
            HeldKeys held({VK_SHIFT});
            SendMessageW(Field(), WM_KEYDOWN, VK_INSERT, 0);
        },
    };
    for (const auto& paste : pastes) {
        for (const Case& c : cases) {
            SCOPED_TRACE(ToUtf8(c.field));
            SetWindowTextW(Field(), L"D:\\shots");
            ASSERT_TRUE(PutTextOnClipboard(window_, c.clipboard));
            SendMessageW(Field(), EM_SETSEL, 0, -1);
            paste();
            EXPECT_EQ(TextOf(Field()), c.field);
        }
    }

    EXPECT_EQ(SendMessageW(Field(), EM_GETLIMITTEXT, 0, 0), kPathFieldLimit);
    const std::wstring fits = L"C:\\" + std::wstring(kPathFieldLimit - 3, L'a');
    const std::wstring tooLong = fits + L"b";
    SetWindowTextW(Field(), L"");
    ASSERT_TRUE(PutTextOnClipboard(window_, tooLong + L"\r\n"));
    SendMessageW(Field(), WM_PASTE, 0, 0);
    EXPECT_EQ(TextOf(Field()), L"") << "refused, not cut short";
    EXPECT_TRUE(log_.Contains(L"[INFO] 粘贴的路径过长，未粘贴 length=1040 limit=1039"));
    ASSERT_TRUE(PutTextOnClipboard(window_, fits));
    SendMessageW(Field(), WM_PASTE, 0, 0);
    EXPECT_EQ(TextOf(Field()), fits);
}

// The field asks the window to move the focus on, and the window does it.
TEST_F(PathFieldTest, TabAndShiftTabLeaveTheField) {
    Press(kJpegRadioId);
    SetFocus(Field());
    SendMessageW(Field(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), Child(kBrowseButtonId));
    SetFocus(Field());
    {
        HeldKeys held({VK_SHIFT});
        SendMessageW(Field(), WM_KEYDOWN, VK_TAB, 0);
    }
    EXPECT_EQ(GetFocus(), Child(kQualitySliderId));
    SendMessageW(Field(), WM_CHAR, 9, 0);
    EXPECT_EQ(TextOf(Field()), L"D:\\shots");
}
