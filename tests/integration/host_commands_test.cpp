// The global shortcuts, the command numbers that nothing handles, and the language refresh, run against real
// windows and real hotkey registrations.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/host.h"
#include "config/config.h"
#include "floatbar/floatbar.h"
#include "support/test_support.h"
#include "text/texts.h"
#include "tray/tray.h"

namespace {

constexpr wchar_t kWindowClass[] = L"KorvelHostCommandsTest";
// An identifier of the other window's hotkeys, outside the host's 1 to 3.
constexpr int kOtherHotkeyId = 0x77;

HWND CreateTestWindow(const wchar_t* title) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass); // a second registration fails harmlessly
    return CreateWindowExW(0, kWindowClass, title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// Lines after the log's stamp, with their level, for exact comparisons: "[INFO] message".
std::vector<std::wstring> Messages(const CapturedLog& log) {
    std::vector<std::wstring> messages;
    for (const std::wstring& line : log.Lines()) {
        const size_t level = line.find(L'[');
        std::wstring message = level == std::wstring::npos ? line : line.substr(level);
        while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) {
            message.pop_back();
        }
        messages.push_back(message);
    }
    return messages;
}

// The position of the first line at or after `from` that contains `part`; -1 when there is none.
int FindLine(const std::vector<std::wstring>& lines, const std::wstring& part, int from) {
    for (int index = from; index < static_cast<int>(lines.size()); ++index) {
        if (lines[index].find(part) != std::wstring::npos) {
            return index;
        }
    }
    return -1;
}

const std::wstring kRegionOk = L"[INFO] 注册快捷键成功 name=框选 key=Ctrl + Alt + A";
const std::wstring kScreenOk = L"[INFO] 注册快捷键成功 name=全屏 key=Ctrl + Alt + F";
const std::wstring kWindowOk = L"[INFO] 注册快捷键成功 name=窗口 key=Ctrl + Alt + W";

class HostCommandTest : public testing::Test {
  protected:
    void SetUp() override {
        savedConfig_ = GetConfig();
        savedLanguage_ = GetUiLanguage();
        GetConfig() = MakeDefaultConfig();
        host_ = CreateTestWindow(L"Korvel host test");
        other_ = CreateTestWindow(L"Korvel other program test");
        ASSERT_NE(host_, nullptr);
        ASSERT_NE(other_, nullptr);
        log_.Clear();
    }

    void TearDown() override {
        for (int id = kRegionHotkeyId; id <= kWindowHotkeyId; ++id) {
            UnregisterHotKey(host_, id);
        }
        UnregisterHotKey(other_, kOtherHotkeyId);
        hostWindow = nullptr;
        RemoveTray();
        DestroyFloatBar();
        DestroyWindow(host_);
        DestroyWindow(other_);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        GetConfig() = savedConfig_;
        SetUiLanguage(static_cast<uint32_t>(savedLanguage_));
    }

    // True when another window can take the combination, i.e. the host does not hold it.
    bool IsFree(UINT mod, UINT vk) {
        if (!RegisterHotKey(other_, kOtherHotkeyId + 1, mod, vk)) {
            return false;
        }
        UnregisterHotKey(other_, kOtherHotkeyId + 1);
        return true;
    }

    HWND host_ = nullptr;
    HWND other_ = nullptr;
    CapturedLog log_;
    AppConfig savedConfig_;
    UiLanguage savedLanguage_ = UiLanguage::SimplifiedChinese;
};

TEST_F(HostCommandTest, UnknownCommandNumberLogsItAndDoesNothingElse) {
    const int32_t commands[] = {0, 8, -1, 100, INT_MIN, INT_MAX};
    for (int32_t command : commands) {
        SCOPED_TRACE(command);
        log_.Clear();
        OnHostCommand(command);
        EXPECT_EQ(Messages(log_),
                  std::vector<std::wstring>{L"[ERROR] 未知托盘命令 " + std::to_wstring(command)});
    }
}

TEST_F(HostCommandTest, InactiveBindingIsNotRegisteredAndCountsAsSuccess) {
    struct InactiveCase {
        const wchar_t* name;
        HotkeyBinding binding;
    };
    const InactiveCase cases[] = {
        {L"框选", {kModControl | kModAlt, 'A', false}},
        {L"全屏", {kModControl | kModAlt, 0, true}},
        {L"窗口", {0, 0, false}},
    };
    hostWindow = host_;
    for (const InactiveCase& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        log_.Clear();
        EXPECT_TRUE(RegisterShortcut(kRegionHotkeyId, testCase.binding, testCase.name));
        EXPECT_EQ(Messages(log_),
                  std::vector<std::wstring>{std::wstring(L"[INFO] 快捷键未启用 name=") + testCase.name});
    }
    EXPECT_TRUE(IsFree(MOD_CONTROL | MOD_ALT, 'A'));
}

TEST_F(HostCommandTest, ReregisteringWithoutAHostWindowOnlyLogs) {
    ReregisterHotkeys();
    EXPECT_EQ(Messages(log_), std::vector<std::wstring>{L"[ERROR] 重新注册快捷键失败：主窗口不存在"});

    // A handle whose window has gone counts as no window.
    const HWND gone = CreateTestWindow(L"Korvel gone test");
    DestroyWindow(gone);
    hostWindow = gone;
    log_.Clear();
    ReregisterHotkeys();
    EXPECT_EQ(Messages(log_), std::vector<std::wstring>{L"[ERROR] 重新注册快捷键失败：主窗口不存在"});
    EXPECT_TRUE(IsFree(MOD_CONTROL | MOD_ALT, 'A'));
}

TEST_F(HostCommandTest, DefaultBindingsRegisterAllThreeOnTheHostWindow) {
    hostWindow = host_;
    ReregisterHotkeys();
    EXPECT_EQ(Messages(log_), (std::vector<std::wstring>{kRegionOk, kScreenOk, kWindowOk}));
    EXPECT_FALSE(IsFree(MOD_CONTROL | MOD_ALT, 'A'));
    EXPECT_FALSE(IsFree(MOD_CONTROL | MOD_ALT, 'F'));
    EXPECT_FALSE(IsFree(MOD_CONTROL | MOD_ALT, 'W'));
    // Held under the host's identifiers 1 to 3.
    EXPECT_TRUE(UnregisterHotKey(host_, kRegionHotkeyId));
    EXPECT_TRUE(IsFree(MOD_CONTROL | MOD_ALT, 'A'));
}

TEST_F(HostCommandTest, ReregisteringReleasesTheOldKeysFirst) {
    hostWindow = host_;
    ReregisterHotkeys();
    log_.Clear();
    // Again with the same keys: its own earlier registrations are no conflict.
    ReregisterHotkeys();
    EXPECT_EQ(Messages(log_), (std::vector<std::wstring>{kRegionOk, kScreenOk, kWindowOk}));

    // A changed binding frees the combination it replaced.
    GetConfig().region = {kModControl | kModShift, 'B', true};
    log_.Clear();
    ReregisterHotkeys();
    EXPECT_EQ(Messages(log_),
              (std::vector<std::wstring>{L"[INFO] 注册快捷键成功 name=框选 key=Ctrl + Shift + B", kScreenOk,
                                         kWindowOk}));
    EXPECT_TRUE(IsFree(MOD_CONTROL | MOD_ALT, 'A'));
    EXPECT_FALSE(IsFree(MOD_CONTROL | MOD_SHIFT, 'B'));
}

TEST_F(HostCommandTest, CombinationHeldElsewhereFailsWhileTheOthersStillRegister) {
    ASSERT_TRUE(RegisterHotKey(other_, kOtherHotkeyId, MOD_CONTROL | MOD_ALT, 'A'));
    hostWindow = host_;
    ReregisterHotkeys();
    const std::vector<std::wstring> lines = Messages(log_);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind(L"[ERROR] 注册快捷键失败 name=框选 key=Ctrl + Alt + A err=", 0), 0u)
        << lines[0].c_str();
    EXPECT_NE(lines[0].substr(lines[0].find(L"err=")), L"err=0");
    EXPECT_EQ(lines[1], kScreenOk);
    EXPECT_EQ(lines[2], kWindowOk);
}

TEST_F(HostCommandTest, SecondBindingWithTheSameKeysFails) {
    GetConfig().full = GetConfig().region;
    hostWindow = host_;
    ReregisterHotkeys();
    const std::vector<std::wstring> lines = Messages(log_);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], kRegionOk);
    EXPECT_EQ(lines[1].rfind(L"[ERROR] 注册快捷键失败 name=全屏 key=Ctrl + Alt + A err=", 0), 0u)
        << lines[1].c_str();
    EXPECT_EQ(lines[2], kWindowOk);
    EXPECT_TRUE(IsFree(MOD_CONTROL | MOD_ALT, 'F'));
}

TEST_F(HostCommandTest, DisabledBindingIsSkippedWithoutAnError) {
    GetConfig().window.enabled = false;
    hostWindow = host_;
    ReregisterHotkeys();
    EXPECT_EQ(Messages(log_),
              (std::vector<std::wstring>{kRegionOk, kScreenOk, L"[INFO] 快捷键未启用 name=窗口"}));
    EXPECT_TRUE(IsFree(MOD_CONTROL | MOD_ALT, 'W'));
}

TEST_F(HostCommandTest, LanguageRefreshRunsToolbarThenTooltipThenPreviews) {
    hostWindow = host_;
    ASSERT_TRUE(InitTray(host_));
    ASSERT_TRUE(CreateFloatBar(OnHostCommand));
    SetUiLanguage(static_cast<uint32_t>(UiLanguage::Japanese));
    log_.Clear();
    RefreshLanguage();
    const std::vector<std::wstring> lines = Messages(log_);
    DestroyFloatBar();
    const int toolbar = FindLine(lines, L"[INFO] 悬浮工具栏已按语言重排", 0);
    const int tooltip = FindLine(lines, L"[INFO] 托盘提示已更新", 0);
    const int previews = FindLine(lines, L"[INFO] 预览按钮已按语言更新 count=", 0);
    const int done = FindLine(lines, L"[INFO] 已按语言刷新界面 language=3", 0);
    ASSERT_GE(toolbar, 0);
    EXPECT_LT(toolbar, tooltip);
    EXPECT_LT(tooltip, previews);
    EXPECT_LT(previews, done);
    EXPECT_EQ(done, static_cast<int>(lines.size()) - 1);
}

TEST_F(HostCommandTest, LanguageRefreshWithoutATraySkipsOnlyTheTooltip) {
    SetUiLanguage(static_cast<uint32_t>(UiLanguage::TraditionalChinese));
    log_.Clear();
    RefreshLanguage();
    const std::vector<std::wstring> lines = Messages(log_);
    EXPECT_EQ(FindLine(lines, L"托盘提示已更新", 0), -1);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), L"[INFO] 已按语言刷新界面 language=1");
}

} // namespace
