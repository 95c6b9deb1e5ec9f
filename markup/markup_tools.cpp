#include "markup/markup_tools.h"

#include <cwctype>
#include <cstdlib>
#include <utility>

namespace {

// A shape or mosaic narrower or lower than this, or an arrow shorter, was a click: it leaves no mark.
constexpr int64_t kMinExtent = 2;

MarkKind KindOf(Tool tool) {
    return static_cast<MarkKind>(static_cast<int32_t>(tool));
}

bool HasExtent(const Mark& mark) {
    const int64_t dx = std::llabs(static_cast<int64_t>(mark.to.x) - mark.from.x);
    const int64_t dy = std::llabs(static_cast<int64_t>(mark.to.y) - mark.from.y);
    switch (mark.kind) {
    case MarkKind::Arrow:
        return dx >= kMinExtent || dy >= kMinExtent;
    case MarkKind::Pen:
    case MarkKind::Highlighter:
        return !mark.points.empty();
    default:
        return dx >= kMinExtent && dy >= kMinExtent;
    }
}

} // namespace

void ToggleTool(MarkupState& state, Tool tool) {
    state.tool = state.tool == tool ? Tool::None : tool;
    state.popout = Popout::None;
}

ToolPress PressTool(MarkupState& state, const Point& p, int32_t dpi) {
    Mark mark;
    mark.kind = KindOf(state.tool);
    mark.colour = state.colour;
    mark.size = MarkSize(mark.kind, state.widthLevel, dpi);
    mark.from = p;
    mark.to = p;
    if (mark.kind == MarkKind::Step) {
        mark.step = NextStepNumber(state.history);
        AddMark(state.history, std::move(mark));
        return ToolPress::StepPlaced;
    }
    if (mark.kind == MarkKind::Pen || mark.kind == MarkKind::Highlighter) {
        mark.points.push_back(p);
    }
    state.pending = std::move(mark);
    if (state.pending.kind == MarkKind::Text) {
        state.textOpen = true;
        return ToolPress::TextOpened;
    }
    state.drawing = true;
    return ToolPress::Drawing;
}

void MoveTool(MarkupState& state, const Point& p, bool shift) {
    if (!state.drawing) {
        return;
    }
    Mark& mark = state.pending;
    switch (mark.kind) {
    case MarkKind::Rectangle:
    case MarkKind::Ellipse:
        mark.to = shift ? SquareCorner(mark.from, p) : p;
        break;
    case MarkKind::Arrow:
        mark.to = shift ? SnapTo45(mark.from, p) : p;
        break;
    case MarkKind::Pen:
    case MarkKind::Highlighter:
        AppendStrokePoint(mark.points, p);
        break;
    default:
        mark.to = p;
        break;
    }
}

bool ReleaseTool(MarkupState& state, const Point& p, bool shift) {
    if (!state.drawing) {
        return false;
    }
    MoveTool(state, p, shift);
    state.drawing = false;
    Mark mark = std::move(state.pending);
    state.pending = Mark();
    if (!HasExtent(mark)) {
        return false;
    }
    if (mark.kind == MarkKind::Pen || mark.kind == MarkKind::Highlighter) {
        SmoothStroke(mark.points);
    }
    AddMark(state.history, std::move(mark));
    return true;
}

void DropPending(MarkupState& state) {
    state.drawing = false;
    state.pending = Mark();
}

void SetTextDraft(MarkupState& state, const std::wstring& text) {
    state.pending.text = text.substr(0, static_cast<size_t>(kMaxTextLength));
}

bool CommitText(MarkupState& state) {
    if (!state.textOpen) {
        return false;
    }
    state.textOpen = false;
    Mark mark = std::move(state.pending);
    state.pending = Mark();
    bool visible = false;
    for (wchar_t c : mark.text) {
        visible = visible || !std::iswspace(static_cast<wint_t>(c));
    }
    // An empty box, or one of spaces and line breaks only, leaves no mark.
    if (!visible) {
        return false;
    }
    AddMark(state.history, std::move(mark));
    return true;
}
