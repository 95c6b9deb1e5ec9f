#include "markup/markup_history.h"

#include <algorithm>
#include <utility>

void AddMark(MarkupHistory& history, Mark mark) {
    history.marks.resize(history.live);
    history.marks.push_back(std::move(mark));
    history.live = history.marks.size();
}

bool UndoMark(MarkupHistory& history) {
    if (history.live == 0) {
        return false;
    }
    --history.live;
    ++history.removals;
    return true;
}

bool RedoMark(MarkupHistory& history) {
    if (history.live >= history.marks.size()) {
        return false;
    }
    ++history.live;
    return true;
}

bool CanUndo(const MarkupHistory& history) {
    return history.live > 0;
}

bool CanRedo(const MarkupHistory& history) {
    return history.live < history.marks.size();
}

int32_t NextStepNumber(const MarkupHistory& history) {
    int32_t highest = 0;
    for (size_t i = 0; i < history.live; ++i) {
        const Mark& mark = history.marks[i];
        if (mark.kind == MarkKind::Step) {
            highest = std::max(highest, mark.step);
        }
    }
    return highest + 1;
}

MarkCounts CountLiveMarks(const MarkupHistory& history) {
    MarkCounts counts;
    for (size_t i = 0; i < history.live; ++i) {
        const int32_t kind = static_cast<int32_t>(history.marks[i].kind);
        if (kind >= 0 && kind < kMarkKindCount) {
            ++counts.byKind[static_cast<size_t>(kind)];
            ++counts.total;
        }
    }
    return counts;
}
