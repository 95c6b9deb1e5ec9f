#include "installer/uninstall.h"

#include <windows.h>

#include "installer/install.h"
#include "installer/program_file.h"
#include "installer/setup_log.h"

namespace {

bool IsNotThere(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The program file and what an install cut short left beside it; false when the program stays.
bool RemoveProgram(const wchar_t* folder) {
    const SetupPath program = JoinPath(folder, kProgramFileName);
    // A running Korvel keeps its file: the uninstall then stops before anything is gone, rather than leave
    // an installed program without its shortcut.
    DWORD error = CheckProgramFileFree(program.text);
    if (error == ERROR_SUCCESS && !DeleteFileW(program.text)) {
        error = GetLastError();
    }
    if (error != ERROR_SUCCESS && !IsNotThere(error)) {
        WriteSetupLog({L"删除程序失败 err=", FormatDecimal(error).text});
        return false;
    }
    DeleteFileW(TempPathBeside(program.text).text);
    return true;
}

} // namespace

bool RunUninstall() {
    const SetupPath shortcut = GetStartMenuShortcutPath();
    const SetupPath folder = GetInstallDir();

    if (!folder.Empty() && !RemoveProgram(folder.text)) {
        return false;
    }
    if (!shortcut.Empty()) {
        DeleteFileW(shortcut.text); // a missing shortcut is what the uninstall wants anyway
    }
    if (!folder.Empty() && !RemoveDirectoryW(folder.text)) {
        const DWORD error = GetLastError();
        // A folder the user has put files into stays without a word.
        if (!IsNotThere(error) && error != ERROR_DIR_NOT_EMPTY) {
            WriteSetupLog({L"删除安装目录失败 err=", FormatDecimal(error).text});
        }
    }
    WriteSetupLog(L"卸载完成");
    return true;
}
