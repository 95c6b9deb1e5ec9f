#include "log/data_folder.h"

#include <windows.h>
#include <shlobj.h>

#include "log/log.h"

std::wstring LocateDataFolder() {
    wchar_t buffer[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, buffer))) {
        return std::wstring(buffer) + L"\\Korvel";
    }
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    // The temporary path already ends in a backslash.
    const std::wstring folder = std::wstring(temp) + L"Korvel";
    LogError(L"读取 APPDATA 失败，改用临时目录 %s", folder.c_str());
    return folder;
}

std::wstring GetDataFolder() {
    const std::wstring folder = LocateDataFolder();
    // Normally fails because the folder exists already.
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::wstring ParentToEnsure(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos || separator == 0) {
        return std::wstring();
    }
    std::wstring parent = path.substr(0, separator);
    // Stops the walk at drive roots such as "C:" and at prefixes too short to be a folder ("." or "\\").
    if (parent.size() < 3 || parent.back() == L':') {
        return std::wstring();
    }
    return parent;
}

bool EnsureDirectory(const std::wstring& path) {
    if (path.empty()) {
        LogError(L"创建目录失败：路径为空");
        return false;
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            return true;
        }
        LogError(L"创建目录失败：同名文件已存在 path=%s", path.c_str());
        return false;
    }
    const std::wstring parent = ParentToEnsure(path);
    if (!parent.empty() && !EnsureDirectory(parent)) {
        return false;
    }
    if (CreateDirectoryW(path.c_str(), nullptr)) {
        LogInfo(L"已创建目录 %s", path.c_str());
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        return true;
    }
    LogError(L"创建目录失败 path=%s err=%lu", path.c_str(), error);
    return false;
}
