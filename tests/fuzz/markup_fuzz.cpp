// The overlay's markup driven by any sequence of tool picks, presses, double-clicks, moves, releases, keys,
// wheel turns, right presses, text typed and undos, over any bounds and any monitors (negative origins, odd
// DPIs, none at all): it never crashes, the history stays consistent, the selection stays ordered inside the
// bounds, and the strip stays on the virtual screen.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <limits>
#include <set>
#include <string>

#include "fuzz/fuzz_input.h"
#include "markup/markup_events.h"

namespace {

Rect ReadRect(FuzzInput& in) {
    Rect r;
    ReadSpan(in, r.left, r.right);
    ReadSpan(in, r.top, r.bottom);
    return r;
}

// Mostly positions where something happens: anywhere, beside the last one, near the selection's edges, on a
// strip button or pop-out item, or inside the bounds.
Point ReadPoint(FuzzInput& in, const SelectionState& selection, const MarkupState& markup) {
    const Rect& s = selection.selection;
    switch (in.Byte() % 6) {
    case 0:
        return AnyPoint(in);
    case 1:
        return PointBeside(in, selection.pointer);
    case 2:
        return PointNearCorner(in, s);
    case 3: {
        const StripLayout strip = CurrentStrip(selection, markup);
        const uint8_t pick = in.Byte();
        if (markup.popout != Popout::None && (pick & 0x80) != 0) {
            const PopoutLayout popout = PlacePopout(strip, markup.popout);
            const Rect& item = popout.items[pick % popout.items.size()];
            return Point{item.left, item.top};
        }
        const Rect& button = strip.buttons[pick % kStripButtonCount];
        return Point{Near(button.left, in.Small() & 7), Near(button.top, in.Small() & 7)};
    }
    case 4:
        return PointBeside(in, Point{(s.left / 2) + (s.right / 2), (s.top / 2) + (s.bottom / 2)});
    default:
        return PointInside(in, selection.bounds);
    }
}

[[noreturn]] void Fail(const char* what, const SelectionState& selection, const MarkupState& markup) {
    const Rect& s = selection.selection;
    std::fprintf(stderr, "%s: selection (%d,%d,%d,%d) has %d tool %d live %zu of %zu drawing %d text %d\n",
                 what, s.left, s.top, s.right, s.bottom, selection.hasSelection ? 1 : 0,
                 static_cast<int>(markup.tool), markup.history.live, markup.history.marks.size(),
                 markup.drawing ? 1 : 0, markup.textOpen ? 1 : 0);
    std::abort();
}

void CheckMark(const Mark& mark, const SelectionState& selection, const MarkupState& markup) {
    const int32_t kind = static_cast<int32_t>(mark.kind);
    if (kind < 0 || kind >= kMarkKindCount || mark.colour < 0 || mark.colour >= kColourCount ||
        mark.size < 1) {
        Fail("a mark out of range", selection, markup);
    }
    if ((mark.kind == MarkKind::Pen || mark.kind == MarkKind::Highlighter) &&
        (mark.points.empty() || mark.points.size() > kMaxStrokePoints)) {
        Fail("a stroke without points or with too many", selection, markup);
    }
    if (mark.kind == MarkKind::Text) {
        bool visible = false;
        for (wchar_t c : mark.text) {
            visible = visible || !std::iswspace(static_cast<wint_t>(c));
        }
        if (!visible || mark.text.size() > static_cast<size_t>(kMaxTextLength)) {
            Fail("a text mark empty or too long", selection, markup);
        }
    }
    if (mark.kind == MarkKind::Mosaic && mark.size < 12) {
        Fail("a mosaic block under 12 pixels", selection, markup);
    }
}

void CheckInvariants(const SelectionState& selection, const MarkupState& markup,
                     const MarkupEffects& effects) {
    const MarkupHistory& history = markup.history;
    if (history.live > history.marks.size()) {
        Fail("more live marks than marks", selection, markup);
    }
    std::set<int32_t> steps;
    for (size_t i = 0; i < history.marks.size(); ++i) {
        const Mark& mark = history.marks[i];
        CheckMark(mark, selection, markup);
        if (i < history.live && mark.kind == MarkKind::Step &&
            (mark.step < 1 || !steps.insert(mark.step).second)) {
            Fail("live steps not numbered apart from 1 on", selection, markup);
        }
    }
    if (NextStepNumber(history) != (steps.empty() ? 1 : *steps.rbegin() + 1)) {
        Fail("the next step is not one more than the highest left", selection, markup);
    }
    if (markup.drawing && (markup.textOpen || markup.tool == Tool::None ||
                           static_cast<int32_t>(markup.pending.kind) != static_cast<int32_t>(markup.tool))) {
        Fail("drawing without its tool", selection, markup);
    }
    const Rect& s = selection.selection;
    const Rect& b = selection.bounds;
    if (selection.hasSelection && (s.left >= s.right || s.top >= s.bottom || s.left < b.left ||
                                   s.top < b.top || s.right > b.right || s.bottom > b.bottom)) {
        Fail("selection not ordered inside the bounds", selection, markup);
    }
    if (effects.finish == OverlayFinish::Confirm && !CanConfirmSelection(selection)) {
        Fail("confirmed without a selection of 4 x 4", selection, markup);
    }
    if (effects.copy && effects.finish != OverlayFinish::Confirm) {
        Fail("a copy without a confirmation", selection, markup);
    }
    if (markup.hoveredButton < kNoButton || markup.hoveredButton >= kStripButtonCount) {
        Fail("a hovered button out of range", selection, markup);
    }
    if (StripShown(selection, markup)) {
        const StripLayout strip = CurrentStrip(selection, markup);
        const int64_t width = static_cast<int64_t>(strip.strip.right) - strip.strip.left;
        const int64_t height = static_cast<int64_t>(strip.strip.bottom) - strip.strip.top;
        if (strip.strip.left < b.left || strip.strip.top < b.top ||
            (width <= static_cast<int64_t>(b.right) - b.left && strip.strip.right > b.right) ||
            (height <= static_cast<int64_t>(b.bottom) - b.top && strip.strip.bottom > b.bottom)) {
            Fail("the strip left the virtual screen", selection, markup);
        }
        static_cast<void>(PlaceTooltip(strip, markup.hoveredButton, 80, 16));
    }
    static_cast<void>(PointerCursor(selection, markup));
}

std::wstring ReadText(FuzzInput& in) {
    const size_t length = static_cast<size_t>(in.Byte()) * 5;
    std::wstring text;
    for (size_t i = 0; i < length && !in.Done(); ++i) {
        const uint8_t c = in.Byte();
        text.push_back(c % 3 == 0 ? L' ' : c % 3 == 1 ? L'\n' : static_cast<wchar_t>(0x4E00 + c));
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    SelectionState selection;
    MarkupState markup;
    ReadSpan(in, selection.bounds.left, selection.bounds.right);
    ReadSpan(in, selection.bounds.top, selection.bounds.bottom);
    const int monitorCount = in.Byte() % 4;
    for (int i = 0; i < monitorCount; ++i) {
        MonitorArea monitor;
        monitor.monitor = ReadRect(in);
        monitor.work = ReadRect(in);
        monitor.dpi = static_cast<int32_t>(in.Byte()) * 4 - 64; // odd, zero and negative ones too
        markup.monitors.push_back(monitor);
    }

    while (!in.Done()) {
        const size_t historyBefore = markup.history.marks.size();
        const size_t liveBefore = markup.history.live;
        const bool finishedBefore = selection.finished;
        MarkupEffects effects;
        const uint8_t event = in.Byte() % 11;
        const uint8_t flags = in.Byte();
        const bool shift = (flags & 1) != 0;
        switch (event) {
        case 0:
        case 1:
            effects = OnOverlayPress(selection, markup, ReadPoint(in, selection, markup), event == 1);
            break;
        case 2:
            effects = OnOverlayMove(selection, markup, ReadPoint(in, selection, markup), shift);
            break;
        case 3:
            effects = OnOverlayRelease(selection, markup, ReadPoint(in, selection, markup), shift);
            break;
        case 4: {
            static constexpr uint32_t kKeys[] = {'R', 'E', 'A', 'P', 'H', 'T', 'N',
                                                 'M', 'Z', 'Y', 'C', 13,  27};
            const uint8_t pick = in.Byte();
            const uint32_t key = pick < 200 ? kKeys[pick % (sizeof kKeys / sizeof kKeys[0])] : pick;
            effects =
                OnOverlayKey(selection, markup, key, KeyModifiers{shift, (flags & 2) != 0, (flags & 4) != 0});
            break;
        }
        case 5:
            effects = OnOverlayRightPress(selection, markup);
            break;
        case 6:
            effects = OnOverlayWheel(selection, markup, in.Small() * 40);
            break;
        case 7:
            if (markup.textOpen) {
                SetTextDraft(markup, ReadText(in));
            }
            break;
        case 8:
            effects = OnTextBoxDone(selection, markup);
            break;
        case 9:
            // Undo, or with Shift redo, in quick succession with the other events.
            effects = OnOverlayKey(selection, markup, 'Z', KeyModifiers{shift, true, false});
            break;
        default:
            selection.pointer = ReadPoint(in, selection, markup);
            break;
        }
        CheckInvariants(selection, markup, effects);
        if (finishedBefore &&
            (markup.history.marks.size() != historyBefore || markup.history.live != liveBefore)) {
            Fail("a finished overlay gained marks", selection, markup);
        }
        // The overlay window ends at the first confirm or cancel; later events find the selection finished.
        if (effects.finish != OverlayFinish::None) {
            selection.finished = true;
        }
    }
    return 0;
}
