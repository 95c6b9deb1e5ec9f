// Copy and Save as from real preview windows: the clipboard gets the full-size picture, a busy clipboard and
// a failed save are reported in a message box, and the save dialog is set up and obeyed as the user left it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "capture/captured_image.h"
#include "capture/gdiplus_headers.h"
#include "config/config.h"
#include "preview/preview.h"
#include "preview/preview_export.h"
#include "preview/preview_layout.h"
#include "preview/preview_state.h"
#include "support/bitmap_pixels.h"
#include "support/image_file.h"
#include "support/pattern.h"
#include "support/preview_probe.h"
#include "support/test_support.h"
#include "text/texts.h"

namespace {

HWND OpenPreview(int width, int height, int originX = 0, int originY = 0) {
    return OpenPatternPreview(width, height, originX, originY);
}

void PressButton(HWND window, PreviewButton button) {
    const Rect r = ComputePreviewLayout(*PreviewStateOf(window)).buttonRects[static_cast<size_t>(button)];
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(window, WM_LBUTTONUP, 0, at);
}

struct ShownBox {
    HWND owner = nullptr;
    std::wstring text;
    std::wstring title;
    UINT style = 0;
};

// What the save dialog was handed, and what the user "chooses" in it.
struct DialogRecord {
    int calls = 0;
    DWORD structSize = 0;
    HWND owner = nullptr;
    std::wstring filter; // the whole NUL-separated list, up to its closing double NUL
    DWORD filterIndex = 0;
    std::wstring proposedName;
    DWORD capacity = 0;
    std::wstring initialDir;
    bool hasTitle = false;
    DWORD flags = 0;
    std::wstring defaultExtension;

    bool choose = false;
    std::wstring chosenPath;
    DWORD chosenFilterIndex = 0;
};

std::vector<ShownBox> shownBoxes;
DialogRecord dialogRecord;

void RecordBox(HWND owner, const wchar_t* text, const wchar_t* title, UINT style) {
    shownBoxes.push_back(ShownBox{owner, text, title, style});
}

std::wstring DoubleNulList(const wchar_t* list) {
    if (list == nullptr) {
        return L"";
    }
    const wchar_t* end = list;
    while (end[0] != L'\0' || end[1] != L'\0') {
        ++end;
    }
    return std::wstring(list, end + 1);
}

bool FakeSaveDialog(OPENFILENAMEW& dialog) {
    DialogRecord& r = dialogRecord;
    ++r.calls;
    r.structSize = dialog.lStructSize;
    r.owner = dialog.hwndOwner;
    r.filter = DoubleNulList(dialog.lpstrFilter);
    r.filterIndex = dialog.nFilterIndex;
    r.proposedName = dialog.lpstrFile != nullptr ? dialog.lpstrFile : L"";
    r.capacity = dialog.nMaxFile;
    r.initialDir = dialog.lpstrInitialDir != nullptr ? dialog.lpstrInitialDir : L"";
    r.hasTitle = dialog.lpstrTitle != nullptr;
    r.flags = dialog.Flags;
    r.defaultExtension = dialog.lpstrDefExt != nullptr ? dialog.lpstrDefExt : L"";
    if (!r.choose) {
        return false;
    }
    wcsncpy_s(dialog.lpstrFile, dialog.nMaxFile, r.chosenPath.c_str(), _TRUNCATE);
    dialog.nFilterIndex = r.chosenFilterIndex;
    return true;
}

bool IsStampDigits(const std::wstring& text, size_t from, size_t count) {
    for (size_t i = from; i < from + count; ++i) {
        if (i >= text.size() || text[i] < L'0' || text[i] > L'9') {
            return false;
        }
    }
    return true;
}

class PreviewExportTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&gdiplusToken_, &input, nullptr), Gdiplus::Ok);
    }
    static void TearDownTestSuite() {
        if (gdiplusToken_ != 0) {
            Gdiplus::GdiplusShutdown(gdiplusToken_);
            gdiplusToken_ = 0;
        }
    }

    void SetUp() override {
        shownBoxes.clear();
        dialogRecord = DialogRecord();
        SetPreviewMessageBoxHookForTesting(RecordBox);
        SetPreviewSaveDialogHookForTesting(FakeSaveDialog);
        savedConfig_ = GetConfig();
        language_ = GetUiLanguage();
        SetUiLanguage(static_cast<uint32_t>(UiLanguage::English));
        GetConfig().saveDir = folder_.Path();
        ASSERT_TRUE(previewWindows.empty());
    }
    void TearDown() override {
        CloseAllPreviews();
        previewWindows.clear();
        SetPreviewMessageBoxHookForTesting(nullptr);
        SetPreviewSaveDialogHookForTesting(nullptr);
        GetConfig() = savedConfig_;
        SetUiLanguage(static_cast<uint32_t>(language_));
    }

    static ULONG_PTR gdiplusToken_;
    TempFolder folder_;
    CapturedLog log_;
    AppConfig savedConfig_;
    UiLanguage language_ = UiLanguage::SimplifiedChinese;
};

ULONG_PTR PreviewExportTest::gdiplusToken_ = 0;

TEST_F(PreviewExportTest, CopyPutsTheFullSizePictureOnTheClipboard) {
    HWND window = OpenPreview(3000, 2000);
    ASSERT_NE(window, nullptr);
    ASSERT_LT(PreviewStateOf(window)->displayWidth, 3000) << "the preview must show a scaled copy";

    PressButton(window, PreviewButton::Copy);
    EXPECT_EQ(log_.Count(L"已复制到剪贴板 size=3000x2000 hwnd=" + HandleText(window)), 1);
    EXPECT_TRUE(shownBoxes.empty());
    EXPECT_TRUE(IsWindow(window));

    ASSERT_TRUE(OpenClipboard(nullptr));
    auto* onClipboard = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    if (onClipboard != nullptr) {
        EXPECT_NE(onClipboard, PreviewStateOf(window)->captureBitmap);
        pixels = ReadBitmapPixels(onClipboard, &width, &height);
    }
    CloseClipboard();
    ASSERT_NE(onClipboard, nullptr);
    EXPECT_EQ(width, 3000);
    EXPECT_EQ(height, 2000);
    ASSERT_EQ(pixels.size(), 3000u * 2000u);
    const Point probes[] = {{0, 0}, {2999, 0}, {0, 1999}, {2999, 1999}, {1234, 567}, {2048, 1500}};
    for (const Point& p : probes) {
        EXPECT_EQ(pixels[static_cast<size_t>(p.y) * 3000 + p.x], PatternColour(p.x, p.y))
            << p.x << "," << p.y;
    }
    // The preview keeps its own picture.
    EXPECT_EQ(GetObjectType(PreviewStateOf(window)->captureBitmap), static_cast<DWORD>(OBJ_BITMAP));
}

TEST_F(PreviewExportTest, BusyClipboardIsReportedAndThePreviewStays) {
    HWND window = OpenPreview(200, 100, 500, 300);
    ASSERT_NE(window, nullptr);
    HWND holder =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(holder, nullptr);
    ASSERT_TRUE(OpenClipboard(holder));

    PressButton(window, PreviewButton::Copy);
    CloseClipboard();
    DestroyWindow(holder);

    EXPECT_EQ(log_.Count(L"打开剪贴板失败 err="), 1);
    EXPECT_EQ(log_.Count(L"已复制到剪贴板"), 0);
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_EQ(shownBoxes[0].owner, window);
    EXPECT_EQ(shownBoxes[0].text, GetText(46));
    EXPECT_EQ(shownBoxes[0].text, L"Copy failed. The clipboard is busy.");
    EXPECT_EQ(shownBoxes[0].title, L"KOR-VEL");
    EXPECT_EQ(shownBoxes[0].style, static_cast<UINT>(MB_ICONERROR));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(previewWindows, std::vector<HWND>{window});
    EXPECT_EQ(GetObjectType(PreviewStateOf(window)->captureBitmap), static_cast<DWORD>(OBJ_BITMAP));
}

TEST_F(PreviewExportTest, CopyOfAPictureTooLargeToDuplicateReportsCopyFailed) {
    HWND window = OpenPreview(200, 100, 500, 300);
    ASSERT_NE(window, nullptr);
    // A record that claims a size no bitmap can have, borrowing the preview's picture.
    PreviewState fake;
    fake.captureBitmap = PreviewStateOf(window)->captureBitmap;
    fake.imageWidth = 200000;
    fake.imageHeight = 200000;
    CopyPreviewToClipboard(window, fake);
    EXPECT_EQ(log_.Count(L"复制位图失败 size=200000x200000 err="), 1);
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_EQ(shownBoxes[0].text, GetText(45));
    EXPECT_EQ(shownBoxes[0].title, L"KOR-VEL");
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(PreviewExportTest, CopyOfAPictureThatCannotBeSelectedReportsCopyFailed) {
    HWND window = OpenPreview(200, 100, 500, 300);
    ASSERT_NE(window, nullptr);
    // A bitmap selected into another DC cannot be selected for the copy.
    HBITMAP picture = CreatePatternBitmap(40, 30, PatternColour);
    ASSERT_NE(picture, nullptr);
    HDC screen = GetDC(nullptr);
    HDC holder = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(holder, picture);
    PreviewState fake;
    fake.captureBitmap = picture;
    fake.imageWidth = 40;
    fake.imageHeight = 30;
    CopyPreviewToClipboard(window, fake);
    SelectObject(holder, previous);
    DeleteDC(holder);
    ReleaseDC(nullptr, screen);
    DeleteObject(picture);

    // No BitBlt ran, so none is reported, nor a stale error code.
    EXPECT_EQ(log_.Count(L"[ERROR] 复制位图失败：位图无法选入 DC size=40x30"), 1);
    EXPECT_EQ(log_.Count(L"BitBlt"), 0);
    EXPECT_EQ(log_.Count(L"已复制到剪贴板"), 0);
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_EQ(shownBoxes[0].text, GetText(45));
}

struct DialogSetupCase {
    ImageFormat format;
    DWORD filterIndex;
    const wchar_t* extension;
};

class PreviewExportDialogTest : public PreviewExportTest,
                                public ::testing::WithParamInterface<DialogSetupCase> {};

TEST_P(PreviewExportDialogTest, DialogProposesAStampedNameInTheSaveFolderAndCancelLogsOnly) {
    const DialogSetupCase& c = GetParam();
    GetConfig().format = c.format;
    GetConfig().jpegQuality = 77;
    const AppConfig before = GetConfig();
    HWND window = OpenPreview(200, 100, 500, 300);
    ASSERT_NE(window, nullptr);
    log_.Clear();

    PressButton(window, PreviewButton::Save);
    ASSERT_EQ(dialogRecord.calls, 1);
    const DialogRecord& r = dialogRecord;
    EXPECT_EQ(r.structSize, 152u);
    EXPECT_EQ(r.owner, window);
    const wchar_t expectedFilter[] = L"PNG (*.png)\0*.png\0JPEG (*.jpg)\0*.jpg\0";
    EXPECT_EQ(r.filter, std::wstring(expectedFilter, _countof(expectedFilter) - 1));
    EXPECT_EQ(r.filterIndex, c.filterIndex);
    EXPECT_EQ(r.capacity, 260u);
    EXPECT_EQ(r.initialDir, folder_.Path());
    EXPECT_FALSE(r.hasTitle);
    EXPECT_EQ(r.flags, static_cast<DWORD>(OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT));
    EXPECT_EQ(r.defaultExtension, c.extension);
    // Korvel_YYYYMMDD_hhmmss.ext, no milliseconds, no folder.
    const std::wstring& name = r.proposedName;
    ASSERT_EQ(name.size(), 26u) << ToUtf8(name);
    EXPECT_EQ(name.substr(0, 7), L"Korvel_");
    EXPECT_TRUE(IsStampDigits(name, 7, 8)) << ToUtf8(name);
    EXPECT_EQ(name[15], L'_');
    EXPECT_TRUE(IsStampDigits(name, 16, 6)) << ToUtf8(name);
    EXPECT_EQ(name.substr(22), std::wstring(L".") + c.extension);

    // Cancelling writes one line and nothing else.
    ASSERT_EQ(log_.Lines().size(), 1u);
    EXPECT_NE(log_.Lines()[0].find(L"[INFO] 取消另存为 hwnd=" + HandleText(window)), std::wstring::npos);
    EXPECT_TRUE(shownBoxes.empty());
    EXPECT_EQ(Fields(GetConfig()), Fields(before));
    EXPECT_TRUE(IsWindow(window));
}

INSTANTIATE_TEST_SUITE_P(PreviewExportFormats, PreviewExportDialogTest,
                         ::testing::Values(DialogSetupCase{ImageFormat::Jpeg, 2, L"jpg"},
                                           DialogSetupCase{ImageFormat::Png, 1, L"png"}));

struct SaveCase {
    const wchar_t* name;
    DWORD filterIndex;
    bool png; // else JPEG
};

class PreviewExportSaveTest : public PreviewExportTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(PreviewExportSaveTest, WritesTheFullPictureInTheFormatOfTheChosenName) {
    const SaveCase& c = GetParam();
    // The opposite of what the name asks for, so that the choice visibly ignores the configuration.
    GetConfig().format = c.png ? ImageFormat::Jpeg : ImageFormat::Png;
    const AppConfig before = GetConfig();
    HWND window = OpenPreview(2000, 1200);
    ASSERT_NE(window, nullptr);
    ASSERT_LT(PreviewStateOf(window)->displayWidth, 2000) << "the preview must show a scaled copy";

    dialogRecord.choose = true;
    dialogRecord.chosenPath = folder_.Join(c.name);
    dialogRecord.chosenFilterIndex = c.filterIndex;
    PressButton(window, PreviewButton::Save);

    EXPECT_TRUE(shownBoxes.empty());
    EXPECT_EQ(log_.Count(L"另存为成功 path=" + dialogRecord.chosenPath), 1);
    const std::string bytes = ReadFileBytes(dialogRecord.chosenPath);
    ASSERT_GE(bytes.size(), 8u);
    if (c.png) {
        EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    } else {
        EXPECT_EQ(bytes.substr(0, 3), std::string("\xFF\xD8\xFF", 3));
    }
    const DecodedImage decoded = DecodeImageFile(dialogRecord.chosenPath);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.width, 2000);
    EXPECT_EQ(decoded.height, 1200);
    if (c.png) {
        EXPECT_EQ(decoded.At(0, 0), PatternColour(0, 0));
        EXPECT_EQ(decoded.At(1999, 1199), PatternColour(1999, 1199));
        EXPECT_EQ(decoded.At(1003, 601), PatternColour(1003, 601));
    }
    EXPECT_EQ(Fields(GetConfig()), Fields(before));
    EXPECT_TRUE(IsWindow(window));
}

INSTANTIATE_TEST_SUITE_P(PreviewExportNames, PreviewExportSaveTest,
                         ::testing::Values(SaveCase{L"shot.PNG", 2, true}, SaveCase{L"shot.jpeg", 1, false},
                                           SaveCase{L"shot", 2, false}, SaveCase{L"shot.gif", 1, true}));

TEST_F(PreviewExportTest, FailedSaveShowsSaveFailed) {
    HWND window = OpenPreview(200, 100, 500, 300);
    ASSERT_NE(window, nullptr);
    dialogRecord.choose = true;
    dialogRecord.chosenPath = folder_.Join(L"missing\\shot.png");
    dialogRecord.chosenFilterIndex = 1;
    PressButton(window, PreviewButton::Save);

    EXPECT_FALSE(FileExists(dialogRecord.chosenPath));
    EXPECT_EQ(log_.Count(L"另存为成功"), 0);
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_EQ(shownBoxes[0].owner, window);
    EXPECT_EQ(shownBoxes[0].text, GetText(44));
    EXPECT_EQ(shownBoxes[0].title, L"KOR-VEL");
    EXPECT_EQ(shownBoxes[0].style, static_cast<UINT>(MB_ICONERROR));
    EXPECT_TRUE(IsWindow(window));
}

// The dialog's nested loop dispatches everything, Quit included: a preview closed meanwhile is not saved
// from freed memory.
bool CloseOwnerThenChoose(OPENFILENAMEW& dialog) {
    DestroyWindow(dialog.hwndOwner);
    wcsncpy_s(dialog.lpstrFile, dialog.nMaxFile, dialogRecord.chosenPath.c_str(), _TRUNCATE);
    return true;
}

TEST_F(PreviewExportTest, PreviewClosedDuringTheDialogIsNotSaved) {
    HWND window = OpenPreview(200, 100, 500, 300);
    ASSERT_NE(window, nullptr);
    dialogRecord.chosenPath = folder_.Join(L"late.png");
    SetPreviewSaveDialogHookForTesting(CloseOwnerThenChoose);
    PressButton(window, PreviewButton::Save);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(FileExists(dialogRecord.chosenPath));
    EXPECT_EQ(log_.Count(L"另存为时预览已关闭 hwnd=" + HandleText(window)), 1);
    EXPECT_TRUE(shownBoxes.empty());
}

} // namespace
