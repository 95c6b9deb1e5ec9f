#pragma once
#include <string>

// The program's data folder (roaming AppData\Korvel, else the temporary folder + "Korvel"), created if
// missing.
std::wstring GetDataFolder();
// Where the data folder is, without creating it; logs the fallback line when AppData cannot be read.
std::wstring LocateDataFolder();
// Makes `path` exist as a directory, parent levels first. Logs its own failures.
bool EnsureDirectory(const std::wstring& path);
// The length of the parent that EnsureDirectory makes first (the part of `path` before its last separator),
// or 0 when the walk stops here (no separator, a separator at position 0, a parent shorter than 3 characters
// or ending in a colon, such as a drive root "C:").
size_t ParentLengthToEnsure(const std::wstring& path);
