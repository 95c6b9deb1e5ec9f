#include "unwritable_file.h"

#include <cstring>

#include "support/test_support.h"

namespace {

constexpr DWORD kFlagTimeoutMs = 10000;

// Wine's own export: the Unix path of a Windows path, allocated on the process heap; null elsewhere.
std::wstring UnixPathOf(const std::wstring& path) {
    using Convert = char*(CDECL*)(const wchar_t*);
    const FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    if (found == nullptr) {
        return {};
    }
    Convert convert = nullptr;
    static_assert(sizeof convert == sizeof found, "function pointers of one size");
    memcpy(&convert, &found, sizeof convert);
    char* unixPath = convert(path.c_str());
    if (unixPath == nullptr) {
        return {};
    }
    const std::wstring result = FromUtf8(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

// Starts chattr with one flag change. Wine runs a Unix program without a process to wait for, so the caller
// watches the file instead.
bool StartChattr(const wchar_t* change, const std::wstring& unixPath) {
    for (const wchar_t* program : {L"Z:\\usr\\bin\\chattr", L"Z:\\bin\\chattr"}) {
        if (GetFileAttributesW(program) == INVALID_FILE_ATTRIBUTES) {
            continue;
        }
        std::wstring commandLine = std::wstring(L"chattr ") + change + L" \"" + unixPath + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessW(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info)) {
            return false;
        }
        for (HANDLE handle : {info.hProcess, info.hThread}) {
            if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
                CloseHandle(handle);
            }
        }
        return true;
    }
    return false;
}

// Whether an open for writing is refused now. Opening an existing file changes nothing in it.
bool WritingRefused(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    CloseHandle(file);
    return false;
}

bool WaitForWritingRefused(const std::wstring& path, bool refused) {
    const ULONGLONG deadline = GetTickCount64() + kFlagTimeoutMs;
    do {
        if (WritingRefused(path) == refused) {
            return true;
        }
        Sleep(50);
    } while (GetTickCount64() < deadline);
    return false;
}

} // namespace

UnwritableFile::UnwritableFile(const std::wstring& path) : path_(path) {
    unixPath_ = UnixPathOf(path);
    if (unixPath_.empty()) {
        problem_ = "not running under Wine: no Unix path for " + ToUtf8(path);
    } else if (!StartChattr(L"+i", unixPath_)) {
        problem_ = "chattr could not be started";
    } else if (!WaitForWritingRefused(path, true)) {
        problem_ = "chattr +i did not make the file unwritable (not root, or a file system without the flag)";
    } else {
        ok_ = true;
    }
}

UnwritableFile::~UnwritableFile() {
    if (!unixPath_.empty() && StartChattr(L"-i", unixPath_)) {
        WaitForWritingRefused(path_, false);
    }
}
