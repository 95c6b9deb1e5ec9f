// The selection model driven by any sequence of presses, moves, releases, double-clicks and keys over any
// bounds, negative origins included: it never crashes, and a selection always lies ordered inside the bounds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "fuzz/fuzz_input.h"
#include "overlay/selection_model.h"

namespace {

// Mostly positions where something happens: anywhere, beside the last one, near an edge of the selection
// or of the bounds, or inside the bounds.
Point ReadPoint(FuzzInput& in, const SelectionState& state) {
    switch (in.Byte() % 5) {
    case 0:
        return AnyPoint(in);
    case 1:
        return PointBeside(in, state.pointer);
    case 2:
        return PointNearCorner(in, state.selection);
    case 3:
        return PointNearCorner(in, state.bounds);
    default:
        return PointInside(in, state.bounds);
    }
}

[[noreturn]] void Fail(const char* what, const SelectionState& state) {
    const Rect& s = state.selection;
    const Rect& b = state.bounds;
    std::fprintf(stderr, "%s: selection (%d,%d,%d,%d) bounds (%d,%d,%d,%d) kind %d dragging %d\n", what,
                 s.left, s.top, s.right, s.bottom, b.left, b.top, b.right, b.bottom,
                 static_cast<int>(state.dragKind), state.dragging ? 1 : 0);
    std::abort();
}

void CheckInvariants(const SelectionState& state, const EventEffects& effects) {
    const Rect& s = state.selection;
    const Rect& b = state.bounds;
    if (state.hasSelection) {
        if (s.left >= s.right || s.top >= s.bottom) {
            Fail("selection not ordered", state);
        }
        if (s.left < b.left || s.top < b.top || s.right > b.right || s.bottom > b.bottom) {
            Fail("selection outside the bounds", state);
        }
    }
    if (state.dragging && state.dragKind == DragKind::None) {
        Fail("dragging without a kind", state);
    }
    if (effects.finish == OverlayFinish::Confirm) {
        const int64_t width = static_cast<int64_t>(s.right) - s.left;
        const int64_t height = static_cast<int64_t>(s.bottom) - s.top;
        if (!state.hasSelection || width < kMinConfirmSide || height < kMinConfirmSide) {
            Fail("confirmed without a selection of 4 x 4", state);
        }
    }
}

bool SameState(const SelectionState& a, const SelectionState& b) {
    return a.dragging == b.dragging && a.hasSelection == b.hasSelection && a.selection == b.selection &&
           a.dragKind == b.dragKind && a.pointer.x == b.pointer.x && a.pointer.y == b.pointer.y;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    SelectionState state;
    ReadSpan(in, state.bounds.left, state.bounds.right);
    ReadSpan(in, state.bounds.top, state.bounds.bottom);

    while (!in.Done()) {
        const SelectionState before = state;
        EventEffects effects;
        const uint8_t event = in.Byte() % 6;
        switch (event) {
        case 0:
            effects = OnLeftButtonDown(state, ReadPoint(in, state));
            break;
        case 1:
            effects = OnPointerMoved(state, ReadPoint(in, state));
            break;
        case 2:
            effects = OnLeftButtonUp(state, ReadPoint(in, state));
            break;
        case 3:
            effects = OnLeftDoubleClick(state, ReadPoint(in, state));
            break;
        case 4:
            effects = OnKeyDown(state, in.Byte());
            break;
        default:
            effects = OnRightButtonDown(state);
            break;
        }
        static_cast<void>(CursorShapeFor(state));
        CheckInvariants(state, effects);
        if (before.finished && event <= 3 && !SameState(before, state)) {
            Fail("a pointer event changed a finished selection", state);
        }
        // The overlay window ends at the first confirm or cancel; later events find the selection finished.
        if (effects.finish != OverlayFinish::None) {
            state.finished = true;
        }
    }
    return 0;
}
