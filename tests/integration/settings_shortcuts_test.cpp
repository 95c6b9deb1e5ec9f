// Korvel's own global shortcuts while a shortcut box records: let go, so that the box gets every
// combination, and registered again however the recording ends.
#include <windows.h>

#include <functional>
#include <string>

#include "app/commands.h"
#include "app/host.h"
#include "settings/settings_layout.h"
#include "settings_fixture.h"

namespace {

constexpr wchar_t kTestHostClass[] = L"KorvelRecordingShortcutsTest";

HWND CreateTestWindow() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kTestHostClass;
    RegisterClassW(&windowClass); // a second registration fails harmlessly
    return CreateWindowExW(0, kTestHostClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

} // namespace

class RecordingShortcutsTest : public SettingsWindowTest {
  protected:
    void SetUp() override {
        SettingsWindowTest::SetUp();
        host_ = CreateTestWindow();
        other_ = CreateTestWindow();
        ASSERT_NE(host_, nullptr);
        hostWindow = host_;
        ReregisterHotkeys();
        ASSERT_TRUE(AllHeld());
        log_.Clear();
    }

    void TearDown() override {
        SettingsWindowTest::TearDown();
        for (int id = kRegionHotkeyId; id <= kWindowHotkeyId; ++id) {
            UnregisterHotKey(host_, id);
        }
        hostWindow = nullptr;
        if (IsWindow(host_)) {
            DestroyWindow(host_);
        }
        DestroyWindow(other_);
    }

    // True when another window cannot take the combination: Korvel holds it.
    bool Held(UINT vk) {
        if (!RegisterHotKey(other_, 0x70, MOD_CONTROL | MOD_ALT, vk)) {
            return true;
        }
        UnregisterHotKey(other_, 0x70);
        return false;
    }
    bool AllHeld() { return Held('A') && Held('F') && Held('W'); }
    bool NoneHeld() { return !Held('A') && !Held('F') && !Held('W'); }

    void ClickCaption(int box) {
        RECT client = {};
        GetClientRect(window_, &client);
        const Rect r = CaptionBoxRect(client.right, 96, box);
        Click(window_, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    HWND host_ = nullptr;
    HWND other_ = nullptr;
};

TEST_F(RecordingShortcutsTest, TheShortcutsAreLetGoWhileABoxRecordsAndTakenBackHoweverItEnds) {
    struct Ending {
        const char* name;
        std::function<void()> end;
    };
    const Ending endings[] = {
        {"a key", [&] { SendMessageW(Child(kScreenRecorderId), WM_KEYDOWN, 'Q', 0); }},
        {"Backspace", [&] { SendMessageW(Child(kScreenRecorderId), WM_KEYDOWN, VK_BACK, 0); }},
        {"Esc", [&] { SendMessageW(Child(kScreenRecorderId), WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"the focus elsewhere", [&] { SetFocus(Child(kPathEditId)); }},
        {"Cancel", [&] { Press(kCancelButtonId); }},
        {"the close glyph", [&] { ClickCaption(kCloseBox); }},
        {"the minimise glyph", [&] { ClickCaption(kMinimiseBox); }},
        {"WM_CLOSE", [&] { SendMessageW(window_, WM_CLOSE, 0, 0); }},
        {"the window destroyed", [&] { DestroySettingsWindow(); }},
    };
    for (const Ending& ending : endings) {
        SCOPED_TRACE(ending.name);
        ShowSettingsWindow();
        window_ = GetSettingsWindow();
        Pump();
        log_.Clear();
        // Moving from one box to another keeps them let go.
        Click(Child(kRegionRecorderId), 5, 5);
        Click(Child(kScreenRecorderId), 5, 5);
        ASSERT_TRUE(Slot(1).recording);
        EXPECT_TRUE(NoneHeld());
        EXPECT_EQ(log_.Count(L"[INFO] 正在录制快捷键，暂停全局快捷键"), 1);

        ending.end();
        Pump();
        EXPECT_TRUE(AllHeld());
        EXPECT_EQ(log_.Count(L"[INFO] 录制结束，恢复全局快捷键"), 1);
        EXPECT_EQ(log_.Count(L"[INFO] 注册快捷键成功 name=窗口 key=Ctrl + Alt + W"), 1);
        EXPECT_EQ(GetConfig().full.vk, 0x46u) << "the configuration is written only by OK";
    }
}

// Quit lets the shortcuts go for good, even while a box records.
TEST_F(RecordingShortcutsTest, QuitWhileABoxRecordsLeavesNoShortcutRegistered) {
    Click(Child(kWindowRecorderId), 5, 5);
    ASSERT_TRUE(NoneHeld());
    OnHostCommand(static_cast<int32_t>(HostCommand::Quit));
    Pump();
    EXPECT_EQ(GetSettingsWindow(), nullptr);
    EXPECT_TRUE(NoneHeld());
    EXPECT_EQ(log_.Count(L"注册快捷键"), 0);
    // A later recording and its end work as before.
    host_ = CreateTestWindow();
    hostWindow = host_;
    ShowSettingsWindow();
    window_ = GetSettingsWindow();
    Click(Child(kWindowRecorderId), 5, 5);
    SendMessageW(Child(kWindowRecorderId), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(AllHeld());
}
