// The tray icon and its menu, driven through the real tray code on a window of the test's own. The menu is
// read from inside its own modal loop: another process cannot read a popup menu's items under Wine.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

#include "app/commands.h"
#include "config/config.h"
#include "support/import_patch.h"
#include "support/test_support.h"
#include "text/texts.h"
#include "tray/tray.h"

// The icon data travels to the shell in its full-size form.
static_assert(sizeof(NOTIFYICONDATAW) == 976, "full-size NOTIFYICONDATAW expected");

namespace {

constexpr wchar_t kWindowClass[] = L"KorvelTrayMenuTest";
constexpr wchar_t kPopupMenuClass[] = L"#32768";
constexpr UINT kProbeDelayMs = 150;
// About six seconds of ticks without a menu before the probe gives up and ends whatever menu mode runs.
constexpr int kProbeTickLimit = 40;

struct MenuItemSeen {
    UINT id = 0;
    std::wstring text;
    bool separator = false;
    bool checked = false;
};

// What one opening of the menu showed, and how the probe left it.
struct MenuProbe {
    // Keys posted to the menu window once its items are read; none means EndMenu.
    std::vector<UINT> keys;
    UINT_PTR timer = 0;
    int ticks = 0;
    bool opened = false;
    HWND menuWindow = nullptr;
    std::vector<MenuItemSeen> items;
};

MenuProbe* activeProbe = nullptr;

struct CommandSeen {
    int32_t command = 0;
    // Whether a popup menu of this thread was still on screen when the command arrived.
    bool menuStillShown = false;
};
std::vector<CommandSeen> commandsSeen;

BOOL CALLBACK FindVisiblePopupMenu(HWND window, LPARAM result) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (wcscmp(className, kPopupMenuClass) == 0 && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
    }
    return TRUE;
}

HWND OwnVisiblePopupMenu() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindVisiblePopupMenu, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<MenuItemSeen> ReadMenuItems(HMENU menu) {
    std::vector<MenuItemSeen> items;
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        MenuItemSeen item;
        if (GetMenuItemInfoW(menu, position, TRUE, &info)) {
            // The first call gave the length; the second fills the buffer.
            std::vector<wchar_t> text(info.cch + 1, L'\0');
            info.dwTypeData = text.data();
            info.cch = static_cast<UINT>(text.size());
            GetMenuItemInfoW(menu, position, TRUE, &info);
            item.id = info.wID;
            item.text = text.data();
            item.separator = (info.fType & MFT_SEPARATOR) != 0;
            item.checked = (info.fState & MFS_CHECKED) != 0;
        }
        items.push_back(item);
    }
    return items;
}

// Fires inside the menu's modal loop, which dispatches the thread's timer messages.
void CALLBACK ProbeMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    MenuProbe& probe = *activeProbe;
    const HWND menuWindow = OwnVisiblePopupMenu();
    if (menuWindow == nullptr) {
        if (++probe.ticks >= kProbeTickLimit) {
            KillTimer(nullptr, timer);
            EndMenu();
        }
        return;
    }
    KillTimer(nullptr, timer);
    probe.opened = true;
    probe.menuWindow = menuWindow;
    const HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    if (menu != nullptr) {
        probe.items = ReadMenuItems(menu);
    }
    if (probe.keys.empty()) {
        EndMenu();
        return;
    }
    // The menu loop takes keyboard messages from the thread's queue, whichever window they name.
    for (UINT key : probe.keys) {
        PostMessageW(menuWindow, WM_KEYDOWN, key, 1);
        PostMessageW(menuWindow, WM_KEYUP, key, 0xC0000001);
    }
}

void RecordCommand(int32_t command) {
    commandsSeen.push_back({command, OwnVisiblePopupMenu() != nullptr});
}

std::vector<std::wstring> Texts(const std::vector<MenuItemSeen>& items) {
    std::vector<std::wstring> texts;
    for (const MenuItemSeen& item : items) {
        texts.push_back(item.separator ? L"-" : item.text);
    }
    return texts;
}

std::vector<UINT> Ids(const std::vector<MenuItemSeen>& items) {
    std::vector<UINT> ids;
    for (const MenuItemSeen& item : items) {
        ids.push_back(item.id);
    }
    return ids;
}

// Lines after the log's stamp and level, for exact comparisons.
std::vector<std::wstring> Messages(const CapturedLog& log) {
    std::vector<std::wstring> messages;
    for (const std::wstring& line : log.Lines()) {
        const size_t level = line.find(L"] ");
        std::wstring message = level == std::wstring::npos ? line : line.substr(level + 2);
        while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) {
            message.pop_back();
        }
        messages.push_back(message);
    }
    return messages;
}

const std::vector<UINT> kMenuIds = {1, 2, 3, 0, 6, 4, 7, 5};

class TrayMenuTest : public testing::Test {
  protected:
    void SetUp() override {
        savedConfig_ = GetConfig();
        savedLanguage_ = GetUiLanguage();
        GetConfig() = MakeDefaultConfig();
        SetUiLanguage(static_cast<uint32_t>(UiLanguage::English));
        commandsSeen.clear();

        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        RegisterClassW(&windowClass); // a second registration fails harmlessly
        window_ = CreateWindowExW(0, kWindowClass, L"Korvel tray test", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
        SetTrayCommandHandler(&RecordCommand);
        ASSERT_TRUE(InitTray(window_));
        log_.Clear();
    }

    void TearDown() override {
        RemoveTray();
        SetTrayCommandHandler(nullptr);
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
        // The WM_NULL that follows every menu, and anything else left for the test window.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        GetConfig() = savedConfig_;
        SetUiLanguage(static_cast<uint32_t>(savedLanguage_));
    }

    // Sends one tray callback event; the probe reads the menu if one opens and then presses `keys` in it
    // (none: the menu is ended as a click elsewhere would).
    MenuProbe SendTrayEvent(UINT mouseMessage, const std::vector<UINT>& keys, bool* handled = nullptr) {
        MenuProbe probe;
        probe.keys = keys;
        activeProbe = &probe;
        probe.timer = SetTimer(nullptr, 0, kProbeDelayMs, &ProbeMenu);
        EXPECT_NE(probe.timer, 0u);
        const bool result = HandleTrayMessage(window_, TrayCallbackMessage, 0, mouseMessage);
        // Still armed when no menu loop ran to dispatch it.
        KillTimer(nullptr, probe.timer);
        activeProbe = nullptr;
        if (handled != nullptr) {
            *handled = result;
        }
        return probe;
    }

    MenuProbe OpenAndDismiss() { return SendTrayEvent(WM_RBUTTONUP, {VK_ESCAPE}); }

    HWND window_ = nullptr;
    CapturedLog log_;
    AppConfig savedConfig_;
    UiLanguage savedLanguage_ = UiLanguage::SimplifiedChinese;
};

struct MenuTextCase {
    UiLanguage language;
    std::vector<std::wstring> texts;
};

TEST_F(TrayMenuTest, MenuShowsCapturesWithShortcutsThenToolbarSettingsSiteAndQuit) {
    const MenuTextCase cases[] = {
        {UiLanguage::English,
         {L"Region (Ctrl + Alt + A)", L"Full screen (Ctrl + Alt + F)", L"Window (Ctrl + Alt + W)", L"-",
          L"Toolbar", L"Settings", L"Ondralux", L"Quit"}},
        {UiLanguage::SimplifiedChinese,
         {L"框选截图 (Ctrl + Alt + A)", L"全屏截图 (Ctrl + Alt + F)", L"窗口截图 (Ctrl + Alt + W)", L"-",
          L"工具栏", L"设置", L"访问Ondralux", L"退出"}},
        {UiLanguage::Japanese,
         {L"範囲 (Ctrl + Alt + A)", L"全画面 (Ctrl + Alt + F)", L"ウィンドウ (Ctrl + Alt + W)", L"-",
          L"ツールバー", L"設定", L"Ondralux", L"終了"}},
    };
    for (const MenuTextCase& testCase : cases) {
        SCOPED_TRACE(static_cast<int>(testCase.language));
        SetUiLanguage(static_cast<uint32_t>(testCase.language));
        log_.Clear();
        const MenuProbe probe = OpenAndDismiss();
        ASSERT_TRUE(probe.opened);
        EXPECT_EQ(Texts(probe.items), testCase.texts);
        EXPECT_EQ(Ids(probe.items), kMenuIds);
        for (const MenuItemSeen& item : probe.items) {
            EXPECT_FALSE(item.checked) << item.text.c_str();
        }
        EXPECT_EQ(log_.Count(L"[INFO] 托盘菜单 工具栏 checked=0"), 1);
    }
}

TEST_F(TrayMenuTest, EachOpeningLogsTheShortcutOfEveryCaptureItemAndTheToolbarState) {
    OpenAndDismiss();
    const std::vector<std::wstring> expected = {
        L"托盘菜单 Region 快捷键=Ctrl + Alt + A", L"托盘菜单 Full screen 快捷键=Ctrl + Alt + F",
        L"托盘菜单 Window 快捷键=Ctrl + Alt + W", L"托盘菜单 工具栏 checked=0"};
    EXPECT_EQ(Messages(log_), expected);
}

TEST_F(TrayMenuTest, ToolbarItemCarriesACheckMarkWhileTheToolbarIsOn) {
    GetConfig().toolbar = true;
    const MenuProbe probe = OpenAndDismiss();
    ASSERT_TRUE(probe.opened);
    ASSERT_EQ(probe.items.size(), 8u);
    for (size_t position = 0; position < probe.items.size(); ++position) {
        EXPECT_EQ(probe.items[position].checked, position == 4) << position;
    }
    EXPECT_EQ(probe.items[4].text, L"Toolbar");
    EXPECT_EQ(log_.Count(L"[INFO] 托盘菜单 工具栏 checked=1"), 1);
}

TEST_F(TrayMenuTest, CaptureItemWithoutAnActiveShortcutHasNoParentheses) {
    struct UnsetCase {
        const wchar_t* name;
        HotkeyBinding region;
    };
    const UnsetCase cases[] = {
        {L"disabled", {kModControl | kModAlt, 'A', false}},
        {L"no key", {kModControl | kModAlt, 0, false}},
    };
    for (const UnsetCase& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        GetConfig().region = testCase.region;
        log_.Clear();
        const MenuProbe probe = OpenAndDismiss();
        ASSERT_TRUE(probe.opened);
        ASSERT_EQ(probe.items.size(), 8u);
        EXPECT_EQ(probe.items[0].text, L"Region");
        EXPECT_EQ(probe.items[1].text, L"Full screen (Ctrl + Alt + F)");
        // The log still names the shortcut, as None.
        EXPECT_EQ(log_.Count(L"[INFO] 托盘菜单 Region 快捷键=None"), 1);
    }
}

TEST_F(TrayMenuTest, MenuFollowsTheConfigurationAtEveryOpening) {
    GetConfig().full = {kModControl | kModShift, VK_F2, true};
    MenuProbe probe = OpenAndDismiss();
    ASSERT_EQ(probe.items.size(), 8u);
    EXPECT_EQ(probe.items[1].text, L"Full screen (Ctrl + Shift + F2)");

    GetConfig().full = {kModAlt, 'Q', true};
    GetConfig().toolbar = true;
    probe = OpenAndDismiss();
    ASSERT_EQ(probe.items.size(), 8u);
    EXPECT_EQ(probe.items[1].text, L"Full screen (Alt + Q)");
    EXPECT_TRUE(probe.items[4].checked);
}

TEST_F(TrayMenuTest, DismissingTheMenuCallsNoHandler) {
    struct DismissCase {
        const wchar_t* name;
        std::vector<UINT> keys;
    };
    const DismissCase cases[] = {
        {L"Esc", {VK_ESCAPE}},
        {L"menu ended, as by a click elsewhere", {}},
    };
    for (const DismissCase& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        const MenuProbe probe = SendTrayEvent(WM_RBUTTONUP, testCase.keys);
        EXPECT_TRUE(probe.opened);
        EXPECT_EQ(OwnVisiblePopupMenu(), nullptr);
    }
    EXPECT_TRUE(commandsSeen.empty());
}

TEST_F(TrayMenuTest, ChosenItemReachesTheHandlerOnceAfterTheMenuIsGone) {
    struct ChoiceCase {
        const wchar_t* name;
        std::vector<UINT> keys;
        int32_t command;
    };
    // From no selection, Up selects the last item and Down the first; the separator is stepped over.
    const ChoiceCase cases[] = {
        {L"Quit, the last item", {VK_UP, VK_RETURN}, 5},
        {L"Region, the first item", {VK_DOWN, VK_RETURN}, 1},
        {L"Window", {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, 3},
        {L"Toolbar, past the separator", {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, 6},
        {L"Ondralux, second from the end", {VK_UP, VK_UP, VK_RETURN}, 7},
    };
    for (const ChoiceCase& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        commandsSeen.clear();
        const MenuProbe probe = SendTrayEvent(WM_RBUTTONUP, testCase.keys);
        ASSERT_TRUE(probe.opened);
        ASSERT_EQ(commandsSeen.size(), 1u);
        EXPECT_EQ(commandsSeen[0].command, testCase.command);
        EXPECT_FALSE(commandsSeen[0].menuStillShown);
        EXPECT_FALSE(IsWindow(probe.menuWindow) && IsWindowVisible(probe.menuWindow));
    }
}

TEST_F(TrayMenuTest, ChoiceWithoutAHandlerIsDropped) {
    SetTrayCommandHandler(nullptr);
    const MenuProbe probe = SendTrayEvent(WM_RBUTTONUP, {VK_UP, VK_RETURN});
    EXPECT_TRUE(probe.opened);
    EXPECT_TRUE(commandsSeen.empty());
}

TEST_F(TrayMenuTest, ReleasesAndDoubleClicksOpenTheMenuWhilePressesAndMovesAreSwallowed) {
    struct EventCase {
        const wchar_t* name;
        UINT mouseMessage;
        bool opens;
    };
    const EventCase cases[] = {
        {L"WM_RBUTTONUP", WM_RBUTTONUP, true},         {L"WM_LBUTTONUP", WM_LBUTTONUP, true},
        {L"WM_LBUTTONDBLCLK", WM_LBUTTONDBLCLK, true}, {L"WM_CONTEXTMENU", WM_CONTEXTMENU, true},
        {L"WM_LBUTTONDOWN", WM_LBUTTONDOWN, false},    {L"WM_RBUTTONDOWN", WM_RBUTTONDOWN, false},
        {L"WM_MOUSEMOVE", WM_MOUSEMOVE, false},        {L"WM_RBUTTONDBLCLK", WM_RBUTTONDBLCLK, false},
    };
    for (const EventCase& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        log_.Clear();
        bool handled = false;
        const MenuProbe probe = SendTrayEvent(testCase.mouseMessage, {VK_ESCAPE}, &handled);
        EXPECT_TRUE(handled);
        EXPECT_EQ(probe.opened, testCase.opens);
        EXPECT_EQ(log_.Count(L"托盘菜单 工具栏 checked="), testCase.opens ? 1 : 0);
    }
    EXPECT_TRUE(commandsSeen.empty());
}

TEST_F(TrayMenuTest, OtherMessagesAreLeftToTheWindow) {
    const UINT messages[] = {WM_NULL, WM_COMMAND, WM_HOTKEY, WM_APP, WM_APP + 2, WM_RBUTTONUP};
    for (UINT message : messages) {
        SCOPED_TRACE(message);
        EXPECT_FALSE(HandleTrayMessage(window_, message, 0, WM_RBUTTONUP));
    }
    EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(TrayMenuTest, TaskbarRecreationAddsTheIconAgain) {
    // The shell forgets the icon with the old taskbar.
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = window_;
    data.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));

    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    ASSERT_NE(taskbarCreated, 0u);
    EXPECT_TRUE(HandleTrayMessage(window_, taskbarCreated, 0, 0));
    EXPECT_EQ(Messages(log_), std::vector<std::wstring>{L"任务栏重建，重新添加托盘图标"});

    // The icon is back: it can be changed, and removed once more.
    UpdateTrayTooltip();
    EXPECT_TRUE(log_.Contains(L"[INFO] 托盘提示已更新"));
    EXPECT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
}

TEST_F(TrayMenuTest, TooltipUpdateAndBalloonReachTheIcon) {
    UpdateTrayTooltip();
    EXPECT_EQ(Messages(log_), std::vector<std::wstring>{L"托盘提示已更新"});
    log_.Clear();
    // A balloon that succeeds writes no line; a null text is ignored.
    ShowTrayBalloon(GetText(48));
    ShowTrayBalloon(nullptr);
    EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(TrayMenuTest, AfterRemovalTooltipAndBalloonDoNothing) {
    RemoveTray();
    EXPECT_EQ(Messages(log_), std::vector<std::wstring>{L"托盘图标已移除"});
    log_.Clear();
    UpdateTrayTooltip();
    ShowTrayBalloon(GetText(48));
    RemoveTray();
    EXPECT_TRUE(log_.Lines().empty());

    // The icon is really gone from the shell.
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = window_;
    data.uID = 1;
    EXPECT_FALSE(Shell_NotifyIconW(NIM_DELETE, &data));
}

// The icons the program destroys, and the icon the program's own resource 1 stands for.
std::vector<HICON> destroyedIcons;
HICON programIcon = nullptr;
using DestroyIconFunction = BOOL(WINAPI*)(HICON);
DestroyIconFunction realDestroyIcon = nullptr;

BOOL WINAPI RecordDestroyIcon(HICON icon) {
    destroyedIcons.push_back(icon);
    return realDestroyIcon(icon);
}

// The test program has no icon resource 1; this hands out an icon of its own instead.
HANDLE WINAPI LoadProgramIcon(HINSTANCE, LPCWSTR, UINT, int, int, UINT) {
    return programIcon;
}

struct IconCase {
    const char* name;
    bool programIconLoads;
};

class TrayIconTest : public TrayMenuTest, public testing::WithParamInterface<IconCase> {};

TEST_P(TrayIconTest, RemovalDestroysTheProgramIconButNeverTheSharedFallback) {
    RemoveTray(); // the tray of SetUp
    const HICON shared = LoadIconW(nullptr, IDI_APPLICATION);
    programIcon = GetParam().programIconLoads ? CopyIcon(shared) : nullptr;
    destroyedIcons.clear();
    {
        ImportPatch destroys("DestroyIcon", reinterpret_cast<const void*>(&RecordDestroyIcon));
        ImportPatch loads("LoadImageW", reinterpret_cast<const void*>(&LoadProgramIcon));
        ASSERT_TRUE(loads.Active());
        realDestroyIcon = destroys.Original<DestroyIconFunction>();
        ASSERT_TRUE(InitTray(window_));
        RemoveTray();
    }
    if (GetParam().programIconLoads) {
        EXPECT_EQ(log_.Count(L"已加载程序图标 resource=1 size=32"), 1);
        EXPECT_EQ(destroyedIcons, std::vector<HICON>{programIcon});
        ICONINFO info = {};
        EXPECT_FALSE(GetIconInfo(programIcon, &info)) << "the program icon is really gone";
    } else {
        EXPECT_EQ(log_.Count(L"加载程序图标失败"), 1);
        // Destroying the shared icon does nothing under Wine, so the call itself is what shows the fault.
        EXPECT_TRUE(destroyedIcons.empty());
        EXPECT_NE(LoadIconW(nullptr, IDI_APPLICATION), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(Icons, TrayIconTest,
                         testing::Values(IconCase{"ProgramIcon", true}, IconCase{"SharedFallback", false}),
                         [](const testing::TestParamInfo<IconCase>& info) { return info.param.name; });

} // namespace
