// Prints how many monitors this Wine sees and where, one line: "monitors=2 (0,0,1920,1080) (-1280,0,0,1024)".
// The two-monitor run asks it first, so that a display Wine reads as one monitor stops the run with its
// cause instead of letting the two-monitor tests skip themselves.
#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) {
        reinterpret_cast<std::vector<RECT>*>(list)->push_back(info.rcMonitor);
    }
    return TRUE;
}

} // namespace

int wmain() {
    std::vector<RECT> monitors;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    std::printf("monitors=%u", static_cast<unsigned>(monitors.size()));
    for (const RECT& r : monitors) {
        std::printf(" (%ld,%ld,%ld,%ld)", r.left, r.top, r.right, r.bottom);
    }
    std::printf("\n");
    return monitors.empty() ? 1 : 0;
}
