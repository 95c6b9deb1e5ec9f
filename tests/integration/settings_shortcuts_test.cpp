// Korvel's own global shortcuts while a shortcut box records: let go, so that the box gets every
// combination, and registered again however the recording ends.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <functional>
#include <string>

#include "app/commands.h"
#include "app/host.h"
#include "settings/settings_layout.h"
#include "settings_fixture.h"
#include "support/import_patch.h"
#include "tray/tray.h"

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

namespace {

// The balloons Korvel asks the notification area for, counted instead of shown.
int balloonsShown = 0;

BOOL WINAPI CountBalloons(DWORD message, PNOTIFYICONDATAW data) {
    if (message == NIM_MODIFY && data != nullptr && (data->uFlags & NIF_INFO) != 0) {
        ++balloonsShown;
    }
    return TRUE;
}

// OK writes config.ini into this folder's Korvel, not into the roaming folder of the test's user.
std::wstring appDataFolder;

HRESULT WINAPI TestAppData(HWND, int, HANDLE, DWORD, LPWSTR path) {
    wcscpy_s(path, MAX_PATH, appDataFolder.c_str());
    return S_OK;
}

constexpr int kTakenHotkeyId = 0x71;
const std::wstring kShortcutFailed = L"[ERROR] 注册快捷键失败 name=窗口 key=Ctrl + Alt + W err=";
const std::wstring kStillFailing = L"[INFO] 快捷键仍无法注册 name=窗口 key=Ctrl + Alt + W err=";

} // namespace

// Another window of this process holds Ctrl + Alt + W as another program would; balloons are counted.
class ShortcutFailureReportTest : public RecordingShortcutsTest {
  protected:
    void SetUp() override {
        appDataFolder = appData_.Path();
        ASSERT_TRUE(balloons_.Active() && appDataPatch_.Active());
        RecordingShortcutsTest::SetUp();
        ASSERT_TRUE(InitTray(host_)); // through the counter: no icon reaches the shell
        balloonsShown = 0;
        log_.Clear();
    }

    void TearDown() override {
        RemoveTray();
        UnregisterHotKey(other_, kTakenHotkeyId);
        RecordingShortcutsTest::TearDown();
    }

    void TakeTheWindowShortcut() {
        ASSERT_TRUE(RegisterHotKey(other_, kTakenHotkeyId, MOD_CONTROL | MOD_ALT, 'W'));
    }

    TempFolder appData_;
    ImportPatch balloons_{"Shell_NotifyIconW", reinterpret_cast<const void*>(&CountBalloons)};
    ImportPatch appDataPatch_{"SHGetFolderPathW", reinterpret_cast<const void*>(&TestAppData)};
};

// The saved shortcut is held elsewhere, and the user records its replacement: neither the end of the
// recording nor the OK that saves the replacement reports the old failure again.
TEST_F(ShortcutFailureReportTest, AShortcutFailingBeforeTheRecordingIsNotReportedAgainWhileItIsReplaced) {
    // As at a start: Ctrl + Alt + W is taken before Korvel registers it.
    const HotkeyBinding window = GetConfig().window;
    GetConfig().window.enabled = false;
    ReregisterHotkeys();
    ASSERT_NO_FATAL_FAILURE(TakeTheWindowShortcut());
    GetConfig().window = window;
    ReregisterHotkeys();
    ASSERT_EQ(balloonsShown, 1);
    ASSERT_EQ(log_.Count(kShortcutFailed), 1);
    balloonsShown = 0;
    log_.Clear();

    // Two recordings, ended by a key and by a click elsewhere.
    Click(Child(kWindowRecorderId), 5, 5);
    SendMessageW(Child(kWindowRecorderId), WM_KEYDOWN, VK_F9, 0);
    Click(Child(kWindowRecorderId), 5, 5);
    Click(Child(kPathEditId), 5, 5);
    Pump();
    EXPECT_EQ(Slot(2).binding.vk, static_cast<uint32_t>(VK_F9));
    EXPECT_EQ(balloonsShown, 0);
    EXPECT_EQ(log_.Count(L"[ERROR]"), 0);
    EXPECT_EQ(log_.Count(kStillFailing), 2) << "the log still tells";
    EXPECT_EQ(log_.Count(L"[INFO] 注册快捷键成功 name=框选 key=Ctrl + Alt + A"), 2);

    Press(kOkButtonId);
    EXPECT_FALSE(IsWindowVisible(window_));
    EXPECT_EQ(log_.Count(L"[INFO] 注册快捷键成功 name=窗口 key=F9"), 1);
    EXPECT_EQ(balloonsShown, 0);
    EXPECT_EQ(log_.Count(L"[ERROR]"), 0);
}

// Another program takes a shortcut while Korvel has let it go, and the click on OK ends the recording: the
// end of the recording reports the loss, and the OK that follows does not announce it a second time. Every
// later OK announces it again, also after a Cancel.
TEST_F(ShortcutFailureReportTest, AShortcutLostDuringARecordingIsAnnouncedOncePerOk) {
    Click(Child(kRegionRecorderId), 5, 5);
    ASSERT_TRUE(Slot(0).recording);
    ASSERT_NO_FATAL_FAILURE(TakeTheWindowShortcut());
    // The click on OK takes the focus from the box first, then presses the button.
    Click(Child(kOkButtonId), 5, 5);
    Pump();
    EXPECT_FALSE(IsWindowVisible(window_)) << "OK saved";
    EXPECT_EQ(log_.Count(L"[INFO] 录制结束，恢复全局快捷键"), 1);
    EXPECT_EQ(log_.Count(kShortcutFailed), 2) << "each attempt has its line";
    EXPECT_EQ(balloonsShown, 1);

    ShowSettingsWindow();
    Pump();
    Press(kOkButtonId);
    EXPECT_EQ(log_.Count(kShortcutFailed), 3);
    EXPECT_EQ(balloonsShown, 2);

    // Taken back, lost again during a recording that Esc ends, then Cancel: the next opening's OK announces.
    UnregisterHotKey(other_, kTakenHotkeyId);
    ShowSettingsWindow();
    Pump();
    Press(kOkButtonId);
    ASSERT_TRUE(AllHeld());
    ShowSettingsWindow();
    Pump();
    Click(Child(kRegionRecorderId), 5, 5);
    ASSERT_NO_FATAL_FAILURE(TakeTheWindowShortcut());
    SendMessageW(Child(kRegionRecorderId), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(balloonsShown, 3);
    Press(kCancelButtonId);
    ShowSettingsWindow();
    Pump();
    Press(kOkButtonId);
    EXPECT_EQ(balloonsShown, 4);
}
