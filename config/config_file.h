#pragma once
#include <string>

#include "config/config.h"

// The data folder + "\config.ini".
std::wstring GetConfigPath();
// False when the file is missing, cannot be opened, is larger than 1 MiB or cannot be read (`out` untouched);
// otherwise `out` holds the defaults overlaid with the file's valid keys, validated.
bool LoadConfig(AppConfig& out);
// Writes a validated copy of `config` (BOM, CR LF). True when the whole file was written.
bool SaveConfig(const AppConfig& config);
// The same two at an explicit path; the data-folder versions call these. Tests use them with files of their
// own.
bool LoadConfigFrom(const std::wstring& path, AppConfig& out);
bool SaveConfigTo(const std::wstring& path, const std::wstring& folder, const AppConfig& config);
