#include "log/log_format.h"

#include <cstdio>
#include <cwchar>

#include "base/decimal_text.h"
#ifndef _WIN32
#include "log/wide_printf.h"
#endif

namespace {

// The longest line before its CR LF: what the former 4094-character formatting buffer held.
constexpr size_t kMaxLineBodyChars = kLogLineChars - 3;

// A line break inside a message would split one event over two lines of the file, and a reader could not
// tell where the next line begins; each CR or LF becomes a space. Stops once the line is past its limit.
void AppendOnOneLine(std::wstring& line, const wchar_t* text) {
    for (const wchar_t* c = text; *c != L'\0' && line.size() <= kMaxLineBodyChars; ++c) {
        line.push_back(*c == L'\r' || *c == L'\n' ? L' ' : *c);
    }
}

} // namespace

std::wstring FormatLogMessage(const wchar_t* format, va_list args) {
    if (format == nullptr) {
        return std::wstring();
    }
    va_list copy;
    va_copy(copy, args);
#ifdef _WIN32
    // The runtime's own secure formatter: "%s" is a wide string (Microsoft rules) even where the C99
    // family would read it as narrow, and _TRUNCATE cuts an over-long message instead of failing.
    wchar_t buffer[kLogMessageChars] = {};
    _vsnwprintf_s(buffer, kLogMessageChars, _TRUNCATE, format, copy);
    std::wstring message(buffer);
#else
    // Runtimes that follow C99 read "%s" as narrow; this one keeps the Microsoft rules.
    std::wstring message = FormatWideMicrosoftStyle(format, copy);
    if (message.size() >= kLogMessageChars) {
        message.resize(kLogMessageChars - 1);
    }
#endif
    va_end(copy);
    return message;
}

std::wstring FormatLogLine(const LogTime& time, const wchar_t* level, const wchar_t* message) {
    // "%04u-%02u-%02u %02u:%02u:%02u [%s] %s", built without printf so that every runtime gives the same.
    std::wstring line;
    line.reserve(kLogLineChars);
    AppendPaddedDecimal(line, time.year, 4);
    line += L'-';
    AppendPaddedDecimal(line, time.month, 2);
    line += L'-';
    AppendPaddedDecimal(line, time.day, 2);
    line += L' ';
    AppendPaddedDecimal(line, time.hour, 2);
    line += L':';
    AppendPaddedDecimal(line, time.minute, 2);
    line += L':';
    AppendPaddedDecimal(line, time.second, 2);
    line += L" [";
    AppendOnOneLine(line, level != nullptr ? level : L"");
    line += L"] ";
    AppendOnOneLine(line, message != nullptr ? message : L"");
    // A message cut by FormatLogMessage always fits with the frame. Anything longer is cut here before the
    // CR LF is added, so an over-long line can never swallow its line end and run into the next one.
    if (line.size() > kMaxLineBodyChars) {
        line.resize(kMaxLineBodyChars);
    }
    line += L"\r\n";
    return line;
}

bool ShouldRotateLog(unsigned long long sizeBytes) {
    return sizeBytes > kLogRotateAboveBytes;
}
