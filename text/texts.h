#pragma once
// The 65 interface texts in four languages and the current interface language.
#include <cstdint>

enum class UiLanguage : int32_t {
    SimplifiedChinese = 0,
    TraditionalChinese = 1,
    English = 2,
    Japanese = 3,
};

using TextId = uint32_t;
constexpr TextId kTextCount = 65;
constexpr int kLanguageCount = 4;

// The maker's web site: opened from the tray menu and named at the end of the about text (18).
#define KORVEL_SITE_URL L"https://ondralux.com/korvel"

UiLanguage GetUiLanguage();
// Values above 3 (negative ones included, as unsigned) are refused with an ERROR line.
void SetUiLanguage(uint32_t language);
// The text in the current language; never null. An id past the last logs an ERROR line and gives "".
const wchar_t* GetText(TextId id);
