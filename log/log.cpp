#include "log/log.h"

#include <windows.h>

#include <share.h>

#include <cstdio>

#include "log/data_folder.h"
#include "log/log_format.h"
#include "log/log_output.h"

namespace {

// Built before the entry point runs, so lines logged during static construction find it; empty until
// InitLog, and until then lines reach only the debugger output.
std::wstring logPath;
bool logReady = false;

const unsigned char kUtf8Bom[] = {0xEF, 0xBB, 0xBF};

void AppendToLogFile(const std::wstring& line) {
    const bool existed = GetFileAttributesW(logPath.c_str()) != INVALID_FILE_ATTRIBUTES;
    // Opened and closed for each line, so a second instance or a viewer can append or read in between; and
    // opened sharing reads and writes, so a viewer that keeps the file open does not lock every line out.
    FILE* file = _wfsopen(logPath.c_str(), L"ab", _SH_DENYNO);
    if (file == nullptr) {
        return;
    }
    if (!existed) {
        fwrite(kUtf8Bom, 1, sizeof kUtf8Bom, file);
    }
    const int length = static_cast<int>(line.size());
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), length, nullptr, 0, nullptr, nullptr);
    if (size > 0) {
        std::string bytes(static_cast<size_t>(size), '\0');
        if (WideCharToMultiByte(CP_UTF8, 0, line.data(), length, &bytes[0], size, nullptr, nullptr) > 0) {
            fwrite(bytes.data(), 1, bytes.size(), file);
        }
    }
    fclose(file);
}

} // namespace

void InitLog() {
    InitLogInFolder(LocateDataFolder());
}

void InitLogInFolder(const std::wstring& folder) {
    // An existing folder is the normal case, so the result is not checked.
    CreateDirectoryW(folder.c_str(), nullptr);
    logPath = folder + L"\\korvel.log";

    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (GetFileAttributesExW(logPath.c_str(), GetFileExInfoStandard, &data)) {
        const unsigned long long size =
            (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        if (ShouldRotateLog(size)) {
            // A failed move leaves the big file in place; appending simply goes on.
            const std::wstring oldPath = logPath + L".old";
            MoveFileExW(logPath.c_str(), oldPath.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
    }
    logReady = true;
    LogInfo(L"日志初始化 path=%s", logPath.c_str());
}

LogTime CurrentLogTime() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    LogTime time;
    time.year = now.wYear;
    time.month = now.wMonth;
    time.day = now.wDay;
    time.hour = now.wHour;
    time.minute = now.wMinute;
    time.second = now.wSecond;
    return time;
}

void OutputLogLine(const std::wstring& line) {
    // Every line reaches the debugger, also before InitLog and when the file cannot be written.
    OutputDebugStringW(line.c_str());
    if (!logReady || logPath.empty()) {
        return;
    }
    AppendToLogFile(line);
}

const std::wstring& GetLogPath() {
    return logPath;
}

void ResetLogForTesting() {
    logReady = false;
    logPath.clear();
}
