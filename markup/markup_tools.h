#pragma once
// The markup tools, free of Win32: the tool picked, the colour and width, the mark being drawn under the
// pointer with its Shift constraints, the text box's draft, the step numbers, and the history they feed.
#include <cstdint>
#include <string>
#include <vector>

#include "markup/markup_history.h"
#include "markup/markup_model.h"
#include "markup/markup_strip_layout.h"

// The number is what the log prints as tool=; the tools share their numbers with the kinds of mark they make.
enum class Tool : int32_t {
    None = -1,
    Rectangle = 0,
    Ellipse = 1,
    Arrow = 2,
    Pen = 3,
    Highlighter = 4,
    Text = 5,
    Step = 6,
    Mosaic = 7,
};

struct MarkupState {
    Tool tool = Tool::None;
    int32_t colour = kDefaultColour;         // swatch index 0..7
    int32_t widthLevel = kDefaultWidthLevel; // 0 thin, 1 medium, 2 thick
    MarkupHistory history;
    bool drawing = false;  // the left button is held for `pending`
    bool textOpen = false; // a text box is open; `pending` holds its place, size, colour and text so far
    Mark pending;          // the mark being drawn or typed, until it is committed
    Popout popout = Popout::None;
    int32_t hoveredButton = kNoButton; // the strip button under the pointer, lit
    int32_t hoveredItem = -1;          // the pop-out item under the pointer
    std::vector<MonitorArea> monitors; // work areas and DPIs, for the strip and the sizes of marks
};

// Picks a tool, or drops it when it is the one already picked; closes a pop-out.
void ToggleTool(MarkupState& state, Tool tool);

enum class ToolPress { Drawing, TextOpened, StepPlaced };
// A press of the picked tool at `p` on a monitor of `dpi`: a drawn mark starts, a text box opens there, or a
// step is placed at once with the next number. The tool must not be None.
ToolPress PressTool(MarkupState& state, const Point& p, int32_t dpi);
// The pointer moved while drawing: the shape follows it (Shift: a square or circle, or an arrow at a multiple
// of 45 degrees); a freehand path gains the point.
void MoveTool(MarkupState& state, const Point& p, bool shift);
// The button released: the mark is committed when it has some extent (a freehand path always); true when
// it was.
bool ReleaseTool(MarkupState& state, const Point& p, bool shift);
// Forgets the mark being drawn.
void DropPending(MarkupState& state);

// What the text box holds now, cut at kMaxTextLength characters.
void SetTextDraft(MarkupState& state, const std::wstring& text);
// Closes the text box; true when it held more than white space and became a mark.
bool CommitText(MarkupState& state);
