#pragma once
// The region overlay's events once it can be marked up. Each press, move, release, key, wheel step and right
// press goes to the strip or its pop-out, to the picked tool, or to the selection model, whose rules hold
// wherever the strip and the tools do not take the event. Free of Win32; the overlay window carries out the
// effects.
#include <cstdint>

#include "markup/markup_strip_layout.h"
#include "markup/markup_tools.h"
#include "overlay/selection_model.h"

// What the overlay window must do after an event, in this order: close the text box, focus, capture or
// release the mouse, set the cursor, bring the drawing of the live marks up to date, open a text box,
// repaint, then finish.
struct MarkupEffects {
    bool closeTextBox = false; // its text is already committed (or dropped when empty)
    bool focusWindow = false;
    bool captureMouse = false;
    bool releaseMouse = false;
    bool setCursor = false;
    bool marksChanged = false; // a mark was added, undone or redone
    bool openTextBox = false;  // at the pending mark's place, in its size and colour
    bool repaint = false;
    OverlayFinish finish = OverlayFinish::None;
    bool copy = false; // with a confirmation: the picture goes on the clipboard too
};

struct KeyModifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

// The strip shows once a selection exists and no drag of the selection is in progress, in the work area of a
// monitor: without the monitors (the overlay cannot run then) there is no strip.
bool StripShown(const SelectionState& selection, const MarkupState& markup);
StripLayout CurrentStrip(const SelectionState& selection, const MarkupState& markup);

// A press of the left button; `doubleClick` for the second press of a double-click.
MarkupEffects OnOverlayPress(SelectionState& selection, MarkupState& markup, const Point& p,
                             bool doubleClick);
MarkupEffects OnOverlayMove(SelectionState& selection, MarkupState& markup, const Point& p, bool shift);
MarkupEffects OnOverlayRelease(SelectionState& selection, MarkupState& markup, const Point& p, bool shift);
// Both ordinary and system key-down messages (Alt held for the latter).
MarkupEffects OnOverlayKey(SelectionState& selection, MarkupState& markup, uint32_t virtualKey,
                           const KeyModifiers& modifiers);
MarkupEffects OnOverlayRightPress(SelectionState& selection, MarkupState& markup);
// A wheel turn: positive away from the user, thicker; negative, thinner.
MarkupEffects OnOverlayWheel(SelectionState& selection, MarkupState& markup, int32_t delta);
// Esc or Ctrl+Enter in the text box: the box ends, keeping its text.
MarkupEffects OnTextBoxDone(SelectionState& selection, MarkupState& markup);

// The pointer is over the shown strip or its open pop-out (where the magnifier stays away).
bool PointerOverStrip(const SelectionState& selection, const MarkupState& markup);

enum class OverlayCursor { Cross, SizeWE, SizeNS, SizeNWSE, SizeNESW, Arrow, IBeam };
// The cursor for where the pointer is: an arrow over the strip and its pop-out, the cross (an I-beam for
// text) over the selection with a tool picked, otherwise the selection's own choice.
OverlayCursor PointerCursor(const SelectionState& selection, const MarkupState& markup);

// The log line that names the live marks, how many of each kind; nothing when there are none.
void LogMarksMade(const MarkupHistory& history);
