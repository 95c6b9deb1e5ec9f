#include "desktop_probe.h"

#include <commctrl.h>

namespace {

// A block of memory inside another process, for messages whose arguments are pointers.
class RemoteBuffer {
  public:
    RemoteBuffer(DWORD processId, SIZE_T size) : size_(size) {
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (process_ != nullptr) {
            base_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
        }
    }
    ~RemoteBuffer() {
        if (base_ != nullptr) {
            VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
        }
        if (process_ != nullptr) {
            CloseHandle(process_);
        }
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool Ok() const { return base_ != nullptr; }
    char* At(SIZE_T offset) const { return base_ + offset; }
    bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
        return offset + size <= size_ && WriteProcessMemory(process_, base_ + offset, data, size, nullptr);
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size) const {
        return offset + size <= size_ && ReadProcessMemory(process_, base_ + offset, data, size, nullptr);
    }

  private:
    HANDLE process_ = nullptr;
    char* base_ = nullptr;
    SIZE_T size_ = 0;
};

constexpr SIZE_T kToolInfoOffset = 0;
constexpr SIZE_T kTextOffset = 512;
constexpr SIZE_T kTextChars = 1024;
constexpr SIZE_T kTitleInfoOffset = 2600;
constexpr SIZE_T kTitleOffset = 2700;
constexpr SIZE_T kTitleChars = 128;

std::wstring ReadRemoteString(const RemoteBuffer& remote, SIZE_T offset, SIZE_T chars) {
    std::wstring text(chars, L'\0');
    if (!remote.Read(offset, &text[0], chars * sizeof(wchar_t))) {
        return {};
    }
    text.resize(wcsnlen(text.c_str(), chars));
    return text;
}

bool ReadBalloon(HWND tooltip, BalloonText* out) {
    DWORD processId = 0;
    GetWindowThreadProcessId(tooltip, &processId);
    RemoteBuffer remote(processId, 4096);
    if (!remote.Ok()) {
        return false;
    }
    TOOLINFOW info = {};
    info.cbSize = sizeof info;
    remote.Write(kToolInfoOffset, &info, sizeof info);
    if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(remote.At(kToolInfoOffset)))) {
        return false;
    }
    remote.Read(kToolInfoOffset, &info, sizeof info);
    info.lpszText = reinterpret_cast<LPWSTR>(remote.At(kTextOffset));
    remote.Write(kToolInfoOffset, &info, sizeof info);
    const wchar_t empty = 0;
    remote.Write(kTextOffset, &empty, sizeof empty);
    SendMessageW(tooltip, TTM_GETTEXTW, kTextChars, reinterpret_cast<LPARAM>(remote.At(kToolInfoOffset)));
    out->text = ReadRemoteString(remote, kTextOffset, kTextChars);

    TTGETTITLE title = {};
    title.dwSize = sizeof title;
    title.cch = kTitleChars;
    title.pszTitle = reinterpret_cast<WCHAR*>(remote.At(kTitleOffset));
    remote.Write(kTitleInfoOffset, &title, sizeof title);
    remote.Write(kTitleOffset, &empty, sizeof empty);
    SendMessageW(tooltip, TTM_GETTITLE, 0, reinterpret_cast<LPARAM>(remote.At(kTitleInfoOffset)));
    out->title = ReadRemoteString(remote, kTitleOffset, kTitleChars);
    return true;
}

BOOL CALLBACK CollectBalloon(HWND window, LPARAM context) {
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (IsWindowVisible(window) && wcscmp(className, TOOLTIPS_CLASSW) == 0) {
        BalloonText balloon;
        if (ReadBalloon(window, &balloon) && !balloon.text.empty()) {
            reinterpret_cast<std::vector<BalloonText>*>(context)->push_back(balloon);
        }
    }
    return TRUE;
}

HWND VisiblePopupMenu() {
    HWND menu = nullptr;
    while ((menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr) {
        if (IsWindowVisible(menu)) {
            return menu;
        }
    }
    return nullptr;
}

} // namespace

std::vector<BalloonText> VisibleBalloons() {
    std::vector<BalloonText> balloons;
    EnumWindows(CollectBalloon, reinterpret_cast<LPARAM>(&balloons));
    return balloons;
}

bool WaitForBalloon(const std::wstring& text, DWORD timeoutMs, BalloonText* seen) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        for (const BalloonText& balloon : VisibleBalloons()) {
            if (balloon.text == text) {
                if (seen != nullptr) {
                    *seen = balloon;
                }
                return true;
            }
        }
        Sleep(100);
    } while (GetTickCount64() < deadline);
    return false;
}

HWND WaitForPopupMenu(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        if (HWND menu = VisiblePopupMenu()) {
            Sleep(100); // let the menu loop settle before keys arrive
            return menu;
        }
        Sleep(30);
    } while (GetTickCount64() < deadline);
    return nullptr;
}

bool NoPopupMenuFor(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        if (VisiblePopupMenu() != nullptr) {
            return false;
        }
        Sleep(30);
    } while (GetTickCount64() < deadline);
    return true;
}

std::vector<std::wstring> PopupMenuItems(HWND menuWindow) {
    std::vector<std::wstring> items;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    const int count = menu != nullptr ? GetMenuItemCount(menu) : -1;
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        items.push_back(text);
    }
    return items;
}

void PressKey(WORD vk, int times) {
    for (int i = 0; i < times; ++i) {
        INPUT inputs[2] = {};
        inputs[0].type = INPUT_KEYBOARD;
        inputs[0].ki.wVk = vk;
        inputs[1] = inputs[0];
        inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, inputs, sizeof(INPUT));
        Sleep(60);
    }
}

void PostTrayEvent(HWND host, UINT mouseMessage) {
    PostMessageW(host, WM_APP + 1, 1, static_cast<LPARAM>(mouseMessage));
}
