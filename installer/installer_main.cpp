#include "installer/installer_main.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "installer/install.h"
#include "installer/setup_log.h"
#include "installer/uninstall.h"

namespace {

// Shown literally: the variable stays unexpanded, so the text is the same for every user.
const wchar_t kInstallFailedMessage[] = L"安装失败。请查看 %LOCALAPPDATA%\\Korvel\\setup.log。";
const wchar_t kUninstallFailedMessage[] = L"卸载失败。请查看 %LOCALAPPDATA%\\Korvel\\setup.log。";

} // namespace

InstallerOptions ParseInstallerCommandLine() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr) {
        WriteSetupLog(L"解析命令行失败");
        return InstallerOptions();
    }
    // Everything after the program name.
    const int skipped = count > 0 ? 1 : 0;
    const InstallerOptions options =
        ParseInstallerArguments(argv + skipped, count - skipped, [](const wchar_t* argument) {
            WriteSetupLog({L"忽略未知参数 ", argument});
        });
    LocalFree(argv);
    return options;
}

int InstallerMain() {
    // Without COM the install still runs and fails at the shortcut, which says so in the log.
    const bool comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    const InstallerOptions options = ParseInstallerCommandLine();

    WriteSetupLog(options.uninstall ? L"开始卸载" : L"开始安装");
    const bool ok = options.uninstall ? RunUninstall() : RunInstall(options);
    if (!ok && !options.silent) {
        MessageBoxW(nullptr, options.uninstall ? kUninstallFailedMessage : kInstallFailedMessage,
                    kInstallerCaption, MB_ICONERROR);
    }
    if (comReady) {
        CoUninitialize();
    }
    return ok ? 0 : 1;
}
