// The previews of the real Korvel.exe: where they open, what they show, and their buttons and keys, driven
// with SendInput like a person would.
#include <string>
#include <vector>

#include "capture_fixture.h"
#include "preview_buttons.h"
#include "screen_probe.h"
#include "support/message_box.h"

namespace {

class PreviewE2ETest : public CaptureE2ETest {
  protected:
    void SetUp() override {
        CaptureE2ETest::SetUp();
        ASSERT_NO_FATAL_FAILURE(Start(ImageFormat::Png));
    }
    void Start(ImageFormat format) {
        WriteSaveConfig(folder_, format, 90);
        ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel_));
        ASSERT_NO_FATAL_FAILURE(ShowPattern(pattern_, L"50 50 900 600", place_));
    }
    void TearDown() override {
        if (korvel_.Running()) {
            EXPECT_EQ(QuitThroughTrayMenu(korvel_), 0);
        }
    }

    // A region capture of (left, top)-(right, bottom); returns the preview that opened for it.
    HWND CaptureRegion(int left, int top, int right, int bottom) {
        const size_t before = VisiblePreviews().size();
        MovePointer(1000, 700);
        PressShortcut(MOD_CONTROL | MOD_ALT, 'A');
        if (WaitForVisibleWindow(L"KorvelOverlay", 5000) == nullptr) {
            return nullptr;
        }
        WaitUntilPainted(L"KorvelOverlay", 5000);
        DragLeft(left, top, right, bottom);
        PressKey(VK_RETURN);
        if (!WaitForPreviewCount(before + 1, 5000)) {
            return nullptr;
        }
        Sleep(200);
        return GetForegroundWindow();
    }

    // Presses the Save button of a preview; returns the save dialog once it is up, or null.
    static HWND OpenSaveDialog(HWND preview) {
        ClickAt(ButtonCentre(preview, kSaveButton));
        HWND dialog = WaitForVisibleWindow(L"#32770", 5000);
        if (dialog != nullptr) {
            Sleep(300); // settled before it is driven
        }
        return dialog;
    }

    HWND CaptureScreen() {
        const size_t before = VisiblePreviews().size();
        PressShortcut(MOD_CONTROL | MOD_ALT, 'F');
        if (!WaitForPreviewCount(before + 1, 5000)) {
            return nullptr;
        }
        Sleep(200);
        return GetForegroundWindow();
    }

    ChildProcess korvel_;
    ChildProcess pattern_;
    PatternPlace place_;
};

} // namespace

TEST_F(PreviewE2ETest, ARegionPreviewLiesExactlyOverTheCapturedArea) {
    HWND preview = CaptureRegion(500, 300, 700, 400);
    ASSERT_NE(preview, nullptr);
    wchar_t className[64] = {};
    GetClassNameW(preview, className, 64);
    EXPECT_STREQ(className, L"KorvelPreview");
    const RECT r = WindowRect(preview);
    EXPECT_EQ(r.left, 440);
    EXPECT_EQ(r.top, 254);
    EXPECT_EQ(r.right - r.left, 278);
    EXPECT_EQ(r.bottom - r.top, 164);
    EXPECT_TRUE(IsTopmost(preview));
    EXPECT_TRUE(WaitForLogLine(L"pos=(440,254) image=200x100 window=278x164 pinned=1", 1000));

    // What the screen shows: the picture over the very pixels it was taken from, the Pin button in the pinned
    // blue, the other buttons white, and the shadow band below the picture (black on Xvfb, which does not
    // blend).
    for (POINT p : {POINT{500, 300}, POINT{599, 350}, POINT{699, 399}}) {
        EXPECT_EQ(ScreenPixel(p.x, p.y),
                  PatternColour(p.x - place_.clientOrigin.x, p.y - place_.clientOrigin.y));
    }
    EXPECT_EQ(ScreenPixel(440 + 18 + 3, 254 + 3), 0x2D7DFFu);
    EXPECT_EQ(ScreenPixel(440 + 80 + 3, 254 + 3), 0xFFFFFFu);
    EXPECT_EQ(ScreenPixel(600, 401), 0x000000u);
    EXPECT_EQ(ScreenPixel(701, 350), 0x000000u);
}

TEST_F(PreviewE2ETest, PinDropsAndRestoresTheTopmostStyle) {
    HWND preview = CaptureRegion(500, 300, 700, 400);
    ASSERT_NE(preview, nullptr);
    // The pattern window is topmost too: once unpinned, the preview would go below it.
    pattern_.Stop();
    Sleep(300);
    ClickAt(ButtonCentre(preview, kPinButton));
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 预览钉住=0 hwnd=", 2000));
    EXPECT_FALSE(IsTopmost(preview));
    ClickAt(ButtonCentre(preview, kPinButton));
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 预览钉住=1 hwnd=", 2000));
    EXPECT_TRUE(IsTopmost(preview));
}

TEST_F(PreviewE2ETest, CopyPutsTheFullSizePictureOnTheClipboard) {
    HWND preview = CaptureScreen(); // shown scaled down to fit the work area
    ASSERT_NE(preview, nullptr);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    ClickAt(ButtonCentre(preview, kCopyButton));
    ASSERT_TRUE(WaitForLogLine(
        L"[INFO] 已复制到剪贴板 size=" + std::to_wstring(width) + L"x" + std::to_wstring(height), 2000));
    // Read back from this program, another process than Korvel.
    ASSERT_TRUE(OpenClipboard(nullptr));
    HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    BITMAP info = {};
    const bool read = bitmap != nullptr && GetObjectW(bitmap, sizeof info, &info) != 0;
    CloseClipboard();
    ASSERT_TRUE(read);
    EXPECT_EQ(info.bmWidth, width);
    EXPECT_EQ(info.bmHeight, height);
    EXPECT_TRUE(IsWindow(preview));
}

TEST_F(PreviewE2ETest, ABusyClipboardIsReportedAndThePreviewStays) {
    HWND preview = CaptureRegion(500, 300, 700, 400);
    ASSERT_NE(preview, nullptr);
    ChildProcess holder;
    ASSERT_TRUE(holder.Start(SiblingProgram(L"clipboard_holder.exe")));
    // Busy once this process can no longer open the clipboard either.
    bool busy = false;
    for (int i = 0; i < 250 && !busy; ++i) {
        busy = !OpenClipboard(nullptr);
        if (!busy) {
            CloseClipboard();
            Sleep(20);
        }
    }
    ASSERT_TRUE(busy && holder.Running());

    ClickAt(ButtonCentre(preview, kCopyButton));
    EXPECT_TRUE(WaitForLogLine(L"[ERROR] 打开剪贴板失败 err=", 2000));
    EXPECT_EQ(AnswerKorvelMessageBox(3000), L"复制失败，剪贴板被占用。");
    EXPECT_TRUE(WaitForNoVisibleWindow(L"#32770", 2000));
    EXPECT_TRUE(IsWindowVisible(preview));
}

TEST_F(PreviewE2ETest, EscClosesOnlyTheFocusedPreview) {
    HWND first = CaptureRegion(500, 300, 700, 400);
    ASSERT_NE(first, nullptr);
    HWND second = CaptureRegion(200, 150, 360, 260);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(first, second);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitForLogLine(L"[INFO] Esc 关闭预览 hwnd=", 2000));
    EXPECT_TRUE(WaitForPreviewCount(1, 2000));
    EXPECT_TRUE(IsWindow(first));
    EXPECT_FALSE(IsWindow(second));
}

TEST_F(PreviewE2ETest, QuitClosesEveryPreviewAndStillEndsWithZero) {
    ASSERT_NE(CaptureRegion(500, 300, 700, 400), nullptr);
    ASSERT_NE(CaptureRegion(200, 150, 360, 260), nullptr);
    ASSERT_NE(CaptureScreen(), nullptr);
    EXPECT_EQ(VisiblePreviews().size(), 3u);
    EXPECT_EQ(QuitThroughTrayMenu(korvel_), 0);
    EXPECT_TRUE(VisiblePreviews().empty());
    const std::vector<std::wstring> lines = ReadKorvelLog();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find(L"[INFO] 进程退出"), std::wstring::npos);
}

TEST_F(PreviewE2ETest, SaveAsWithAPngNameWritesPngWhileTheJpegFilterIsSelected) {
    // Restart with JPEG as the configured format, so the dialog opens on the JPEG filter.
    EXPECT_EQ(QuitThroughTrayMenu(korvel_), 0);
    ASSERT_NO_FATAL_FAILURE(KorvelE2ETest::SetUp());
    WriteSaveConfig(folder_, ImageFormat::Jpeg, 90);
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel_));
    HWND preview = CaptureRegion(500, 300, 700, 400);
    ASSERT_NE(preview, nullptr);

    HWND dialog = OpenSaveDialog(preview);
    ASSERT_NE(dialog, nullptr);
    const std::wstring target = folder_ + L"\\chosen.PNG";
    HWND nameBox = GetDlgItem(dialog, 0x480); // the file name field of the save dialog
    if (nameBox == nullptr) {
        nameBox = GetDlgItem(dialog, 0x47C);
    }
    ASSERT_NE(nameBox, nullptr);
    SendMessageW(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(target.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);

    ASSERT_TRUE(WaitForLogLine(L"[INFO] 另存为成功 path=" + target, 5000));
    const std::string bytes = ReadFileBytes(target);
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(bytes.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0);
    const DecodedImage image = DecodeImageFile(target);
    EXPECT_EQ(image.width, 200);
    EXPECT_EQ(image.height, 100);
    EXPECT_TRUE(IsWindow(preview));
}

TEST_F(PreviewE2ETest, QuitFromTheTrayWhileSaveAsIsOpenEndsWithZeroAndSavesNothing) {
    HWND preview = CaptureRegion(500, 300, 700, 400);
    ASSERT_NE(preview, nullptr);
    HWND dialog = OpenSaveDialog(preview);
    ASSERT_NE(dialog, nullptr);

    // The dialog's own loop hands the tray's message on; Quit closes the preview that owns the dialog.
    EXPECT_EQ(QuitThroughTrayMenu(korvel_), 0);
    const std::vector<std::wstring> lines = ReadKorvelLog();
    const int quitting = FindLogLine(lines, L"[INFO] 退出 Korvel");
    ASSERT_GE(quitting, 0);
    // The dialog ended with its owner, which counts as a cancel; nothing was saved.
    EXPECT_GT(FindLogLine(lines, L"[INFO] 取消另存为 hwnd=", quitting), quitting);
    EXPECT_EQ(FindLogLine(lines, L"另存为成功"), -1);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find(L"[INFO] 进程退出"), std::wstring::npos);
}
