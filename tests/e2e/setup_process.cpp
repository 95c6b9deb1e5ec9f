#include "setup_process.h"

#include <tlhelp32.h>

#include <algorithm>

#include "desktop_probe.h"
#include "korvel_process.h"

namespace {

struct WindowSearch {
    DWORD processId = 0;
    std::vector<std::wstring> classes;
};

BOOL CALLBACK CollectVisibleWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) {
        wchar_t name[256] = {};
        GetClassNameW(window, name, 256);
        search->classes.push_back(name);
    }
    return TRUE;
}

} // namespace

std::vector<std::wstring> VisibleWindowClassesOf(DWORD processId) {
    WindowSearch search;
    search.processId = processId;
    EnumWindows(&CollectVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.classes;
}

SetupRun RunSetupToEnd(const std::wstring& program, const std::wstring& arguments) {
    SetupRun run;
    ChildProcess setup;
    if (!setup.Start(program, arguments)) {
        return run;
    }
    // Looks often: a silent run is over in a fraction of a second.
    const ULONGLONG deadline = GetTickCount64() + 60000;
    while (setup.Running() && GetTickCount64() < deadline) {
        for (const std::wstring& name : VisibleWindowClassesOf(setup.Id())) {
            if (std::find(run.windowsSeen.begin(), run.windowsSeen.end(), name) == run.windowsSeen.end()) {
                run.windowsSeen.push_back(name);
            }
        }
        Sleep(5);
    }
    run.exitCode = setup.WaitForExit(0);
    return run;
}

HWND WaitForMessageBoxOf(DWORD processId, const wchar_t* caption, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        HWND box = nullptr;
        while ((box = FindWindowExW(nullptr, box, L"#32770", caption)) != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(box, &owner);
            if (owner == processId && IsWindowVisible(box)) {
                return box;
            }
        }
        Sleep(20);
    } while (GetTickCount64() < deadline);
    return nullptr;
}

bool PressEnterOn(HWND box) {
    SetForegroundWindow(box);
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (GetForegroundWindow() != box && GetTickCount64() < deadline) {
        Sleep(20);
    }
    PressKey(VK_RETURN);
    for (int i = 0; i < 250 && IsWindow(box); ++i) {
        Sleep(20);
    }
    return !IsWindow(box);
}

std::wstring ProcessImagePath(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) {
        return std::wstring();
    }
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    const bool ok = QueryFullProcessImageNameW(process, 0, path, &size) != FALSE;
    CloseHandle(process);
    return ok ? std::wstring(path, size) : std::wstring();
}

bool ProgramRunning(const std::wstring& path) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool found = false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
         more = Process32NextW(snapshot, &entry)) {
        found = _wcsicmp(ProcessImagePath(entry.th32ProcessID).c_str(), path.c_str()) == 0;
    }
    CloseHandle(snapshot);
    return found;
}

DllSearchFromProgramFolder::DllSearchFromProgramFolder(const std::wstring& programFileName,
                                                       const std::vector<std::wstring>& dllNames)
    : key_(L"Software\\Wine\\AppDefaults\\" + programFileName) {
    const std::wstring overrides = key_ + L"\\DllOverrides";
    const wchar_t order[] = L"native,builtin";
    for (const std::wstring& name : dllNames) {
        RegSetKeyValueW(HKEY_CURRENT_USER, overrides.c_str(), name.c_str(), REG_SZ, order, sizeof order);
    }
}

DllSearchFromProgramFolder::~DllSearchFromProgramFolder() {
    RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str());
}
