#include "installer/install.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "installer/setup_log.h"

namespace {

const wchar_t kCompletionMessage[] = L"KOR-VEL 已安装，接下来会在托盘里运行。";
const wchar_t kShortcutDescription[] = L"KOR-VEL 截图";

// The program carried inside the installer; the build embeds the Korvel.exe it has just made.
const int kProgramResourceId = 1;

} // namespace

std::wstring GetInstallDir() {
    wchar_t localAppData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localAppData))) {
        WriteSetupLog(L"读取 LocalAppData 失败");
        return std::wstring();
    }
    return std::wstring(localAppData) + L"\\Programs\\" + L"KOR-VEL";
}

std::wstring GetStartMenuShortcutPath() {
    wchar_t programs[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs))) {
        WriteSetupLog(L"读取开始菜单目录失败");
        return std::wstring();
    }
    return JoinPath(programs, L"KOR-VEL.lnk");
}

bool EnsureDirectoryTree(const std::wstring& path) {
    if (path.empty()) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return true;
    }
    // The recursion ends at a drive such as "C:", which reads as an existing directory.
    const size_t separator = path.find_last_of(L"\\/");
    if (separator != std::wstring::npos && separator != 0 &&
        !EnsureDirectoryTree(path.substr(0, separator))) {
        return false;
    }
    if (CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) {
        return true;
    }
    WriteSetupLog(L"创建目录失败 " + path);
    return false;
}

bool WriteProgramFile(const std::wstring& path) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(kProgramResourceId), RT_RCDATA);
    if (found == nullptr) {
        WriteSetupLog(L"安装包里没有程序数据");
        return false;
    }
    const DWORD size = SizeofResource(self, found);
    HGLOBAL loaded = LoadResource(self, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (loaded == nullptr || bytes == nullptr || size == 0) {
        WriteSetupLog(L"读取安装包数据失败");
        return false;
    }

    // No sharing: a running Korvel holds its file open, and then this fails with a sharing violation.
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        WriteSetupLog(L"写出程序失败 err=" + FormatDecimal(GetLastError()));
        return false;
    }
    DWORD written = 0;
    const BOOL wrote = WriteFile(file, bytes, size, &written, nullptr);
    CloseHandle(file);
    if (!wrote || written != size) {
        WriteSetupLog(L"写出程序不完整");
        return false;
    }
    WriteSetupLog(L"已写出 " + path + L" size=" + FormatDecimal(size));
    return true;
}

bool CreateStartMenuShortcut(const std::wstring& program, const std::wstring& folder,
                             const std::wstring& shortcut) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))) ||
        link == nullptr) {
        WriteSetupLog(L"创建快捷方式对象失败");
        return false;
    }
    // No icon location: the shortcut shows the program's own icon.
    link->SetPath(program.c_str());
    link->SetWorkingDirectory(folder.c_str());
    link->SetDescription(kShortcutDescription);

    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) || file == nullptr) {
        link->Release();
        WriteSetupLog(L"保存快捷方式失败");
        return false;
    }
    const HRESULT saved = file->Save(shortcut.c_str(), TRUE);
    file->Release();
    link->Release();
    if (FAILED(saved)) {
        WriteSetupLog(L"写入快捷方式文件失败");
        return false;
    }
    WriteSetupLog(L"已创建快捷方式 " + shortcut);
    return true;
}

bool RunInstall(const InstallerOptions& options) {
    const std::wstring folder = GetInstallDir();
    const std::wstring program = JoinPath(folder, kProgramFileName);
    const std::wstring shortcut = GetStartMenuShortcutPath();
    if (folder.empty() || shortcut.empty()) {
        return false; // the look-up has logged why
    }
    if (!EnsureDirectoryTree(folder) || !WriteProgramFile(program) ||
        !CreateStartMenuShortcut(program, folder, shortcut)) {
        return false;
    }
    WriteSetupLog(L"安装完成");

    if (!options.silent) {
        MessageBoxW(nullptr, kCompletionMessage, kInstallerCaption, MB_ICONINFORMATION);
        // Korvel reports its own start-up problems in its tray and log.
        ShellExecuteW(nullptr, L"open", program.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
    }
    return true;
}
