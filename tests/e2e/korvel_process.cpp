#include "korvel_process.h"

#include <shlobj.h>

#include <cstdio>

#include "desktop_probe.h"
#include "support/test_support.h"

std::wstring KorvelDataFolder() {
    wchar_t buffer[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, buffer);
    return std::wstring(buffer) + L"\\Korvel";
}

std::wstring KorvelLogPath() {
    return KorvelDataFolder() + L"\\korvel.log";
}

std::wstring KorvelConfigPath() {
    return KorvelDataFolder() + L"\\config.ini";
}

void ResetKorvelData() {
    DeleteFileW(KorvelLogPath().c_str());
    DeleteFileW((KorvelLogPath() + L".old").c_str());
    DeleteFileW(KorvelConfigPath().c_str());
}

std::vector<std::wstring> ReadKorvelLog() {
    std::string bytes = ReadFileBytes(KorvelLogPath());
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        bytes.erase(0, 3);
    }
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            break; // a line still being written
        }
        lines.push_back(FromUtf8(bytes.substr(start, end - start)));
        start = end + 2;
    }
    return lines;
}

int FindLogLine(const std::vector<std::wstring>& lines, const std::wstring& part, int from) {
    for (int i = from < 0 ? 0 : from; i < static_cast<int>(lines.size()); ++i) {
        if (lines[static_cast<size_t>(i)].find(part) != std::wstring::npos) {
            return i;
        }
    }
    return -1;
}

bool WaitForLogLine(const std::wstring& part, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        if (FindLogLine(ReadKorvelLog(), part) >= 0) {
            return true;
        }
        Sleep(50);
    } while (GetTickCount64() < deadline);
    return false;
}

std::wstring SiblingProgram(const wchar_t* name) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    return folder + name;
}

ChildProcess::~ChildProcess() {
    Stop();
    if (info_.hProcess != nullptr) {
        CloseHandle(info_.hProcess);
    }
    if (info_.hThread != nullptr) {
        CloseHandle(info_.hThread);
    }
}

void ChildProcess::Stop() {
    if (Running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

bool ChildProcess::Start(const std::wstring& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    // Wine now and then answers a start right after the program file was written with an internal error;
    // a moment later the same start works. Any other failure is reported at once.
    for (int attempt = 0;; ++attempt) {
        if (CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &info_)) {
            return true;
        }
        if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == 4) {
            return false;
        }
        Sleep(300);
    }
}

bool ChildProcess::Attach(DWORD processId) {
    info_.hProcess =
        OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    info_.dwProcessId = processId;
    return info_.hProcess != nullptr;
}

long ChildProcess::WaitForExit(DWORD timeoutMs) {
    if (info_.hProcess == nullptr || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
}

bool ChildProcess::Running() const {
    return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

HWND WaitForHostWindow(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        if (HWND host = FindWindowW(L"KorvelHost", L"Korvel")) {
            return host;
        }
        Sleep(50);
    } while (GetTickCount64() < deadline);
    return nullptr;
}

long QuitThroughTrayMenu(ChildProcess& korvel) {
    if (FindWindowW(L"KorvelHost", L"Korvel") == nullptr) {
        std::printf("QuitThroughTrayMenu: Korvel has no host window\n");
        return -1;
    }
    // The release of a shortcut's Alt key that Korvel has not read yet (it was busy with a capture) closes
    // the menu as it opens, before or after the keys meant for it arrive; on a loaded machine that can come
    // late. So the menu is opened again until Korvel ends: once its host window is gone, the Quit took.
    for (int attempt = 0; attempt < 4; ++attempt) {
        HWND host = FindWindowW(L"KorvelHost", L"Korvel");
        if (host == nullptr) {
            break;
        }
        PostTrayEvent(host, WM_RBUTTONUP);
        HWND menu = WaitForPopupMenu(5000);
        if (menu == nullptr || !IsWindowVisible(menu)) {
            std::printf("QuitThroughTrayMenu: attempt %d: the menu %s\n", attempt + 1,
                        menu == nullptr ? "did not open" : "closed as it opened");
            continue;
        }
        // From no selection, Up selects the last item: Quit.
        PressKey(VK_UP);
        PressKey(VK_RETURN);
        const long code = korvel.WaitForExit(5000);
        if (code != -1 || !korvel.Running()) {
            return code;
        }
        std::printf("QuitThroughTrayMenu: attempt %d: Korvel still runs 5 s after Quit was chosen; menu %s\n",
                    attempt + 1, NoPopupMenuFor(0) ? "closed" : "still open");
        if (!NoPopupMenuFor(0)) {
            PressKey(VK_ESCAPE); // a menu that kept the keys for something else is closed before the next try
        }
    }
    return korvel.WaitForExit(10000);
}
