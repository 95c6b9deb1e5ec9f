#pragma once
// The settings window of the real Korvel.exe, opened and driven like a person would: through the tray
// menu, clicks on its controls and keys.
#include <string>
#include <vector>

#include "capture/screen_capture.h"
#include "config/config_text.h"
#include "desktop_probe.h"
#include "e2e_fixture.h"
#include "settings/settings_ids.h"
#include "support/bitmap_pixels.h"
#include "support/floatbar_probe.h"
#include "support/message_box.h"

class SettingsE2ETest : public KorvelE2ETest {
  protected:
    void TearDown() override {
        if (korvel_.Running()) {
            EXPECT_EQ(QuitThroughTrayMenu(korvel_), 0);
        }
    }

    // Starts Korvel with this configuration written to config.ini.
    void StartWith(const AppConfig& config) {
        WriteConfig("\xEF\xBB\xBF" + ToUtf8(SerializeConfig(config)));
        ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel_));
        host_ = FindWindowW(L"KorvelHost", L"Korvel");
    }

    // Settings in the tray menu: from no selection, Up selects Quit, then the site, then Settings.
    HWND OpenFromTray() {
        PostTrayEvent(host_, WM_RBUTTONUP);
        if (WaitForPopupMenu(5000) == nullptr) {
            return nullptr;
        }
        PressKey(VK_UP, 3);
        PressKey(VK_RETURN);
        settings_ = WaitForVisibleWindow(L"KorvelSettings", 5000);
        Sleep(200);
        return settings_;
    }

    HWND Child(int id) const { return GetDlgItem(settings_, id); }

    // The floating toolbar, once it is there (configurations with the toolbar on show it at start).
    static HWND Toolbar() { return WaitForVisibleWindow(L"KorvelFloatBar", 5000); }

    // A press on toolbar button `index` (0 Capture, 1 Window, 2 Screen, 3 Settings, 4 Quit), laid out for the
    // language Korvel runs in.
    static void PressToolbarButton(int index, UiLanguage language) {
        HWND bar = Toolbar();
        const UiLanguage before = GetUiLanguage();
        SetUiLanguage(static_cast<uint32_t>(language));
        const Rect button = ExpectedFloatBarGeometry(96).buttonRects[index];
        SetUiLanguage(static_cast<uint32_t>(before));
        const RECT r = ScreenRect(bar);
        ClickAt(r.left + (button.left + button.right) / 2, r.top + (button.top + button.bottom) / 2);
        Sleep(150);
    }

    static RECT ScreenRect(HWND window) {
        RECT r = {};
        GetWindowRect(window, &r);
        return r;
    }

    void ClickChild(int id, int dx = 0) {
        const RECT r = ScreenRect(Child(id));
        ClickAt((r.left + r.right) / 2 + dx, (r.top + r.bottom) / 2);
        Sleep(150);
    }

    // A point in the settings window's client area, in screen coordinates.
    POINT ClientPoint(int x, int y) const {
        POINT p = {x, y};
        ClientToScreen(settings_, &p);
        return p;
    }

    RECT Client() const {
        RECT r = {};
        GetClientRect(settings_, &r);
        return r;
    }

    // The middle of tab `page` (0 General, 1 Language, 2 About) at 96 DPI.
    void ClickTab(int page) {
        const POINT p = ClientPoint((2 * page + 1) * Client().right / 6, 62);
        ClickAt(p.x, p.y);
        Sleep(200);
    }

    // The control with the keyboard focus in Korvel.
    HWND Focus() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(settings_, nullptr), &info);
        return info.hwndFocus;
    }

    // A window's text, asked from Korvel (an edit control keeps its own).
    static std::wstring TextOf(HWND window) {
        wchar_t text[1100] = {};
        DWORD_PTR copied = 0;
        SendMessageTimeoutW(window, WM_GETTEXT, 1100, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 3000,
                            &copied);
        return text;
    }

    static std::vector<uint32_t> ScreenPixels(const RECT& r) {
        CapturedImage image;
        std::vector<uint32_t> pixels;
        if (CaptureScreenRect(Rect{r.left, r.top, r.right, r.bottom}, image)) {
            pixels = ReadBitmapPixels(image.bitmap);
        }
        ReleaseCapturedImage(image);
        return pixels;
    }

    static uint32_t ScreenPixel(int x, int y) {
        const std::vector<uint32_t> pixels = ScreenPixels(RECT{x, y, x + 1, y + 1});
        return pixels.empty() ? 0xFFFFFFFF : pixels[0];
    }

    // The brightest pixel of a screen area, as the sum of its red, green and blue.
    static int Brightest(const RECT& r) {
        int brightest = 0;
        for (uint32_t p : ScreenPixels(r)) {
            brightest =
                std::max<int>(brightest, static_cast<int>((p >> 16) + ((p >> 8) & 0xFF) + (p & 0xFF)));
        }
        return brightest;
    }

    // Cancels the region overlay once it is up (it takes the keyboard a moment after it shows).
    static bool CancelOverlay() {
        if (WaitForVisibleWindow(L"KorvelOverlay", 5000) == nullptr) {
            return false;
        }
        const int cancelled = LogCount(L"[INFO] 截图取消或失败 mode=0");
        for (int attempt = 0; attempt < 3; ++attempt) {
            Sleep(300);
            PressKey(VK_ESCAPE);
            if (WaitUntil([&] { return LogCount(L"[INFO] 截图取消或失败 mode=0") > cancelled; }, 2000)) {
                return true;
            }
        }
        return false;
    }

    // Records Ctrl + Shift + R in the region box and presses OK; returns the message of the box that OK
    // shows.
    std::wstring ChangeRegionShortcutAndPressOk() {
        ClickChild(kRegionRecorderId);
        PressShortcut(MOD_CONTROL | MOD_SHIFT, 'R');
        if (!WaitForLogLine(L"录制快捷键 Ctrl + Shift + R", 3000)) {
            ADD_FAILURE() << "the region box recorded nothing";
            return {};
        }
        ClickChild(kOkButtonId);
        return AnswerKorvelMessageBox(5000);
    }

    // After an OK that could not save: the window stays open with the edit, nothing was saved or registered,
    // and the old region shortcut still captures while the new one does not.
    void ExpectOkChangedNothing() {
        EXPECT_TRUE(IsWindowVisible(settings_)) << "the window stays open with the edits";
        EXPECT_EQ(TextOf(Child(kRegionRecorderId)), L"Ctrl + Shift + R");
        EXPECT_EQ(LogCount(L"设置已保存"), 0);
        EXPECT_EQ(LogCount(L"name=框选 key=Ctrl + Shift + R"), 0) << "the new shortcut was never registered";
        PressShortcut(MOD_CONTROL | MOD_SHIFT, 'R');
        EXPECT_EQ(WaitForVisibleWindow(L"KorvelOverlay", 1500), nullptr);
        PressShortcut(MOD_CONTROL | MOD_ALT, 'A');
        EXPECT_TRUE(CancelOverlay());
    }

    ChildProcess korvel_;
    HWND host_ = nullptr;
    HWND settings_ = nullptr;
};
