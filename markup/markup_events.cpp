#include "markup/markup_events.h"

#include <algorithm>

#include "log/log.h"

namespace {

constexpr uint32_t kKeyEnter = 13;
constexpr uint32_t kKeyEscape = 27;

// The tool each letter picks, in the order of the tools.
constexpr uint32_t kToolKeys[kStripToolCount] = {'R', 'E', 'A', 'P', 'H', 'T', 'N', 'M'};

MarkupEffects FromSelection(const EventEffects& e) {
    MarkupEffects effects;
    effects.focusWindow = e.focusWindow;
    effects.captureMouse = e.captureMouse;
    effects.releaseMouse = e.releaseMouse;
    effects.setCursor = e.setCursor;
    effects.repaint = e.repaint;
    effects.finish = e.finish;
    return effects;
}

bool Inside(const Rect& r, const Point& p) {
    return r.left <= p.x && p.x < r.right && r.top <= p.y && p.y < r.bottom;
}

// Inside the selection and off its grab bands: where a tool works.
bool OnSelectionInside(const SelectionState& selection, const Point& p) {
    return selection.hasSelection && HitTestSelection(selection.selection, p) == DragKind::None &&
           Inside(selection.selection, p);
}

// Outside the selection and its grab bands: where a press would start a new selection.
bool AwayFromSelection(const SelectionState& selection, const Point& p) {
    return selection.hasSelection && HitTestSelection(selection.selection, p) == DragKind::None &&
           !Inside(selection.selection, p);
}

void LogLive(const wchar_t* what, const MarkupState& markup) {
    LogInfo(L"%s live=%d", what, static_cast<int>(markup.history.live));
}

// Commits an open text box; the window closes it.
void EndTextBox(MarkupState& markup, MarkupEffects& effects) {
    if (!markup.textOpen) {
        return;
    }
    if (CommitText(markup)) {
        effects.marksChanged = true;
        LogLive(L"添加标注 kind=5", markup);
    }
    effects.closeTextBox = true;
    effects.focusWindow = true;
    effects.repaint = true;
}

void PickTool(MarkupState& markup, Tool tool, MarkupEffects& effects) {
    EndTextBox(markup, effects);
    ToggleTool(markup, tool);
    LogInfo(L"标注工具 tool=%d", static_cast<int>(markup.tool));
    effects.repaint = true;
    effects.setCursor = true;
}

void Undo(MarkupState& markup, MarkupEffects& effects) {
    if (UndoMark(markup.history)) {
        effects.marksChanged = true;
        effects.repaint = true;
        LogLive(L"撤销标注", markup);
    }
}

void Redo(MarkupState& markup, MarkupEffects& effects) {
    if (RedoMark(markup.history)) {
        effects.marksChanged = true;
        effects.repaint = true;
        LogLive(L"重做标注", markup);
    }
}

// Save (copy false) or Copy (true): confirms a selection that can be confirmed, like Enter.
void Confirm(const SelectionState& selection, bool copy, MarkupEffects& effects) {
    if (selection.finished || !CanConfirmSelection(selection)) {
        return;
    }
    const Rect& s = selection.selection;
    LogInfo(copy ? L"复制并确认选区 rect=(%d,%d,%d,%d)" : L"工具条确认选区 rect=(%d,%d,%d,%d)", s.left, s.top,
            s.right, s.bottom);
    effects.finish = OverlayFinish::Confirm;
    effects.copy = copy;
}

void PressStripButton(const SelectionState& selection, MarkupState& markup, int32_t button,
                      MarkupEffects& effects) {
    effects.focusWindow = true;
    effects.setCursor = true;
    effects.repaint = true;
    if (button < kStripToolCount) {
        PickTool(markup, static_cast<Tool>(button), effects);
        return;
    }
    switch (static_cast<StripButton>(button)) {
    case StripButton::Undo:
        Undo(markup, effects);
        break;
    case StripButton::Redo:
        Redo(markup, effects);
        break;
    case StripButton::Colour:
        markup.popout = markup.popout == Popout::Colour ? Popout::None : Popout::Colour;
        break;
    case StripButton::Width:
        markup.popout = markup.popout == Popout::Width ? Popout::None : Popout::Width;
        break;
    case StripButton::Cancel:
        effects.finish = OverlayFinish::Cancel;
        break;
    case StripButton::Copy:
        Confirm(selection, true, effects);
        break;
    case StripButton::Save:
        Confirm(selection, false, effects);
        break;
    default:
        break;
    }
}

// A press while a pop-out is open picks the item under it, if any, and closes the pop-out in any case.
void PressPopout(const SelectionState& selection, MarkupState& markup, const Point& p,
                 MarkupEffects& effects) {
    const Popout popout = markup.popout;
    const int32_t item = PopoutItemAt(PlacePopout(CurrentStrip(selection, markup), popout), p);
    markup.popout = Popout::None;
    markup.hoveredItem = -1;
    effects.focusWindow = true;
    effects.repaint = true;
    effects.setCursor = true;
    if (item < 0) {
        return;
    }
    if (popout == Popout::Colour) {
        markup.colour = item;
        LogInfo(L"标注颜色 color=%d", item);
    } else {
        markup.widthLevel = item;
        LogInfo(L"标注粗细 width=%d", item);
    }
}

int32_t DpiAt(const SelectionState& selection, const MarkupState& markup, const Point& p) {
    return MonitorAt(markup.monitors, p, selection.bounds).dpi;
}

void UseTool(const SelectionState& selection, MarkupState& markup, const Point& p, MarkupEffects& effects) {
    effects.focusWindow = true;
    effects.setCursor = true;
    effects.repaint = true;
    switch (PressTool(markup, p, DpiAt(selection, markup, p))) {
    case ToolPress::Drawing:
        effects.captureMouse = true;
        break;
    case ToolPress::TextOpened:
        effects.openTextBox = true;
        LogInfo(L"打开文字框 pos=(%d,%d)", p.x, p.y);
        break;
    case ToolPress::StepPlaced:
        effects.marksChanged = true;
        LogLive(L"添加标注 kind=6", markup);
        break;
    }
}

// The mark being drawn ends at `p`, committed when it has some extent.
void EndDrawing(SelectionState& selection, MarkupState& markup, const Point& p, bool shift,
                MarkupEffects& effects) {
    selection.pointer = p;
    const int kind = static_cast<int>(markup.pending.kind);
    if (ReleaseTool(markup, p, shift)) {
        effects.marksChanged = true;
        LogInfo(L"添加标注 kind=%d live=%d", kind, static_cast<int>(markup.history.live));
    }
    effects.releaseMouse = true;
    effects.setCursor = true;
    effects.repaint = true;
}

} // namespace

bool StripShown(const SelectionState& selection, const MarkupState& markup) {
    return selection.hasSelection && !selection.dragging && !selection.finished && !markup.monitors.empty();
}

StripLayout CurrentStrip(const SelectionState& selection, const MarkupState& markup) {
    return PlaceStrip(selection.selection, markup.monitors, selection.bounds);
}

MarkupEffects OnOverlayPress(SelectionState& selection, MarkupState& markup, const Point& p,
                             bool doubleClick) {
    MarkupEffects effects;
    if (markup.drawing) {
        return effects;
    }
    if (selection.finished || selection.dragging) {
        return FromSelection(doubleClick ? OnLeftDoubleClick(selection, p) : OnLeftButtonDown(selection, p));
    }
    selection.pointer = p;
    const bool stripShown = StripShown(selection, markup);
    const StripLayout strip = CurrentStrip(selection, markup);
    if (markup.textOpen) {
        // A click elsewhere ends the box, keeping its text; a click on a strip button also does its work.
        EndTextBox(markup, effects);
        const int32_t button = stripShown ? StripButtonAt(strip, p) : kNoButton;
        if (button != kNoButton) {
            PressStripButton(selection, markup, button, effects);
        }
        return effects;
    }
    if (stripShown && markup.popout != Popout::None) {
        PressPopout(selection, markup, p, effects);
        return effects;
    }
    if (stripShown && StripContains(strip, p)) {
        const int32_t button = StripButtonAt(strip, p);
        if (button != kNoButton) {
            PressStripButton(selection, markup, button, effects);
        }
        return effects;
    }
    if (markup.tool != Tool::None && OnSelectionInside(selection, p)) {
        UseTool(selection, markup, p, effects);
        return effects;
    }
    // With marks made, a stray press away from the selection does nothing, so no work is lost by it.
    if (markup.history.live > 0 && AwayFromSelection(selection, p)) {
        effects.focusWindow = true;
        return effects;
    }
    return FromSelection(doubleClick ? OnLeftDoubleClick(selection, p) : OnLeftButtonDown(selection, p));
}

MarkupEffects OnOverlayMove(SelectionState& selection, MarkupState& markup, const Point& p, bool shift) {
    MarkupEffects effects;
    if (selection.finished) {
        return effects;
    }
    if (markup.drawing) {
        selection.pointer = p;
        MoveTool(markup, p, shift);
        effects.setCursor = true;
        effects.repaint = true;
        return effects;
    }
    effects = FromSelection(OnPointerMoved(selection, p));
    markup.hoveredButton = kNoButton;
    markup.hoveredItem = -1;
    if (StripShown(selection, markup)) {
        const StripLayout strip = CurrentStrip(selection, markup);
        markup.hoveredButton = StripButtonAt(strip, p);
        if (markup.popout != Popout::None) {
            markup.hoveredItem = PopoutItemAt(PlacePopout(strip, markup.popout), p);
        }
    }
    return effects;
}

MarkupEffects OnOverlayRelease(SelectionState& selection, MarkupState& markup, const Point& p, bool shift) {
    MarkupEffects effects;
    if (selection.finished) {
        return effects;
    }
    if (markup.drawing) {
        EndDrawing(selection, markup, p, shift, effects);
        return effects;
    }
    return FromSelection(OnLeftButtonUp(selection, p));
}

MarkupEffects OnOverlayKey(SelectionState& selection, MarkupState& markup, uint32_t virtualKey,
                           const KeyModifiers& modifiers) {
    MarkupEffects effects;
    if (selection.finished) {
        return FromSelection(OnKeyDown(selection, virtualKey));
    }
    if (markup.textOpen) {
        // The box has the keys; Esc that reaches the overlay still only ends the box.
        if (virtualKey == kKeyEscape) {
            EndTextBox(markup, effects);
        }
        return effects;
    }
    if (virtualKey == kKeyEscape) {
        return FromSelection(OnKeyDown(selection, virtualKey));
    }
    if (virtualKey == kKeyEnter) {
        // A mark still being drawn is kept, as if the button had been released where the pointer is.
        MarkupEffects drawn;
        if (markup.drawing) {
            EndDrawing(selection, markup, selection.pointer, false, drawn);
        }
        effects = FromSelection(OnKeyDown(selection, virtualKey));
        effects.marksChanged = drawn.marksChanged;
        effects.releaseMouse = drawn.releaseMouse;
        effects.repaint = effects.repaint || drawn.repaint;
        return effects;
    }
    if (!StripShown(selection, markup) || markup.drawing || modifiers.alt) {
        return FromSelection(OnKeyDown(selection, virtualKey));
    }
    if (modifiers.ctrl) {
        if (virtualKey == 'Z') {
            modifiers.shift ? Redo(markup, effects) : Undo(markup, effects);
        } else if (virtualKey == 'Y') {
            Redo(markup, effects);
        } else if (virtualKey == 'C') {
            Confirm(selection, true, effects);
        }
        return effects;
    }
    for (int32_t i = 0; i < kStripToolCount; ++i) {
        if (virtualKey == kToolKeys[i]) {
            PickTool(markup, static_cast<Tool>(i), effects);
        }
    }
    return effects;
}

MarkupEffects OnOverlayRightPress(SelectionState& selection, MarkupState& markup) {
    MarkupEffects effects;
    if (!selection.finished && (markup.tool != Tool::None || markup.textOpen)) {
        // With a tool picked, the right button drops it (keeping a text box's text) instead of cancelling.
        EndTextBox(markup, effects);
        if (markup.drawing) {
            DropPending(markup);
            effects.releaseMouse = true;
        }
        markup.tool = Tool::None;
        markup.popout = Popout::None;
        LogInfo(L"标注工具 tool=%d", static_cast<int>(markup.tool));
        effects.setCursor = true;
        effects.repaint = true;
        return effects;
    }
    return FromSelection(OnRightButtonDown(selection));
}

MarkupEffects OnOverlayWheel(SelectionState& selection, MarkupState& markup, int32_t delta) {
    MarkupEffects effects;
    if (!StripShown(selection, markup) || markup.textOpen || delta == 0) {
        return effects;
    }
    const int32_t level = std::clamp(markup.widthLevel + (delta > 0 ? 1 : -1), 0, kWidthLevelCount - 1);
    if (level != markup.widthLevel) {
        markup.widthLevel = level;
        LogInfo(L"标注粗细 width=%d", level);
        effects.repaint = true;
    }
    return effects;
}

MarkupEffects OnTextBoxDone(SelectionState&, MarkupState& markup) {
    MarkupEffects effects;
    EndTextBox(markup, effects);
    return effects;
}

bool PointerOverStrip(const SelectionState& selection, const MarkupState& markup) {
    if (!StripShown(selection, markup)) {
        return false;
    }
    const StripLayout strip = CurrentStrip(selection, markup);
    const Point& p = selection.pointer;
    return StripContains(strip, p) ||
           (markup.popout != Popout::None && Inside(PlacePopout(strip, markup.popout).panel, p));
}

OverlayCursor PointerCursor(const SelectionState& selection, const MarkupState& markup) {
    if (markup.drawing) {
        return OverlayCursor::Cross;
    }
    if (PointerOverStrip(selection, markup)) {
        return OverlayCursor::Arrow;
    }
    if (StripShown(selection, markup) && markup.tool != Tool::None &&
        OnSelectionInside(selection, selection.pointer)) {
        return markup.tool == Tool::Text ? OverlayCursor::IBeam : OverlayCursor::Cross;
    }
    switch (CursorShapeFor(selection)) {
    case CursorShape::SizeWE:
        return OverlayCursor::SizeWE;
    case CursorShape::SizeNS:
        return OverlayCursor::SizeNS;
    case CursorShape::SizeNWSE:
        return OverlayCursor::SizeNWSE;
    case CursorShape::SizeNESW:
        return OverlayCursor::SizeNESW;
    default:
        return OverlayCursor::Cross;
    }
}

void LogMarksMade(const MarkupHistory& history) {
    const MarkCounts counts = CountLiveMarks(history);
    if (counts.total == 0) {
        return;
    }
    const auto& k = counts.byKind;
    LogInfo(L"标注 count=%d rect=%d ellipse=%d arrow=%d pen=%d highlight=%d text=%d step=%d mosaic=%d",
            counts.total, k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7]);
}
