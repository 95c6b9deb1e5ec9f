#include "settings/hotkey_recorder.h"

#include <algorithm>

#include "app/commands.h"
#include "base/paint_buffer.h"
#include "base/window_helpers.h"
#include "config/hotkey_text.h"
#include "log/log.h"
#include "settings/settings_palette.h"
#include "settings/settings_rules.h"
#include "text/texts.h"

namespace {

// Unscaled: the text's distance from the box's left and right edges.
constexpr int kTextInset = 10;

RecorderSlot* SlotOf(HWND window) {
    return WindowStateOf<RecorderSlot>(window);
}

bool KeyDown(int vk) {
    return GetKeyState(vk) < 0;
}

void OnRecorderKey(RecorderSlot& slot, WPARAM key) {
    const uint32_t vk = static_cast<uint32_t>(key);
    switch (ClassifyRecorderKey(vk)) {
    case RecorderKeyAction::Ignore:
        return;
    case RecorderKeyAction::Cancel:
        SetRecording(slot, false);
        return;
    case RecorderKeyAction::Clear:
        slot.binding = HotkeyBinding{};
        SetRecording(slot, false);
        LogInfo(L"已清除快捷键");
        return;
    case RecorderKeyAction::Record:
        slot.binding.mod = RecorderModifiers(KeyDown(VK_CONTROL), KeyDown(VK_MENU), KeyDown(VK_SHIFT),
                                             KeyDown(VK_LWIN), KeyDown(VK_RWIN));
        slot.binding.vk = vk;
        slot.binding.enabled = true;
        SetRecording(slot, false);
        LogInfo(L"录制快捷键 %s", DescribeHotkey(slot.binding).c_str());
        return;
    }
}

HFONT RecorderFont(HWND window) {
    const SettingsState* state = GetSettingsState();
    if (state != nullptr && state->bodyFont != nullptr) {
        return state->bodyFont;
    }
    return reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
}

void PaintRecorder(HWND window) {
    PAINTSTRUCT paint = {};
    HDC target = BeginPaint(window, &paint);
    RECT rc = {};
    GetClientRect(window, &rc);
    const RecorderSlot* slot = SlotOf(window);
    const bool active = slot != nullptr && slot->recording;
    {
        PaintBuffer buffer(target, rc);
        HDC dc = buffer.Dc();
        HBRUSH face = CreateSolidBrush(active ? kRecordingColor : kPanelColor);
        FillRect(dc, &rc, face);
        DeleteObject(face);

        HPEN pen = CreatePen(PS_SOLID, 1, active ? kAccentColor : kBorderColor);
        HGDIOBJ previousPen = SelectObject(dc, pen);
        HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, 0, 0, rc.right, rc.bottom);
        SelectObject(dc, previousBrush);
        SelectObject(dc, previousPen);
        DeleteObject(pen);

        const std::wstring text = slot != nullptr ? RecorderText(*slot) : std::wstring();
        const bool set = slot != nullptr && slot->binding.enabled && slot->binding.vk != 0;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, active || set ? kTextColor : kMutedTextColor);
        HFONT font = RecorderFont(window);
        HGDIOBJ previousFont = font != nullptr ? SelectObject(dc, font) : nullptr;
        RECT textRect = {rc.left + kTextInset, rc.top, rc.right - kTextInset, rc.bottom};
        DrawTextW(dc, text.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
        if (previousFont != nullptr) {
            SelectObject(dc, previousFont);
        }
    }
    EndPaint(window, &paint);
}

UINT DialogCode(const RecorderSlot* slot) {
    // Every key belongs to a recording box; an idle one lets Tab and Shift+Tab move on.
    return slot != nullptr && slot->recording ? DLGC_WANTALLKEYS | DLGC_WANTCHARS : DLGC_WANTCHARS;
}

} // namespace

std::wstring RecorderText(const RecorderSlot& slot) {
    return slot.recording ? std::wstring(GetText(13)) : DescribeHotkey(slot.binding);
}

void RefreshRecorder(RecorderSlot& slot) {
    if (slot.control == nullptr) {
        return;
    }
    SetWindowTextW(slot.control, RecorderText(slot).c_str());
    InvalidateRect(slot.control, nullptr, FALSE);
}

void SetRecording(RecorderSlot& slot, bool recording) {
    slot.recording = recording;
    RefreshRecorder(slot);
    const SettingsState* state = GetSettingsState();
    const bool anyRecording =
        state != nullptr && std::any_of(state->recorders.begin(), state->recorders.end(),
                                        [](const RecorderSlot& each) { return each.recording; });
    if (anyRecording) {
        SuspendGlobalShortcuts();
    } else {
        ResumeGlobalShortcuts();
    }
}

LRESULT CALLBACK RecorderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    RecorderSlot* slot = SlotOf(window);
    switch (message) {
    case WM_LBUTTONDOWN:
        if (slot != nullptr) {
            SetRecording(*slot, true);
            SetFocus(window);
        }
        return 0;
    // Hiding or destroying the window moves the focus away too.
    case WM_KILLFOCUS:
        if (slot != nullptr && slot->recording) {
            SetRecording(*slot, false);
        }
        return 0;
    case WM_GETDLGCODE:
        return DialogCode(slot);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (slot != nullptr && slot->recording) {
            // Not passed on: Alt and F10 do not reach the system menu while a box records.
            OnRecorderKey(*slot, wParam);
            return 0;
        }
        // An idle box leaves keys such as Alt+F4 to the system.
        return slot != nullptr ? DefWindowProcW(window, message, wParam, lParam) : 0;
    case WM_CHAR:
    case WM_SYSCHAR:
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        PaintRecorder(window);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
