// Recording, in the settings window of the real Korvel.exe, a shortcut that Korvel itself holds.
#include <functional>
#include <string>

#include "settings/settings_layout.h"
#include "settings_fixture.h"

namespace {

// True when this process cannot take the combination because another program (Korvel) holds it.
bool HeldElsewhere(UINT vk) {
    if (!RegisterHotKey(nullptr, 0x71, MOD_CONTROL | MOD_ALT, vk)) {
        return true;
    }
    UnregisterHotKey(nullptr, 0x71);
    return false;
}

bool AllHeld() {
    return HeldElsewhere('A') && HeldElsewhere('F') && HeldElsewhere('W');
}

bool NoneHeld() {
    return !HeldElsewhere('A') && !HeldElsewhere('F') && !HeldElsewhere('W');
}

HWND WaitForPreview(DWORD timeoutMs) {
    return WaitForVisibleWindow(L"KorvelPreview", timeoutMs);
}

} // namespace

class RecordingOwnShortcutsTest : public SettingsE2ETest {
  protected:
    void SetUp() override {
        SettingsE2ETest::SetUp();
        AppConfig config = SampleConfig();
        CreateDirectoryW(L"C:\\korvel-e2e", nullptr);
        config.saveDir = L"C:\\korvel-e2e\\own-shortcuts";
        ASSERT_NO_FATAL_FAILURE(StartWith(config));
    }

    void ClickCaptionBox(int box) {
        const Rect r = CaptionBoxRect(Client().right, 96, box);
        const POINT p = ClientPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        ClickAt(p.x, p.y);
        Sleep(150);
    }

    // Closes the newest preview with Esc.
    void ClosePreview(HWND preview) {
        SetForegroundWindow(preview);
        Sleep(200);
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(preview); }, 5000));
    }
};

TEST_F(RecordingOwnShortcutsTest, TheScreenBoxTakesTheWindowShortcutAndOkSavesTheSwap) {
    ASSERT_NE(OpenFromTray(), nullptr);
    ClickChild(kScreenRecorderId);
    PressShortcut(MOD_CONTROL | MOD_ALT, 'W');
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 录制快捷键 Ctrl + Alt + W", 3000));
    EXPECT_EQ(TextOf(Child(kScreenRecorderId)), L"Ctrl + Alt + W");
    Sleep(500);
    EXPECT_EQ(LogCount(L"开始截图"), 0) << "no capture started";
    EXPECT_EQ(WaitForPreview(500), nullptr);

    // The Window box holds the same shortcut.
    ClickChild(kOkButtonId);
    EXPECT_EQ(AnswerKorvelMessageBox(5000), L"三个快捷键不能相同。");
    ClickChild(kWindowRecorderId);
    PressKey(VK_BACK);
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 已清除快捷键", 3000));
    ClickChild(kOkButtonId);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings_); }, 3000));
    const std::string saved = ReadConfigFile();
    EXPECT_NE(saved.find("full_mod=3\r\nfull_vk=87\r\nfull_enabled=1\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("window_enabled=0\r\n"), std::string::npos) << saved;

    // Ctrl+Alt+W now captures the screen.
    PressShortcut(MOD_CONTROL | MOD_ALT, 'W');
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 开始截图 mode=1", 5000));
    HWND preview = WaitForPreview(5000);
    ASSERT_NE(preview, nullptr);
    ClosePreview(preview);
}

TEST_F(RecordingOwnShortcutsTest, AfterARecordingEndsWithoutOkTheShortcutsCaptureAsBefore) {
    struct Ending {
        const char* name;
        std::function<void()> end;
    };
    const Ending endings[] = {
        {"Esc", [] { PressKey(VK_ESCAPE); }},
        {"a click elsewhere", [&] { ClickChild(kPathEditId); }},
        {"Cancel", [&] { ClickChild(kCancelButtonId); }},
        {"the close glyph", [&] { ClickCaptionBox(kCloseBox); }},
    };
    for (const Ending& ending : endings) {
        SCOPED_TRACE(ending.name);
        if (!IsWindowVisible(settings_)) {
            ASSERT_NE(OpenFromTray(), nullptr);
        }
        ClickChild(kRegionRecorderId);
        EXPECT_TRUE(WaitUntil(NoneHeld, 3000)) << "let go while the box records";
        ending.end();
        EXPECT_TRUE(WaitUntil(AllHeld, 3000)) << "taken back";
    }
    EXPECT_EQ(LogCount(L"[INFO] 录制结束，恢复全局快捷键"), 4);
    EXPECT_EQ(LogCount(L"[ERROR]"), LogCount(L"设置 Per-Monitor V2 DPI 失败")) << "no other error";

    PressShortcut(MOD_CONTROL | MOD_ALT, 'A');
    ASSERT_TRUE(CancelOverlay());
    PressShortcut(MOD_CONTROL | MOD_ALT, 'F');
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 开始截图 mode=1", 5000));
    HWND preview = WaitForPreview(5000);
    ASSERT_NE(preview, nullptr);
    ClosePreview(preview);
    PressShortcut(MOD_CONTROL | MOD_ALT, 'W');
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 开始截图 mode=2", 5000));
    // What a window capture takes depends on the window in front; the shortcut's answer is what counts.
    if ((preview = WaitForPreview(3000)) != nullptr) {
        ClosePreview(preview);
    }
}

// Another program takes Ctrl+Alt+W while Korvel has let it go: taking it back fails and is reported as at
// start, with the log line and the balloon.
TEST_F(RecordingOwnShortcutsTest, AShortcutTakenMeanwhileIsReportedWhenTheShortcutsAreRegisteredAgain) {
    ASSERT_NE(OpenFromTray(), nullptr);
    ClickChild(kRegionRecorderId);
    ASSERT_TRUE(WaitUntil(NoneHeld, 3000));
    ChildProcess holder;
    ASSERT_NO_FATAL_FAILURE(HoldShortcut(holder, L"3 87"));
    SetForegroundWindow(settings_);
    Sleep(200);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitForLogLine(L"[ERROR] 注册快捷键失败 name=窗口 key=Ctrl + Alt + W err=", 3000));
    EXPECT_TRUE(WaitForBalloon(L"有快捷键注册失败，可能与其他软件冲突。", 20000));
    EXPECT_TRUE(HeldElsewhere('A'));
    EXPECT_TRUE(HeldElsewhere('F'));
}

TEST_F(RecordingOwnShortcutsTest, ACaptureFromTheTrayOrTheToolbarStillRunsAfterABoxStartedRecording) {
    ASSERT_NE(OpenFromTray(), nullptr);
    ClickChild(kRegionRecorderId);
    ASSERT_TRUE(WaitUntil(NoneHeld, 3000));
    PostTrayEvent(host_, WM_RBUTTONUP);
    ASSERT_NE(WaitForPopupMenu(5000), nullptr);
    PressKey(VK_DOWN); // the first item: Region
    PressKey(VK_RETURN);
    EXPECT_TRUE(CancelOverlay());
    EXPECT_TRUE(AllHeld());

    // The same from the toolbar.
    ASSERT_EQ(QuitThroughTrayMenu(korvel_), 0);
    AppConfig config = SampleConfig();
    config.saveDir = L"C:\\korvel-e2e\\own-shortcuts";
    config.toolbar = true;
    ASSERT_NO_FATAL_FAILURE(StartWith(config));
    ASSERT_NE(OpenFromTray(), nullptr);
    ClickChild(kRegionRecorderId);
    ASSERT_TRUE(WaitUntil(NoneHeld, 3000));
    PressToolbarButton(0, UiLanguage::SimplifiedChinese);
    EXPECT_TRUE(CancelOverlay());
    EXPECT_TRUE(AllHeld());
}

// The window shortcut is held by another program from the start, and the user records its replacement:
// neither the end of the recording nor the OK that saves the replacement shows the failure balloon again.
TEST_F(SettingsE2ETest, ReplacingAShortcutHeldElsewhereBringsNoFailureBalloonBack) {
    const std::wstring failed = L"有快捷键注册失败，可能与其他软件冲突。";
    ChildProcess holder;
    ASSERT_NO_FATAL_FAILURE(HoldShortcut(holder, L"3 87")); // Ctrl + Alt + W
    // A first start: Wine shows the latest balloon of an icon, so the welcome, asked for after the failure
    // balloon, is the one on screen; a failure balloon later would take its place.
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel_));
    host_ = FindWindowW(L"KorvelHost", L"Korvel");
    ASSERT_TRUE(WaitForBalloon(L"KOR-VEL 已启动。单击托盘图标可截图或打开设置。", 20000));
    ASSERT_EQ(LogCount(L"[ERROR] 注册快捷键失败 name=窗口 key=Ctrl + Alt + W err="), 1);

    ASSERT_NE(OpenFromTray(), nullptr);
    ClickChild(kWindowRecorderId);
    PressShortcut(MOD_CONTROL | MOD_SHIFT, 'W');
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 录制快捷键 Ctrl + Shift + W", 3000));
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 快捷键仍无法注册 name=窗口 key=Ctrl + Alt + W err=", 3000));
    EXPECT_FALSE(WaitForBalloon(failed, 3000)) << "not when the recording ends";

    ClickChild(kOkButtonId);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings_); }, 3000));
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 注册快捷键成功 name=窗口 key=Ctrl + Shift + W", 3000));
    EXPECT_FALSE(WaitForBalloon(failed, 3000)) << "nor when OK saves the replacement";
    EXPECT_EQ(LogCount(L"[ERROR] 注册快捷键失败"), 1) << "only the start's";
    EXPECT_NE(ReadConfigFile().find("window_mod=6\r\nwindow_vk=87\r\nwindow_enabled=1\r\n"),
              std::string::npos);
}
