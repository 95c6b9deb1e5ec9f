#pragma once
// The settings window of this process, opened on a known configuration, and the messages a person's mouse
// and keyboard would send it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>

#include "config/config.h"
#include "settings/settings_ids.h"
#include "settings/settings_state.h"
#include "settings/settings_window.h"
#include "support/test_support.h"
#include "text/texts.h"

class SettingsWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        savedConfig_ = GetConfig();
        savedLanguage_ = GetUiLanguage();
        GetConfig() = SampleConfig();
        SetUiLanguage(static_cast<uint32_t>(UiLanguage::SimplifiedChinese));
        ShowSettingsWindow();
        window_ = GetSettingsWindow();
        ASSERT_NE(window_, nullptr);
        Pump();
        log_.Clear();
    }

    void TearDown() override {
        DestroySettingsWindow();
        Pump();
        GetConfig() = savedConfig_;
        SetUiLanguage(static_cast<uint32_t>(savedLanguage_));
    }

    // Dispatches what is queued for this thread.
    static void Pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    HWND Child(int id) const { return GetDlgItem(window_, id); }
    SettingsState& State() const { return *GetSettingsState(); }
    RecorderSlot& Slot(int index) const { return State().recorders[static_cast<size_t>(index)]; }

    static LPARAM PointParam(int x, int y) {
        return MAKELPARAM(static_cast<WORD>(static_cast<int16_t>(x)),
                          static_cast<WORD>(static_cast<int16_t>(y)));
    }

    void Click(HWND target, int x, int y) {
        SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(x, y));
        SendMessageW(target, WM_LBUTTONUP, 0, PointParam(x, y));
    }

    // A click on a tab of the navigation bar (General 0, Language 1, About 2).
    void ShowPage(int page) {
        RECT client = {};
        GetClientRect(window_, &client);
        const int dpi = State().dpi;
        const int x = (2 * page + 1) * client.right / 6;
        const int y = MulDiv(40, dpi, 96) + MulDiv(22, dpi, 96);
        SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(x, y));
        Pump();
    }

    // A button's BN_CLICKED, as a click or Space on it sends it.
    void Press(int id) {
        SendMessageW(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Child(id)));
        Pump();
    }

    static std::wstring TextOf(HWND window) {
        wchar_t text[1100] = {};
        GetWindowTextW(window, text, 1100);
        return text;
    }

    // A child's rectangle in the settings window's client coordinates.
    RECT ChildRect(int id) const {
        RECT r = {};
        GetWindowRect(Child(id), &r);
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    HWND window_ = nullptr;
    CapturedLog log_;
    AppConfig savedConfig_;
    UiLanguage savedLanguage_ = UiLanguage::SimplifiedChinese;
};
