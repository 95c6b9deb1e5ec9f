#pragma once
// Naming and parameters of saved pictures, free of Win32 calls.
#include <cstdint>
#include <string>

// The save folder without trailing separators, keeping a drive root such as "C:\" (length 3) whole.
std::wstring TrimSaveFolder(const std::wstring& folder);
// The longest folder path that Windows lets a program without long-path support create (MAX_PATH - 12,
// room for an 8.3 name below it). A "\\?\" prefix buys no more: Korvel refuses any longer folder alike.
constexpr size_t kMaxSaveFolderChars = 248;
// True when the folder, trimmed as a save trims it, is longer than kMaxSaveFolderChars: such a folder is
// refused before any level of it is made.
bool SaveFolderTooLong(const std::wstring& folder);
// "png" for every format but 1, which gives "jpg".
const wchar_t* ImageExtension(int format);
// Quality clamped to 1..100.
uint32_t ClampJpegQuality(int quality);

struct LocalTimeStamp {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, milliseconds = 0;
};
// "Korvel_YYYYMMDD_hhmmss_mmm.<extension>"
std::wstring CaptureFileName(const LocalTimeStamp& time, const wchar_t* extension);
