// The settings window of the real Korvel.exe: the live language switch and its undoing, the folder picker,
// the path field's keys and pastes, Tab through the controls, and the palette on screen.
#include <functional>
#include <string>
#include <vector>

#include "app/gdiplus_session.h"
#include "capture/image_save.h"
#include "settings_fixture.h"

namespace {

std::wstring TitleOf(HWND window) {
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    return title;
}

HWND VisiblePreview() {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"KorvelPreview", nullptr)) != nullptr) {
        if (IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

// The toolbar's width in a language, from its texts measured here.
int ToolbarWidthIn(UiLanguage language) {
    const UiLanguage before = GetUiLanguage();
    SetUiLanguage(static_cast<uint32_t>(language));
    const int width = ExpectedFloatBarGeometry(96).width;
    SetUiLanguage(static_cast<uint32_t>(before));
    return width;
}

constexpr wchar_t kPickerTitle[] = L"选择截图保存目录";

HWND WaitForFolderPicker() {
    HWND picker = nullptr;
    for (int i = 0; i < 100 && picker == nullptr; ++i) {
        picker = FindWindowW(L"#32770", kPickerTitle);
        Sleep(50);
    }
    Sleep(300);
    return picker;
}

} // namespace

TEST_F(SettingsE2ETest, EnglishSwitchesEverythingAtOnceCancelAndAltF4SwitchBackAndOkKeepsIt) {
    AppConfig config = SampleConfig();
    config.toolbar = true;
    ASSERT_NO_FATAL_FAILURE(StartWith(config));
    HWND bar = Toolbar();
    ASSERT_NE(bar, nullptr);
    const RECT barBefore = ScreenRect(bar);
    const int chineseWidth = ToolbarWidthIn(UiLanguage::SimplifiedChinese);
    const int englishWidth = ToolbarWidthIn(UiLanguage::English);
    ASSERT_NE(chineseWidth, englishWidth);
    EXPECT_EQ(barBefore.right - barBefore.left, chineseWidth);
    // A preview of a small region, away from where the settings window opens.
    PressShortcut(MOD_CONTROL | MOD_ALT, 'A');
    ASSERT_NE(WaitForVisibleWindow(L"KorvelOverlay", 5000), nullptr);
    Sleep(150);
    DragLeft(40, 40, 260, 160);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([] { return VisiblePreview() != nullptr; }, 5000));
    Sleep(300);
    const RECT previewArea = ScreenRect(VisiblePreview());
    const std::vector<uint32_t> chinesePreview = ScreenPixels(previewArea);
    ASSERT_TRUE(TrayTooltipPresent(L"KOR-VEL 截图"));

    ASSERT_NE(OpenFromTray(), nullptr);
    ClickTab(1);
    ClickChild(2402);
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 已按语言刷新界面 language=2", 3000));
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 选择语言按钮 id=2402", 100));
    EXPECT_EQ(TitleOf(settings_), L"KOR-VEL Settings");
    EXPECT_EQ(TextOf(Child(kRegionLabelId)), L"Region");
    EXPECT_EQ(TextOf(Child(kOkButtonId)), L"OK");
    EXPECT_EQ(TextOf(Child(kHintId)),
              L"The interface switches right away. OK remembers it. Cancel restores the previous language.");
    EXPECT_TRUE(WaitUntil([] { return TrayTooltipPresent(L"KOR-VEL"); }, 3000));
    EXPECT_TRUE(WaitUntil([&] { return ScreenPixels(previewArea) != chinesePreview; }, 3000))
        << "the preview's buttons in English";
    // The toolbar is laid out again for the English texts, from the same top-left corner.
    EXPECT_EQ(ScreenRect(bar).right - ScreenRect(bar).left, englishWidth);
    EXPECT_EQ(ScreenRect(bar).left, barBefore.left);
    EXPECT_EQ(ScreenRect(bar).top, barBefore.top);

    ClickChild(kCancelButtonId);
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 取消设置，恢复语言 0", 3000));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings_); }, 3000));
    EXPECT_EQ(TitleOf(settings_), L"KOR-VEL 设置");
    EXPECT_TRUE(WaitUntil([] { return TrayTooltipPresent(L"KOR-VEL 截图"); }, 3000));
    EXPECT_TRUE(WaitUntil([&] { return ScreenPixels(previewArea) == chinesePreview; }, 3000));
    EXPECT_EQ(ScreenRect(bar).right - ScreenRect(bar).left, chineseWidth);
    EXPECT_EQ(ScreenRect(bar).left, barBefore.left);

    // Alt+F4 closes like Cancel.
    ASSERT_NE(OpenFromTray(), nullptr);
    ClickTab(1);
    ClickChild(2402);
    ASSERT_TRUE(WaitUntil([&] { return TitleOf(settings_) == L"KOR-VEL Settings"; }, 3000));
    PressShortcut(MOD_ALT, VK_F4);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings_); }, 3000));
    EXPECT_EQ(LogCount(L"[INFO] 取消设置，恢复语言 0"), 2);
    EXPECT_EQ(TitleOf(settings_), L"KOR-VEL 设置");
    EXPECT_NE(ReadConfigFile().find("language=0\r\n"), std::string::npos);

    ASSERT_NE(OpenFromTray(), nullptr);
    ClickTab(1);
    ClickChild(2402);
    ClickChild(kOkButtonId);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings_); }, 3000));
    EXPECT_NE(ReadConfigFile().find("language=2\r\n"), std::string::npos);
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 设置已保存 language=2 format=0", 1000));
    EXPECT_TRUE(TrayTooltipPresent(L"KOR-VEL"));
}

TEST_F(SettingsE2ETest, BrowseOpensInTheFieldsFolderAndFillsTheFieldWithTheChoice) {
    CreateDirectoryW(L"C:\\korvel-e2e", nullptr);
    CreateDirectoryW(L"C:\\korvel-e2e\\browse-start", nullptr);
    CreateDirectoryW(L"C:\\korvel-e2e\\browse-start\\sub", nullptr);
    CreateDirectoryW(L"C:\\korvel-e2e\\browse-other", nullptr);
    AppConfig config = SampleConfig();
    config.saveDir = L"C:\\korvel-e2e\\browse-start";
    ASSERT_NO_FATAL_FAILURE(StartWith(config));
    ASSERT_NE(OpenFromTray(), nullptr);

    // A name without a folder is taken from the folder the dialog opened in.
    ClickChild(kBrowseButtonId);
    ASSERT_NE(WaitForFolderPicker(), nullptr);
    TypeText(L"sub");
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 选择保存目录 C:\\korvel-e2e\\browse-start\\sub", 5000));

    ClickChild(kBrowseButtonId);
    ASSERT_NE(WaitForFolderPicker(), nullptr);
    TypeText(L"C:\\korvel-e2e\\browse-other");
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 选择保存目录 C:\\korvel-e2e\\browse-other", 5000));
    EXPECT_TRUE(
        WaitUntil([&] { return TextOf(Child(kPathEditId)) == L"C:\\korvel-e2e\\browse-other"; }, 2000));

    // Cancel in the dialog changes nothing and logs nothing.
    ClickChild(kBrowseButtonId);
    ASSERT_NE(WaitForFolderPicker(), nullptr);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([] { return FindWindowW(L"#32770", kPickerTitle) == nullptr; }, 3000));
    Sleep(300);
    EXPECT_EQ(TextOf(Child(kPathEditId)), L"C:\\korvel-e2e\\browse-other");
    EXPECT_EQ(LogCount(L"选择保存目录"), 2);
    EXPECT_EQ(LogCount(L"目录选择对话框失败"), 0);
    EXPECT_NE(ReadConfigFile().find("path=C:\\korvel-e2e\\browse-start\r\n"), std::string::npos)
        << "only OK saves";
}

// A folder longer than Windows lets Korvel make is refused by OK with a message of its own, whether
// config.ini held it or it was typed, pasted or picked; one of 248 characters is saved.
TEST_F(SettingsE2ETest, OkRefusesAFolderTooLongWhereverItCameFrom) {
    std::wstring tooLong = L"C:\\korvel-e2e\\too-long";
    while (tooLong.size() < 249) {
        tooLong += L"\\level";
    }
    tooLong.resize(249);
    ASSERT_NE(tooLong.back(), L'\\');
    // The picker returns only a folder that exists: Wine makes it, though Windows would not.
    for (size_t at = tooLong.find(L'\\', 3); at != std::wstring::npos; at = tooLong.find(L'\\', at + 1)) {
        CreateDirectoryW(tooLong.substr(0, at).c_str(), nullptr);
    }
    ASSERT_TRUE(CreateDirectoryW(tooLong.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    AppConfig config = SampleConfig();
    config.saveDir = tooLong;
    ASSERT_NO_FATAL_FAILURE(StartWith(config));
    const std::string before = ReadConfigFile();
    ASSERT_NE(OpenFromTray(), nullptr);

    const auto replaceField = [&](const std::wstring& text) {
        ClickChild(kPathEditId);
        PressKey(VK_END);
        PressShortcut(MOD_SHIFT, VK_HOME);
        TypeText(text);
    };
    const struct {
        const char* source;
        std::function<void()> fill;
    } sources[] = {
        {"config.ini", [] {}},
        {"typed", [&] { replaceField(tooLong); }},
        {"pasted",
         [&] {
             ASSERT_TRUE(PutTextOnClipboard(nullptr, tooLong));
             replaceField(L"");
             PressShortcut(MOD_CONTROL, 'V');
         }},
        {"picked",
         [&] {
             replaceField(L"C:\\korvel-e2e");
             ClickChild(kBrowseButtonId);
             ASSERT_NE(WaitForFolderPicker(), nullptr);
             TypeText(tooLong);
             PressKey(VK_RETURN);
             ASSERT_TRUE(WaitForLogLine(L"[INFO] 选择保存目录 " + tooLong, 5000));
         }},
    };
    for (const auto& source : sources) {
        SCOPED_TRACE(source.source);
        ASSERT_NO_FATAL_FAILURE(source.fill());
        ASSERT_TRUE(WaitUntil([&] { return TextOf(Child(kPathEditId)) == tooLong; }, 3000));
        ClickChild(kOkButtonId);
        EXPECT_EQ(AnswerKorvelMessageBox(5000), L"保存路径太长，最多 248 个字符。");
        EXPECT_TRUE(IsWindowVisible(settings_));
        EXPECT_EQ(ReadConfigFile(), before);
    }

    const std::wstring fits = tooLong.substr(0, 248);
    replaceField(fits);
    ClickChild(kOkButtonId);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings_); }, 3000));
    EXPECT_NE(ReadConfigFile().find("path=" + ToUtf8(fits) + "\r\n"), std::string::npos);
}

TEST_F(SettingsE2ETest, ThePathFieldTakesNoLineBreakFromEnterOrAnyPaste) {
    ASSERT_NO_FATAL_FAILURE(StartWith(SampleConfig()));
    ASSERT_NE(OpenFromTray(), nullptr);
    HWND field = Child(kPathEditId);
    ClickChild(kPathEditId);
    PressKey(VK_END);
    PressKey(VK_RETURN);
    TypeText(L"x");
    EXPECT_TRUE(WaitUntil([&] { return TextOf(field) == L"D:\\shotsx"; }, 2000)) << ToUtf8(TextOf(field));

    struct PasteCase {
        const char* name;
        std::wstring clipboard;
        std::function<void()> paste;
    };
    const RECT r = ScreenRect(field);
    const PasteCase cases[] = {
        {"Ctrl+V", L"C:\\korvel-e2e\\ctrl-v\r\n", [] { PressShortcut(MOD_CONTROL, 'V'); }},
        {"Shift+Insert", L"C:\\korvel-e2e\\shift-insert\r\n", [] { PressShortcut(MOD_SHIFT, VK_INSERT); }},
        {"context menu", L"C:\\korvel-e2e\\menu\r\n",
         [&] {
             ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2, false);
             if (WaitForPopupMenu(3000) != nullptr) {
                 PressKey('P');
             }
         }},
    };
    for (const PasteCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(PutTextOnClipboard(nullptr, c.clipboard));
        ClickChild(kPathEditId);
        PressKey(VK_END);
        PressShortcut(MOD_SHIFT, VK_HOME);
        c.paste();
        const std::wstring expected = c.clipboard.substr(0, c.clipboard.size() - 2);
        EXPECT_TRUE(WaitUntil([&] { return TextOf(field) == expected; }, 3000)) << ToUtf8(TextOf(field));
    }
    ClickChild(kOkButtonId);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings_); }, 3000));
    EXPECT_NE(ReadConfigFile().find("path=C:\\korvel-e2e\\menu\r\ntoolbar="), std::string::npos)
        << ReadConfigFile();
}

// A folder read from config.ini with a control character in it (a tab, here) is saved without it.
TEST_F(SettingsE2ETest, OkNeverSavesAFolderWithControlCharacters) {
    AppConfig config = SampleConfig();
    config.saveDir = L"C:\\korvel\tshots";
    ASSERT_NO_FATAL_FAILURE(StartWith(config));
    ASSERT_NE(ReadConfigFile().find("path=C:\\korvel\tshots\r\n"), std::string::npos);
    ASSERT_NE(OpenFromTray(), nullptr);
    ClickChild(kOkButtonId);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings_); }, 3000));
    EXPECT_NE(ReadConfigFile().find("path=C:\\korvelshots\r\n"), std::string::npos) << ReadConfigFile();
    EXPECT_EQ(TextOf(Child(kPathEditId)), L"C:\\korvelshots");
}

// Tab goes round the controls in their order: out of the path field, and past a shortcut box that does not
// record (without starting it).
TEST_F(SettingsE2ETest, TabMovesThroughTheControlsInOrder) {
    ASSERT_NO_FATAL_FAILURE(StartWith(SampleConfig()));
    ASSERT_NE(OpenFromTray(), nullptr);
    ClickChild(kPathEditId);
    ASSERT_EQ(Focus(), Child(kPathEditId));
    const int order[] = {kBrowseButtonId,   kOkButtonId,       kCancelButtonId,
                         kRegionRecorderId, kScreenRecorderId, kWindowRecorderId,
                         kPngRadioId,       kJpegRadioId,      kPathEditId};
    for (int id : order) {
        PressKey(VK_TAB);
        EXPECT_TRUE(WaitUntil([&] { return Focus() == Child(id); }, 1000)) << "expected " << id;
    }
    PressShortcut(MOD_SHIFT, VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return Focus() == Child(kJpegRadioId); }, 1000));
    EXPECT_EQ(TextOf(Child(kRegionRecorderId)), L"Ctrl + Alt + A");
    EXPECT_EQ(TextOf(Child(kPathEditId)), L"D:\\shots") << "no tab character";
    // Space presses the focused radio.
    PressKey(VK_SPACE);
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 选择图片格式 id=2301", 2000));
}

class SettingsScreenshotTest : public SettingsE2ETest {
  protected:
    void SetUp() override {
        SettingsE2ETest::SetUp();
        gdiplus_ = StartGdiplus();
    }
    void TearDown() override {
        SettingsE2ETest::TearDown();
        if (gdiplus_) {
            StopGdiplus();
        }
    }

    // Saves the window as it is on screen to build/screenshots/<name>.png, for a person to look at.
    void SaveScreenshot(const std::wstring& name) {
        const std::wstring folder = SiblingProgram(L"..\\screenshots");
        CreateDirectoryW(folder.c_str(), nullptr);
        const RECT r = ScreenRect(settings_);
        CapturedImage image;
        ASSERT_TRUE(CaptureScreenRect(Rect{r.left, r.top, r.right, r.bottom}, image));
        EXPECT_TRUE(SaveBitmapToFile(image.bitmap, folder + L"\\" + name + L".png", 0, 100));
        ReleaseCapturedImage(image);
    }

    // The colour at a client point of the settings window.
    uint32_t At(int x, int y) const {
        const POINT p = ClientPoint(x, y);
        return ScreenPixel(p.x, p.y);
    }

    // The checked radio's ring and dot, s(16) and s(24) from its left edge, halfway down.
    void ExpectCheckedRadio(int id, int dpi) {
        const RECT r = ScreenRect(Child(id));
        const int middle = (r.top + r.bottom) / 2;
        EXPECT_EQ(ScreenPixel(r.left + MulDiv(16, dpi, 96), middle), 0xFFFFFFu) << "ring of " << id;
        EXPECT_EQ(ScreenPixel(r.left + MulDiv(24, dpi, 96), middle), 0xFFFFFFu) << "dot of " << id;
        EXPECT_EQ(ScreenPixel(r.left + MulDiv(16, dpi, 96) + MulDiv(2, dpi, 96) + 1, middle), 0x1C2028u)
            << "between ring and dot of " << id;
    }

    // The palette at `dpi`: background, the selected tab's bar, OK plain and under the pointer, the close
    // box under the pointer.
    void ExpectPalette(int dpi, int page) {
        auto s = [dpi](int value) { return MulDiv(value, dpi, 96); };
        const int width = Client().right;
        MovePointer(5, 5);
        Sleep(300);
        EXPECT_EQ(At(width / 2, s(40) + s(44) + s(6)), 0x1C2028u) << "background";
        EXPECT_EQ(At(page * width / 3 + s(10), s(40) + s(44) - 1), 0x2E78DCu) << "selected tab's bar";
        const RECT ok = ScreenRect(Child(kOkButtonId));
        // The hover of the last page's check ends once the pointer has left; a busy machine takes a while.
        EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(ok.left + 3, ok.top + 3) == 0x2E78DCu; }, 2000))
            << "OK";
        MovePointer((ok.left + ok.right) / 2, ok.bottom - 3);
        EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(ok.left + 3, ok.top + 3) == 0x468CE6u; }, 2000))
            << "OK under the pointer";
        const POINT close = ClientPoint(width - s(20), s(20));
        MovePointer(close.x, close.y);
        EXPECT_TRUE(WaitUntil([&] { return At(width - 3, 3) == 0xC42B1Cu; }, 2000))
            << "close box under the pointer";
    }

    bool gdiplus_ = false;
};

TEST_F(SettingsScreenshotTest, EachPageAt96DpiShowsThePalette) {
    if (GetDpiForSystem() != 96) {
        GTEST_SKIP() << "runs at 96 DPI";
    }
    ASSERT_NO_FATAL_FAILURE(StartWith(SampleConfig()));
    ASSERT_NE(OpenFromTray(), nullptr);
    const wchar_t* const names[] = {L"settings-general-96", L"settings-language-96", L"settings-about-96"};
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        ClickTab(page);
        MovePointer(5, 5);
        Sleep(300);
        SaveScreenshot(names[page]);
        ExpectPalette(96, page);
        if (page == 0) {
            ExpectCheckedRadio(kPngRadioId, 96);
        } else if (page == 1) {
            ExpectCheckedRadio(2400, 96);
        }
    }
}

// Run by the high-DPI test in a Wine prefix whose LogPixels is 144.
TEST_F(SettingsScreenshotTest, At144DpiEverythingIsScaled) {
    if (GetDpiForSystem() != 144) {
        GTEST_SKIP() << "runs in the 144-DPI prefix";
    }
    ASSERT_NO_FATAL_FAILURE(StartWith(SampleConfig()));
    ASSERT_NE(OpenFromTray(), nullptr);
    const RECT frame = ScreenRect(settings_);
    EXPECT_EQ(frame.right - frame.left, 1050);
    const RECT ok = ScreenRect(Child(kOkButtonId));
    EXPECT_EQ(ok.right - ok.left, 174);
    EXPECT_EQ(ok.bottom + 18, frame.bottom - 1);
    MovePointer(5, 5);
    Sleep(300);
    SaveScreenshot(L"settings-general-144");
    ExpectPalette(144, 0);
    ExpectCheckedRadio(kPngRadioId, 144);
}
