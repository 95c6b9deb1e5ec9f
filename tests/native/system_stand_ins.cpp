// What the portable core asks of Windows, answered for the native build: the time that stamps a log line,
// the outputs of a finished line (only the tests' listener sees it here) and the Pictures folder.
#include <ctime>
#include <string>

#include "config/config.h"
#include "log/log.h"
#include "log/log_output.h"

LogTime CurrentLogTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local = {};
    localtime_r(&now, &local);
    LogTime time;
    time.year = static_cast<unsigned>(local.tm_year + 1900);
    time.month = static_cast<unsigned>(local.tm_mon + 1);
    time.day = static_cast<unsigned>(local.tm_mday);
    time.hour = static_cast<unsigned>(local.tm_hour);
    time.minute = static_cast<unsigned>(local.tm_min);
    time.second = static_cast<unsigned>(local.tm_sec);
    return time;
}

void OutputLogLine(const std::wstring&) {}

// There is no log file here to forget.
void ResetLogForTesting() {}

std::wstring GetDefaultSaveFolder() {
    return ChooseSaveFolder(L"C:\\Users\\native\\Pictures", L"");
}
