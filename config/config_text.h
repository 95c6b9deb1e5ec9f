#pragma once
// The text form of config.ini, free of Win32 calls: parsing lines and building the file's text.
#include <cstdint>
#include <string>

#include "config/config.h"

// Without leading and trailing white space (iswspace).
std::wstring TrimSpaces(const std::wstring& text);
// The number when the whole text is one (wcstol rules, base 10, clamped to 32 bits), else the fallback.
int32_t ParseIntOr(const std::wstring& text, int32_t fallback);
// Stores one key=value pair; unknown keys are ignored.
void ApplyConfigKey(AppConfig& config, const std::wstring& key, const std::wstring& value);
// Walks the decoded text line by line (LF or CR LF), skipping blanks and comments, logging lines without "=".
void ApplyConfigText(AppConfig& config, const std::wstring& text);
// What a decoded config.ini text gives: the defaults overlaid with its valid keys, validated.
AppConfig ConfigFromText(const std::wstring& text);
// The UTF-8 byte-order mark that config.ini is written with and may be read with.
constexpr char kUtf8Bom[3] = {'\xEF', '\xBB', '\xBF'};
// The file's bytes without a leading UTF-8 byte-order mark (EF BB BF), which the file may or may not have.
std::string WithoutUtf8Bom(const std::string& bytes);
// True when the bytes begin with a UTF-16 byte-order mark, FF FE or FE FF: an editor saved the file as
// "Unicode", which is not UTF-8.
bool StartsWithUtf16Bom(const std::string& bytes);
// The 16 lines in their fixed order, each ending in CR LF (no byte-order mark).
std::wstring SerializeConfig(const AppConfig& config);
