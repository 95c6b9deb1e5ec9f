#pragma once
#include <string>

// The program's data folder (roaming AppData\Korvel, else the temporary folder + "Korvel"), created if
// missing.
std::wstring GetDataFolder();
// Where the data folder is, without creating it; logs the fallback line when AppData cannot be read.
std::wstring LocateDataFolder();
// Makes `path` exist as a directory, parent levels first. Logs its own failures.
bool EnsureDirectory(const std::wstring& path);
// The parent that EnsureDirectory makes first, or empty when the walk stops here (no separator, a separator
// at position 0, a parent shorter than 3 characters or ending in a colon, such as a drive root "C:").
std::wstring ParentToEnsure(const std::wstring& path);
