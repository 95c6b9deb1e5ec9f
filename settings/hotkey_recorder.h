#pragma once
// The shortcut box: click it, press a key with its modifiers, and the slot it is bound to holds the new
// shortcut; Backspace clears it, Esc gives up.
#include <windows.h>

#include <string>

#include "settings/settings_state.h"

constexpr wchar_t kRecorderClassName[] = L"KorvelHotkey";

LRESULT CALLBACK RecorderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What the box shows: the prompt while recording, else the shortcut (text 14 when there is none).
std::wstring RecorderText(const RecorderSlot& slot);
// Brings the box's text (also its window text, which screen readers read) and painting up to date.
void RefreshRecorder(RecorderSlot& slot);
// Starts or ends recording in a box. While any box records, Korvel's own global shortcuts are suspended, so
// that every combination reaches the box; they are registered again when the last one stops.
void SetRecording(RecorderSlot& slot, bool recording);
