// Start-up, single instance, shortcut registration and balloons of the real Korvel.exe.
#include <shlobj.h>

#include <string>

#include "desktop_probe.h"
#include "e2e_fixture.h"

namespace {

std::string DefaultConfigBytes() {
    wchar_t pictures[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, 0, pictures);
    return "\xEF\xBB\xBF"
           "region_mod=3\r\nregion_vk=65\r\nregion_enabled=1\r\n"
           "full_mod=3\r\nfull_vk=70\r\nfull_enabled=1\r\n"
           "window_mod=3\r\nwindow_vk=87\r\nwindow_enabled=1\r\n"
           "format=0\r\njpeg_quality=90\r\npath=" +
           ToUtf8(std::wstring(pictures) + L"\\Korvel") +
           "\r\ntoolbar=0\r\nlanguage=0\r\n"
           "markup_color=0\r\nmarkup_width=1\r\n";
}

const wchar_t kWelcomeZh[] = L"KOR-VEL 已启动。单击托盘图标可截图或打开设置。";
const wchar_t kShortcutFailedZh[] = L"有快捷键注册失败，可能与其他软件冲突。";

} // namespace

TEST_F(KorvelE2ETest, FirstStartWritesDefaultsLogsInOrderAndWelcomes) {
    ChildProcess korvel;
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel));

    EXPECT_EQ(ReadConfigFile(), DefaultConfigBytes());

    const std::vector<std::wstring> expectedOrder = {
        L"[INFO] 日志初始化 path=" + KorvelLogPath(),
        L"DPI", // under Wine the manifest's awareness is not reported as v2, so this is the ERROR variant
        L"[INFO] 配置文件不存在，使用默认配置 path=" + KorvelConfigPath(),
        L"[INFO] 已保存配置 path=" + KorvelConfigPath(),
        L"[INFO] 界面语言 language=0",
        L"[INFO] 当前配置 format=0 quality=90 path=",
        L"[INFO] 已加载程序图标 resource=1 size=32",
        L"[INFO] 托盘图标已添加",
        L"[INFO] 注册快捷键成功 name=框选 key=Ctrl + Alt + A",
        L"[INFO] 注册快捷键成功 name=全屏 key=Ctrl + Alt + F",
        L"[INFO] 注册快捷键成功 name=窗口 key=Ctrl + Alt + W",
    };
    const std::vector<std::wstring> lines = ReadKorvelLog();
    int at = 0;
    for (const std::wstring& part : expectedOrder) {
        const int found = FindLogLine(lines, part, at);
        ASSERT_GE(found, at) << "missing or out of order: " << ToUtf8(part);
        at = found + 1;
    }
    EXPECT_EQ(FindLogLine(lines, L"[ERROR] 注册快捷键失败"), -1);

    EXPECT_TRUE(WaitForBalloon(kWelcomeZh, 20000));
    EXPECT_TRUE(TrayTooltipPresent(L"KOR-VEL 截图"));

    EXPECT_EQ(QuitThroughTrayMenu(korvel), 0);
    const std::vector<std::wstring> after = ReadKorvelLog();
    ASSERT_FALSE(after.empty());
    EXPECT_NE(after.back().find(L"[INFO] 进程退出"), std::wstring::npos);
    const int quitting = FindLogLine(after, L"[INFO] 退出 Korvel");
    EXPECT_GE(quitting, 0);
    EXPECT_GT(FindLogLine(after, L"[INFO] 托盘图标已移除", quitting), quitting);
}

TEST_F(KorvelE2ETest, SecondLaunchHandsOverToTheRunningInstance) {
    ChildProcess first;
    ASSERT_NO_FATAL_FAILURE(StartKorvel(first));

    ChildProcess second;
    ASSERT_TRUE(second.Start(SiblingProgram(L"Korvel.exe")));
    EXPECT_EQ(second.WaitForExit(10000), 0);
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 已有实例在运行，请求其打开设置", 2000));
    // The first instance received the hand-over and brought its settings window to the front.
    HWND settings = WaitForVisibleWindow(L"KorvelSettings", 5000);
    ASSERT_NE(settings, nullptr);
    for (int i = 0; i < 100 && GetForegroundWindow() != settings; ++i) {
        Sleep(30);
    }
    EXPECT_EQ(GetForegroundWindow(), settings);
    EXPECT_EQ(FindLogLine(ReadKorvelLog(), L"AllowSetForegroundWindow"), -1);
    EXPECT_TRUE(first.Running());

    EXPECT_EQ(QuitThroughTrayMenu(first), 0);
}

TEST_F(KorvelE2ETest, SecondLaunchWithoutAWindowToFindStillEndsWithZero) {
    // The mutex exists but no host window does, as in the moment before a first instance has made it.
    HANDLE mutex = CreateMutexW(nullptr, TRUE, L"Local\\Korvel_SingleInstance");
    ASSERT_NE(mutex, nullptr);
    ChildProcess korvel;
    ASSERT_TRUE(korvel.Start(SiblingProgram(L"Korvel.exe")));
    EXPECT_EQ(korvel.WaitForExit(10000), 0);
    CloseHandle(mutex);

    const std::vector<std::wstring> lines = ReadKorvelLog();
    const int handOver = FindLogLine(lines, L"[INFO] 已有实例在运行，请求其打开设置");
    EXPECT_GE(handOver, 0);
    EXPECT_GT(FindLogLine(lines, L"[ERROR] 找不到已有实例窗口", handOver), handOver);
    // Nothing else was started: no configuration was read or written.
    EXPECT_EQ(FindLogLine(lines, L"配置"), -1);
}

TEST_F(KorvelE2ETest, ShortcutHeldElsewhereLogsItsErrorAndShowsItsBalloon) {
    WriteConfig(DefaultConfigBytes()); // not a first start: no welcome balloon
    ChildProcess holder;
    ASSERT_NO_FATAL_FAILURE(HoldShortcut(holder, L"3 65")); // Ctrl + Alt + A

    ChildProcess korvel;
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel));
    const std::vector<std::wstring> lines = ReadKorvelLog();
    EXPECT_GE(FindLogLine(lines, L"[ERROR] 注册快捷键失败 name=框选 key=Ctrl + Alt + A err="), 0);
    EXPECT_GE(FindLogLine(lines, L"[INFO] 注册快捷键成功 name=全屏 key=Ctrl + Alt + F"), 0);
    EXPECT_GE(FindLogLine(lines, L"[INFO] 注册快捷键成功 name=窗口 key=Ctrl + Alt + W"), 0);
    EXPECT_TRUE(WaitForBalloon(kShortcutFailedZh, 20000));

    EXPECT_EQ(QuitThroughTrayMenu(korvel), 0);
}

TEST_F(KorvelE2ETest, OnAFirstStartTheWelcomeFollowsTheShortcutBalloon) {
    ChildProcess holder;
    ASSERT_NO_FATAL_FAILURE(HoldShortcut(holder, L"3 70")); // Ctrl + Alt + F

    ChildProcess korvel;
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel));
    EXPECT_GE(FindLogLine(ReadKorvelLog(), L"[ERROR] 注册快捷键失败 name=全屏 key=Ctrl + Alt + F err="), 0);
    // Wine's notification area keeps one balloon per icon and shows the latest request: the welcome,
    // asked for right after the shortcut balloon, is the one that stays.
    ASSERT_TRUE(WaitForBalloon(kWelcomeZh, 20000));
    EXPECT_FALSE(WaitForBalloon(kShortcutFailedZh, 3000));

    EXPECT_EQ(QuitThroughTrayMenu(korvel), 0);
}
