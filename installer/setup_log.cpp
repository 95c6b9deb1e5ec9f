#include "installer/setup_log.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>

#include "installer/setup_rules.h"

namespace {

std::wstring SetupLogFolder() {
    wchar_t localAppData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localAppData))) {
        return std::wstring();
    }
    return std::wstring(localAppData) + L"\\Korvel";
}

std::string Utf8Bytes(const std::wstring& text) {
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return std::string();
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &bytes[0], size, nullptr, nullptr);
    return bytes;
}

} // namespace

void WriteSetupLog(const std::wstring& text) {
    const std::wstring folder = SetupLogFolder();
    if (folder.empty()) {
        return;
    }
    // One level: the local application-data folder itself exists.
    CreateDirectoryW(folder.c_str(), nullptr);

    // Written as bytes rather than through the runtime's UTF-8 text mode, so the file is the same with
    // every C runtime: UTF-8, one byte-order mark at the start, CR LF line ends.
    FILE* file = nullptr;
    if (_wfopen_s(&file, (folder + L"\\setup.log").c_str(), L"ab") != 0 || file == nullptr) {
        return;
    }
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    SetupLogTime time;
    time.year = now.wYear;
    time.month = now.wMonth;
    time.day = now.wDay;
    time.hour = now.wHour;
    time.minute = now.wMinute;
    time.second = now.wSecond;
    std::string bytes = Utf8Bytes(FormatSetupLogLine(time, text));
    // Only a new, empty file gets the byte-order mark, so later runs append without repeating it.
    if (std::fseek(file, 0, SEEK_END) == 0 && std::ftell(file) == 0) {
        bytes.insert(0, "\xEF\xBB\xBF");
    }
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}
