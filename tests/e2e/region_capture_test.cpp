// Region capture through the real Korvel.exe: Ctrl + Alt + A covers the screen with the overlay, the
// selection is dragged, adjusted and confirmed with the mouse and keys like a person would, and the saved
// picture holds exactly the selected pixels of a window of known content.

#include "capture_fixture.h"
#include "screen_probe.h"

namespace {

// A borderless pattern window that the selections below fall inside.
const wchar_t kPatternArguments[] = L"50 50 600 450";

class RegionCaptureTest : public CaptureE2ETest {
  protected:
    void SetUp() override {
        CaptureE2ETest::SetUp();
        WriteSaveConfig(folder_, ImageFormat::Png, 90);
        ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel_));
        ASSERT_NO_FATAL_FAILURE(ShowPattern(pattern_, kPatternArguments, place_));
    }
    void TearDown() override {
        if (korvel_.Running()) {
            // An overlay left open by a failed test must not keep the tray menu from opening.
            if (FindWindowW(L"KorvelOverlay", nullptr) != nullptr) {
                PressKey(VK_ESCAPE);
            }
            EXPECT_EQ(QuitThroughTrayMenu(korvel_), 0);
        }
    }

    HWND OpenOverlay() {
        MovePointer(700, 600);
        PressShortcut(MOD_CONTROL | MOD_ALT, 'A');
        HWND overlay = WaitForVisibleWindow(L"KorvelOverlay", 5000);
        WaitUntilPainted(L"KorvelOverlay", 5000);
        return overlay;
    }

    // Checks the newest saved picture: its size and that every pixel is the pattern's at `selection`.
    void ExpectSavedSelection(const RECT& selection, int earlierSaves = 0) {
        const std::wstring path = WaitForSavedPath(earlierSaves);
        ASSERT_TRUE(IsCaptureFileName(path, folder_, L"png")) << ToUtf8(path);
        const DecodedImage image = DecodeImageFile(path);
        ASSERT_TRUE(image.ok);
        EXPECT_EQ(image.width, selection.right - selection.left);
        EXPECT_EQ(image.height, selection.bottom - selection.top);
        EXPECT_EQ(PatternMismatches(image, POINT{selection.left, selection.top}, place_, selection), 0);
    }

    static int Saves() {
        int count = 0;
        for (const std::wstring& line : ReadKorvelLog()) {
            count += line.find(L"[INFO] 已保存 ") != std::wstring::npos ? 1 : 0;
        }
        return count;
    }

    ChildProcess korvel_;
    ChildProcess pattern_;
    PatternPlace place_;
};

} // namespace

TEST_F(RegionCaptureTest, DragThenEnterSavesExactlyTheSelectedPixels) {
    HWND overlay = OpenOverlay();
    ASSERT_NE(overlay, nullptr);
    // Exactly over its monitor (on two monitors, the one found is either).
    RECT covered = {};
    GetWindowRect(overlay, &covered);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(overlay, MONITOR_DEFAULTTONEAREST), &monitor);
    EXPECT_TRUE(EqualRect(&covered, &monitor.rcMonitor));

    DragLeft(100, 120, 400, 330);
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 选区可调整 rect=(100,120,400,330) kind=1", 2000));
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitForLogLine(L"[INFO] Enter 确认选区 rect=(100,120,400,330)", 2000));
    ExpectSavedSelection(RECT{100, 120, 400, 330});
    EXPECT_TRUE(WaitForNoVisibleWindow(L"KorvelOverlay", 2000));
}

TEST_F(RegionCaptureTest, DoubleClickInsideTheSelectionConfirmsIt) {
    ASSERT_NE(OpenOverlay(), nullptr);
    DragLeft(100, 120, 400, 330);
    DoubleClickLeft(250, 220);
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 双击确认选区 rect=(100,120,400,330)", 2000));
    ExpectSavedSelection(RECT{100, 120, 400, 330});
}

TEST_F(RegionCaptureTest, EscAndTheRightButtonCancelWithoutAPicture) {
    for (bool useEscape : {true, false}) {
        SCOPED_TRACE(useEscape ? "Esc" : "right button");
        ASSERT_NE(OpenOverlay(), nullptr);
        DragLeft(100, 120, 400, 330);
        if (useEscape) {
            PressKey(VK_ESCAPE);
        } else {
            MovePointer(300, 300);
            PressButton(false, true);
            PressButton(false, false);
        }
        EXPECT_TRUE(WaitForNoVisibleWindow(L"KorvelOverlay", 2000));
        EXPECT_TRUE(WaitForLogLine(L"[INFO] 截图取消或失败 mode=0", 2000));
    }
    const std::vector<std::wstring> lines = ReadKorvelLog();
    int cancelled = 0;
    for (const std::wstring& line : lines) {
        cancelled += line.find(L"[INFO] 框选已取消") != std::wstring::npos ? 1 : 0;
    }
    EXPECT_EQ(cancelled, 2);
    EXPECT_EQ(Saves(), 0);
}

TEST_F(RegionCaptureTest, AClickWithoutMovementLeavesNothingForEnterToConfirm) {
    HWND overlay = OpenOverlay();
    ASSERT_NE(overlay, nullptr);
    MovePointer(200, 200);
    PressButton(true, true);
    PressButton(true, false);
    PressKey(VK_RETURN);
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(overlay)) << "Enter without a selection must not end the overlay";
    EXPECT_EQ(FindLogLine(ReadKorvelLog(), L"Enter 确认选区"), -1);
    EXPECT_EQ(FindLogLine(ReadKorvelLog(), L"选区可调整"), -1);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 框选已取消", 2000));
}

TEST_F(RegionCaptureTest, ResizingByTheBottomRightHandleChangesTheSavedSize) {
    ASSERT_NE(OpenOverlay(), nullptr);
    DragLeft(100, 120, 400, 330);
    DragLeft(400, 330, 470, 390); // the corner handle
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 选区可调整 rect=(100,120,470,390) kind=9", 2000));
    PressKey(VK_RETURN);
    ExpectSavedSelection(RECT{100, 120, 470, 390});
}

TEST_F(RegionCaptureTest, ASecondShortcutWhileTheOverlayIsOpenIsRefused) {
    HWND overlay = OpenOverlay();
    ASSERT_NE(overlay, nullptr);
    PressShortcut(MOD_CONTROL | MOD_ALT, 'A');
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 已有截图进行中，忽略本次请求 mode=0", 2000));
    EXPECT_TRUE(IsWindowVisible(overlay));
    // The overlay still works after the refusal.
    DragLeft(100, 120, 400, 330);
    PressKey(VK_RETURN);
    ExpectSavedSelection(RECT{100, 120, 400, 330});
}

TEST_F(RegionCaptureTest, TheOverlayShowsTheDimmedStillTheSelectionItsFrameLabelHandlesHintAndMagnifier) {
    ASSERT_NE(OpenOverlay(), nullptr);
    MovePointer(100, 120);
    PressButton(true, true);
    MovePointer(250, 220);
    MovePointer(400, 330);
    Sleep(200); // the move reaches Korvel; then its repaint is awaited
    ASSERT_TRUE(WaitUntilPainted(L"KorvelOverlay", 5000));
    const ScreenShot drawing = TakeScreenShot();
    ASSERT_GT(drawing.width, 0);
    const auto pattern = [this](int x, int y) {
        return PatternColour(x - place_.clientOrigin.x, y - place_.clientOrigin.y);
    };

    // Outside the selection the still is darkened; inside it shows as it was.
    EXPECT_TRUE(IsDimmedFrom(drawing.At(560, 200), pattern(560, 200)));
    EXPECT_TRUE(IsDimmedFrom(drawing.At(200, 400), pattern(200, 400)));
    EXPECT_EQ(drawing.At(250, 200), pattern(250, 200));
    EXPECT_EQ(drawing.At(130, 300), pattern(130, 300));
    // The 2-pixel frame on the selection's left and bottom edges.
    EXPECT_TRUE(AnyPixelIn(drawing, RECT{98, 200, 103, 201}, 0x2D7DFF));
    EXPECT_TRUE(AnyPixelIn(drawing, RECT{250, 327, 251, 333}, 0x2D7DFF));
    // The size label "300 x 210" in white above the frame.
    EXPECT_TRUE(AnyPixelIn(drawing, RECT{104, 98, 190, 116}, 0xFFFFFF));
    // While drawing: no handles (the top-left handle would be white) and no hint box at the top.
    EXPECT_FALSE(AnyPixelIn(drawing, RECT{97, 117, 103, 123}, 0xFFFFFF));
    EXPECT_FALSE(AnyPixelIn(drawing, RECT{900, 12, 1020, 20}, 0x141414));
    // The magnifier panel 28 pixels right of and below the pointer: white border, dark background, and the
    // pointer's pixel enlarged in the centre cell.
    EXPECT_EQ(drawing.At(428, 450), 0xFFFFFFu);
    EXPECT_EQ(drawing.At(428 + 205, 450), 0xFFFFFFu);
    EXPECT_TRUE(AnyPixelIn(drawing, RECT{430, 358 + 210, 630, 358 + 226}, 0x141414));
    EXPECT_EQ(drawing.At(428 + 1 + 12 * 8 + 6, 358 + 1 + 12 * 8 + 6), pattern(400, 330));

    PressButton(true, false);
    Sleep(200);
    ASSERT_TRUE(WaitUntilPainted(L"KorvelOverlay", 5000));
    const ScreenShot released = TakeScreenShot();
    // After release: the handles, and the hint in its dark box at the top centre.
    EXPECT_TRUE(AnyPixelIn(released, RECT{97, 117, 103, 123}, 0xFFFFFF));
    EXPECT_TRUE(AnyPixelIn(released, RECT{397, 327, 403, 333}, 0xFFFFFF));
    EXPECT_TRUE(AnyPixelIn(released, RECT{900, 12, 1020, 20}, 0x141414));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 框选已取消", 2000));
}
