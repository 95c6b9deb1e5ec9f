#include "bench/markup_bench.h"

#include <windows.h>

#include <cmath>

#include "capture/image_save.h"
#include "capture/screen_capture.h"
#include "markup/mark_layer.h"
#include "overlay/region_overlay.h"

namespace {

constexpr int kConfirmRuns = 30;
constexpr int kStrokePoints = 200;
constexpr int kGrid = 10; // marks are laid out in a 10 x 10 grid of cells

} // namespace

std::vector<Mark> BenchMarks(const Rect& area, int count) {
    std::vector<Mark> marks;
    const int cellWidth = area.Width() / kGrid;
    const int cellHeight = area.Height() / kGrid;
    for (int i = 0; i < count; ++i) {
        const Rect cell{area.left + (i % kGrid) * cellWidth, area.top + (i / kGrid % kGrid) * cellHeight,
                        area.left + (i % kGrid + 1) * cellWidth,
                        area.top + (i / kGrid % kGrid + 1) * cellHeight};
        Mark mark;
        mark.kind = static_cast<MarkKind>(i % kMarkKindCount);
        mark.colour = i % kColourCount;
        mark.size = MarkSize(mark.kind, i % kWidthLevelCount, 96);
        mark.from = Point{cell.left + 8, cell.top + 8};
        mark.to = Point{cell.right - 8, cell.bottom - 8};
        if (mark.kind == MarkKind::Pen || mark.kind == MarkKind::Highlighter) {
            // A wave across the cell and into the next ones, as a quick hand would draw it.
            for (int p = 0; p < kStrokePoints; ++p) {
                const double t = static_cast<double>(p) / (kStrokePoints - 1);
                mark.points.push_back(
                    Point{cell.left + static_cast<int>(t * 2 * cellWidth),
                          cell.top + cellHeight / 2 + static_cast<int>(std::sin(t * 12) * cellHeight / 3)});
            }
        }
        mark.text = L"Korvel 标注 " + std::to_wstring(i);
        mark.step = i / kMarkKindCount + 1;
        marks.push_back(mark);
    }
    return marks;
}

Timing MeasureConfirmToPng(int marks, const std::wstring& folder) {
    CapturedImage still;
    if (!CaptureVirtualScreen(still)) {
        return Timing();
    }
    const Rect selection{still.originX + 40, still.originY + 40, still.originX + still.width - 40,
                         still.originY + still.height - 40};
    std::vector<double> samples;
    for (int run = 0; run < kConfirmRuns; ++run) {
        OverlayState state;
        if (!PrepareOverlayDrawing(state, still)) {
            ReleaseOverlayResources(state);
            break;
        }
        state.model.hasSelection = true;
        state.model.selection = selection;
        for (Mark& mark : BenchMarks(selection, marks)) {
            AddMark(state.markup.history, std::move(mark));
        }
        // As the overlay holds them by the time the user confirms.
        SyncMarkLayer(state.markupUi.layer, state.markup.history, state.stillDc, state.model.bounds);
        std::wstring path;
        const double start = NowMs();
        FinishSelection(state, true);
        const bool saved = state.cropOk && AutoSaveCapture(state.result, folder, 0, 90, path);
        samples.push_back(saved ? NowMs() - start : -1);
        ReleaseCapturedImage(state.result);
        ReleaseOverlayResources(state);
        DeleteFileW(path.c_str());
    }
    ReleaseCapturedImage(still);
    return Summarise(samples);
}
