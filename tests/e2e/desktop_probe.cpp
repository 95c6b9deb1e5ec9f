#include "desktop_probe.h"

#include <commctrl.h>
#include <shellapi.h>

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

// Asks a tooltip window for the texts of all its tools; the structures live in the tooltip's own process.
std::vector<std::wstring> ReadToolTexts(HWND tooltip) {
    std::vector<std::wstring> texts;
    DWORD processId = 0;
    GetWindowThreadProcessId(tooltip, &processId);
    RemoteBuffer remote(processId, kTextOffset + kTextChars * sizeof(wchar_t));
    if (!remote.Ok()) {
        return texts;
    }
    const LPARAM remoteInfo = reinterpret_cast<LPARAM>(remote.At(kToolInfoOffset));
    const WPARAM count = static_cast<WPARAM>(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0));
    for (WPARAM index = 0; index < count; ++index) {
        TOOLINFOW info = {};
        info.cbSize = sizeof info;
        remote.Write(kToolInfoOffset, &info, sizeof info);
        if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, index, remoteInfo)) {
            continue;
        }
        remote.Read(kToolInfoOffset, &info, sizeof info);
        info.lpszText = reinterpret_cast<LPWSTR>(remote.At(kTextOffset));
        remote.Write(kToolInfoOffset, &info, sizeof info);
        const wchar_t empty = 0;
        remote.Write(kTextOffset, &empty, sizeof empty);
        SendMessageW(tooltip, TTM_GETTEXTW, kTextChars, remoteInfo);
        std::wstring text(kTextChars, L'\0');
        if (remote.Read(kTextOffset, &text[0], kTextChars * sizeof(wchar_t))) {
            text.resize(wcsnlen(text.c_str(), kTextChars));
            texts.push_back(text);
        }
    }
    return texts;
}

struct ToolTextSearch {
    bool visibleOnly;
    std::vector<std::wstring> texts;
};

BOOL CALLBACK CollectToolTexts(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<ToolTextSearch*>(context);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (wcscmp(className, TOOLTIPS_CLASSW) == 0 && (!search->visibleOnly || IsWindowVisible(window))) {
        for (std::wstring& text : ReadToolTexts(window)) {
            if (!text.empty()) {
                search->texts.push_back(text);
            }
        }
    }
    return TRUE;
}

std::vector<std::wstring> ToolTexts(bool visibleOnly) {
    ToolTextSearch search{visibleOnly, {}};
    EnumWindows(CollectToolTexts, reinterpret_cast<LPARAM>(&search));
    return search.texts;
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

std::vector<std::wstring> VisibleBalloons() {
    // A balloon is a visible tooltip window; the tray's hover tooltip stays hidden until the pointer rests.
    return ToolTexts(true);
}

bool TrayTooltipPresent(const std::wstring& text) {
    return TrayTooltipCount(text) > 0;
}

int TrayTooltipCount(const std::wstring& text) {
    int count = 0;
    for (const std::wstring& tip : ToolTexts(false)) {
        count += tip == text ? 1 : 0;
    }
    return count;
}

bool TrayIconRegistered(HWND owner) {
    NOTIFYICONDATAW icon = {};
    icon.cbSize = sizeof icon;
    icon.hWnd = owner;
    icon.uID = 1;
    return Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE;
}

bool WaitForBalloon(const std::wstring& text, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        for (const std::wstring& balloon : VisibleBalloons()) {
            if (balloon == text) {
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

void PressShortcut(UINT modifiers, WORD vk) {
    std::vector<WORD> keys;
    if (modifiers & MOD_CONTROL) {
        keys.push_back(VK_CONTROL);
    }
    if (modifiers & MOD_ALT) {
        keys.push_back(VK_MENU);
    }
    if (modifiers & MOD_SHIFT) {
        keys.push_back(VK_SHIFT);
    }
    if (modifiers & MOD_WIN) {
        keys.push_back(VK_LWIN);
    }
    keys.push_back(vk);
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void MovePointer(int x, int y) {
    // An absolute move, as a mouse would make it; Wine can let a position set another way snap back, so the
    // result is checked and the move repeated. Mapped over the whole virtual screen, so a monitor left of or
    // above the primary one is reached too.
    const long long left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const long long top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const long long width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const long long height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    for (int attempt = 0; attempt < 5; ++attempt) {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        // Wine maps an absolute coordinate d to the pixel origin + d * size / 65536, rounded down.
        input.mi.dx = static_cast<LONG>((x - left) * 65536LL / width + 1);
        input.mi.dy = static_cast<LONG>((y - top) * 65536LL / height + 1);
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
        SendInput(1, &input, sizeof input);
        Sleep(30);
        POINT p = {};
        GetCursorPos(&p);
        if (p.x == x && p.y == y) {
            return;
        }
        SetCursorPos(x, y);
    }
}

void PressButton(bool left, bool down) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = left ? (down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP)
                            : (down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP);
    SendInput(1, &input, sizeof input);
    Sleep(30);
}

namespace {

// The windows that can be dragged take the mouse capture on the press. Once they have it the press has been
// handled, so the moves that follow cannot overtake it: a window busy painting a large screen would otherwise
// handle the press late and read the pointer where the moves have taken it.
void WaitForMouseCapture(int x, int y, DWORD timeoutMs) {
    HWND window = WindowFromPoint(POINT{x, y});
    const DWORD thread = window != nullptr ? GetWindowThreadProcessId(window, nullptr) : 0;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    while (thread != 0 && GetTickCount64() < deadline &&
           !(GetGUIThreadInfo(thread, &info) && info.hwndCapture != nullptr)) {
        Sleep(10);
    }
}

} // namespace

void DragLeft(int fromX, int fromY, int toX, int toY) {
    MovePointer(fromX, fromY);
    PressButton(true, true);
    WaitForMouseCapture(fromX, fromY, 2000);
    const int steps = 4;
    for (int i = 1; i <= steps; ++i) {
        MovePointer(fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps);
    }
    PressButton(true, false);
}

void ClickAt(int x, int y, bool left) {
    MovePointer(x, y);
    PressButton(left, true);
    PressButton(left, false);
}

void TypeText(const std::wstring& text) {
    for (wchar_t c : text) {
        INPUT inputs[2] = {};
        inputs[0].type = INPUT_KEYBOARD;
        inputs[0].ki.wScan = c;
        inputs[0].ki.dwFlags = KEYEVENTF_UNICODE;
        inputs[1] = inputs[0];
        inputs[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, inputs, sizeof(INPUT));
        Sleep(10);
    }
}

void DoubleClickLeft(int x, int y) {
    MovePointer(x, y);
    INPUT inputs[4] = {};
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dwFlags = (i % 2 == 0) ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    }
    SendInput(4, inputs, sizeof(INPUT));
    Sleep(100);
}

std::vector<HWND> VisibleWindows(const wchar_t* className) {
    std::vector<HWND> windows;
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr) {
        if (IsWindowVisible(window)) {
            windows.push_back(window);
        }
    }
    return windows;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        if (condition()) {
            return true;
        }
        Sleep(30);
    } while (GetTickCount64() < deadline);
    return condition();
}

HWND WaitForVisibleWindow(const wchar_t* className, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        HWND window = nullptr;
        while ((window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr) {
            if (IsWindowVisible(window)) {
                return window;
            }
        }
        Sleep(20);
    } while (GetTickCount64() < deadline);
    return nullptr;
}

bool WaitForNoVisibleWindow(const wchar_t* className, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        bool any = false;
        HWND window = nullptr;
        while ((window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr) {
            any = any || IsWindowVisible(window);
        }
        if (!any) {
            return true;
        }
        Sleep(20);
    } while (GetTickCount64() < deadline);
    return false;
}

void PostTrayEvent(HWND host, UINT mouseMessage) {
    PostMessageW(host, WM_APP + 1, 1, static_cast<LPARAM>(mouseMessage));
}

// Waits until every visible window of the class has painted all of itself and its thread is back in its
// message loop: a press sent earlier would be handled after a long first paint, where the pointer has gone
// on.
bool WaitUntilPainted(const wchar_t* className, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        bool pending = false;
        HWND window = nullptr;
        while ((window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr) {
            DWORD_PTR ignored = 0;
            pending = pending || (IsWindowVisible(window) && GetUpdateRect(window, nullptr, FALSE)) ||
                      !SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored);
        }
        if (!pending) {
            return true;
        }
        Sleep(20);
    } while (GetTickCount64() < deadline);
    return false;
}
