// The region overlay run in this process over a still of known content. Its nested message loop is driven by
// a thread timer, whose callback runs inside that loop and acts like the user: pointer positions are set with
// SetCursorPos (the overlay reads the pointer itself) and the mouse and key messages are sent to the window.
#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "markup/markup_overlay.h"
#include "overlay/region_overlay.h"
#include "support/bitmap_pixels.h"
#include "support/import_patch.h"
#include "support/test_support.h"

namespace {

std::deque<std::function<void()>> script;

void CALLBACK RunNextStep(HWND, UINT, UINT_PTR timer, DWORD) {
    if (script.empty()) {
        KillTimer(nullptr, timer);
        return;
    }
    std::function<void()> step = script.front();
    script.pop_front();
    step();
}

HWND OverlayWindow() {
    return FindWindowW(L"KorvelOverlay", nullptr);
}

void Send(UINT message, WPARAM wParam = 0) {
    SendMessageW(OverlayWindow(), message, wParam, 0);
}

// The overlay reads the pointer itself, so it is placed first.
void At(int x, int y, UINT message) {
    PlacePointer(x, y);
    Send(message);
}

uint32_t StillPattern(int x, int y) {
    return static_cast<uint32_t>(((x * 7) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | ((x + y) & 0xFF));
}

class RegionOverlayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        script.clear();
        still_.bitmap = CreatePatternBitmap(200, 150, StillPattern);
        still_.width = 200;
        still_.height = 150;
    }
    void TearDown() override {
        ReleaseCapturedImage(still_);
        ReleaseCapturedImage(result_);
    }

    // Runs the overlay with the script driving it; a last step cancels in case the script did not end it.
    bool Run() {
        script.push_back([] { Send(WM_KEYDOWN, VK_ESCAPE); });
        timer_ = SetTimer(nullptr, 0, 40, RunNextStep);
        const bool confirmed = RunRegionOverlay(still_, result_);
        KillTimer(nullptr, timer_);
        return confirmed;
    }

    CapturedLog log_;
    CapturedImage still_;
    CapturedImage result_;
    UINT_PTR timer_ = 0;
};

} // namespace

TEST_F(RegionOverlayTest, OneWindowPerMonitorAndEscCancelsWithNothingLeft) {
    RECT covered = {};
    script.push_back([&] { GetWindowRect(OverlayWindow(), &covered); });
    EXPECT_FALSE(Run());
    EXPECT_EQ(result_.bitmap, nullptr);
    EXPECT_EQ(covered.right - covered.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(covered.bottom - covered.top, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(log_.Count(L"[INFO] 框选遮罩显示器数量=1 virtual=200x150 origin=(0,0)"), 1);
    EXPECT_EQ(log_.Count(L"[INFO] 框选已取消"), 1);
    EXPECT_EQ(OverlayWindow(), nullptr);
    // The still was left as it was: still a bitmap, selectable into a DC of ours.
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_NE(SelectObject(dc, still_.bitmap), nullptr);
    DeleteDC(dc);
}

TEST_F(RegionOverlayTest, ConfirmedSelectionIsCutFromTheStill) {
    still_.originX = -40; // a still that starts left of and above the primary monitor
    still_.originY = -20;
    script.push_back([] { At(10, 10, WM_LBUTTONDOWN); });
    script.push_back([] { At(35, 30, WM_MOUSEMOVE); });
    script.push_back([] { At(60, 50, WM_LBUTTONUP); });
    script.push_back([] { Send(WM_KEYDOWN, VK_RETURN); });
    ASSERT_TRUE(Run());
    EXPECT_EQ(result_.width, 50);
    EXPECT_EQ(result_.height, 40);
    EXPECT_EQ(result_.originX, 10);
    EXPECT_EQ(result_.originY, 10);
    int width = 0;
    int height = 0;
    const std::vector<uint32_t> pixels = ReadBitmapPixels(result_.bitmap, &width, &height);
    EXPECT_EQ(pixels, PatternPixels(StillPattern, 10 + 40, 10 + 20, 50, 40));
    EXPECT_EQ(log_.Count(L"[INFO] Enter 确认选区 rect=(10,10,60,50)"), 1);
    EXPECT_EQ(OverlayWindow(), nullptr);
}

TEST_F(RegionOverlayTest, AltF4AndOtherKeysLeaveTheOverlayRunning) {
    bool stillThere = false;
    script.push_back([] { Send(WM_SYSKEYDOWN, VK_F4); });
    script.push_back([] { Send(WM_KEYDOWN, 'A'); });
    script.push_back([] { Send(WM_KEYDOWN, VK_RETURN); }); // no selection: nothing to confirm
    script.push_back([&] { stillThere = IsWindowVisible(OverlayWindow()) != FALSE; });
    EXPECT_FALSE(Run());
    EXPECT_TRUE(stillThere);
    EXPECT_EQ(log_.Count(L"[INFO] 框选已取消"), 1);
}

TEST_F(RegionOverlayTest, QuitWhileOpenEndsWithoutAPictureAndPassesTheQuitOn) {
    HWND overlay = nullptr;
    script.push_back([&] {
        overlay = OverlayWindow();
        At(10, 10, WM_LBUTTONDOWN);
        PostQuitMessage(7);
    });
    EXPECT_FALSE(Run());
    EXPECT_EQ(result_.bitmap, nullptr);
    // The windows did not outlive the state they pointed at.
    EXPECT_NE(overlay, nullptr);
    EXPECT_FALSE(IsWindow(overlay));
    MSG quit = {};
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 7u);
    EXPECT_EQ(log_.Count(L"框选已取消"), 0);
}

TEST_F(RegionOverlayTest, ACutThatFailsAfterConfirmingReturnsFalse) {
    HDC holder = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = nullptr;
    script.push_back([] { At(10, 10, WM_LBUTTONDOWN); });
    script.push_back([] { At(60, 50, WM_LBUTTONUP); });
    script.push_back([&] {
        // Another DC takes the still away from the overlay, so the cut cannot select it.
        auto* state = reinterpret_cast<OverlayState*>(GetWindowLongPtrW(OverlayWindow(), GWLP_USERDATA));
        SelectObject(state->stillDc, state->stillDcOldBitmap);
        state->stillDcOldBitmap = nullptr;
        previous = SelectObject(holder, still_.bitmap);
        Send(WM_KEYDOWN, VK_RETURN);
    });
    EXPECT_FALSE(Run());
    EXPECT_EQ(result_.bitmap, nullptr);
    EXPECT_EQ(log_.Count(L"[ERROR] 框选确认后裁剪失败"), 1);
    EXPECT_EQ(OverlayWindow(), nullptr);
    SelectObject(holder, previous);
    DeleteDC(holder);
}

namespace {

// Lets the still be selected once (the darkening copies from it) and refuses it afterwards, as GDI does for
// a bitmap that another DC holds.
HGDIOBJ refusedObject = nullptr;
int refusedSelections = 0;
bool selectedOnce = false;
using SelectObjectFunction = HGDIOBJ(WINAPI*)(HDC, HGDIOBJ);
SelectObjectFunction realSelectObject = nullptr;

HGDIOBJ WINAPI RefuseAfterFirstSelection(HDC dc, HGDIOBJ object) {
    if (object == refusedObject) {
        if (selectedOnce) {
            ++refusedSelections;
            return nullptr;
        }
        selectedOnce = true;
    }
    return realSelectObject(dc, object);
}

} // namespace

TEST_F(RegionOverlayTest, ARefusedSelectionOfTheStillEndsThePreparationBeforeAnyWindowOpens) {
    refusedObject = still_.bitmap;
    refusedSelections = 0;
    selectedOnce = false;
    bool confirmed = true;
    {
        ImportPatch patch("SelectObject", reinterpret_cast<const void*>(&RefuseAfterFirstSelection));
        ASSERT_TRUE(patch.Active());
        realSelectObject = patch.Original<SelectObjectFunction>();
        confirmed = Run();
    }
    EXPECT_FALSE(confirmed);
    EXPECT_EQ(refusedSelections, 1);
    EXPECT_EQ(result_.bitmap, nullptr);
    EXPECT_EQ(log_.Count(L"[ERROR] 框选失败：遮罩位图无法选入 DC，可能仍被其他 DC 占用"), 1);
    EXPECT_EQ(log_.Count(L"框选遮罩显示器数量"), 0) << "no overlay showed a black still";
    EXPECT_TRUE(SelectableIntoNewDC(still_.bitmap));
}

TEST_F(RegionOverlayTest, AnInvalidStillIsRefusedAndASecondOverlayReusesTheClass) {
    CapturedImage empty;
    CapturedImage out;
    EXPECT_FALSE(RunRegionOverlay(empty, out));
    EXPECT_EQ(log_.Count(L"[ERROR] 框选失败：虚拟屏幕位图无效"), 1);
    EXPECT_FALSE(Run());
    EXPECT_FALSE(Run());
    EXPECT_EQ(log_.Count(L"注册遮罩窗口类失败"), 0);
    EXPECT_EQ(log_.Count(L"[INFO] 框选已取消"), 2);
}

namespace {

// A selection of (10, 10)-(190, 140), drawn and released.
void Select() {
    script.push_back([] { At(10, 10, WM_LBUTTONDOWN); });
    script.push_back([] { At(150, 120, WM_MOUSEMOVE); });
    script.push_back([] { At(190, 140, WM_LBUTTONUP); });
}

const Rect kMarkedSelection{10, 10, 190, 140};

HWND TextBoxWindow() {
    return FindWindowExW(OverlayWindow(), nullptr, L"Edit", nullptr);
}

// The centre of a strip button, placed as the overlay places it for the selection above.
Point StripButtonCentre(StripButton button) {
    const StripLayout strip = PlaceStrip(kMarkedSelection, CollectMonitorAreas(), Rect{0, 0, 200, 150});
    const Rect& r = strip.buttons[static_cast<size_t>(button)];
    return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool AnyPixelOf(const std::vector<uint32_t>& pixels, uint32_t colour) {
    for (uint32_t pixel : pixels) {
        if (pixel == colour) {
            return true;
        }
    }
    return false;
}

constexpr uint32_t kRed = 0xE53935;

} // namespace

TEST_F(RegionOverlayTest, ARectangleDrawnWithItsKeyAndTheMouseIsInTheConfirmedPicture) {
    Select();
    script.push_back([] { Send(WM_KEYDOWN, 'R'); });
    script.push_back([] { At(40, 40, WM_LBUTTONDOWN); });
    script.push_back([] { At(80, 70, WM_MOUSEMOVE); });
    script.push_back([] { At(120, 100, WM_LBUTTONUP); });
    script.push_back([] { Send(WM_KEYDOWN, VK_RETURN); });
    ASSERT_TRUE(Run());
    ASSERT_EQ(result_.width, 180);
    const std::vector<uint32_t> pixels = ReadBitmapPixels(result_.bitmap);
    const auto at = [&](int x, int y) { return pixels[static_cast<size_t>((y - 10) * 180 + (x - 10))]; };
    // Red on the rectangle's left side and bottom (medium: 4 pixels at 96 DPI); the still inside and outside.
    EXPECT_EQ(kRed, at(40, 70));
    EXPECT_EQ(kRed, at(80, 100));
    EXPECT_EQ(StillPattern(80, 70), at(80, 70));
    EXPECT_EQ(StillPattern(30, 70), at(30, 70));
    EXPECT_EQ(log_.Count(L"[INFO] 标注工具 tool=0"), 1);
    EXPECT_EQ(log_.Count(L"[INFO] 添加标注 kind=0 live=1"), 1);
    EXPECT_EQ(
        log_.Count(L"[INFO] 标注 count=1 rect=1 ellipse=0 arrow=0 pen=0 highlight=0 text=0 step=0 mosaic=0"),
        1);
}

TEST_F(RegionOverlayTest, EscInTheTextBoxKeepsItsTextAndTheOverlay) {
    bool boxOpened = false;
    bool boxClosed = false;
    bool overlayThere = false;
    Select();
    script.push_back([] { Send(WM_KEYDOWN, 'T'); });
    script.push_back([] { At(30, 30, WM_LBUTTONDOWN); });
    script.push_back([] { At(30, 30, WM_LBUTTONUP); });
    script.push_back([&] {
        HWND box = TextBoxWindow();
        boxOpened = box != nullptr && GetFocus() == box;
        for (wchar_t c : std::wstring(L"Hi 你好")) {
            SendMessageW(box, WM_CHAR, c, 0);
        }
        SendMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    script.push_back([&] {
        boxClosed = TextBoxWindow() == nullptr;
        overlayThere = IsWindowVisible(OverlayWindow()) != FALSE;
        Send(WM_KEYDOWN, VK_RETURN);
    });
    ASSERT_TRUE(Run());
    EXPECT_TRUE(boxOpened);
    EXPECT_TRUE(boxClosed);
    EXPECT_TRUE(overlayThere) << "Esc in the text box must not cancel the overlay";
    EXPECT_EQ(log_.Count(L"框选已取消"), 0);
    EXPECT_EQ(log_.Count(L"[INFO] 打开文字框 pos=(30,30)"), 1);
    EXPECT_EQ(log_.Count(L"[INFO] 添加标注 kind=5 live=1"), 1);
    // The text, in the default red, at the place of the click.
    const std::vector<uint32_t> pixels = ReadBitmapPixels(result_.bitmap);
    EXPECT_TRUE(AnyPixelOf(CutPixels(pixels, 180, 20, 20, 90, 30), kRed));
    EXPECT_FALSE(AnyPixelOf(CutPixels(pixels, 180, 0, 60, 180, 70), kRed));
}

TEST_F(RegionOverlayTest, ATextBoxTakesAThousandCharactersAndRefusesMore) {
    int length = 0;
    Select();
    script.push_back([] { Send(WM_KEYDOWN, 'T'); });
    script.push_back([] { At(30, 30, WM_LBUTTONDOWN); });
    script.push_back([&] {
        HWND box = TextBoxWindow();
        for (int i = 0; i < 1003; ++i) {
            SendMessageW(box, WM_CHAR, L'a' + i % 26, 0);
        }
        length = GetWindowTextLengthW(box);
        Send(WM_KEYDOWN, VK_ESCAPE); // only ends the box: it does not cancel
    });
    script.push_back([] { Send(WM_KEYDOWN, VK_ESCAPE); });
    EXPECT_FALSE(Run());
    EXPECT_EQ(length, 1000);
    EXPECT_GE(log_.Count(L"[INFO] 文字框已满 limit=1000"), 1);
    EXPECT_EQ(log_.Count(L"[INFO] 添加标注 kind=5 live=1"), 1);
    EXPECT_EQ(log_.Count(L"[INFO] 框选已取消"), 1);
}

TEST_F(RegionOverlayTest, TheStripsCopyConfirmsAndPutsTheMarkedPictureOnTheClipboard) {
    Select();
    script.push_back([] { Send(WM_KEYDOWN, 'N'); });
    script.push_back([] { At(100, 75, WM_LBUTTONDOWN); });
    script.push_back([] { At(100, 75, WM_LBUTTONUP); });
    script.push_back([] {
        const Point copy = StripButtonCentre(StripButton::Copy);
        At(copy.x, copy.y, WM_LBUTTONDOWN);
    });
    ASSERT_TRUE(Run());
    EXPECT_EQ(log_.Count(L"[INFO] 复制并确认选区 rect=(10,10,190,140)"), 1);
    EXPECT_EQ(log_.Count(L"[INFO] 已复制到剪贴板 size=180x130"), 1);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HBITMAP copied = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    int width = 0;
    int height = 0;
    const std::vector<uint32_t> pixels = ReadBitmapPixels(copied, &width, &height);
    CloseClipboard();
    ASSERT_EQ(width, 180);
    ASSERT_EQ(height, 130);
    // The step's filled circle, off its number, in the clipboard's picture as in the saved one.
    EXPECT_EQ(pixels[static_cast<size_t>(65 * 180 + 80)], kRed);
    EXPECT_TRUE(ReadBitmapPixels(result_.bitmap) == pixels);
}
