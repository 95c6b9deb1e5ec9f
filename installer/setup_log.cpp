#include "installer/setup_log.h"

#include <windows.h>
#include <shlobj.h>

#include "installer/setup_rules.h"

namespace {

// Every UTF-16 unit becomes at most three bytes of UTF-8 (a surrogate pair, two units, becomes four).
constexpr int kLineBytes = static_cast<int>(kSetupLogLineChars) * 3;

bool OpenSetupLog(HANDLE& file) {
    wchar_t localAppData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localAppData))) {
        return false;
    }
    const SetupPath folder = JoinPath(localAppData, L"Korvel");
    const SetupPath path = JoinPath(folder.text, L"setup.log");
    if (path.Empty()) {
        return false;
    }
    // One level: the local application-data folder itself exists.
    CreateDirectoryW(folder.text, nullptr);
    // Appending only; others may read the log meanwhile, nobody else writes it.
    file = CreateFileW(path.text, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    return file != INVALID_HANDLE_VALUE;
}

} // namespace

void WriteSetupLog(std::initializer_list<const wchar_t*> parts) {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    SetupLogTime time;
    time.year = now.wYear;
    time.month = now.wMonth;
    time.day = now.wDay;
    time.hour = now.wHour;
    time.minute = now.wMinute;
    time.second = now.wSecond;
    SetupLogLine line;
    FormatSetupLogLine(time, parts, line);

    // UTF-8 as bytes, with one byte-order mark at the start of a new, empty file and CR LF line ends.
    char bytes[3 + kLineBytes];
    int length = WideCharToMultiByte(CP_UTF8, 0, line.text, static_cast<int>(line.length), bytes + 3,
                                     kLineBytes, nullptr, nullptr);
    HANDLE file = INVALID_HANDLE_VALUE;
    if (length <= 0 || !OpenSetupLog(file)) {
        return;
    }
    LARGE_INTEGER size = {};
    const char* start = bytes + 3;
    if (GetFileSizeEx(file, &size) && size.QuadPart == 0) {
        start = bytes;
        bytes[0] = '\xEF';
        bytes[1] = '\xBB';
        bytes[2] = '\xBF';
        length += 3;
    }
    DWORD written = 0;
    WriteFile(file, start, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
}
