#include "log/log.h"

#include <cstdarg>

#include "log/log_format.h"
#include "log/log_output.h"

// The entry points of the log, free of Win32 calls: format, frame, hand to the listener and the outputs.
namespace {

LogListener logListener = nullptr;
void* logListenerContext = nullptr;

void WriteFormatted(const wchar_t* level, const wchar_t* format, va_list args) {
    const std::wstring message = FormatLogMessage(format, args);
    WriteLogLine(level, message.c_str());
}

} // namespace

void LogInfo(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    WriteFormatted(L"INFO", format, args);
    va_end(args);
}

void LogError(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    WriteFormatted(L"ERROR", format, args);
    va_end(args);
}

void WriteLogLine(const wchar_t* level, const wchar_t* message) {
    const std::wstring line = FormatLogLine(CurrentLogTime(), level, message);
    if (logListener != nullptr) {
        logListener(line, logListenerContext);
    }
    OutputLogLine(line);
}

void SetLogListener(LogListener listener, void* context) {
    logListener = listener;
    logListenerContext = context;
}
