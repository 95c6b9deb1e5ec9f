#pragma once
// The selection of the region overlay: hit test, drag arithmetic, clamping, cursor choice and the rule by
// which each pointer and key event changes it. Free of Win32 calls; the overlay window carries out the
// effects that the event functions ask for.
#include <cstdint>

#include "base/rect.h"

// What a press grabbed; the number is what the log prints as kind=.
enum class DragKind : int32_t {
    None = 0,
    NewRect = 1,
    LeftEdge = 2,
    RightEdge = 3,
    TopEdge = 4,
    BottomEdge = 5,
    TopLeft = 6,
    TopRight = 7,
    BottomLeft = 8,
    BottomRight = 9,
};

// Half the width of the band around each edge line that grabs it.
constexpr int32_t kGrabBand = 6;
// A selection smaller than this either way is dropped after drawing and cannot be confirmed.
constexpr int32_t kMinConfirmSide = 4;

struct SelectionState {
    Rect bounds;           // the still's rectangle on the virtual screen
    bool dragging = false; // the left button is held for a new rectangle or a resize
    bool hasSelection = false;
    Point anchor;          // press that started the drag: the fixed corner of a new rectangle
    Rect selection;        // ordered, at least 1 x 1 and inside `bounds` after every drag update
    bool finished = false; // confirmed or cancelled: pointer events are ignored from then on
    Point pointer;         // latest pointer position
    DragKind dragKind = DragKind::None;
    Rect dragStartRect;   // the selection when a resize began
    Point dragStartPoint; // pointer position when the current press began
};

DragKind HitTestSelection(const Rect& rect, const Point& point);
// Recomputes the selection from the press (never incrementally) and sets hasSelection.
void UpdateDrag(SelectionState& state, const Point& pointer);
// Orders the rectangle and clamps it into the bounds, at least 1 x 1.
void NormalizeAndClampSelection(const SelectionState& state, Rect& rect);

enum class CursorShape { Cross, SizeWE, SizeNS, SizeNWSE, SizeNESW };
// The cursor for the drag in progress, or for what the pointer would grab on the selection.
CursorShape CursorShapeFor(const SelectionState& state);

enum class OverlayFinish { None, Confirm, Cancel };

// What the overlay window must do after an event, in this order: focus, capture or release the mouse, set the
// cursor, repaint, then finish.
struct EventEffects {
    bool focusWindow = false;
    bool captureMouse = false;
    bool releaseMouse = false;
    bool setCursor = false;
    bool repaint = false;
    OverlayFinish finish = OverlayFinish::None;
};

EventEffects OnLeftButtonDown(SelectionState& state, const Point& p);
EventEffects OnPointerMoved(SelectionState& state, const Point& p);
EventEffects OnLeftButtonUp(SelectionState& state, const Point& p);
EventEffects OnLeftDoubleClick(SelectionState& state, const Point& p);
// Both ordinary and system key-down messages.
EventEffects OnKeyDown(SelectionState& state, uint32_t virtualKey);
EventEffects OnRightButtonDown(SelectionState& state);
// A selection exists and is at least 4 x 4: Enter, a double-click or the strip's Save can confirm it.
bool CanConfirmSelection(const SelectionState& state);
