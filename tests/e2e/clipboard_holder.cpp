// Holds the clipboard open with a window of its own until it is ended, so that a test can stage a busy
// clipboard. (Under Wine, a clipboard opened without an owner window does not keep others out.)
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    HWND window = CreateWindowExW(0, L"STATIC", L"KorvelTestClipboardHolder", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, nullptr, nullptr);
    if (window == nullptr || !OpenClipboard(window)) {
        return 2;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    CloseClipboard();
    return 0;
}
