#include "capture/window_rules.h"

#include "capture/capture_rules.h"

namespace {

// The desktop (its two classes) and the taskbar; compared exactly, as Windows registers them.
bool IsShellBackgroundClass(const std::wstring& className) {
    return className == L"Progman" || className == L"WorkerW" || className == L"Shell_TrayWnd";
}

// Smaller windows are tool slivers and hidden helpers rather than something a user works in.
constexpr int32_t kMinWindowSide = 20;

} // namespace

bool IsCapturableWindowFacts(const WindowFacts& facts) {
    if (!facts.exists || !facts.visible) {
        return false;
    }
    if (facts.minimized) {
        return false;
    }
    // Our own previews, toolbar and settings window would otherwise capture themselves.
    if (facts.ownProcess) {
        return false;
    }
    // A cloaked window (another virtual desktop, a suspended app) is not what the screen shows.
    if (facts.cloaked) {
        return false;
    }
    if (IsShellBackgroundClass(facts.className)) {
        return false;
    }
    return facts.windowRectKnown && facts.windowRect.Width() >= kMinWindowSide &&
           facts.windowRect.Height() >= kMinWindowSide;
}

WindowArea PlanWindowArea(const WindowAreaFacts& facts) {
    WindowArea area;
    // The frame bounds leave out the invisible resize margin that the window rectangle includes.
    if (facts.frameBoundsKnown) {
        area.window = facts.frameBounds;
    } else if (facts.windowRectKnown) {
        area.window = facts.windowRect;
    } else {
        area.result = WindowAreaResult::NoRect;
        return area;
    }
    const Rect clipped = IntersectRects(area.window, facts.virtualScreen);
    if (clipped.Empty()) {
        area.result = WindowAreaResult::OffScreen;
        return area;
    }
    area.clipped = clipped;
    area.result = WindowAreaResult::Ok;
    return area;
}
