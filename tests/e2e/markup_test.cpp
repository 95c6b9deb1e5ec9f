// Marking up a region through the real Korvel.exe: the tools picked with their keys and the strip, marks
// drawn with the mouse, text typed as Unicode input, undo and redo, Copy, and the saved PNG decoded and
// checked pixel by pixel where each mark must be, over a window of known content.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "capture_fixture.h"
#include "markup/markup_overlay.h"
#include "markup/markup_strip_layout.h"
#include "screen_probe.h"
#include "support/bitmap_pixels.h"

namespace {

constexpr uint32_t kBlue = 0x1E88E5;
constexpr uint32_t kGreen = 0x43A047;
constexpr uint32_t kWhite = 0xFFFFFF;
// The selection every test makes, inside the pattern window's client area (50, 50)-(650, 500).
const RECT kSelection = {80, 80, 620, 480};

// A wheel turn of `notches` (negative: toward the user) where the pointer is.
void TurnWheel(int notches) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_WHEEL;
    input.mi.mouseData = static_cast<DWORD>(notches * WHEEL_DELTA);
    SendInput(1, &input, sizeof input);
    Sleep(60);
}

class MarkupE2ETest : public CaptureE2ETest {
  protected:
    // Korvel with blue as the remembered colour (written as an older file would have it: no width key), and
    // the pattern window.
    void StartWithColour(int colour) {
        AppConfig config = SampleConfig();
        config.saveDir = folder_;
        config.language = language_;
        config.markupColor = colour;
        std::string text = ToUtf8(SerializeConfig(config));
        text.erase(text.find("markup_width="));
        WriteConfig("\xEF\xBB\xBF" + text);
        ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel_));
        ASSERT_NO_FATAL_FAILURE(ShowPattern(pattern_, L"50 50 600 450", place_));
    }
    void SetUp() override {
        CaptureE2ETest::SetUp();
        ASSERT_NO_FATAL_FAILURE(StartWithColour(4));
    }
    void TearDown() override {
        if (korvel_.Running()) {
            if (FindWindowW(L"KorvelOverlay", nullptr) != nullptr) {
                PressKey(VK_ESCAPE);
                PressKey(VK_ESCAPE);
            }
            EXPECT_EQ(QuitThroughTrayMenu(korvel_), 0);
        }
    }

    // The overlay opened and the selection dragged out and released.
    void Select(const RECT& selection = kSelection) {
        MovePointer(700, 560);
        PressCaptureShortcut(MOD_CONTROL | MOD_ALT, 'A');
        ASSERT_NE(WaitForVisibleWindow(L"KorvelOverlay", 5000), nullptr) << LogForFailure();
        WaitUntilPainted(L"KorvelOverlay", 5000);
        DragLeft(selection.left, selection.top, selection.right, selection.bottom);
        const std::wstring line = L"[INFO] 选区可调整 rect=(" + std::to_wstring(selection.left) + L"," +
                                  std::to_wstring(selection.top) + L"," + std::to_wstring(selection.right) +
                                  L"," + std::to_wstring(selection.bottom) + L") kind=1";
        ASSERT_TRUE(WaitForLogLine(line, 2000)) << LogForFailure();
    }

    // A tool's key, then a drag that the log shows made a mark of `kind`, the `live`-th one shown.
    void Draw(WORD key, int kind, POINT from, POINT to, int live) {
        PressKey(key);
        DragLeft(from.x, from.y, to.x, to.y);
        ASSERT_TRUE(WaitForLogLine(
            L"[INFO] 添加标注 kind=" + std::to_wstring(kind) + L" live=" + std::to_wstring(live), 2000))
            << LogForFailure();
    }

    void Click(POINT p) {
        ClickAt(p.x, p.y);
        Sleep(100);
    }

    // The strip as the overlay places it for a selection, and the centre of one of its buttons.
    static StripLayout Strip(const RECT& selection = kSelection) {
        const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        const Rect screen{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                          top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
        return PlaceStrip(Rect{selection.left, selection.top, selection.right, selection.bottom},
                          CollectMonitorAreas(), screen);
    }
    static POINT Centre(const Rect& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    static POINT ButtonCentre(StripButton button, const RECT& selection = kSelection) {
        return Centre(Strip(selection).buttons[static_cast<size_t>(button)]);
    }

    // Enter, then the saved picture decoded.
    void ConfirmAndRead() {
        PressKey(VK_RETURN);
        const std::wstring path = WaitForSavedPath();
        ASSERT_TRUE(IsCaptureFileName(path, folder_, L"png")) << LogForFailure();
        image_ = DecodeImageFile(path);
        ASSERT_TRUE(image_.ok);
        ASSERT_EQ(image_.width, kSelection.right - kSelection.left);
        ASSERT_EQ(image_.height, kSelection.bottom - kSelection.top);
    }

    // The saved pixel at a screen point, and the pattern's there.
    uint32_t At(int x, int y) const { return image_.At(x - kSelection.left, y - kSelection.top); }
    uint32_t Pattern(int x, int y) const {
        return PatternColour(x - place_.clientOrigin.x, y - place_.clientOrigin.y);
    }
    bool AnyIn(const RECT& r, uint32_t colour) const {
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                if (At(x, y) == colour) {
                    return true;
                }
            }
        }
        return false;
    }
    // Where nothing was drawn, the picture is the pattern, pixel for pixel.
    int Mismatches(const RECT& r) const {
        return PatternMismatches(image_, POINT{kSelection.left, kSelection.top}, place_, r);
    }

    UiLanguage language_ = UiLanguage::SimplifiedChinese;
    ChildProcess korvel_;
    ChildProcess pattern_;
    PatternPlace place_;
    DecodedImage image_;
};

} // namespace

TEST_F(MarkupE2ETest, EveryKindOfMarkIsSavedWhereItWasDrawn) {
    ASSERT_NO_FATAL_FAILURE(Select());
    ASSERT_NO_FATAL_FAILURE(Draw('R', 0, {100, 100}, {200, 180}, 1));
    ASSERT_NO_FATAL_FAILURE(Draw('A', 2, {230, 110}, {400, 110}, 2));
    ASSERT_NO_FATAL_FAILURE(Draw('P', 3, {100, 230}, {300, 230}, 3));
    // Text typed as Unicode input, Latin and CJK; Esc ends the box, keeping its text and the overlay.
    PressKey('T');
    Click({350, 200});
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 打开文字框 pos=(350,200)", 2000)) << LogForFailure();
    TypeText(L"Korvel 截图テスト");
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 添加标注 kind=5 live=4", 2000)) << LogForFailure();
    Sleep(200);
    EXPECT_TRUE(IsWindowVisible(FindWindowW(L"KorvelOverlay", nullptr)));
    EXPECT_EQ(LogCount(L"框选已取消"), 0);
    // A pair of steps, then a mosaic.
    PressKey('N');
    Click({130, 400});
    Click({190, 400});
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 添加标注 kind=6 live=6", 2000)) << LogForFailure();
    ASSERT_NO_FATAL_FAILURE(Draw('M', 7, {400, 300}, {556, 444}, 7));
    ASSERT_NO_FATAL_FAILURE(ConfirmAndRead());
    EXPECT_TRUE(WaitForLogLine(
        L"[INFO] 标注 count=7 rect=1 ellipse=0 arrow=1 pen=1 highlight=0 text=1 step=2 mosaic=1", 2000));

    // The rectangle's sides in the remembered blue, the pattern inside it.
    EXPECT_EQ(kBlue, At(100, 140));
    EXPECT_EQ(kBlue, At(150, 180));
    EXPECT_EQ(Pattern(150, 140), At(150, 140));
    // The arrow's shaft and head; past its tip the pattern.
    EXPECT_EQ(kBlue, At(300, 110));
    EXPECT_EQ(kBlue, At(386, 114));
    EXPECT_EQ(Pattern(404, 110), At(404, 110));
    // The pen's line.
    EXPECT_EQ(kBlue, At(200, 230));
    EXPECT_EQ(Pattern(200, 240), At(200, 240));
    // The text at the click, its CJK part too.
    EXPECT_TRUE(AnyIn(RECT{350, 200, 420, 230}, kBlue));
    EXPECT_TRUE(AnyIn(RECT{440, 200, 600, 230}, kBlue));
    // Two steps: blue circles with white numbers, and the numbers differ.
    for (int x : {130, 190}) {
        EXPECT_EQ(kBlue, At(x - 11, 400)) << x;
        EXPECT_TRUE(AnyIn(RECT{x - 6, 394, x + 6, 406}, kWhite)) << x;
    }
    int differing = 0;
    for (int dy = -6; dy < 6; ++dy) {
        for (int dx = -6; dx < 6; ++dx) {
            differing += At(130 + dx, 400 + dy) != At(190 + dx, 400 + dy) ? 1 : 0;
        }
    }
    EXPECT_GT(differing, 5) << "1 and 2";
    // The mosaic: blocks of 16 (medium) from its corner, each of one colour, so the pattern's 8-pixel detail
    // no longer shows.
    std::set<uint32_t> blockColours;
    for (int top = 300; top + 16 <= 444; top += 16) {
        for (int left = 400; left + 16 <= 556; left += 16) {
            std::set<uint32_t> inBlock;
            for (int y = top; y < top + 16; ++y) {
                for (int x = left; x < left + 16; ++x) {
                    inBlock.insert(At(x, y));
                }
            }
            EXPECT_EQ(inBlock.size(), 1u) << "block at " << left << "," << top;
            blockColours.insert(*inBlock.begin());
        }
    }
    EXPECT_GT(blockColours.size(), 10u);
    // Away from every mark, the pattern exactly.
    EXPECT_EQ(Mismatches(RECT{430, 120, 610, 180}), 0);
    EXPECT_EQ(Mismatches(RECT{90, 450, 390, 475}), 0);
}

TEST_F(MarkupE2ETest, UndoAndRedoAreReflectedInThePicture) {
    ASSERT_NO_FATAL_FAILURE(Select());
    ASSERT_NO_FATAL_FAILURE(Draw('R', 0, {100, 100}, {200, 180}, 1));
    ASSERT_NO_FATAL_FAILURE(Draw('E', 1, {250, 100}, {400, 200}, 2));
    PressShortcut(MOD_CONTROL, 'Z');
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 撤销标注 live=1", 2000)) << LogForFailure();
    PressShortcut(MOD_CONTROL, 'Y');
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 重做标注 live=2", 2000)) << LogForFailure();
    const POINT undo = ButtonCentre(StripButton::Undo);
    Click(undo);
    ASSERT_TRUE(WaitUntil([] { return LogCount(L"[INFO] 撤销标注 live=1") == 2; }, 2000)) << LogForFailure();
    ASSERT_NO_FATAL_FAILURE(ConfirmAndRead());
    EXPECT_EQ(kBlue, At(100, 140));
    // The ellipse is gone: its left and top points show the pattern.
    EXPECT_EQ(Pattern(250, 150), At(250, 150));
    EXPECT_EQ(Pattern(325, 100), At(325, 100));
    EXPECT_EQ(Mismatches(RECT{230, 90, 420, 210}), 0);
}

TEST_F(MarkupE2ETest, CtrlCConfirmsAndPutsTheMarkedPictureOnTheClipboard) {
    ASSERT_NO_FATAL_FAILURE(Select());
    ASSERT_NO_FATAL_FAILURE(Draw('H', 4, {100, 300}, {500, 300}, 1));
    PressShortcut(MOD_CONTROL, 'C');
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 复制并确认选区 rect=(80,80,620,480)", 2000)) << LogForFailure();
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 已复制到剪贴板 size=540x400", 2000)) << LogForFailure();
    const std::wstring path = WaitForSavedPath();
    image_ = DecodeImageFile(path);
    ASSERT_TRUE(image_.ok);
    // The highlighter lets the pattern show through, in the clipboard's picture as in the saved one.
    const uint32_t marked = At(300, 300);
    EXPECT_NE(Pattern(300, 300), marked);
    EXPECT_NE(kBlue, marked);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    int width = 0;
    int height = 0;
    const std::vector<uint32_t> copied = ReadBitmapPixels(bitmap, &width, &height);
    CloseClipboard();
    ASSERT_EQ(width, 540);
    ASSERT_EQ(height, 400);
    EXPECT_TRUE(copied == image_.pixels);
}

TEST_F(MarkupE2ETest, AStrayClickOutsideTheSelectionKeepsTheMarks) {
    ASSERT_NO_FATAL_FAILURE(Select());
    ASSERT_NO_FATAL_FAILURE(Draw('R', 0, {100, 100}, {200, 180}, 1));
    Click({640, 160}); // right of the selection, still over the pattern
    Click({40, 300});  // left of it
    Sleep(200);
    EXPECT_EQ(LogCount(L"[INFO] 选区可调整"), 1) << "no new selection was started";
    ASSERT_NO_FATAL_FAILURE(ConfirmAndRead());
    EXPECT_EQ(kBlue, At(100, 140));
}

TEST_F(MarkupE2ETest, ColourAndWidthPickedFromTheStripAreUsedAndRemembered) {
    ASSERT_NO_FATAL_FAILURE(Select());
    Click(ButtonCentre(StripButton::Colour));
    // The pop-out opens under the strip at the colour button; its fourth swatch is green.
    Click(Centre(PlacePopout(Strip(), Popout::Colour).items[3]));
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 标注颜色 color=3", 2000)) << LogForFailure();
    MovePointer(300, 300);
    TurnWheel(1);
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 标注粗细 width=2", 2000)) << LogForFailure();
    ASSERT_NO_FATAL_FAILURE(Draw('R', 0, {100, 100}, {200, 180}, 1));
    ASSERT_NO_FATAL_FAILURE(ConfirmAndRead());
    // Green and thick: 8 pixels across the left side.
    for (int x = 97; x < 103; ++x) {
        EXPECT_EQ(kGreen, At(x, 140)) << x;
    }
    ASSERT_TRUE(WaitForLogLine(L"[INFO] 已保存配置", 2000));
    const std::string config = ReadConfigFile();
    EXPECT_NE(config.find("markup_color=3\r\nmarkup_width=2\r\n"), std::string::npos) << config;
}

TEST_F(MarkupE2ETest, WithTheStripTouchedButNoMarkThePictureIsTheSelectedPixels) {
    ASSERT_NO_FATAL_FAILURE(Select());
    MovePointer(ButtonCentre(StripButton::Pen).x, ButtonCentre(StripButton::Pen).y); // its tooltip
    Sleep(200);
    Click(ButtonCentre(StripButton::Width));
    Click({300, 300}); // closes the pop-out, nothing else
    PressKey('R');
    PressKey('R');
    ASSERT_TRUE(WaitUntil([] { return LogCount(L"[INFO] 标注工具 tool=-1") == 1; }, 2000)) << LogForFailure();
    ASSERT_NO_FATAL_FAILURE(ConfirmAndRead());
    EXPECT_EQ(Mismatches(kSelection), 0);
    EXPECT_EQ(LogCount(L"标注 count="), 0);
}

namespace {

// The strip over a window of text marked up as a user would, checked on the screen and saved for a person to
// look at in build/screenshots/: the strip with the Pen button's tooltip, the marked-up window (the README's
// picture, at 96 DPI) and the whole screen.
class MarkupScreenshotTest : public MarkupE2ETest {
  protected:
    // In English, for the README.
    MarkupScreenshotTest() { language_ = UiLanguage::English; }

    // Over Notepad's text; the marks below fit its lines at 96 DPI.
    const RECT kNotes = {50, 95, 560, 300};

    // Notepad in place of the pattern, showing a short checklist.
    void ShowNotes() {
        pattern_.Stop();
        const std::wstring notes = folder_ + L".txt";
        ASSERT_TRUE(WriteFileBytes(notes, "Release checklist\r\n\r\n"
                                          "Build with ./scripts/build.sh\r\n"
                                          "Run every test: ./scripts/test.sh\r\n"
                                          "Upload KorvelSetup.exe and its SHA-256\r\n\r\n"
                                          "Server password: hunter2-Qx7-kor\r\n"));
        ASSERT_TRUE(notepad_.Start(L"C:\\windows\\notepad.exe", notes));
        HWND window = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (window = FindWindowW(L"Notepad", nullptr)) != nullptr; }, 10000));
        SetWindowPos(window, HWND_TOPMOST, 60, 60, 600, 440, SWP_SHOWWINDOW);
        Sleep(500);
    }

    // A colour picked from the strip's pop-out.
    void PickColour(int index) {
        Click(ButtonCentre(StripButton::Colour, kNotes));
        Click(Centre(PlacePopout(Strip(kNotes), Popout::Colour).items[static_cast<size_t>(index)]));
        ASSERT_TRUE(WaitForLogLine(L"[INFO] 标注颜色 color=" + std::to_wstring(index), 2000))
            << LogForFailure();
    }

    void ShowAndShoot(int dpi) {
        ASSERT_NO_FATAL_FAILURE(ShowNotes());
        ASSERT_NO_FATAL_FAILURE(Select(kNotes));
        ASSERT_NO_FATAL_FAILURE(PickColour(0));
        ASSERT_NO_FATAL_FAILURE(Draw('R', 0, {64, 104}, {198, 123}, 1));
        ASSERT_NO_FATAL_FAILURE(PickColour(2));
        ASSERT_NO_FATAL_FAILURE(Draw('H', 4, {72, 155}, {300, 155}, 2));
        ASSERT_NO_FATAL_FAILURE(PickColour(0));
        ASSERT_NO_FATAL_FAILURE(Draw('A', 2, {402, 214}, {312, 199}, 3));
        PressKey('T');
        Click({408, 204});
        TypeText(L"Never share");
        PressKey(VK_ESCAPE);
        ASSERT_TRUE(WaitForLogLine(L"[INFO] 添加标注 kind=5 live=4", 2000)) << LogForFailure();
        PressKey('N');
        Click({294, 140});
        Click({330, 156});
        Click({384, 172});
        ASSERT_TRUE(WaitForLogLine(L"[INFO] 添加标注 kind=6 live=7", 2000)) << LogForFailure();
        ASSERT_NO_FATAL_FAILURE(Draw('M', 7, {186, 189}, {302, 205}, 8));
        PressKey('P'); // picked: lit in the accent colour
        const StripLayout strip = Strip(kNotes);
        const POINT pen = ButtonCentre(StripButton::Pen, kNotes);
        const POINT save = ButtonCentre(StripButton::Save, kNotes);
        MovePointer(pen.x, pen.y);
        Sleep(400);
        const ScreenShot shot = TakeScreenShot();
        ASSERT_GT(shot.width, 0);

        const auto s = [dpi](int value) { return MulDiv(value, dpi, 96); };
        EXPECT_EQ(strip.dpi, dpi);
        EXPECT_EQ(strip.strip.right - strip.strip.left, 2 * s(4) + 15 * s(32) + 11 * s(2) + 3 * s(9));
        EXPECT_EQ(strip.strip.bottom - strip.strip.top, 2 * s(4) + s(32));
        EXPECT_EQ(shot.At(strip.strip.left + s(40), strip.strip.top), 0x464C58u) << "border";
        EXPECT_EQ(shot.At(strip.strip.left + s(2), strip.strip.top + s(2)), 0x1C2028u) << "background";
        const Rect& penBox = strip.buttons[static_cast<size_t>(StripButton::Pen)];
        EXPECT_EQ(shot.At(penBox.left + 1, penBox.top + 1), 0x468CE6u) << "picked and under the pointer";
        EXPECT_EQ(shot.At(save.x - s(14), save.y - s(14)), 0x2E78DCu) << "Save";
        EXPECT_EQ(shot.At(pen.x - s(10), strip.strip.bottom + s(6)), 0x262C36u) << "the tooltip's panel";

        const std::wstring folder = SiblingProgram(L"..\\screenshots");
        CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring suffix = std::to_wstring(dpi) + L".png";
        const RECT around = {strip.strip.left, strip.strip.top - s(10), strip.strip.right,
                             strip.strip.bottom + s(40)};
        EXPECT_TRUE(SaveScreenShot(shot, around, folder + L"\\markup-strip-" + suffix));
        const RECT marked = {kNotes.left - 20, kNotes.top - 40,
                             std::max<LONG>(kNotes.right, strip.strip.right) + 20,
                             strip.strip.bottom + s(40)};
        EXPECT_TRUE(SaveScreenShot(shot, marked, folder + L"\\markup-notes-" + suffix));
        EXPECT_TRUE(SaveScreenShot(shot, RECT{0, 0, shot.width, shot.height},
                                   folder + L"\\markup-overlay-" + suffix));
    }

    ChildProcess notepad_;
};

} // namespace

TEST_F(MarkupScreenshotTest, At96DpiTheStripShowsThePalette) {
    if (GetDpiForSystem() != 96) {
        GTEST_SKIP() << "runs at 96 DPI";
    }
    ShowAndShoot(96);
}

// Run by the high-DPI test in a Wine prefix whose LogPixels is 144.
TEST_F(MarkupScreenshotTest, At144DpiTheStripIsScaled) {
    if (GetDpiForSystem() != 144) {
        GTEST_SKIP() << "runs in the 144-DPI prefix";
    }
    ShowAndShoot(144);
}
