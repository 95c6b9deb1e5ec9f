#pragma once
// What marks cost: an overlay repaint while a shape is dragged over many committed marks, and a confirmed
// region's way to the PNG on disk with and without them. The marks are a fixed mix of every kind, the pen
// and highlighter strokes 200 points each.
#include <string>
#include <vector>

#include "base/rect.h"
#include "bench/bench_table.h"
#include "markup/markup_model.h"

// `count` marks spread over `area`, cycling through the eight kinds.
std::vector<Mark> BenchMarks(const Rect& area, int count);
// The confirmation of a selection over most of the screen, then the automatic save into `folder`, in this
// process: cutting the picture, drawing the marks on it, encoding and writing the PNG.
Timing MeasureConfirmToPng(int marks, const std::wstring& folder);
