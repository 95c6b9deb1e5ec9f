#pragma once
// Log line building, free of Win32 calls.
#include <cstdarg>
#include <cstddef>
#include <string>

constexpr std::size_t kLogMessageChars = 3072; // a message is cut to one less than this
constexpr std::size_t kLogLineChars = 4096;
constexpr unsigned long long kLogRotateAboveBytes = 1048576;

struct LogTime {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// printf-style formatting with the Microsoft wide rules ("%s" is a wide string), cut at 3071 characters.
std::wstring FormatLogMessage(const wchar_t* format, va_list args);
// "YYYY-MM-DD hh:mm:ss [LEVEL] message\r\n"
std::wstring FormatLogLine(const LogTime& time, const wchar_t* level, const wchar_t* message);
// A log is moved aside at start only when it is strictly larger than 1 MiB.
bool ShouldRotateLog(unsigned long long sizeBytes);
