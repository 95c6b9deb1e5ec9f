#include "markup/text_box.h"

#include <commctrl.h>

#include <algorithm>

#include "log/log.h"
#include "markup/mark_paint.h"
#include "settings/settings_palette.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr int kTextBoxId = 100;

// Light text is typed on the settings window's dark panel colour, dark text on white.
COLORREF BackgroundFor(uint32_t rgb) {
    const int luminance =
        static_cast<int>(((rgb >> 16) & 0xFF) * 299 + ((rgb >> 8) & 0xFF) * 587 + (rgb & 0xFF) * 114) / 1000;
    return luminance > 150 ? kPanelColor : kWhiteColor;
}

// Esc and Ctrl+Enter end the box; neither types a character.
LRESULT CALLBACK TextBoxSubclassProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR parent) {
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE || (wParam == VK_RETURN && GetKeyState(VK_CONTROL) < 0)) {
            // Posted: the overlay destroys the box, which must not happen inside the box's own message.
            PostMessageW(reinterpret_cast<HWND>(parent), kTextBoxDoneMessage, 0, 0);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == 27 || wParam == 10) {
            return 0;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(box, TextBoxSubclassProc, kSubclassId);
        break;
    default:
        break;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

// The size of the box's text in its font; an empty last line (after a line break) counts as a line.
SIZE TextExtent(const TextBox& box, const std::wstring& text) {
    HDC dc = GetDC(box.window);
    HGDIOBJ previous = SelectObject(dc, box.font);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    RECT r = {0, 0, 0, 0};
    if (!text.empty()) {
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                  DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | DT_LEFT | DT_TOP);
    }
    SelectObject(dc, previous);
    ReleaseDC(box.window, dc);
    const LONG lineHeight = metrics.tmHeight;
    LONG height = std::max<LONG>(r.bottom - r.top, lineHeight);
    if (!text.empty() && text.back() == L'\n') {
        height += lineHeight;
    }
    // Room for a few more characters, so that typing does not scroll the box before it grows.
    const LONG width = std::max<LONG>(r.right - r.left, 2 * lineHeight) + lineHeight;
    return SIZE{width, height};
}

} // namespace

bool OpenTextBox(TextBox& box, HWND parent, const Mark& pending) {
    CloseTextBox(box);
    box.window =
        CreateWindowExW(0, L"EDIT", L"",
                        WS_CHILD | WS_BORDER | ES_MULTILINE | ES_WANTRETURN | ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                        0, 0, 10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextBoxId)),
                        GetModuleHandleW(nullptr), nullptr);
    if (box.window == nullptr) {
        LogError(L"创建文字框失败 err=%lu", GetLastError());
        return false;
    }
    box.font = CreateMarkFont(pending.size, false);
    box.textColour = MarkColourRef(pending.colour);
    box.backColour = BackgroundFor(MarkColour(pending.colour));
    box.background = CreateSolidBrush(box.backColour);
    SetWindowSubclass(box.window, TextBoxSubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(parent));
    SendMessageW(box.window, WM_SETFONT, reinterpret_cast<WPARAM>(box.font), FALSE);
    SendMessageW(box.window, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    // More is refused with EN_MAXTEXT, on which the overlay beeps.
    SendMessageW(box.window, EM_LIMITTEXT, static_cast<WPARAM>(kMaxTextLength), 0);

    // Where the text starts inside the box: past its border and the edit's own inset.
    RECT window = {};
    RECT client = {};
    RECT format = {};
    GetWindowRect(box.window, &window);
    GetClientRect(box.window, &client);
    MapWindowPoints(box.window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    SendMessageW(box.window, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    box.offsetX = (client.left - window.left) + format.left;
    box.offsetY = (client.top - window.top) + format.top;

    RECT parentRect = {};
    GetWindowRect(parent, &parentRect);
    SetWindowPos(box.window, HWND_TOP, pending.from.x - parentRect.left - box.offsetX,
                 pending.from.y - parentRect.top - box.offsetY, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    FitTextBox(box);
    ShowWindow(box.window, SW_SHOW);
    SetFocus(box.window);
    return true;
}

std::wstring TextBoxText(const TextBox& box) {
    if (box.window == nullptr || !IsWindow(box.window)) {
        return {};
    }
    const int length = GetWindowTextLengthW(box.window);
    std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
    const int copied = GetWindowTextW(box.window, &text[0], length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

void FitTextBox(const TextBox& box) {
    if (box.window == nullptr || !IsWindow(box.window)) {
        return;
    }
    const SIZE extent = TextExtent(box, TextBoxText(box));
    SetWindowPos(box.window, nullptr, 0, 0, extent.cx + 2 * box.offsetX, extent.cy + 2 * box.offsetY,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CloseTextBox(TextBox& box) {
    if (box.window != nullptr && IsWindow(box.window)) {
        DestroyWindow(box.window);
    }
    box.window = nullptr;
    if (box.font != nullptr) {
        DeleteObject(box.font);
        box.font = nullptr;
    }
    if (box.background != nullptr) {
        DeleteObject(box.background);
        box.background = nullptr;
    }
}

HBRUSH TextBoxColours(const TextBox& box, HDC dc, HWND control) {
    if (control == nullptr || control != box.window) {
        return nullptr;
    }
    SetTextColor(dc, box.textColour);
    SetBkColor(dc, box.backColour);
    return box.background;
}
