#include "log/data_folder.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

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

size_t ParentLengthToEnsure(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos || separator == 0) {
        return 0;
    }
    // Stops the walk at drive roots such as "C:" and at prefixes too short to be a folder ("." or "\\").
    if (separator < 3 || path[separator - 1] == L':') {
        return 0;
    }
    return separator;
}

namespace {

// A program that has not declared itself long-path aware (Korvel has not) cannot reach a path of MAX_PATH
// characters or more unless it starts with "\\?\", and no file function takes more than 32767. A longer
// level cannot be found, so it is not asked about; its creation tells what the system makes of it.
size_t LongestFindablePath(const std::wstring& path) {
    return path.compare(0, 4, L"\\\\?\\") == 0 ? 32767 : MAX_PATH - 1;
}

bool CreateLevel(const std::wstring& level) {
    if (CreateDirectoryW(level.c_str(), nullptr)) {
        LogInfo(L"已创建目录 %s", level.c_str());
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        return true;
    }
    LogError(L"创建目录失败 path=%s err=%lu", level.c_str(), error);
    return false;
}

} // namespace

bool EnsureDirectory(const std::wstring& path) {
    if (path.empty()) {
        LogError(L"创建目录失败：路径为空");
        return false;
    }
    // Walked up without recursion, in one copy of the path cut back level by level, so that a hand-edited
    // path of tens of thousands of levels costs memory in proportion to its length and no stack at all.
    // `missing` holds the lengths of the levels still to make, deepest first.
    std::wstring level = path;
    std::vector<size_t> missing;
    const size_t findable = LongestFindablePath(path);
    for (;;) {
        const DWORD attributes =
            level.size() <= findable ? GetFileAttributesW(level.c_str()) : INVALID_FILE_ATTRIBUTES;
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
                break;
            }
            LogError(L"创建目录失败：同名文件已存在 path=%s", level.c_str());
            return false;
        }
        missing.push_back(level.size());
        const size_t parent = ParentLengthToEnsure(level);
        if (parent == 0) {
            break;
        }
        level.resize(parent);
    }
    // Made from the top down, each level once its parent is in place; every level extends the one before.
    level.clear();
    for (auto length = missing.rbegin(); length != missing.rend(); ++length) {
        level.append(path, level.size(), *length - level.size());
        if (!CreateLevel(level)) {
            return false;
        }
    }
    return true;
}
