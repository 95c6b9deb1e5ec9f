// The real Korvel.exe when the machine works against it: its log held open by another program, config.ini
// that cannot be written, a taskbar that was re-created, a quit request that arrives while the region overlay
// is up. Each time it carries on, or ends, the way a user would expect.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "capture_fixture.h"
#include "settings_fixture.h"
#include "unwritable_file.h"

namespace {

const wchar_t kTooltipZh[] = L"KOR-VEL 截图";

// The pictures in a folder, oldest first (their names carry the time to the millisecond).
std::vector<std::wstring> PicturesIn(const std::wstring& folder) {
    std::vector<std::wstring> pictures;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\Korvel_*.png").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            pictures.push_back(folder + L"\\" + found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    std::sort(pictures.begin(), pictures.end());
    return pictures;
}

} // namespace

TEST_F(CaptureE2ETest, ALogHeldOpenElsewhereKeepsOrLosesItsLinesAndCapturesGoOn) {
    WriteSaveConfig(folder_, ImageFormat::Png, 90);
    ChildProcess korvel;
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel));

    // Both hold it with write access too, as a second writer would.
    const struct {
        const char* holder;
        DWORD share;
        bool linesKept;
    } holders[] = {
        {"another program that shares it", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, true},
        {"another program that shares nothing", 0, false},
    };
    size_t pictures = 0;
    for (const auto& holder : holders) {
        SCOPED_TRACE(holder.holder);
        const std::vector<HWND> previews = VisibleWindows(L"KorvelPreview");
        HANDLE held = CreateFileW(KorvelLogPath().c_str(), GENERIC_READ | GENERIC_WRITE, holder.share,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        PressShortcut(MOD_CONTROL | MOD_ALT, 'F');
        // The capture goes on as ever: its picture is written and a new preview comes to the front, which
        // happens only after the line about the saved file has been tried.
        const bool saved = WaitUntil([&] { return PicturesIn(folder_).size() > pictures; }, 10000);
        const bool shown = WaitUntil(
            [&] {
                HWND front = GetForegroundWindow();
                const std::vector<HWND> now = VisibleWindows(L"KorvelPreview");
                return std::count(now.begin(), now.end(), front) == 1 &&
                       std::count(previews.begin(), previews.end(), front) == 0;
            },
            5000);
        CloseHandle(held);
        ASSERT_TRUE(saved);
        EXPECT_TRUE(shown);
        pictures = PicturesIn(folder_).size();

        const std::wstring savedLine = L"[INFO] 已保存 " + PicturesIn(folder_).back();
        EXPECT_EQ(FindLogLine(ReadKorvelLog(), savedLine) >= 0, holder.linesKept) << ToUtf8(savedLine);
    }

    // Once let go, the log takes lines again.
    EXPECT_EQ(QuitThroughTrayMenu(korvel), 0);
    const std::vector<std::wstring> lines = ReadKorvelLog();
    ASSERT_FALSE(lines.empty());
    EXPECT_GE(FindLogLine(lines, L"[INFO] 退出 Korvel"), 0);
    EXPECT_NE(lines.back().find(L"[INFO] 进程退出"), std::wstring::npos);
}

// config.ini made unwritable for real: the toolbar toggle keeps its new state in memory, OK in the settings
// window refuses and keeps everything as it was.
TEST_F(SettingsE2ETest, AnUnwritableConfigIniStillTogglesTheToolbarAndMakesOkRefuse) {
    ASSERT_NO_FATAL_FAILURE(StartWith(SampleConfig()));
    const std::string before = ReadConfigFile();
    UnwritableFile locked(KorvelConfigPath());
    if (!locked.Ok()) {
        GTEST_SKIP() << locked.Problem();
    }

    // Up from no selection: Quit, Ondralux, Settings, Toolbar.
    PostTrayEvent(host_, WM_RBUTTONUP);
    ASSERT_NE(WaitForPopupMenu(5000), nullptr);
    PressKey(VK_UP, 4);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 托盘切换工具栏 show=1", 5000)) << LogForFailure();
    const std::vector<std::wstring> lines = ReadKorvelLog();
    const int refused =
        FindLogLine(lines, L"[ERROR] 写入配置文件失败 path=" + KorvelConfigPath() + L" err=5");
    EXPECT_GE(refused, 0) << "access denied";
    EXPECT_GT(FindLogLine(lines, L"[ERROR] 保存工具栏勾选状态失败 show=1", refused), refused);
    EXPECT_NE(WaitForVisibleWindow(L"KorvelFloatBar", 3000), nullptr) << "the toolbar shows all the same";
    EXPECT_EQ(ReadConfigFile(), before);

    ASSERT_NE(OpenFromTray(), nullptr);
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 托盘菜单 工具栏 checked=1", 1000)) << "the new state stays in memory";
    EXPECT_EQ(ChangeRegionShortcutAndPressOk(), L"保存配置失败，请查看日志。");
    EXPECT_GE(FindLogLine(ReadKorvelLog(), L"[ERROR] 写入配置文件失败 path=" + KorvelConfigPath() + L" err=5",
                          refused + 1),
              0);
    EXPECT_EQ(ReadConfigFile(), before);
    ExpectOkChangedNothing();
}

TEST_F(KorvelE2ETest, ARecreatedTaskbarGetsTheIconBack) {
    ChildProcess korvel;
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel));
    HWND host = FindWindowW(L"KorvelHost", L"Korvel");
    ASSERT_TRUE(TrayIconRegistered(host));

    // The icon goes with the old taskbar, and the new one tells every top-level window that it is there.
    NOTIFYICONDATAW icon = {};
    icon.cbSize = sizeof icon;
    icon.hWnd = host;
    icon.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon));
    ASSERT_FALSE(TrayIconRegistered(host));
    const int tips = TrayTooltipCount(kTooltipZh);
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);

    EXPECT_TRUE(WaitForLogLine(L"[INFO] 任务栏重建，重新添加托盘图标", 5000));
    EXPECT_TRUE(WaitUntil([&] { return TrayIconRegistered(host); }, 5000)) << "the icon is back";
    EXPECT_GT(TrayTooltipCount(kTooltipZh), tips) << "with its tooltip";
    EXPECT_EQ(FindLogLine(ReadKorvelLog(), L"[ERROR] 添加托盘图标失败"), -1);

    EXPECT_EQ(QuitThroughTrayMenu(korvel), 0);
}

TEST_F(KorvelE2ETest, AQuitMessageWhileTheOverlayIsUpEndsTheProcessWithItsCode) {
    ChildProcess korvel;
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel));
    HWND host = FindWindowW(L"KorvelHost", L"Korvel");
    PressShortcut(MOD_CONTROL | MOD_ALT, 'A');
    ASSERT_NE(WaitForVisibleWindow(L"KorvelOverlay", 5000), nullptr);

    ASSERT_TRUE(PostThreadMessageW(GetWindowThreadProcessId(host, nullptr), WM_QUIT, 7, 0));
    EXPECT_EQ(korvel.WaitForExit(10000), 7) << "the code of the quit message is the exit code";

    // The overlay ended without a picture; then Korvel took its icon away itself. (That the icon is gone
    // afterwards shows nothing under Wine, which drops the icons of a window that is gone; Windows leaves
    // them in the notification area until the pointer passes over them.)
    const std::vector<std::wstring> lines = ReadKorvelLog();
    const int cancelled = FindLogLine(lines, L"[INFO] 截图取消或失败 mode=0");
    EXPECT_GE(cancelled, 0);
    EXPECT_GT(FindLogLine(lines, L"[INFO] 托盘图标已移除", cancelled), cancelled);
    EXPECT_EQ(FindLogLine(lines, L"退出 Korvel"), -1) << "no Quit command ran";
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find(L"[INFO] 进程退出"), std::wstring::npos);
}
