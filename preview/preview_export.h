#pragma once
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "preview/preview_state.h"

// Puts a full-size copy of the picture on the clipboard; a message box over the preview on failure.
void CopyPreviewToClipboard(HWND window, PreviewState& state);

// The copy itself, also used by the region overlay's Copy: a new bitmap of the whole picture on the
// clipboard, with `owner` as the clipboard's owner. Failures are logged.
enum class ClipboardOutcome { Copied, CopyFailed, Busy };
ClipboardOutcome PutPictureOnClipboard(HWND owner, HBITMAP picture, int width, int height);
// The message box of a failed copy (text 45, or 46 for a busy clipboard) over `owner`; nothing for Copied.
void ShowClipboardFailure(HWND owner, ClipboardOutcome outcome);
// The save dialog, then PNG or JPEG by the chosen name and filter; a message box on failure.
void SavePreviewAs(HWND window, PreviewState& state);

// Pure parts of Save as.
// "Korvel_YYYYMMDD_hhmmss.<extension>" (no milliseconds).
std::wstring ProposedSaveName(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                              unsigned second, const wchar_t* extension);
// 1 (JPEG) for a path ending ".jpg"/".jpeg", 0 (PNG) for ".png", in any ASCII case, judged from the path's
// last '.'; otherwise by the filter index (2 is JPEG).
int ChooseSaveFormat(const std::wstring& path, unsigned filterIndex);

// Test seams for the two modal steps, which would otherwise wait for a person. Null restores the real call.
// Stands in for MessageBoxW: receives the owner, text, title and style the box would have had.
using PreviewMessageBoxHook = void (*)(HWND owner, const wchar_t* text, const wchar_t* title, UINT style);
void SetPreviewMessageBoxHookForTesting(PreviewMessageBoxHook hook);
// Stands in for GetSaveFileNameW: may inspect the dialog structure, write a path into its file buffer and
// set nFilterIndex; returns what GetSaveFileNameW would (false: cancelled or failed).
using PreviewSaveDialogHook = bool (*)(OPENFILENAMEW& dialog);
void SetPreviewSaveDialogHookForTesting(PreviewSaveDialogHook hook);
