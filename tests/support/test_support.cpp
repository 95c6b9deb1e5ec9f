#include "support/test_support.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    wchar_t name[64] = {};
    swprintf(name, 64, L"korvel_test_%lu_%u", GetCurrentProcessId(), ++counter);
    path_ = std::wstring(base) + name;
    CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    // SHFileOperationW wants a double-NUL-terminated list.
    std::wstring from = path_;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

std::wstring TempFolder::Join(const std::wstring& name) const {
    return path_ + L"\\" + name;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    CloseHandle(file);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Puts the pointer at a screen point and waits until GetCursorPos keeps reporting it. In a Wine virtual
// desktop the desktop's process may still report an older X pointer position after SetCursorPos, which
// moves the pointer back; then it is placed again.
bool PlacePointer(int x, int y) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (!SetCursorPos(x, y)) {
            return false;
        }
        int steady = 0;
        for (int i = 0; i < 10 && steady < 3; ++i) {
            Sleep(15);
            POINT p = {};
            steady = GetCursorPos(&p) && p.x == x && p.y == y ? steady + 1 : 0;
        }
        if (steady >= 3) {
            return true;
        }
    }
    return false;
}

bool PutTextOnClipboard(void* owner, const std::wstring& text) {
    if (!OpenClipboard(static_cast<HWND>(owner))) {
        return false;
    }
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool placed = false;
    if (memory != nullptr) {
        memcpy(GlobalLock(memory), text.c_str(), bytes);
        GlobalUnlock(memory);
        placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!placed) {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
    return placed;
}
