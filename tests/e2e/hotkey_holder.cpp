// Holds one global shortcut until it is ended, so that a test can stage a conflict with Korvel.
// Arguments: modifiers and virtual-key code in decimal, e.g. "3 65" for Ctrl + Alt + A.
#include <windows.h>

#include <cwchar>
#include <cstdlib>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    wchar_t* end = nullptr;
    const UINT modifiers = static_cast<UINT>(wcstoul(commandLine, &end, 10));
    const UINT key = static_cast<UINT>(wcstoul(end, nullptr, 10));
    HWND window = CreateWindowExW(0, L"STATIC", L"KorvelTestHotkeyHolder", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, nullptr, nullptr);
    if (window == nullptr || !RegisterHotKey(window, 1, modifiers, key)) {
        return 2;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}
