// The selection model driven by any sequence of presses, moves, releases, double-clicks and keys over any
// bounds, negative origins included: it never crashes, and a selection always lies ordered inside the bounds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "overlay/selection_model.h"

namespace {

// Reads the input front to back; past its end every value is 0.
class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Done() const { return at_ >= size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    int32_t Int32() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value = (value << 8) | Byte();
        }
        return static_cast<int32_t>(value);
    }
    int32_t Small() { return static_cast<int8_t>(Byte()); }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// A low and high end at least one pixel apart, anywhere in the 32-bit range.
void ReadSpan(Input& in, int32_t& low, int32_t& high) {
    const int32_t a = in.Int32();
    const int32_t b = in.Int32();
    low = std::min(a, b);
    high = std::max(a, b);
    if (low == high) {
        if (high < std::numeric_limits<int32_t>::max()) {
            ++high;
        } else {
            --low;
        }
    }
}

int32_t Near(int32_t base, int32_t delta) {
    const int64_t value = static_cast<int64_t>(base) + delta;
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Mostly positions where something happens: anywhere, beside the last one, near an edge of the selection
// or of the bounds, or inside the bounds.
Point ReadPoint(Input& in, const SelectionState& state) {
    const Rect& s = state.selection;
    const Rect& b = state.bounds;
    switch (in.Byte() % 5) {
    case 0:
        return Point{in.Int32(), in.Int32()};
    case 1:
        return Point{Near(state.pointer.x, in.Small()), Near(state.pointer.y, in.Small())};
    case 2: {
        const uint8_t pick = in.Byte();
        return Point{Near(pick & 1 ? s.right : s.left, in.Small()),
                     Near(pick & 2 ? s.bottom : s.top, in.Small())};
    }
    case 3: {
        const uint8_t pick = in.Byte();
        return Point{Near(pick & 1 ? b.right : b.left, in.Small()),
                     Near(pick & 2 ? b.bottom : b.top, in.Small())};
    }
    default: {
        const uint64_t width = static_cast<uint64_t>(static_cast<int64_t>(b.right) - b.left);
        const uint64_t height = static_cast<uint64_t>(static_cast<int64_t>(b.bottom) - b.top);
        return Point{
            static_cast<int32_t>(b.left + static_cast<int64_t>(static_cast<uint32_t>(in.Int32()) % width)),
            static_cast<int32_t>(b.top + static_cast<int64_t>(static_cast<uint32_t>(in.Int32()) % height))};
    }
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
    Input in(data, size);
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
