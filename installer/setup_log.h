#pragma once
// setup.log in %LOCALAPPDATA%\Korvel: the installer's own record of every step, kept across runs.
#include <initializer_list>

// Appends one time-stamped line made of the parts one after another; a line that cannot be written is lost
// without a word.
void WriteSetupLog(std::initializer_list<const wchar_t*> parts);
inline void WriteSetupLog(const wchar_t* message) {
    WriteSetupLog({message});
}
