// Korvel's entry point: start-up in a fixed order, the one message loop, and the orderly end.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdint>

#include "app/commands.h"
#include "app/gdiplus_session.h"
#include "app/host.h"
#include "config/config.h"
#include "config/config_file.h"
#include "floatbar/floatbar.h"
#include "log/log.h"
#include "settings/settings_window.h"
#include "text/texts.h"
#include "tray/tray.h"

namespace {

HANDLE singleInstanceMutex = nullptr;

void LogDpiOutcome(BOOL awarenessSet, DWORD awarenessError) {
    // The manifest already makes the process per-monitor-v2 aware, and awareness can be set only once, so
    // the call normally fails; what counts is the context the thread ends up with.
    if (awarenessSet || AreDpiAwarenessContextsEqual(GetThreadDpiAwarenessContext(),
                                                     DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
        LogInfo(L"DPI 感知：PerMonitorV2");
    } else {
        LogError(L"设置 Per-Monitor V2 DPI 失败 err=%lu", awarenessError);
    }
}

void CloseSingleInstanceMutex() {
    if (singleInstanceMutex != nullptr) {
        CloseHandle(singleInstanceMutex);
        singleInstanceMutex = nullptr;
    }
}

// Asks the running instance to open its settings. Both instances share the log.
void HandOverToRunningInstance() {
    LogInfo(L"已有实例在运行，请求其打开设置");
    HWND running = FindWindowW(kHostWindowClass, kHostWindowTitle);
    if (running != nullptr) {
        // The running instance may then bring its settings window to the front: only the foreground
        // process (this one, just launched) can grant that.
        DWORD runningProcess = 0;
        GetWindowThreadProcessId(running, &runningProcess);
        if (!AllowSetForegroundWindow(runningProcess != 0 ? runningProcess : ASFW_ANY)) {
            LogError(L"AllowSetForegroundWindow 失败 err=%lu", GetLastError());
        }
        PostMessageW(running, OpenSettingsMessage, 0, 0);
    } else {
        LogError(L"找不到已有实例窗口");
    }
}

// Loads config.ini, or writes the defaults when it cannot be loaded. Returns true on a first run.
bool LoadOrCreateConfig() {
    AppConfig& config = GetConfig();
    if (LoadConfig(config)) {
        return false;
    }
    config = MakeDefaultConfig();
    if (!SaveConfig(config)) {
        LogError(L"写入默认配置失败，本次仍使用内存中的默认值");
    }
    return true;
}

void InitCommonControlClasses() {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES;
    if (!InitCommonControlsEx(&controls)) {
        LogError(L"InitCommonControlsEx 失败");
    }
}

bool RegisterHostWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    if (windowClass.hIcon == nullptr) {
        LogError(L"主窗口加载图标失败 err=%lu", GetLastError());
    } else {
        windowClass.hIconSm = static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    }
    windowClass.lpszClassName = kHostWindowClass;
    if (RegisterClassExW(&windowClass) == 0) {
        LogError(L"注册主窗口类失败 err=%lu", GetLastError());
        return false;
    }
    return true;
}

bool CreateHostWindow(HINSTANCE instance) {
    // A zero-size popup that is never shown. Not a message-only window: a second instance must find it.
    hostWindow = CreateWindowExW(WS_EX_TOOLWINDOW, kHostWindowClass, kHostWindowTitle, WS_POPUP, 0, 0, 0, 0,
                                 nullptr, nullptr, instance, nullptr);
    if (hostWindow == nullptr) {
        LogError(L"创建主窗口失败 err=%lu", GetLastError());
        return false;
    }
    return true;
}

WPARAM RunMessageLoop() {
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        HWND settings = GetSettingsWindow();
        if (settings != nullptr && IsWindowVisible(settings) && IsDialogMessageW(settings, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return message.wParam;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const BOOL awarenessSet = SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    const DWORD awarenessError = awarenessSet ? 0 : GetLastError();
    InitLog();
    LogDpiOutcome(awarenessSet, awarenessError);

    singleInstanceMutex = CreateMutexW(nullptr, TRUE, kSingleInstanceMutexName);
    if (singleInstanceMutex == nullptr) {
        LogError(L"创建单实例互斥量失败 err=%lu", GetLastError());
        return 1;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        HandOverToRunningInstance();
        CloseSingleInstanceMutex();
        return 0;
    }

    const HRESULT comResult = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool comStarted = SUCCEEDED(comResult);
    if (!comStarted) {
        LogError(L"CoInitializeEx 失败 hr=0x%08X", static_cast<unsigned>(comResult));
    }
    auto stopEarly = [&](bool gdiplusStarted) {
        if (gdiplusStarted) {
            StopGdiplus();
        }
        if (comStarted) {
            CoUninitialize();
        }
        CloseSingleInstanceMutex();
        return 1;
    };
    if (!StartGdiplus()) {
        return stopEarly(false);
    }

    const bool firstRun = LoadOrCreateConfig();
    SetUiLanguage(static_cast<uint32_t>(GetConfig().language));
    const AppConfig& config = GetConfig();
    LogInfo(L"当前配置 format=%d quality=%d path=%s language=%d", static_cast<int>(config.format),
            config.jpegQuality, config.saveDir.c_str(), static_cast<int>(config.language));

    InitCommonControlClasses();
    if (!RegisterHostWindowClass(instance) || !CreateHostWindow(instance)) {
        return stopEarly(true);
    }

    SetTrayCommandHandler(OnHostCommand);
    if (!CreateFloatBar(OnHostCommand)) {
        LogError(L"悬浮工具栏创建失败");
    }
    if (!InitTray(hostWindow)) {
        LogError(L"托盘初始化失败，程序仍会尝试响应快捷键");
    }
    // Balloons in this order: the shortcut failure (inside), then the first-run welcome.
    ReregisterHotkeys();
    if (firstRun) {
        ShowTrayBalloon(GetText(47));
    }

    const WPARAM exitCode = RunMessageLoop();
    // Without this, a loop ended by a quit message from outside would leave the icon in the notification
    // area until the pointer passed over it.
    TearDownInterface();

    StopGdiplus();
    if (comStarted) {
        CoUninitialize();
    }
    CloseSingleInstanceMutex();
    LogInfo(L"进程退出");
    return static_cast<int>(exitCode);
}
