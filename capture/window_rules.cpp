#include "capture/window_rules.h"

#include "capture/capture_rules.h"

namespace {

// The desktop (its two classes) and the taskbars of the primary and the other monitors; compared exactly, as
// Windows registers them.
bool IsShellBackgroundClass(const std::wstring& className) {
    return className == L"Progman" || className == L"WorkerW" || className == L"Shell_TrayWnd" ||
           className == L"Shell_SecondaryTrayWnd";
}

// Smaller windows are tool slivers and hidden helpers rather than something a user works in.
constexpr int32_t kMinWindowSide = 20;

} // namespace

bool IsCapturableWindowFacts(WindowFacts& facts) {
    if (!facts.Exists() || !facts.Visible() || facts.Minimized()) {
        return false;
    }
    // Our own previews, toolbar and settings window would otherwise capture themselves.
    if (facts.OwnedByThisProcess()) {
        return false;
    }
    // An invisible or click-through layer of another program (an overlay, a notification shade) lies above
    // what the user works in; its picture would show nothing or only what lies below.
    if (facts.ClickThrough() || facts.FullyTransparent()) {
        return false;
    }
    Rect rect;
    if (!facts.WindowRect(rect) || rect.Width() < kMinWindowSide || rect.Height() < kMinWindowSide) {
        return false;
    }
    // The two costly questions last. A cloaked window (another virtual desktop, a suspended app) is not what
    // the screen shows.
    if (facts.Cloaked()) {
        return false;
    }
    return !IsShellBackgroundClass(facts.ClassName());
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
