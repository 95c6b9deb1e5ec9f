#pragma once
// printf-style wide formatting with the Microsoft rules, for runtimes whose wide printf follows C99: there
// "%s" and "%c" would read narrow arguments, and "%p" would print in another style. Windows builds use the
// runtime's own formatter instead.
#include <cstdarg>
#include <string>

// "%s"/"%ls"/"%ws" wide string, "%hs"/"%S" narrow string, "%c" wide character, "%hc" narrow character, "%p"
// upper-case hexadecimal padded to the width of a pointer, "%I64d" 64 bits; the rest as C99 has it. "%n"
// writes nothing; an unknown conversion is copied as it stands.
std::wstring FormatWideMicrosoftStyle(const wchar_t* format, va_list args);
