#pragma once
// The configuration record, its defaults and its repairs.
#include <cstdint>
#include <string>

#include "text/texts.h"

// Modifier flags as RegisterHotKey takes them.
constexpr uint32_t kModAlt = 0x1;
constexpr uint32_t kModControl = 0x2;
constexpr uint32_t kModShift = 0x4;
constexpr uint32_t kModWin = 0x8;

struct HotkeyBinding {
    uint32_t mod = 0;     // kMod* flags
    uint32_t vk = 0;      // virtual-key code 1..255; 0 means no key
    bool enabled = false; // never true without a key after validation
};

enum class ImageFormat : int32_t { Png = 0, Jpeg = 1 };

struct AppConfig {
    HotkeyBinding region;
    HotkeyBinding full;
    HotkeyBinding window;
    ImageFormat format = ImageFormat::Png; // may hold any number until validated
    int32_t jpegQuality = 90;
    std::wstring saveDir;
    bool toolbar = false;
    UiLanguage language = UiLanguage::SimplifiedChinese;
    int32_t markupColor = 0; // the last markup colour: a swatch 0..7 (red, orange, ..., white)
    int32_t markupWidth = 1; // the last markup width: 0 thin, 1 medium, 2 thick
};

// The one program-wide record, built with MakeDefaultConfig before the entry point runs.
AppConfig& GetConfig();
AppConfig MakeDefaultConfig();
// Pictures\Korvel, else %USERPROFILE%\Pictures\Korvel, else ".\Korvel". Not created here.
std::wstring GetDefaultSaveFolder();
// The choice behind it, from what the system answered: the Pictures folder (empty when it could not be read),
// else the user profile folder (empty when unset), else the current directory. Logs the fallback it takes.
std::wstring ChooseSaveFolder(const std::wstring& picturesFolder, const std::wstring& userProfile);
// Repairs out-of-range values in place, logging each repair of a user-visible value.
void ValidateConfig(AppConfig& config);
