// The settings window of this process: its classes, children and their order, its layout for the page and
// the measured texts, what a second opening does, and the failures it reports.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "settings/settings_layout.h"
#include "settings_fixture.h"
#include "support/message_box.h"
#include "text/font.h"

namespace {

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// What the layout measures, taken here with a font of the same size and face.
SettingsTextMeasures MeasureLikeTheWindow(HWND window, int dpi, int fullWidth, SettingsPage page) {
    SettingsTextMeasures measures;
    HFONT font = CreateInterfaceFont(dpi, 10);
    HDC dc = GetDC(window);
    HGDIOBJ previous = SelectObject(dc, font);
    for (TextId id = 4; id <= 9; ++id) {
        SIZE size = {};
        GetTextExtentPoint32W(dc, GetText(id), static_cast<int>(wcslen(GetText(id))), &size);
        measures.labelWidth = std::max<int32_t>(measures.labelWidth, size.cx);
    }
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    measures.lineHeight = metrics.tmHeight;
    RECT hint = {0, 0, fullWidth, 0};
    DrawTextW(dc, GetText(page == SettingsPage::Language ? 16 : 15), -1, &hint,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    measures.hintBottom = hint.bottom;
    RECT about = {0, 0, fullWidth, 0};
    DrawTextW(dc, GetText(18), -1, &about, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    measures.aboutBottom = about.bottom;
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    DeleteObject(font);
    return measures;
}

std::vector<int> TabOrder(HWND window) {
    std::vector<int> ids;
    HWND first = GetNextDlgTabItem(window, nullptr, FALSE);
    HWND at = first;
    while (at != nullptr && ids.size() < 40) {
        ids.push_back(GetDlgCtrlID(at));
        at = GetNextDlgTabItem(window, at, FALSE);
        if (at == first) {
            break;
        }
    }
    return ids;
}

} // namespace

TEST_F(SettingsWindowTest, OneWindowWithItsClassesStylesAndChildrenInTabOrder) {
    ShowSettingsWindow();
    EXPECT_EQ(GetSettingsWindow(), window_) << "a second opening shows the same window";
    EXPECT_EQ(ClassOf(window_), L"KorvelSettings");
    EXPECT_EQ(GetClassLongW(window_, GCL_STYLE), static_cast<DWORD>(CS_HREDRAW | CS_VREDRAW));
    // The system adds WS_CLIPSIBLINGS to every top-level window.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window_, GWL_STYLE)) & ~(WS_VISIBLE | WS_CLIPSIBLINGS),
              0x82800000u);
    EXPECT_NE(GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    EXPECT_EQ(TextOf(window_), L"KOR-VEL 设置");
    EXPECT_TRUE(IsWindowVisible(window_));

    struct ChildCase {
        int id;
        const wchar_t* className;
        DWORD style;
    };
    const ChildCase children[] = {
        {2100, L"Static", 0x50002280},       {2101, L"Static", 0x50002280},
        {2102, L"Static", 0x50002280},       {2103, L"Static", 0x50002280},
        {2104, L"Static", 0x50002280},       {2105, L"Static", 0x50002280},
        {2107, L"Static", 0x50002280},       {2106, L"Static", 0x50002080},
        {2410, L"Static", 0x50002080},       {2411, L"Static", 0x50002080},
        {2200, L"KorvelHotkey", 0x50010000}, {2201, L"KorvelHotkey", 0x50010000},
        {2202, L"KorvelHotkey", 0x50010000}, {2300, L"Button", 0x5003000B},
        {2301, L"Button", 0x5001000B},       {2400, L"Button", 0x5003000B},
        {2401, L"Button", 0x5001000B},       {2402, L"Button", 0x5001000B},
        {2403, L"Button", 0x5001000B},       {2302, L"msctls_trackbar32", 0x50010010},
        {2303, L"Edit", 0x508100C4},         {2304, L"Button", 0x5001000B},
        {2305, L"Button", 0x5001000B},       {2306, L"Button", 0x5001000B},
    };
    // Creation order is the order of the children in the window list.
    HWND child = GetWindow(window_, GW_CHILD);
    for (const ChildCase& c : children) {
        SCOPED_TRACE(c.id);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(GetDlgCtrlID(child), c.id);
        EXPECT_EQ(_wcsicmp(ClassOf(child).c_str(), c.className), 0) << ClassOf(child).c_str();
        // Hidden page controls lack WS_VISIBLE, and the disabled quality controls have WS_DISABLED. The edit
        // control takes WS_BORDER out of its style and draws the border itself.
        const DWORD ignored = WS_VISIBLE | WS_DISABLED | (c.id == kPathEditId ? WS_BORDER : 0);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE)) & ~ignored, c.style & ~ignored);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr);
    EXPECT_EQ(GetClassLongW(Child(2200), GCL_STYLE), 0u);
    EXPECT_EQ(SendMessageW(Child(kQualitySliderId), TBM_GETRANGEMIN, 0, 0), 1);
    EXPECT_EQ(SendMessageW(Child(kQualitySliderId), TBM_GETRANGEMAX, 0, 0), 100);
    EXPECT_EQ(SendMessageW(Child(kQualitySliderId), TBM_GETPAGESIZE, 0, 0), 5);

    // Tab visits the visible, enabled tab stops in creation order: with PNG the slider is skipped.
    EXPECT_EQ(TabOrder(window_), (std::vector<int>{2200, 2201, 2202, 2300, 2301, 2303, 2304, 2305, 2306}));
    Press(kJpegRadioId);
    EXPECT_EQ(TabOrder(window_),
              (std::vector<int>{2200, 2201, 2202, 2300, 2301, 2302, 2303, 2304, 2305, 2306}));
    ShowPage(1);
    EXPECT_EQ(TabOrder(window_), (std::vector<int>{2400, 2401, 2402, 2403, 2305, 2306}));
    ShowPage(2);
    EXPECT_EQ(TabOrder(window_), (std::vector<int>{2305, 2306}));
}

TEST_F(SettingsWindowTest, EveryPageIsLaidOutForItsTextsAndIsExactlyAsTallAsItNeeds) {
    RECT frame = {};
    GetWindowRect(window_, &frame);
    EXPECT_EQ(frame.right - frame.left, 700);
    std::vector<int> heights;
    const std::vector<int> pageIds[] = {
        {2100, 2101, 2102, 2103, 2104, 2105, 2107, 2106, 2200, 2201, 2202, 2300, 2301, 2302, 2303, 2304},
        {2400, 2401, 2402, 2403, 2106},
        {2410, 2411}};
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        ShowPage(page);
        ASSERT_EQ(static_cast<int>(State().page), page);
        RECT client = {};
        GetClientRect(window_, &client);
        const SettingsLayout expected =
            ComputeSettingsLayout(client.right, 96, static_cast<SettingsPage>(page),
                                  MeasureLikeTheWindow(window_, 96, SettingsFullWidth(client.right, 96),
                                                       static_cast<SettingsPage>(page)));
        for (const ControlPlace& place : expected.controls) {
            const RECT r = ChildRect(place.id);
            EXPECT_EQ(r.left, place.rect.left) << place.id;
            EXPECT_EQ(r.top, place.rect.top) << place.id;
            EXPECT_EQ(r.right, place.rect.right) << place.id;
            EXPECT_EQ(r.bottom, place.rect.bottom) << place.id;
        }
        EXPECT_EQ(client.bottom, expected.clientHeight);
        EXPECT_EQ(ChildRect(kOkButtonId).bottom + 12, client.bottom);
        // Only this page's controls (and OK and Cancel) show.
        for (int id : kSettingsControlIds) {
            const bool onPage = std::count(pageIds[page].begin(), pageIds[page].end(), id) > 0 ||
                                id == kOkButtonId || id == kCancelButtonId;
            EXPECT_EQ(IsWindowVisible(Child(id)) != FALSE, onPage) << id;
        }
        heights.push_back(client.bottom);
        GetWindowRect(window_, &frame);
        EXPECT_EQ(frame.right - frame.left, 700);
    }
    EXPECT_NE(heights[0], heights[1]);
    EXPECT_NE(heights[0], heights[2]);
    EXPECT_NE(heights[1], heights[2]);
    EXPECT_EQ(log_.Count(L"[INFO] 设置页切换 page="), 2);
}

TEST_F(SettingsWindowTest, ClickingTheSelectedTabDoesNothing) {
    ShowPage(0);
    EXPECT_EQ(log_.Count(L"设置页切换"), 0);
    EXPECT_EQ(static_cast<int>(State().page), 0);
}

TEST_F(SettingsWindowTest, ASecondOpeningReturnsToGeneralAndDropsUnsavedEdits) {
    RECT before = {};
    GetWindowRect(window_, &before);
    Click(Child(kRegionRecorderId), 5, 5);
    SendMessageW(Child(kRegionRecorderId), WM_KEYDOWN, VK_BACK, 0);
    Press(kJpegRadioId);
    SetWindowTextW(Child(kPathEditId), L"E:\\elsewhere");
    SendMessageW(Child(kQualitySliderId), TBM_SETPOS, TRUE, 40);
    ShowPage(1);
    ASSERT_FALSE(Slot(0).binding.enabled);

    // Moved by the user: a second opening keeps the place.
    SetWindowPos(window_, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowSettingsWindow();
    Pump();
    EXPECT_EQ(GetSettingsWindow(), window_);
    EXPECT_EQ(State().page, SettingsPage::General);
    EXPECT_TRUE(Slot(0).binding.enabled);
    EXPECT_EQ(Slot(0).binding.vk, 0x41u);
    EXPECT_EQ(TextOf(Child(kRegionRecorderId)), L"Ctrl + Alt + A");
    EXPECT_EQ(State().formatChoice, kPngRadioId);
    EXPECT_FALSE(IsWindowEnabled(Child(kQualitySliderId)));
    EXPECT_EQ(TextOf(Child(kPathEditId)), L"D:\\shots");
    EXPECT_EQ(SendMessageW(Child(kQualitySliderId), TBM_GETPOS, 0, 0), 90);
    EXPECT_EQ(TextOf(Child(kQualityNumberId)), L"90");
    EXPECT_TRUE(IsWindowVisible(Child(kRegionRecorderId)));
    RECT after = {};
    GetWindowRect(window_, &after);
    EXPECT_EQ(after.left, 40);
    EXPECT_EQ(after.top, 30);
    EXPECT_TRUE(log_.Contains(L"[INFO] 设置单选 formatId=2300 languageId=2400"));
}

// The minimise glyph and the system's minimise command: down to the taskbar with every edit; the next
// opening only restores it.
TEST_F(SettingsWindowTest, MinimisingKeepsEveryEditAndTheNextOpeningRestoresItAsItWas) {
    const std::function<void()> minimisers[] = {
        [&] {
            RECT client = {};
            GetClientRect(window_, &client);
            const Rect box = CaptionBoxRect(client.right, 96, kMinimiseBox);
            Click(window_, (box.left + box.right) / 2, (box.top + box.bottom) / 2);
        },
        [&] { SendMessageW(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0); },
    };
    for (const auto& minimise : minimisers) {
        Press(kJpegRadioId);
        SetWindowTextW(Child(kPathEditId), L"E:\\elsewhere");
        Press(2402); // English, not saved
        ShowPage(2);
        log_.Clear();

        minimise();
        Pump();
        EXPECT_TRUE(IsIconic(window_));
        EXPECT_TRUE(IsWindowVisible(window_)) << "it keeps its taskbar button";
        EXPECT_EQ(GetUiLanguage(), UiLanguage::English);

        ShowSettingsWindow();
        Pump();
        EXPECT_FALSE(IsIconic(window_));
        EXPECT_TRUE(IsWindowVisible(window_));
        EXPECT_EQ(State().page, SettingsPage::About);
        EXPECT_EQ(State().formatChoice, kJpegRadioId);
        EXPECT_EQ(State().languageChoice, 2402);
        EXPECT_EQ(TextOf(Child(kPathEditId)), L"E:\\elsewhere");
        EXPECT_EQ(log_.Count(L"设置单选"), 0) << "nothing reloaded";
        EXPECT_EQ(log_.Count(L"[INFO] 恢复最小化的设置窗口"), 1);
        EXPECT_EQ(log_.Count(L"取消设置"), 0);

        // Cancel still drops them all.
        Press(kCancelButtonId);
        EXPECT_EQ(GetUiLanguage(), UiLanguage::SimplifiedChinese);
        ShowSettingsWindow();
        Pump();
        EXPECT_EQ(TextOf(Child(kPathEditId)), L"D:\\shots");
        EXPECT_EQ(State().formatChoice, kPngRadioId);
    }
}

// OK refuses a folder that config.ini would read back as empty, and one longer than Windows can make,
// wherever its text came from; nothing is saved and the window stays open.
TEST_F(SettingsWindowTest, OkRefusesABlankFolderAndOneTooLongWhereverItCameFrom) {
    std::wstring tooLong = L"C:\\korvel";
    while (tooLong.size() < 249) {
        tooLong += L"\\level";
    }
    ASSERT_EQ(tooLong.size(), 249u);
    const AppConfig before = GetConfig();
    const struct {
        const char* source;
        std::function<void()> fill;
        const wchar_t* message;
    } cases[] = {
        {"one space, typed", [&] { SendMessageW(Child(kPathEditId), WM_CHAR, L' ', 0); },
         L"请填写保存路径。"},
        {"spaces and a tab, pasted",
         [&] {
             ASSERT_TRUE(PutTextOnClipboard(window_, L"  \t "));
             SendMessageW(Child(kPathEditId), WM_PASTE, 0, 0);
         },
         L"请填写保存路径。"},
        {"249 characters, typed",
         [&] {
             for (wchar_t c : tooLong) {
                 SendMessageW(Child(kPathEditId), WM_CHAR, c, 0);
             }
         },
         L"保存路径太长，最多 248 个字符。"},
        {"249 characters, pasted",
         [&] {
             ASSERT_TRUE(PutTextOnClipboard(window_, tooLong));
             SendMessageW(Child(kPathEditId), WM_PASTE, 0, 0);
         },
         L"保存路径太长，最多 248 个字符。"},
        {"thirty thousand levels, read from config.ini",
         [&] {
             std::wstring deep = L"C:\\shots";
             for (int level = 0; level < 30000; ++level) {
                 deep += L"\\a";
             }
             GetConfig().saveDir = deep;
             ShowSettingsWindow();
             Pump();
             GetConfig() = before;
         },
         L"保存路径太长，最多 248 个字符。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        SetFocus(Child(kPathEditId));
        SetWindowTextW(Child(kPathEditId), L"");
        c.fill();
        std::wstring shown;
        std::thread answer([&shown] { shown = AnswerKorvelMessageBox(10000); });
        Press(kOkButtonId);
        answer.join();
        EXPECT_EQ(shown, c.message);
        EXPECT_TRUE(IsWindowVisible(window_));
        EXPECT_EQ(log_.Count(L"设置已保存"), 0);
        EXPECT_EQ(GetConfig().saveDir, before.saveDir);
    }
}

TEST_F(SettingsWindowTest, TheFormatChoiceEnablesTheQualityControlsForJpegOnly) {
    for (int id : {kQualitySliderId, kQualityLabelId, kQualityNumberId}) {
        EXPECT_FALSE(IsWindowEnabled(Child(id))) << id;
    }
    Press(kJpegRadioId);
    EXPECT_EQ(State().formatChoice, kJpegRadioId);
    for (int id : {kQualitySliderId, kQualityLabelId, kQualityNumberId}) {
        EXPECT_TRUE(IsWindowEnabled(Child(id))) << id;
    }
    EXPECT_TRUE(log_.Contains(L"[INFO] 选择图片格式 id=2301"));
    // Moving the slider updates its number.
    SendMessageW(Child(kQualitySliderId), TBM_SETPOS, TRUE, 75);
    SendMessageW(window_, WM_HSCROLL, TB_THUMBPOSITION, reinterpret_cast<LPARAM>(Child(kQualitySliderId)));
    EXPECT_EQ(TextOf(Child(kQualityNumberId)), L"75");
    Press(kPngRadioId);
    EXPECT_FALSE(IsWindowEnabled(Child(kQualitySliderId)));
}

// The system suggests a new rectangle when the window moves to a monitor of another DPI: the window takes
// it and lays itself out again (Wine has one monitor; the layout's DPI cases are in the unit tests).
TEST_F(SettingsWindowTest, ADpiChangeTakesTheSuggestedPlaceAndFitsTheHeightAgain) {
    RECT client = {};
    GetClientRect(window_, &client);
    const int wanted = client.bottom;
    RECT suggested = {120, 80, 120 + 1050, 80 + 900};
    SendMessageW(window_, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT frame = {};
    GetWindowRect(window_, &frame);
    EXPECT_EQ(frame.left, 120);
    EXPECT_EQ(frame.top, 80);
    EXPECT_EQ(frame.right - frame.left, 1050);
    GetClientRect(window_, &client);
    // The window's DPI is still 96 here, so the page needs the same height as before.
    EXPECT_EQ(client.bottom, wanted);
    EXPECT_EQ(ChildRect(kCancelButtonId).right, client.right - 20);
}

// A class that an earlier attempt registered before failing counts as registered.
TEST_F(SettingsWindowTest, AnAttemptThatStoppedHalfWayIsRetriedForReal) {
    DestroySettingsWindow();
    Pump();
    ASSERT_EQ(GetSettingsWindow(), nullptr);
    ResetSettingsClassesForTesting();
    log_.Clear();
    ShowSettingsWindow();
    EXPECT_NE(GetSettingsWindow(), nullptr);
    // (This test program has no icon to load: those errors are expected here.)
    EXPECT_FALSE(log_.Contains(L"注册快捷键控件类失败"));
    EXPECT_FALSE(log_.Contains(L"注册设置窗口类失败"));
    EXPECT_FALSE(log_.Contains(L"创建设置窗口失败"));
    window_ = GetSettingsWindow();
}

TEST_F(SettingsWindowTest, QuitDestroysTheWindowAndFreesItsState) {
    DestroySettingsWindow();
    Pump();
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_EQ(GetSettingsWindow(), nullptr);
    EXPECT_EQ(GetSettingsState(), nullptr);
    DestroySettingsWindow(); // nothing left to destroy
    ShowSettingsWindow();
    EXPECT_NE(GetSettingsWindow(), nullptr) << "a later opening creates it again";
}

// Points the folder dialog's class at a library that does not exist while it lives, so that creating the
// dialog fails as on a damaged system; the registered library is put back afterwards. (Wine reads classes
// from the machine's part of the registry only.)
class BrokenFolderDialogClass {
  public:
    BrokenFolderDialogClass() {
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServerKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key_) !=
            ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD size = sizeof saved_;
        if (RegQueryValueExW(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(saved_), &size) !=
            ERROR_SUCCESS) {
            RegCloseKey(key_);
            key_ = nullptr;
            return;
        }
        Set(L"C:\\korvel-missing\\nothing.dll");
    }
    ~BrokenFolderDialogClass() {
        if (key_ != nullptr) {
            Set(saved_);
            RegCloseKey(key_);
        }
    }
    BrokenFolderDialogClass(const BrokenFolderDialogClass&) = delete;
    BrokenFolderDialogClass& operator=(const BrokenFolderDialogClass&) = delete;

    bool Ok() const { return key_ != nullptr; }

  private:
    void Set(const wchar_t* library) {
        RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(library),
                       static_cast<DWORD>((wcslen(library) + 1) * sizeof(wchar_t)));
    }
    static constexpr const wchar_t* kServerKey =
        L"Software\\Classes\\CLSID\\{DC1C5A9C-E88A-4DDE-A5A1-60F82A20AEF7}\\InprocServer32";
    HKEY key_ = nullptr;
    wchar_t saved_[MAX_PATH] = {};
};

TEST_F(SettingsWindowTest, AFolderDialogThatCannotBeCreatedIsReported) {
    BrokenFolderDialogClass broken;
    ASSERT_TRUE(broken.Ok());
    std::wstring shown;
    std::thread answer([&shown] {
        shown = AnswerKorvelMessageBox(10000);
        // Should the dialog have opened after all, it is cancelled so that the test ends.
        if (HWND dialog = FindWindowW(L"#32770", L"选择截图保存目录")) {
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    });
    Press(kBrowseButtonId);
    answer.join();
    EXPECT_EQ(shown, L"无法打开目录选择窗口。");
    EXPECT_TRUE(log_.Contains(L"[ERROR] 创建目录选择对话框失败 hr=0x"));
    EXPECT_EQ(TextOf(Child(kPathEditId)), L"D:\\shots");
}
