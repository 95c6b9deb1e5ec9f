#include "log/log_format.h"

#include <cstdio>
#include <cwchar>
#include <vector>

std::wstring FormatLogMessage(const wchar_t* format, va_list args) {
    if (format == nullptr) {
        return std::wstring();
    }
    // The runtime's own secure formatter: "%s" is a wide string (Microsoft rules) even where the C99
    // family would read it as narrow, and _TRUNCATE cuts an over-long message instead of failing.
    wchar_t buffer[kLogMessageChars] = {};
    va_list copy;
    va_copy(copy, args);
    _vsnwprintf_s(buffer, kLogMessageChars, _TRUNCATE, format, copy);
    va_end(copy);
    return std::wstring(buffer);
}

std::wstring FormatLogLine(const LogTime& time, const wchar_t* level, const wchar_t* message) {
    // A message cut by FormatLogMessage always fits with the frame. Anything longer is cut here before the
    // CR LF is added, so an over-long line can never swallow its line end and run into the next one.
    wchar_t buffer[kLogLineChars] = {};
    _snwprintf_s(buffer, kLogLineChars - 2, _TRUNCATE, L"%04u-%02u-%02u %02u:%02u:%02u [%s] %s", time.year,
                 time.month, time.day, time.hour, time.minute, time.second, level != nullptr ? level : L"",
                 message != nullptr ? message : L"");
    std::wstring line(buffer);
    line += L"\r\n";
    return line;
}

bool ShouldRotateLog(unsigned long long sizeBytes) {
    return sizeBytes > kLogRotateAboveBytes;
}
