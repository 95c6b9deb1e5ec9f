#include "settings/path_edit.h"

#include <commctrl.h>

#include "log/log.h"
#include "settings/settings_ids.h"
#include "settings/settings_rules.h"

namespace {

std::wstring ClipboardText(HWND owner) {
    std::wstring text;
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(owner)) {
        return text;
    }
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = GetWindowTextW(window, &text[0], static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

// Pastes the clipboard's text without its line breaks and other control characters. A paste that would make
// the path longer than the field takes is refused whole rather than cut short.
void PasteOneLine(HWND edit) {
    const std::wstring text = RemoveControlCharacters(ClipboardText(edit));
    if (text.empty()) {
        return;
    }
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const size_t kept = static_cast<size_t>(GetWindowTextLengthW(edit)) - (end - start);
    const size_t limit = static_cast<size_t>(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0));
    if (kept + text.size() > limit) {
        LogInfo(L"粘贴的路径过长，未粘贴 length=%d limit=%d", static_cast<int>(kept + text.size()),
                static_cast<int>(limit));
        MessageBeep(MB_ICONWARNING);
        return;
    }
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

bool ShiftInsert() {
    return GetKeyState(VK_SHIFT) < 0 && GetKeyState(VK_CONTROL) >= 0;
}

} // namespace

LRESULT CALLBACK PathEditSubclassProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR) {
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            return 0;
        }
        if (wParam == VK_TAB) {
            // The settings window is not a dialog: it carries out the request to move on itself.
            SendMessageW(GetParent(edit), WM_NEXTDLGCTL, GetKeyState(VK_SHIFT) < 0 ? 1 : 0, FALSE);
            return 0;
        }
        if (wParam == VK_INSERT && ShiftInsert()) {
            // The edit control pastes on Shift+Insert without sending WM_PASTE under Wine.
            PasteOneLine(edit);
            return 0;
        }
        break;
    case WM_CHAR:
        if (PathFieldRefusesChar(static_cast<wchar_t>(wParam))) {
            return 0;
        }
        break;
    case WM_PASTE:
        PasteOneLine(edit);
        return 0;
    default:
        break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

std::wstring ReadPathField(HWND settingsWindow) {
    return WindowText(GetDlgItem(settingsWindow, kPathEditId));
}
