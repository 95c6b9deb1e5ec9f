#pragma once
// Undo and redo of the marks: one list holding the live marks first and then the undone ones that redo can
// bring back. A new mark drops the undone ones for good.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "markup/markup_model.h"

struct MarkupHistory {
    std::vector<Mark> marks; // marks[0, live) are shown; marks[live, size) wait for a redo
    size_t live = 0;
    // Grows whenever a shown mark goes away (an undo), so that a drawing that holds the shown marks knows to
    // start again from the bare picture; a new or redone mark only adds to it.
    uint32_t removals = 0;
};

// Appends a mark after the live ones, dropping whatever waited for a redo.
void AddMark(MarkupHistory& history, Mark mark);
// Takes back the last live mark; false when there is none.
bool UndoMark(MarkupHistory& history);
// Brings back the mark undone last; false when there is none.
bool RedoMark(MarkupHistory& history);
bool CanUndo(const MarkupHistory& history);
bool CanRedo(const MarkupHistory& history);
// One more than the highest step number among the live marks: 1 when there is none.
int32_t NextStepNumber(const MarkupHistory& history);

// How many live marks of each kind, and in all.
struct MarkCounts {
    std::array<int32_t, kMarkKindCount> byKind = {};
    int32_t total = 0;
};
MarkCounts CountLiveMarks(const MarkupHistory& history);
