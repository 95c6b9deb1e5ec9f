#include "installer/uninstall.h"

#include <windows.h>

#include "installer/install.h"
#include "installer/setup_log.h"

namespace {

bool IsNotThere(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

} // namespace

bool RunUninstall() {
    const std::wstring shortcut = GetStartMenuShortcutPath();
    const std::wstring folder = GetInstallDir();
    const std::wstring program = JoinPath(folder, kProgramFileName);

    if (!shortcut.empty()) {
        DeleteFileW(shortcut.c_str()); // a missing shortcut is what the uninstall wants anyway
    }
    bool programGone = true;
    if (!folder.empty()) {
        if (!DeleteFileW(program.c_str()) && !IsNotThere(GetLastError())) {
            // A running Korvel keeps its file: the program would stay installed, so this is no success.
            WriteSetupLog(L"删除程序失败 err=" + FormatDecimal(GetLastError()));
            programGone = false;
        }
        if (!RemoveDirectoryW(folder.c_str())) {
            const DWORD error = GetLastError();
            // A folder the user has put files into stays without a word.
            if (!IsNotThere(error) && error != ERROR_DIR_NOT_EMPTY) {
                WriteSetupLog(L"删除安装目录失败 err=" + FormatDecimal(error));
            }
        }
    }
    if (!programGone) {
        return false;
    }
    WriteSetupLog(L"卸载完成");
    return true;
}
