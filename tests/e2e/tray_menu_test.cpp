// The tray menu of the real Korvel.exe: which mouse events open it, its items, and its commands.
#include <initializer_list>
#include <string>

#include "desktop_probe.h"
#include "e2e_fixture.h"

namespace {

const char kEnglishConfig[] =
    "\xEF\xBB\xBF"
    "region_mod=3\r\nregion_vk=65\r\nregion_enabled=1\r\n"
    "full_mod=3\r\nfull_vk=70\r\nfull_enabled=1\r\n"
    "window_mod=3\r\nwindow_vk=87\r\nwindow_enabled=1\r\n"
    "format=0\r\njpeg_quality=90\r\npath=C:\\KorvelShots\r\ntoolbar=0\r\nlanguage=2\r\n";

int CountLogLines(const std::wstring& part) {
    int count = 0;
    for (const std::wstring& line : ReadKorvelLog()) {
        count += line.find(part) != std::wstring::npos ? 1 : 0;
    }
    return count;
}

} // namespace

TEST_F(KorvelE2ETest, EnglishMenuListsCapturesWithShortcutsAndQuitEndsWithZero) {
    WriteConfig(kEnglishConfig);
    ChildProcess korvel;
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel));
    HWND host = FindWindowW(L"KorvelHost", L"Korvel");
    EXPECT_TRUE(TrayTooltipPresent(L"KOR-VEL")); // the icon's tooltip in English

    PostTrayEvent(host, WM_RBUTTONUP);
    // Wine does not let another process read a popup menu's items: the exact item texts are checked by the
    // in-process tray tests; here the menu's own log lines show what it was built from.
    ASSERT_NE(WaitForPopupMenu(5000), nullptr);
    const std::vector<std::wstring> lines = ReadKorvelLog();
    int at = 0;
    for (const wchar_t* part :
         {L"[INFO] 托盘菜单 Region 快捷键=Ctrl + Alt + A",
          L"[INFO] 托盘菜单 Full screen 快捷键=Ctrl + Alt + F",
          L"[INFO] 托盘菜单 Window 快捷键=Ctrl + Alt + W", L"[INFO] 托盘菜单 工具栏 checked=0"}) {
        const int found = FindLogLine(lines, part, at);
        EXPECT_GE(found, at) << "missing or out of order";
        at = found + 1;
    }

    // From no selection, Up selects the last item (Quit); Enter chooses it.
    PressKey(VK_UP);
    PressKey(VK_RETURN);
    EXPECT_EQ(korvel.WaitForExit(10000), 0);
    const std::vector<std::wstring> after = ReadKorvelLog();
    ASSERT_FALSE(after.empty());
    EXPECT_NE(after.back().find(L"[INFO] 进程退出"), std::wstring::npos);
}

TEST_F(KorvelE2ETest, ReleasesAndDoubleClicksOpenTheMenuPressesAndMovesDoNot) {
    ChildProcess korvel;
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel));
    HWND host = FindWindowW(L"KorvelHost", L"Korvel");

    for (UINT opening :
         std::initializer_list<UINT>{WM_RBUTTONUP, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_CONTEXTMENU}) {
        SCOPED_TRACE(opening);
        PostTrayEvent(host, opening);
        ASSERT_NE(WaitForPopupMenu(5000), nullptr);
        // Dismissing the menu runs no command.
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(NoPopupMenuFor(300) || (PressKey(VK_ESCAPE), NoPopupMenuFor(1000)));
    }
    for (UINT ignored : std::initializer_list<UINT>{WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MOUSEMOVE}) {
        SCOPED_TRACE(ignored);
        PostTrayEvent(host, ignored);
        EXPECT_TRUE(NoPopupMenuFor(700));
    }
    EXPECT_EQ(CountLogLines(L"托盘切换工具栏"), 0);
    EXPECT_EQ(CountLogLines(L"退出 Korvel"), 0);
    EXPECT_TRUE(korvel.Running());

    EXPECT_EQ(QuitThroughTrayMenu(korvel), 0);
}

TEST_F(KorvelE2ETest, ToolbarChosenTwiceRewritesTheConfigurationTwiceAndReturns) {
    ChildProcess korvel;
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel));
    HWND host = FindWindowW(L"KorvelHost", L"Korvel");
    const std::string fileBefore = ReadConfigFile();
    ASSERT_NE(fileBefore.find("toolbar=0\r\n"), std::string::npos);
    const int savesBefore = CountLogLines(L"[INFO] 已保存配置");

    for (int show : {1, 0}) {
        PostTrayEvent(host, WM_RBUTTONUP);
        ASSERT_NE(WaitForPopupMenu(5000), nullptr);
        // Up from no selection: Quit, Ondralux, Settings, Toolbar.
        PressKey(VK_UP, 4);
        PressKey(VK_RETURN);
        const std::wstring toggled = L"[INFO] 托盘切换工具栏 show=" + std::to_wstring(show);
        ASSERT_TRUE(WaitForLogLine(toggled, 5000));
        EXPECT_TRUE(WaitForLogLine(L"托盘菜单 工具栏 checked=" + std::to_wstring(1 - show), 100));
        const std::string expectedLine = "toolbar=" + std::to_string(show) + "\r\n";
        EXPECT_NE(ReadConfigFile().find(expectedLine), std::string::npos);
    }
    EXPECT_EQ(ReadConfigFile(), fileBefore);
    EXPECT_EQ(CountLogLines(L"[INFO] 已保存配置"), savesBefore + 2);

    EXPECT_EQ(QuitThroughTrayMenu(korvel), 0);
}
