#include "settings/settings_controls.h"

#include <commctrl.h>
#include <imm.h>
#include <uxtheme.h>

#include <algorithm>
#include <string>

#include "base/win_rect.h"
#include "log/log.h"
#include "settings/hotkey_recorder.h"
#include "settings/path_edit.h"
#include "settings/settings_layout.h"
#include "settings/settings_paint.h"
#include "settings/settings_rules.h"
#include "text/font.h"
#include "text/texts.h"

namespace {

constexpr int kBodyFontPoints = 10;
constexpr int kTitleFontPoints = 18;
constexpr UINT_PTR kButtonHoverSubclassId = 1;
constexpr UINT_PTR kPathEditSubclassId = 2;

constexpr DWORD kOneLineStaticStyle = WS_CHILD | WS_VISIBLE | SS_EDITCONTROL | SS_NOPREFIX | SS_CENTERIMAGE;
constexpr DWORD kMultiLineStaticStyle = WS_CHILD | WS_VISIBLE | SS_EDITCONTROL | SS_NOPREFIX;
constexpr DWORD kRecorderStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
constexpr DWORD kSliderStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_NOTICKS | TBS_HORZ;
// Multi-line only so that EM_SETRECT can centre the one line vertically; the subclass keeps it to one line.
constexpr DWORD kPathEditStyle =
    WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL;

const wchar_t* const kLanguageNames[kLanguageRadioCount] = {L"简体中文", L"繁體中文", L"English", L"日本語"};

// The General page's controls; the Language and About pages have their own below.
constexpr int kGeneralIds[] = {kRegionLabelId,    kScreenLabelId,    kWindowLabelId,   kFormatLabelId,
                               kQualityLabelId,   kFolderLabelId,    kQualityNumberId, kRegionRecorderId,
                               kScreenRecorderId, kWindowRecorderId, kPngRadioId,      kJpegRadioId,
                               kQualitySliderId,  kPathEditId,       kBrowseButtonId};

struct ChildKind {
    const wchar_t* className;
    DWORD style;
};

bool IsOwnerDrawnButtonId(int id) {
    return IsRadioId(id) || id == kBrowseButtonId || id == kOkButtonId || id == kCancelButtonId;
}

bool IsRecorderId(int id) {
    return id >= kRegionRecorderId && id < kRegionRecorderId + kRecorderCount;
}

ChildKind KindOf(int id) {
    switch (id) {
    case kHintId:
    case kAboutTitleId:
    case kAboutTextId:
        return {L"STATIC", kMultiLineStaticStyle};
    case kQualitySliderId:
        return {TRACKBAR_CLASSW, kSliderStyle};
    case kPathEditId:
        return {L"EDIT", kPathEditStyle};
    case kPngRadioId:
    case kFirstLanguageRadioId:
        // The first of each radio group.
        return {L"BUTTON", kButtonStyle | WS_GROUP};
    default:
        if (IsRecorderId(id)) {
            return {kRecorderClassName, kRecorderStyle};
        }
        if (IsOwnerDrawnButtonId(id)) {
            return {L"BUTTON", kButtonStyle};
        }
        return {L"STATIC", kOneLineStaticStyle};
    }
}

void SetUpButton(HWND button, int id) {
    SetWindowTheme(button, L"", L"");
    if (!SetWindowSubclass(button, ButtonHoverSubclassProc, kButtonHoverSubclassId, 0)) {
        LogError(L"按钮悬停子类化失败 id=%d err=%lu", id, GetLastError());
    }
}

void SetUpRecorder(HWND control, RecorderSlot& slot) {
    slot.control = control;
    slot.recording = false;
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&slot));
    // No input context: with a Chinese or Japanese input method active, the box receives the key pressed
    // rather than the input method's processing key.
    ImmAssociateContext(control, nullptr);
}

void SetUpSlider(HWND slider) {
    SetWindowTheme(slider, L"", L"");
    SendMessageW(slider, TBM_SETRANGE, TRUE, MAKELPARAM(1, 100));
    SendMessageW(slider, TBM_SETPAGESIZE, 0, 5);
}

void SetUpPathEdit(HWND edit) {
    SetWindowTheme(edit, L"", L"");
    if (!SetWindowSubclass(edit, PathEditSubclassProc, kPathEditSubclassId, 0)) {
        LogError(L"路径输入框子类化失败 err=%lu", GetLastError());
    }
    // Typing and pasting stop at the longest path that is saved whole.
    SendMessageW(edit, EM_SETLIMITTEXT, kPathFieldLimit, 0);
}

HWND Child(HWND window, int id) {
    return GetDlgItem(window, id);
}

int TextWidth(HDC dc, const wchar_t* text) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
    return size.cx;
}

// The bottom of a text wrapped at `width`, as the multi-line statics wrap it.
int WrappedTextBottom(HDC dc, const wchar_t* text, int width) {
    RECT r = {0, 0, width, 0};
    DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return r.bottom;
}

SettingsTextMeasures MeasureTexts(HWND window, const SettingsState& state, int fullWidth) {
    SettingsTextMeasures measures;
    HDC dc = GetDC(window);
    if (dc == nullptr) {
        return measures;
    }
    HGDIOBJ previous = SelectObject(dc, state.bodyFont);
    for (TextId id = 4; id <= 9; ++id) {
        measures.labelWidth = std::max(measures.labelWidth, TextWidth(dc, GetText(id)));
    }
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    measures.lineHeight = metrics.tmHeight;
    measures.hintBottom =
        WrappedTextBottom(dc, GetText(state.page == SettingsPage::Language ? 16 : 15), fullWidth);
    measures.aboutBottom = WrappedTextBottom(dc, GetText(18), fullWidth);
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    return measures;
}

void PlaceControls(HWND window, const SettingsState& state, const SettingsLayout& layout) {
    for (const ControlPlace& place : layout.controls) {
        HWND child = Child(window, place.id);
        if (child == nullptr) {
            continue;
        }
        const Rect& r = place.rect;
        SetWindowPos(child, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
        HFONT font = place.id == kAboutTitleId ? state.titleFont : state.bodyFont;
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

// Centres the path field's one line vertically.
void SetPathTextRect(HWND window, const SettingsState& state) {
    HWND edit = Child(window, kPathEditId);
    if (edit == nullptr || state.bodyFont == nullptr) {
        return;
    }
    RECT client = {};
    GetClientRect(edit, &client);
    int textHeight = 0;
    if (HDC dc = GetDC(edit)) {
        HGDIOBJ previous = SelectObject(dc, state.bodyFont);
        TEXTMETRICW metrics = {};
        GetTextMetricsW(dc, &metrics);
        textHeight = metrics.tmHeight;
        SelectObject(dc, previous);
        ReleaseDC(edit, dc);
    }
    RECT text = ToWinRect(PathTextRect(client.right, client.bottom, textHeight));
    SendMessageW(edit, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&text));
}

// The width stays; the height becomes what the page needs.
void FitWindowHeight(HWND window, int clientHeight, int wantedClientHeight) {
    if (clientHeight == wantedClientHeight) {
        return;
    }
    RECT r = {};
    GetWindowRect(window, &r);
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left,
                 r.bottom - r.top - clientHeight + wantedClientHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowIf(HWND window, int id, bool show) {
    if (HWND child = Child(window, id)) {
        ShowWindow(child, show ? SW_SHOW : SW_HIDE);
    }
}

void SetChildText(HWND window, int id, const wchar_t* text) {
    SetWindowTextW(Child(window, id), text);
}

} // namespace

void CreateSettingsControls(HWND window, SettingsState& state) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (int id : kSettingsControlIds) {
        const ChildKind kind = KindOf(id);
        HWND child = CreateWindowExW(0, kind.className, L"", kind.style, 0, 0, 10, 10, window,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (child == nullptr) {
            continue;
        }
        if (IsRecorderId(id)) {
            SetUpRecorder(child, state.recorders[static_cast<size_t>(id - kRegionRecorderId)]);
        } else if (IsOwnerDrawnButtonId(id)) {
            SetUpButton(child, id);
        } else if (id == kQualitySliderId) {
            SetUpSlider(child);
        } else if (id == kPathEditId) {
            SetUpPathEdit(child);
        }
    }
    SetChildText(window, kPngRadioId, L"PNG");
    SetChildText(window, kJpegRadioId, L"JPEG");
}

void LayoutSettingsWindow(HWND window, SettingsState& state) {
    const UINT dpi = GetDpiForWindow(window);
    state.dpi = static_cast<int32_t>(dpi) > 0 ? static_cast<int32_t>(dpi) : 96;
    // The face follows the language, so a language change lays the window out again.
    if (state.bodyFont != nullptr) {
        DeleteObject(state.bodyFont);
    }
    if (state.titleFont != nullptr) {
        DeleteObject(state.titleFont);
    }
    state.bodyFont = CreateInterfaceFont(state.dpi, kBodyFontPoints);
    state.titleFont = CreateInterfaceFont(state.dpi, kTitleFontPoints);

    RECT client = {};
    GetClientRect(window, &client);
    const int fullWidth = SettingsFullWidth(client.right, state.dpi);
    const SettingsLayout layout =
        ComputeSettingsLayout(client.right, state.dpi, state.page, MeasureTexts(window, state, fullWidth));
    PlaceControls(window, state, layout);
    ShowPageControls(window);
    SetPathTextRect(window, state);
    FitWindowHeight(window, client.bottom, layout.clientHeight);
}

void ShowPageControls(HWND window) {
    const SettingsState* state = GetSettingsState();
    if (state == nullptr) {
        return;
    }
    const SettingsPage page = state->page;
    for (int id : kGeneralIds) {
        ShowIf(window, id, page == SettingsPage::General);
    }
    for (int i = 0; i < kLanguageRadioCount; ++i) {
        ShowIf(window, kFirstLanguageRadioId + i, page == SettingsPage::Language);
    }
    ShowIf(window, kHintId, page != SettingsPage::About);
    ShowIf(window, kAboutTitleId, page == SettingsPage::About);
    ShowIf(window, kAboutTextId, page == SettingsPage::About);
}

void UpdateQualityEnabled(HWND window) {
    const SettingsState* state = GetSettingsState();
    const BOOL enabled = state != nullptr && state->formatChoice == kJpegRadioId;
    for (int id : {kQualitySliderId, kQualityLabelId, kQualityNumberId}) {
        EnableWindow(Child(window, id), enabled);
    }
}

void UpdateQualityLabel(HWND window) {
    const LRESULT position = SendMessageW(Child(window, kQualitySliderId), TBM_GETPOS, 0, 0);
    SetChildText(window, kQualityNumberId, std::to_wstring(static_cast<int>(position)).c_str());
}

void ApplySettingsTexts(HWND window) {
    // The title shows in the taskbar, and the caption paints it.
    SetWindowTextW(window, GetText(0));
    for (int i = 0; i < 6; ++i) {
        SetChildText(window, kRegionLabelId + i, GetText(static_cast<TextId>(4 + i)));
    }
    SetChildText(window, kBrowseButtonId, GetText(10));
    SetChildText(window, kOkButtonId, GetText(11));
    SetChildText(window, kCancelButtonId, GetText(12));
    SetChildText(window, kAboutTitleId, GetText(17));
    SetChildText(window, kAboutTextId, GetText(18));
    for (int i = 0; i < kLanguageRadioCount; ++i) {
        SetChildText(window, kFirstLanguageRadioId + i, kLanguageNames[i]);
    }
    if (SettingsState* state = GetSettingsState()) {
        SetChildText(window, kHintId, GetText(state->page == SettingsPage::Language ? 16 : 15));
        for (RecorderSlot& slot : state->recorders) {
            RefreshRecorder(slot);
        }
    }
    InvalidateRect(window, nullptr, TRUE);
}
