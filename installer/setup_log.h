#pragma once
// setup.log in %LOCALAPPDATA%\Korvel: the installer's own record of every step, kept across runs.
#include <string>

// Appends one time-stamped line; a line that cannot be written is lost without a word.
void WriteSetupLog(const std::wstring& text);
