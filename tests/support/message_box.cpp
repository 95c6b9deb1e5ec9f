#include "support/message_box.h"

std::wstring MessageBoxText(HWND box) {
    std::wstring text;
    HWND child = nullptr;
    while ((child = FindWindowExW(box, child, L"Static", nullptr)) != nullptr) {
        wchar_t buffer[256] = {};
        GetWindowTextW(child, buffer, 256);
        if (buffer[0] != 0) {
            text = buffer;
        }
    }
    return text;
}

HWND WaitForKorvelMessageBox(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        HWND box = FindWindowW(L"#32770", L"KOR-VEL");
        if (box != nullptr && IsWindowVisible(box)) {
            return box;
        }
        Sleep(30);
    } while (GetTickCount64() < deadline);
    return nullptr;
}

std::wstring AnswerKorvelMessageBox(DWORD timeoutMs) {
    HWND box = WaitForKorvelMessageBox(timeoutMs);
    if (box == nullptr) {
        return {};
    }
    Sleep(100); // its text is set while it opens
    const std::wstring text = MessageBoxText(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (IsWindow(box) && GetTickCount64() < deadline) {
        Sleep(30);
    }
    return text;
}
