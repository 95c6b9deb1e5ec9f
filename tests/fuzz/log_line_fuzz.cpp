// A log line from any message: always one line, ending in CR LF, never longer than its buffer, and carrying
// the message as it was up to the cut (with line breaks turned into spaces).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "log/log.h"
#include "log/log_format.h"
#include "support/test_support.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::wstring& line) {
    std::fprintf(stderr, "%s (%zu characters): %s\n", what, line.size(), ToUtf8(line.substr(0, 200)).c_str());
    std::abort();
}

// The message from the input: UTF-8 text, or raw 16-bit units as Windows strings hold them (lone surrogates
// included). Ends at the first NUL, as a C string does.
std::wstring Message(const uint8_t* data, size_t size) {
    std::wstring message;
    if (size > 0 && data[0] % 2 == 0) {
        message = FromUtf8(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    } else {
        for (size_t i = 1; i + 1 < size; i += 2) {
            message.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
        }
    }
    return message.substr(0, message.find(L'\0'));
}

// What the line must carry of the message: line breaks as spaces.
std::wstring OnOneLine(std::wstring text) {
    for (wchar_t& c : text) {
        if (c == L'\r' || c == L'\n') {
            c = L' ';
        }
    }
    return text;
}

void CheckLine(const std::wstring& line, const std::wstring& frame, const std::wstring& message) {
    if (line.size() >= kLogLineChars) {
        Fail("line past its buffer", line);
    }
    if (line.size() < 2 || line.compare(line.size() - 2, 2, L"\r\n") != 0) {
        Fail("line without its CR LF", line);
    }
    if (line.find_first_of(L"\r\n") != line.size() - 2) {
        Fail("line break inside the line", line);
    }
    if (line.compare(0, frame.size(), frame) != 0) {
        Fail("line without its frame", line);
    }
    const std::wstring body = line.substr(frame.size(), line.size() - 2 - frame.size());
    if (OnOneLine(message).compare(0, body.size(), body) != 0) {
        Fail("line does not carry the message", line);
    }
}

void KeepLine(const std::wstring& line, void* context) {
    *static_cast<std::wstring*>(context) = line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring message = Message(data, size);

    LogTime time;
    time.year = 2024;
    time.month = 5;
    time.day = 1;
    time.hour = 9;
    time.minute = 3;
    time.second = 7;
    CheckLine(FormatLogLine(time, L"INFO", message.c_str()), L"2024-05-01 09:03:07 [INFO] ", message);

    // The message as an argument: cut at 3071 characters, otherwise as it was.
    const std::wstring prefix = L"配置行缺少等号：";
    std::wstring formatted;
    SetLogListener(&KeepLine, &formatted);
    LogError(L"配置行缺少等号：%s", message.c_str());
    SetLogListener(nullptr, nullptr);
    const size_t stamp = formatted.find(L" [ERROR] ");
    if (stamp == std::wstring::npos) {
        Fail("LogError line without its level", formatted);
    }
    const std::wstring expected = (prefix + message).substr(0, kLogMessageChars - 1);
    CheckLine(formatted, formatted.substr(0, stamp + 9), expected);
    if (formatted.size() - 2 - (stamp + 9) != expected.size()) {
        Fail("LogError line cut in the wrong place", formatted);
    }
    return 0;
}
