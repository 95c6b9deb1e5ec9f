#include "overlay/selection_model.h"

#include <algorithm>
#include <limits>

#include "log/log.h"

namespace {

constexpr uint32_t kKeyEnter = 13;
constexpr uint32_t kKeyEscape = 27;

// Distances are taken in 64 bits so that a rectangle near the ends of the 32-bit range cannot wrap.
int64_t Distance(int32_t a, int32_t b) {
    const int64_t d = static_cast<int64_t>(a) - static_cast<int64_t>(b);
    return d < 0 ? -d : d;
}

bool Within(int32_t value, int32_t low, int32_t high) {
    const int64_t v = value;
    return static_cast<int64_t>(low) - kGrabBand <= v && v <= static_cast<int64_t>(high) + kGrabBand;
}

// Sides in 64 bits: on bounds wider or taller than 2^31 pixels a 32-bit difference would wrap.
int64_t Side(int32_t low, int32_t high) {
    return static_cast<int64_t>(high) - static_cast<int64_t>(low);
}

// An edge moved by a drag, in 64 bits and then held in the 32-bit range; the clamp into the bounds follows,
// and gives what an exact sum would, since the bounds lie inside that range.
int32_t MovedEdge(int32_t edge, int64_t delta) {
    return static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(edge) + delta,
                                                    std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

bool PointInside(const Rect& r, const Point& p) {
    return r.left <= p.x && p.x < r.right && r.top <= p.y && p.y < r.bottom;
}

// A selection too small to be worth a picture can be adjusted but not confirmed.
bool IsConfirmable(const SelectionState& state) {
    const Rect& s = state.selection;
    return state.hasSelection && Side(s.left, s.right) >= kMinConfirmSide &&
           Side(s.top, s.bottom) >= kMinConfirmSide;
}

} // namespace

DragKind HitTestSelection(const Rect& rect, const Point& point) {
    const bool nearLeft = Distance(point.x, rect.left) <= kGrabBand;
    const bool nearRight = Distance(point.x, rect.right) <= kGrabBand;
    const bool nearTop = Distance(point.y, rect.top) <= kGrabBand;
    const bool nearBottom = Distance(point.y, rect.bottom) <= kGrabBand;
    const bool inX = Within(point.x, rect.left, rect.right);
    const bool inY = Within(point.y, rect.top, rect.bottom);

    // Corners first, then left before right and top before bottom, so that on a narrow selection the
    // first-named edge wins where both bands overlap.
    if (nearLeft && nearTop) {
        return DragKind::TopLeft;
    }
    if (nearRight && nearTop) {
        return DragKind::TopRight;
    }
    if (nearLeft && nearBottom) {
        return DragKind::BottomLeft;
    }
    if (nearRight && nearBottom) {
        return DragKind::BottomRight;
    }
    if (nearLeft && inY) {
        return DragKind::LeftEdge;
    }
    if (nearRight && inY) {
        return DragKind::RightEdge;
    }
    if (nearTop && inX) {
        return DragKind::TopEdge;
    }
    if (nearBottom && inX) {
        return DragKind::BottomEdge;
    }
    return DragKind::None;
}

void NormalizeAndClampSelection(const SelectionState& state, Rect& rect) {
    // An edge dragged past its opposite swaps with it, so the rectangle flips instead of turning inside out.
    if (rect.left > rect.right) {
        std::swap(rect.left, rect.right);
    }
    if (rect.top > rect.bottom) {
        std::swap(rect.top, rect.bottom);
    }
    // Clamped so that a drag past the edge of the virtual screen stops there, leaving at least one pixel.
    const Rect& b = state.bounds;
    rect.left = std::max(b.left, std::min(rect.left, b.right - 1));
    rect.top = std::max(b.top, std::min(rect.top, b.bottom - 1));
    rect.right = std::max(rect.left + 1, std::min(rect.right, b.right));
    rect.bottom = std::max(rect.top + 1, std::min(rect.bottom, b.bottom));
}

void UpdateDrag(SelectionState& state, const Point& pointer) {
    if (state.dragKind == DragKind::NewRect) {
        Rect r;
        r.left = std::min(state.anchor.x, pointer.x);
        r.top = std::min(state.anchor.y, pointer.y);
        r.right = std::max(state.anchor.x, pointer.x);
        r.bottom = std::max(state.anchor.y, pointer.y);
        NormalizeAndClampSelection(state, r);
        state.selection = r;
    } else {
        // Computed from the rectangle and the pointer of the press, never from the previous move, so a
        // pointer that wanders outside the bounds and comes back loses nothing.
        const int64_t dx = static_cast<int64_t>(pointer.x) - state.dragStartPoint.x;
        const int64_t dy = static_cast<int64_t>(pointer.y) - state.dragStartPoint.y;
        Rect r = state.dragStartRect;
        switch (state.dragKind) {
        case DragKind::LeftEdge:
            r.left = MovedEdge(r.left, dx);
            break;
        case DragKind::RightEdge:
            r.right = MovedEdge(r.right, dx);
            break;
        case DragKind::TopEdge:
            r.top = MovedEdge(r.top, dy);
            break;
        case DragKind::BottomEdge:
            r.bottom = MovedEdge(r.bottom, dy);
            break;
        case DragKind::TopLeft:
            r.left = MovedEdge(r.left, dx);
            r.top = MovedEdge(r.top, dy);
            break;
        case DragKind::TopRight:
            r.right = MovedEdge(r.right, dx);
            r.top = MovedEdge(r.top, dy);
            break;
        case DragKind::BottomLeft:
            r.left = MovedEdge(r.left, dx);
            r.bottom = MovedEdge(r.bottom, dy);
            break;
        case DragKind::BottomRight:
            r.right = MovedEdge(r.right, dx);
            r.bottom = MovedEdge(r.bottom, dy);
            break;
        default:
            break;
        }
        NormalizeAndClampSelection(state, r);
        state.selection = r;
    }
    state.hasSelection = true;
}

CursorShape CursorShapeFor(const SelectionState& state) {
    DragKind kind = state.dragKind;
    if (kind == DragKind::None && state.hasSelection) {
        kind = HitTestSelection(state.selection, state.pointer);
    }
    switch (kind) {
    case DragKind::LeftEdge:
    case DragKind::RightEdge:
        return CursorShape::SizeWE;
    case DragKind::TopEdge:
    case DragKind::BottomEdge:
        return CursorShape::SizeNS;
    case DragKind::TopLeft:
    case DragKind::BottomRight:
        return CursorShape::SizeNWSE;
    case DragKind::TopRight:
    case DragKind::BottomLeft:
        return CursorShape::SizeNESW;
    default:
        // Nothing grabbed, a new rectangle, or the inside of a selection: there is no move gesture.
        return CursorShape::Cross;
    }
}

EventEffects OnLeftButtonDown(SelectionState& state, const Point& p) {
    EventEffects effects;
    if (state.finished) {
        return effects;
    }
    effects.focusWindow = true;
    state.pointer = p;
    state.anchor = p;
    state.dragStartPoint = p;
    bool resizing = false;
    if (state.hasSelection) {
        const DragKind kind = HitTestSelection(state.selection, p);
        if (kind != DragKind::None) {
            state.dragStartRect = state.selection;
            state.dragKind = kind;
            state.dragging = true;
            effects.captureMouse = true;
            resizing = true;
        } else if (PointInside(state.selection, p)) {
            // The inside of a selection has no gesture; the press leaves everything as it was.
            return effects;
        }
    }
    if (!resizing) {
        // A press away from the selection starts a new rectangle and drops the old one.
        effects.captureMouse = true;
        state.dragKind = DragKind::NewRect;
        state.dragging = true;
        state.hasSelection = false;
        state.selection = Rect{p.x, p.y, p.x, p.y};
    }
    effects.setCursor = true;
    effects.repaint = true;
    return effects;
}

EventEffects OnPointerMoved(SelectionState& state, const Point& p) {
    EventEffects effects;
    if (state.finished) {
        return effects;
    }
    state.pointer = p;
    if (state.dragging) {
        UpdateDrag(state, p);
    }
    // Every move repaints, since the magnifier follows the pointer.
    effects.setCursor = true;
    effects.repaint = true;
    return effects;
}

EventEffects OnLeftButtonUp(SelectionState& state, const Point& p) {
    EventEffects effects;
    if (state.finished || !state.dragging) {
        return effects;
    }
    state.dragging = false;
    effects.releaseMouse = true;
    state.pointer = p;
    UpdateDrag(state, p);
    const Rect& s = state.selection;
    if (state.dragKind == DragKind::NewRect &&
        (Side(s.left, s.right) < kMinConfirmSide || Side(s.top, s.bottom) < kMinConfirmSide)) {
        // A click, or a drag too short either way, leaves no selection.
        state.hasSelection = false;
    } else {
        // A resize stays selected even when it shrank below the confirmable size, so it can be enlarged
        // again.
        LogInfo(L"选区可调整 rect=(%d,%d,%d,%d) kind=%d", s.left, s.top, s.right, s.bottom,
                static_cast<int>(state.dragKind));
    }
    state.dragKind = DragKind::None;
    effects.setCursor = true;
    effects.repaint = true;
    return effects;
}

EventEffects OnLeftDoubleClick(SelectionState& state, const Point& p) {
    EventEffects effects;
    if (state.finished) {
        return effects;
    }
    const Rect& s = state.selection;
    const long long width = Side(s.left, s.right);
    const long long height = Side(s.top, s.bottom);
    LogInfo(L"双击 pos=(%d,%d) hasSelection=%d size=%lldx%lld", p.x, p.y, state.hasSelection ? 1 : 0, width,
            height);
    if (IsConfirmable(state)) {
        LogInfo(L"双击确认选区 rect=(%d,%d,%d,%d)", s.left, s.top, s.right, s.bottom);
        effects.finish = OverlayFinish::Confirm;
    }
    return effects;
}

EventEffects OnKeyDown(SelectionState& state, uint32_t virtualKey) {
    EventEffects effects;
    if (virtualKey == kKeyEscape) {
        effects.finish = OverlayFinish::Cancel;
    } else if (virtualKey == kKeyEnter && !state.finished && IsConfirmable(state)) {
        // Once the overlay has ended, a late Enter must not claim a confirmation that cannot happen.
        const Rect& s = state.selection;
        LogInfo(L"Enter 确认选区 rect=(%d,%d,%d,%d)", s.left, s.top, s.right, s.bottom);
        effects.finish = OverlayFinish::Confirm;
    }
    return effects;
}

bool CanConfirmSelection(const SelectionState& state) {
    return IsConfirmable(state);
}

EventEffects OnRightButtonDown(SelectionState&) {
    EventEffects effects;
    effects.finish = OverlayFinish::Cancel;
    return effects;
}
