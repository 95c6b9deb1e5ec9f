#include "preview/preview_export.h"

#include <cwchar>

#include "base/gdi_scope.h"
#include "capture/image_save.h"
#include "config/config.h"
#include "log/log.h"
#include "text/texts.h"

namespace {

constexpr TextId kTextSaveFailed = 44;
constexpr TextId kTextCopyFailed = 45;
constexpr TextId kTextClipboardBusy = 46;
constexpr wchar_t kMessageTitle[] = L"KOR-VEL";
constexpr DWORD kSaveNameCapacity = 260;
// Pairs of "shown name", "pattern", each ended by a NUL, the list by a second one.
constexpr wchar_t kSaveFilter[] = L"PNG (*.png)\0*.png\0JPEG (*.jpg)\0*.jpg\0";
constexpr DWORD kPngFilterIndex = 1;
constexpr DWORD kJpegFilterIndex = 2;

#if defined(_WIN64)
static_assert(sizeof(OPENFILENAMEW) == 152, "the save dialog expects the full 64-bit structure");
#endif

PreviewMessageBoxHook messageBoxHook = nullptr;
PreviewSaveDialogHook saveDialogHook = nullptr;

void ShowPreviewError(HWND owner, TextId text) {
    if (messageBoxHook != nullptr) {
        messageBoxHook(owner, GetText(text), kMessageTitle, MB_ICONERROR);
        return;
    }
    MessageBoxW(owner, GetText(text), kMessageTitle, MB_ICONERROR);
}

bool RunSaveDialog(OPENFILENAMEW& dialog) {
    if (saveDialogHook != nullptr) {
        return saveDialogHook(dialog);
    }
    return GetSaveFileNameW(&dialog) != FALSE;
}

wchar_t AsciiLower(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualsIgnoringAsciiCase(const std::wstring& a, const wchar_t* b) {
    const size_t length = std::wcslen(b);
    if (a.size() != length) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

// A new screen-compatible bitmap holding the whole picture; null after logging the reason.
HBITMAP CopyFullPicture(HBITMAP picture, int width, int height) {
    ScreenDC screen;
    MemoryDC source(screen.Get());
    MemoryDC target(screen.Get());
    // CreateCompatibleBitmap answers a zero size with a 1 x 1 stand-in, so a bad size counts as a failure.
    const bool sizeOk = picture != nullptr && width > 0 && height > 0;
    OwnedBitmap copy(screen && sizeOk ? CreateCompatibleBitmap(screen.Get(), width, height) : nullptr);
    if (!screen || !source || !target || copy.Get() == nullptr) {
        LogError(L"复制位图失败 size=%dx%d err=%lu", width, height, GetLastError());
        return nullptr;
    }
    BOOL copied = FALSE;
    DWORD error = 0;
    {
        SelectionScope sourceSelection(source.Get(), picture);
        SelectionScope targetSelection(target.Get(), copy.Get());
        // A refused selection would leave the DC's 1 x 1 default bitmap to copy from: no copy is made, and
        // SelectObject leaves no error code to report.
        if (!sourceSelection.Ok() || !targetSelection.Ok()) {
            LogError(L"复制位图失败：位图无法选入 DC size=%dx%d", width, height);
            return nullptr;
        }
        copied = BitBlt(target.Get(), 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);
        error = copied ? 0 : GetLastError();
    }
    if (!copied) {
        LogError(L"复制位图 BitBlt 失败 err=%lu", error);
        return nullptr;
    }
    return copy.Release();
}

} // namespace

void SetPreviewMessageBoxHookForTesting(PreviewMessageBoxHook hook) {
    messageBoxHook = hook;
}

void SetPreviewSaveDialogHookForTesting(PreviewSaveDialogHook hook) {
    saveDialogHook = hook;
}

std::wstring ProposedSaveName(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                              unsigned second, const wchar_t* extension) {
    wchar_t stamp[64] = {};
    std::swprintf(stamp, sizeof stamp / sizeof stamp[0], L"Korvel_%04u%02u%02u_%02u%02u%02u.", year, month,
                  day, hour, minute, second);
    return std::wstring(stamp) + (extension != nullptr ? extension : L"");
}

int ChooseSaveFormat(const std::wstring& path, unsigned filterIndex) {
    const int byFilter = filterIndex == kJpegFilterIndex ? static_cast<int>(ImageFormat::Jpeg)
                                                         : static_cast<int>(ImageFormat::Png);
    const size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos) {
        return byFilter;
    }
    const std::wstring ending = path.substr(dot);
    if (EqualsIgnoringAsciiCase(ending, L".jpg") || EqualsIgnoringAsciiCase(ending, L".jpeg")) {
        return static_cast<int>(ImageFormat::Jpeg);
    }
    if (EqualsIgnoringAsciiCase(ending, L".png")) {
        return static_cast<int>(ImageFormat::Png);
    }
    return byFilter;
}

ClipboardOutcome PutPictureOnClipboard(HWND owner, HBITMAP picture, int width, int height) {
    HBITMAP copy = CopyFullPicture(picture, width, height);
    if (copy == nullptr) {
        return ClipboardOutcome::CopyFailed;
    }
    // One attempt: a busy clipboard is reported rather than waited for.
    if (!OpenClipboard(owner)) {
        LogError(L"打开剪贴板失败 err=%lu", GetLastError());
        DeleteObject(copy);
        return ClipboardOutcome::Busy;
    }
    if (EmptyClipboard() && SetClipboardData(CF_BITMAP, copy) != nullptr) {
        // The system owns the bitmap from here on.
        CloseClipboard();
        LogInfo(L"已复制到剪贴板 size=%dx%d hwnd=%p", width, height, owner);
        return ClipboardOutcome::Copied;
    }
    LogError(L"写入剪贴板失败 err=%lu", GetLastError());
    DeleteObject(copy);
    CloseClipboard();
    return ClipboardOutcome::CopyFailed;
}

void ShowClipboardFailure(HWND owner, ClipboardOutcome outcome) {
    if (outcome != ClipboardOutcome::Copied) {
        ShowPreviewError(owner, outcome == ClipboardOutcome::Busy ? kTextClipboardBusy : kTextCopyFailed);
    }
}

void CopyPreviewToClipboard(HWND window, PreviewState& state) {
    ShowClipboardFailure(
        window, PutPictureOnClipboard(window, state.captureBitmap, state.imageWidth, state.imageHeight));
}

void SavePreviewAs(HWND window, PreviewState& state) {
    // A copy: the settings window may replace the configuration while the dialog's nested loop runs, and
    // the dialog keeps pointing at the save folder's text.
    const AppConfig config = GetConfig();
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    const bool jpeg = config.format == ImageFormat::Jpeg;
    const wchar_t* extension = jpeg ? L"jpg" : L"png";

    wchar_t file[kSaveNameCapacity] = {};
    const std::wstring proposed =
        ProposedSaveName(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, extension);
    wcsncpy_s(file, kSaveNameCapacity, proposed.c_str(), _TRUNCATE);

    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = kSaveFilter;
    dialog.nFilterIndex = jpeg ? kJpegFilterIndex : kPngFilterIndex;
    dialog.lpstrFile = file;
    dialog.nMaxFile = kSaveNameCapacity;
    dialog.lpstrInitialDir = config.saveDir.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
    dialog.lpstrDefExt = extension;

    if (!RunSaveDialog(dialog)) {
        LogInfo(L"取消另存为 hwnd=%p", window);
        return;
    }
    // The dialog's loop dispatches everything, Quit included; a preview destroyed meanwhile took its picture
    // (and `state`) with it.
    if (!IsWindow(window)) {
        LogError(L"另存为时预览已关闭 hwnd=%p", window);
        return;
    }
    const std::wstring path = file;
    const int format = ChooseSaveFormat(path, dialog.nFilterIndex);
    if (!SaveBitmapToFile(state.captureBitmap, path, format, config.jpegQuality)) {
        ShowPreviewError(window, kTextSaveFailed);
        return;
    }
    LogInfo(L"另存为成功 path=%s", path.c_str());
}
