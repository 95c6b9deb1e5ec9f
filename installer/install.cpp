#include "installer/install.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "installer/program_file.h"
#include "installer/program_start.h"
#include "installer/setup_log.h"

namespace {

const wchar_t kCompletionMessage[] = L"KOR-VEL 已安装，接下来会在托盘里运行。";
const wchar_t kShortcutDescription[] = L"KOR-VEL 截图";

// Works on the path in place: each level is cut off at its separator for the recursion and put back.
bool EnsureDirectoryTreeIn(wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return true;
    }
    // The recursion ends at a drive such as "C:", which reads as an existing directory.
    wchar_t* separator = nullptr;
    for (wchar_t* c = path; *c != L'\0'; ++c) {
        if (*c == L'\\' || *c == L'/') {
            separator = c;
        }
    }
    if (separator != nullptr && separator != path) {
        const wchar_t kept = *separator;
        *separator = L'\0';
        const bool parentThere = EnsureDirectoryTreeIn(path);
        *separator = kept;
        if (!parentThere) {
            return false;
        }
    }
    if (CreateDirectoryW(path, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) {
        return true;
    }
    WriteSetupLog({L"创建目录失败 ", path});
    return false;
}

} // namespace

SetupPath GetInstallDir() {
    wchar_t localAppData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localAppData))) {
        WriteSetupLog(L"读取 LocalAppData 失败");
        return SetupPath();
    }
    return JoinPath(JoinPath(localAppData, L"Programs").text, L"KOR-VEL");
}

SetupPath GetStartMenuShortcutPath() {
    wchar_t programs[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs))) {
        WriteSetupLog(L"读取开始菜单目录失败");
        return SetupPath();
    }
    return JoinPath(programs, L"KOR-VEL.lnk");
}

bool EnsureDirectoryTree(const wchar_t* path) {
    if (path[0] == L'\0') {
        return false;
    }
    SetupPath copy;
    if (!AppendText(copy.text, kSetupPathChars, path)) {
        WriteSetupLog({L"创建目录失败 ", path});
        return false;
    }
    return EnsureDirectoryTreeIn(copy.text);
}

bool CreateStartMenuShortcut(const wchar_t* program, const wchar_t* folder, const wchar_t* shortcut) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(__uuidof(ShellLink), nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkW),
                                reinterpret_cast<void**>(&link))) ||
        link == nullptr) {
        WriteSetupLog(L"创建快捷方式对象失败");
        return false;
    }
    // No icon location: the shortcut shows the program's own icon.
    link->SetPath(program);
    link->SetWorkingDirectory(folder);
    link->SetDescription(kShortcutDescription);

    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(__uuidof(IPersistFile), reinterpret_cast<void**>(&file))) ||
        file == nullptr) {
        link->Release();
        WriteSetupLog(L"保存快捷方式失败");
        return false;
    }
    const HRESULT saved = file->Save(shortcut, TRUE);
    file->Release();
    link->Release();
    if (FAILED(saved)) {
        WriteSetupLog(L"写入快捷方式文件失败");
        return false;
    }
    WriteSetupLog({L"已创建快捷方式 ", shortcut});
    return true;
}

bool RunInstall(const InstallerOptions& options) {
    const SetupPath folder = GetInstallDir();
    const SetupPath shortcut = GetStartMenuShortcutPath();
    if (folder.Empty() || shortcut.Empty()) {
        return false; // the look-up has logged why
    }
    const SetupPath program = JoinPath(folder.text, kProgramFileName);
    if (!EnsureDirectoryTree(folder.text) || !WriteProgramFile(program.text) ||
        !CreateStartMenuShortcut(program.text, folder.text, shortcut.text)) {
        return false;
    }
    WriteSetupLog(L"安装完成");

    if (!options.silent) {
        MessageBoxW(nullptr, kCompletionMessage, kInstallerCaption, MB_ICONINFORMATION);
        StartInstalledProgram(program.text, folder.text);
    }
    return true;
}
