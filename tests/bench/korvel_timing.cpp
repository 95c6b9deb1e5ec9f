#include "bench/korvel_timing.h"

#include "bench/bench_table.h"
#include "config/config_text.h"
#include "e2e/desktop_probe.h"
#include "support/test_support.h"

namespace {

constexpr double kTimeoutMs = 10000;
constexpr COLORREF kWhite = RGB(255, 255, 255);

LRESULT CALLBACK WhiteWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A millisecond's wait that still answers what is sent to this thread's window.
void PumpBriefly() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
    Sleep(1);
}

void PumpFor(DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    MSG message;
    while (GetTickCount64() < end) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
}

COLORREF ScreenPixel(POINT p) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

} // namespace

KorvelForBench::KorvelForBench() {
    // A white area away from the pointer, the magnifier and the hint: the overlay shows there as grey.
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WhiteWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KorvelBenchWhite";
    RegisterClassW(&windowClass);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    // Never the foreground window: Korvel's preview takes the foreground as it opens, which would wait for
    // this thread to answer while it is busy timing.
    white_ =
        CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, windowClass.lpszClassName, L"", WS_POPUP,
                        width / 2, height / 2, 300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    ShowWindow(white_, SW_SHOWNA);
    probe_ = POINT{width / 2 + 150, height / 2 + 100};
    PumpFor(300);
}

KorvelForBench::~KorvelForBench() {
    if (korvel_.Running()) {
        Quit();
    }
    if (log_ != INVALID_HANDLE_VALUE) {
        CloseHandle(log_);
    }
    DestroyWindow(white_);
}

bool KorvelForBench::Start(const std::wstring& folder) {
    ResetKorvelData();
    CreateDirectoryW(KorvelDataFolder().c_str(), nullptr);
    AppConfig config = SampleConfig();
    config.saveDir = folder;
    config.format = ImageFormat::Png;
    if (!WriteFileBytes(KorvelConfigPath(), "\xEF\xBB\xBF" + ToUtf8(SerializeConfig(config))) ||
        !korvel_.Start(SiblingProgram(L"Korvel.exe")) || WaitForHostWindow(60000) == nullptr ||
        !WaitForLogLine(L"name=窗口", 10000)) {
        return false;
    }
    log_ = CreateFileW(KorvelLogPath().c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                       nullptr);
    SetFilePointer(log_, 0, nullptr, FILE_END);
    PumpFor(1000); // the first-start balloons and the tray icon settle
    return log_ != INVALID_HANDLE_VALUE;
}

long KorvelForBench::Quit() {
    return QuitThroughTrayMenu(korvel_);
}

void KorvelForBench::ReadNewLogBytes() {
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(log_, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        unread_.append(buffer, read);
    }
}

// Reads only what Korvel has appended to its log since the last look; true once `utf8Text` has come, which is
// then dropped with everything before it.
bool KorvelForBench::LogHasGrownWith(const std::string& utf8Text) {
    ReadNewLogBytes();
    const size_t at = unread_.find(utf8Text);
    if (at == std::string::npos) {
        return false;
    }
    unread_.erase(0, at + utf8Text.size());
    return true;
}

double KorvelForBench::ShortcutToPngMs() {
    MovePointer(40, 40);
    PumpFor(300);      // Korvel is idle again after the last run, as between a person's captures
    ReadNewLogBytes(); // what came before is not this capture's
    unread_.clear();
    const double start = NowMs();
    PressShortcut(MOD_CONTROL | MOD_ALT, 'F');
    double elapsed = -1;
    while (NowMs() - start < kTimeoutMs) {
        if (LogHasGrownWith("[INFO] \xE5\xB7\xB2\xE4\xBF\x9D\xE5\xAD\x98 ")) { // "[INFO] 已保存 "
            elapsed = NowMs() - start;
            break;
        }
        PumpBriefly();
    }
    // The preview has the keyboard focus when it opens.
    if (WaitForVisibleWindow(L"KorvelPreview", 10000) != nullptr) {
        PressKey(VK_ESCAPE);
        WaitForNoVisibleWindow(L"KorvelPreview", 10000);
    }
    return elapsed;
}

double KorvelForBench::ShortcutToOverlayMs() {
    MovePointer(40, 40);
    PumpFor(300);
    if (ScreenPixel(probe_) != kWhite) {
        return -1; // something covers the probe
    }
    const double start = NowMs();
    PressShortcut(MOD_CONTROL | MOD_ALT, 'A');
    double elapsed = -1;
    while (NowMs() - start < kTimeoutMs) {
        if (ScreenPixel(probe_) != kWhite) {
            elapsed = NowMs() - start;
            break;
        }
        PumpBriefly();
    }
    HWND overlay = WaitForVisibleWindow(L"KorvelOverlay", 5000);
    if (overlay != nullptr) {
        SetForegroundWindow(overlay);
        PressKey(VK_ESCAPE);
        WaitForNoVisibleWindow(L"KorvelOverlay", 10000);
    }
    PumpFor(200); // the white window repaints where the overlay was
    return elapsed;
}
