// KorvelSetup's entry point.
#include <windows.h>

#include "installer/installer_main.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // An installer is started from download folders, where anybody may have left a DLL named like one the
    // system loads on demand. From here on DLLs come from System32 only, never from the program's own
    // folder or the current one. (The few DLLs the loader resolves before this line are all protected by
    // Windows as known DLLs; the imports test keeps it that way.)
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
    return InstallerMain();
}
