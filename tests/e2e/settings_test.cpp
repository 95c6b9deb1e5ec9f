// The settings window of the real Korvel.exe: how it opens and closes, its size per page, the shortcut
// boxes, and what OK saves or refuses.
#include <algorithm>
#include <string>

#include "settings_fixture.h"

namespace {

constexpr int kMutedBrightness = 0xA8 + 0xB0 + 0xBC; // #A8B0BC
constexpr int kPanelBrightness = 0x26 + 0x2C + 0x36; // #262C36

int CountVisibleSettingsWindows() {
    int count = 0;
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"KorvelSettings", nullptr)) != nullptr) {
        count += IsWindowVisible(window) ? 1 : 0;
    }
    return count;
}

} // namespace

TEST_F(SettingsE2ETest, OpensAsOneWindowFromTheTrayASecondLaunchAndTheToolbarAndQuitDestroysIt) {
    AppConfig config = SampleConfig();
    config.toolbar = true;
    ASSERT_NO_FATAL_FAILURE(StartWith(config));
    HWND first = OpenFromTray();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == first; }, 3000));
    wchar_t title[64] = {};
    GetWindowTextW(first, title, 64);
    EXPECT_STREQ(title, L"KOR-VEL 设置");

    // Cancel only hides it.
    ClickChild(kCancelButtonId);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(first); }, 3000));
    EXPECT_TRUE(IsWindow(first));

    ChildProcess second;
    ASSERT_TRUE(second.Start(SiblingProgram(L"Korvel.exe")));
    EXPECT_EQ(second.WaitForExit(10000), 0);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(first) != FALSE; }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == first; }, 3000));
    EXPECT_EQ(OpenFromTray(), first);
    EXPECT_EQ(CountVisibleSettingsWindows(), 1);

    // The toolbar's Settings button brings back the same window.
    ClickChild(kCancelButtonId);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(first); }, 3000));
    PressToolbarButton(3, UiLanguage::SimplifiedChinese);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(first) != FALSE; }, 5000));
    EXPECT_EQ(CountVisibleSettingsWindows(), 1);

    EXPECT_EQ(QuitThroughTrayMenu(korvel_), 0);
    EXPECT_FALSE(IsWindow(first));
}

// The minimise glyph takes the window down to the taskbar with every edit and the language picked; the
// tray's Settings and a second launch bring it back as it was. Cancel still drops everything.
TEST_F(SettingsE2ETest, MinimiseKeepsEveryEditUntilTheTrayOrASecondLaunchRestoresTheWindow) {
    ASSERT_NO_FATAL_FAILURE(StartWith(SampleConfig()));
    ASSERT_NE(OpenFromTray(), nullptr);
    ClickChild(kJpegRadioId);
    ClickChild(kPathEditId);
    PressKey(VK_END);
    TypeText(L"\\more");
    EXPECT_EQ(TextOf(Child(kPathEditId)), L"D:\\shots\\more");
    ClickTab(1);
    ClickChild(kFirstLanguageRadioId + 2); // English
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 已按语言刷新界面 language=2", 3000));
    ClickTab(2);
    EXPECT_TRUE(IsWindowVisible(Child(kAboutTextId)));

    const auto minimise = [&] {
        const POINT glyph = ClientPoint(Client().right - 60, 20);
        ClickAt(glyph.x, glyph.y);
        ASSERT_TRUE(WaitUntil([&] { return IsIconic(settings_) != FALSE; }, 3000));
        EXPECT_TRUE(IsWindowVisible(settings_)) << "on the taskbar, not hidden";
    };
    const auto expectAsItWas = [&] {
        ASSERT_TRUE(WaitUntil([&] { return !IsIconic(settings_); }, 5000));
        EXPECT_TRUE(IsWindowVisible(Child(kAboutTextId)));
        EXPECT_FALSE(IsWindowVisible(Child(kRegionRecorderId)));
        EXPECT_EQ(TextOf(Child(kPathEditId)), L"D:\\shots\\more");
        EXPECT_TRUE(IsWindowEnabled(Child(kQualitySliderId))) << "JPEG still";
        EXPECT_EQ(TextOf(settings_), L"KOR-VEL Settings");
    };
    ASSERT_NO_FATAL_FAILURE(minimise());
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 点击设置窗口最小化", 1000));
    HWND window = settings_;
    ASSERT_EQ(OpenFromTray(), window);
    ASSERT_NO_FATAL_FAILURE(expectAsItWas());

    ASSERT_NO_FATAL_FAILURE(minimise());
    ChildProcess second;
    ASSERT_TRUE(second.Start(SiblingProgram(L"Korvel.exe")));
    EXPECT_EQ(second.WaitForExit(10000), 0);
    ASSERT_NO_FATAL_FAILURE(expectAsItWas());
    EXPECT_EQ(LogCount(L"[INFO] 恢复最小化的设置窗口"), 2);
    EXPECT_EQ(LogCount(L"[INFO] 设置单选"), 1) << "loaded once, at the first opening";

    // Cancel drops the edits and the language; the next opening starts from the configuration.
    ClickChild(kCancelButtonId);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings_); }, 3000));
    ASSERT_NE(OpenFromTray(), nullptr);
    EXPECT_TRUE(IsWindowVisible(Child(kRegionRecorderId)));
    EXPECT_EQ(TextOf(Child(kPathEditId)), L"D:\\shots");
    EXPECT_FALSE(IsWindowEnabled(Child(kQualitySliderId))) << "PNG again";
    EXPECT_EQ(TextOf(settings_), L"KOR-VEL 设置");
    EXPECT_EQ(LogCount(L"[INFO] 设置单选 formatId=2300 languageId=2400"), 2);
}

// 700 wide at 96 DPI; as tall as the page needs: OK and Cancel 12 under the page's last text, and 12 above
// the bottom edge.
TEST_F(SettingsE2ETest, TheWindowIs700WideAndExactlyAsTallAsEachPageNeeds) {
    ASSERT_NO_FATAL_FAILURE(StartWith(SampleConfig()));
    ASSERT_NE(OpenFromTray(), nullptr);
    const int lastText[] = {kHintId, kHintId, kAboutTextId};
    int heights[3] = {};
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        ClickTab(page);
        const RECT frame = ScreenRect(settings_);
        EXPECT_EQ(frame.right - frame.left, 700);
        const RECT ok = ScreenRect(Child(kOkButtonId));
        EXPECT_EQ(ok.top, ScreenRect(Child(lastText[page])).bottom + 12);
        EXPECT_EQ(ok.bottom + 12, frame.bottom - 1) << "inside the one-pixel border";
        heights[page] = frame.bottom - frame.top;
    }
    EXPECT_NE(heights[0], heights[1]);
    EXPECT_NE(heights[1], heights[2]);
    EXPECT_NE(heights[0], heights[2]);
}

TEST_F(SettingsE2ETest, AShortcutBoxRecordsClearsAndKeepsLikeAPersonExpects) {
    ASSERT_NO_FATAL_FAILURE(StartWith(SampleConfig()));
    ASSERT_NE(OpenFromTray(), nullptr);
    HWND box = Child(kScreenRecorderId);
    const RECT area = ScreenRect(box);

    ClickChild(kScreenRecorderId);
    EXPECT_EQ(TextOf(box), L"请按下快捷键，Backspace 清除");
    PressShortcut(MOD_CONTROL | MOD_SHIFT, 'A');
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 录制快捷键 Ctrl + Shift + A", 3000));
    EXPECT_EQ(TextOf(box), L"Ctrl + Shift + A");
    EXPECT_GT(Brightest(area), kMutedBrightness) << "a set shortcut in the bright text colour";

    // Ctrl alone keeps the box recording.
    ClickChild(kScreenRecorderId);
    PressKey(VK_CONTROL);
    Sleep(200);
    EXPECT_EQ(TextOf(box), L"请按下快捷键，Backspace 清除");
    PressKey(VK_BACK);
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 已清除快捷键", 3000));
    EXPECT_EQ(TextOf(box), L"未设置");
    Sleep(200);
    const int brightest = Brightest(area);
    EXPECT_LE(brightest, kMutedBrightness) << "text 14 in the muted colour";
    EXPECT_GT(brightest, kPanelBrightness);

    // Esc keeps the one it had.
    ClickChild(kRegionRecorderId);
    PressKey(VK_ESCAPE);
    Sleep(200);
    EXPECT_EQ(TextOf(Child(kRegionRecorderId)), L"Ctrl + Alt + A");
    EXPECT_TRUE(IsWindowVisible(settings_));

    // Alt combinations are recorded, Alt+F4 too: it does not reach the system, which would close the window.
    ClickChild(kWindowRecorderId);
    PressShortcut(MOD_ALT, 'S');
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 录制快捷键 Alt + S", 3000));
    ClickChild(kWindowRecorderId);
    PressShortcut(MOD_ALT, VK_F4);
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 录制快捷键 Alt + F4", 3000));
    EXPECT_EQ(TextOf(Child(kWindowRecorderId)), L"Alt + F4");
    EXPECT_TRUE(IsWindowVisible(settings_));
    EXPECT_NE(ReadConfigFile().find("window_mod=3\r\nwindow_vk=87\r\n"), std::string::npos)
        << "only OK saves";
}

TEST_F(SettingsE2ETest, OkRefusesEqualShortcutsAndAnEmptyFolderAndSavesOnceTheyAreFixed) {
    ASSERT_NO_FATAL_FAILURE(StartWith(SampleConfig()));
    const std::string before = ReadConfigFile();
    ASSERT_NE(OpenFromTray(), nullptr);
    for (int id : {kRegionRecorderId, kScreenRecorderId}) {
        ClickChild(id);
        PressShortcut(MOD_CONTROL | MOD_SHIFT, 'Q');
        Sleep(200);
    }
    ClickChild(kOkButtonId);
    EXPECT_EQ(AnswerKorvelMessageBox(5000), L"三个快捷键不能相同。");
    EXPECT_EQ(ReadConfigFile(), before);
    EXPECT_TRUE(IsWindowVisible(settings_));

    // Clearing one of them lets OK pass the check; an empty folder is the next stop.
    ClickChild(kScreenRecorderId);
    PressKey(VK_BACK);
    ClickChild(kPathEditId);
    PressKey(VK_END);
    PressShortcut(MOD_SHIFT, VK_HOME);
    PressKey(VK_DELETE);
    ClickChild(kOkButtonId);
    EXPECT_EQ(AnswerKorvelMessageBox(5000), L"请填写保存路径。");
    EXPECT_EQ(ReadConfigFile(), before);

    // config.ini would read a folder of spaces back as empty, that is as the default folder.
    ClickChild(kPathEditId);
    TypeText(L"  ");
    ClickChild(kOkButtonId);
    EXPECT_EQ(AnswerKorvelMessageBox(5000), L"请填写保存路径。");
    EXPECT_EQ(ReadConfigFile(), before);

    ClickChild(kPathEditId);
    PressKey(VK_END);
    PressShortcut(MOD_SHIFT, VK_HOME);
    TypeText(L"E:\\shots");
    ClickChild(kOkButtonId);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings_); }, 3000));
    const std::string saved = ReadConfigFile();
    EXPECT_NE(saved.find("region_mod=6\r\nregion_vk=81\r\nregion_enabled=1\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("full_mod=0\r\nfull_vk=0\r\nfull_enabled=0\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("path=E:\\shots\r\n"), std::string::npos) << saved;
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 设置已保存 language=0 format=0", 1000));
}

TEST_F(SettingsE2ETest, OkSavesJpegQualityAndNewShortcutsThatWorkAtOnce) {
    ASSERT_NO_FATAL_FAILURE(StartWith(SampleConfig()));
    ASSERT_NE(OpenFromTray(), nullptr);
    ClickChild(kJpegRadioId);
    ASSERT_TRUE(IsWindowEnabled(Child(kQualitySliderId)));
    // From the JPEG button, Tab reaches the slider; Page Up takes 5 off, three times.
    PressKey(VK_TAB);
    ASSERT_EQ(Focus(), Child(kQualitySliderId));
    PressKey(VK_PRIOR, 3);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(Child(kQualityNumberId)) == L"75"; }, 2000));
    ClickChild(kRegionRecorderId);
    PressShortcut(MOD_CONTROL | MOD_SHIFT, 'R');
    ASSERT_TRUE(WaitForLogLine(L"录制快捷键 Ctrl + Shift + R", 3000));
    ClickChild(kOkButtonId);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings_); }, 3000));

    const std::string saved = ReadConfigFile();
    EXPECT_NE(saved.find("format=1\r\njpeg_quality=75\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("region_mod=6\r\nregion_vk=82\r\n"), std::string::npos) << saved;
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 注册快捷键成功 name=框选 key=Ctrl + Shift + R", 1000));
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 设置已保存 language=0 format=1", 1000));

    // The old region shortcut is free again; the new one opens the overlay.
    PressShortcut(MOD_CONTROL | MOD_ALT, 'A');
    EXPECT_EQ(WaitForVisibleWindow(L"KorvelOverlay", 1500), nullptr);
    PressShortcut(MOD_CONTROL | MOD_SHIFT, 'R');
    EXPECT_TRUE(CancelOverlay());
}

// config.ini is held open without sharing while OK is pressed, so that writing it fails.
TEST_F(SettingsE2ETest, WhenTheConfigurationCannotBeWrittenEverythingStaysAsItWas) {
    ASSERT_NO_FATAL_FAILURE(StartWith(SampleConfig()));
    const std::string before = ReadConfigFile();
    ASSERT_NE(OpenFromTray(), nullptr);

    HANDLE held = CreateFileW(KorvelConfigPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ChangeRegionShortcutAndPressOk(), L"保存配置失败，请查看日志。");
    std::string during(before.size() + 16, '\0');
    DWORD read = 0;
    ReadFile(held, &during[0], static_cast<DWORD>(during.size()), &read, nullptr);
    during.resize(read);
    CloseHandle(held);
    EXPECT_EQ(during, before);
    EXPECT_EQ(ReadConfigFile(), before);
    ExpectOkChangedNothing();
}
