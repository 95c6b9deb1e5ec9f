#include "markup/mark_layer.h"

#include "capture/crop.h"
#include "log/log.h"
#include "markup/mark_paint.h"

namespace {

bool MakeLayer(MarkLayer& layer, HDC stillDc, const Rect& stillRect) {
    layer.dc = CreateCompatibleDC(stillDc);
    layer.bitmap = layer.dc != nullptr
                       ? CreateCompatibleBitmap(stillDc, stillRect.Width(), stillRect.Height())
                       : nullptr;
    layer.oldBitmap = layer.bitmap != nullptr ? SelectObject(layer.dc, layer.bitmap) : nullptr;
    if (layer.oldBitmap == nullptr) {
        LogError(L"标注图层创建失败 size=%dx%d err=%lu", stillRect.Width(), stillRect.Height(),
                 GetLastError());
        ReleaseMarkLayer(layer);
        return false;
    }
    return true;
}

MarkCanvas LayerCanvas(const MarkLayer& layer, HDC stillDc, const Rect& stillRect) {
    MarkCanvas canvas;
    canvas.dc = layer.dc;
    canvas.origin = Point{stillRect.left, stillRect.top};
    canvas.clip = stillRect;
    canvas.stillDc = stillDc;
    canvas.stillRect = stillRect;
    return canvas;
}

} // namespace

bool SyncMarkLayer(MarkLayer& layer, const MarkupHistory& history, HDC stillDc, const Rect& stillRect) {
    if (history.live == 0) {
        ReleaseMarkLayer(layer);
        return true;
    }
    bool fresh = false;
    if (layer.dc == nullptr) {
        if (stillDc == nullptr || !MakeLayer(layer, stillDc, stillRect)) {
            return false;
        }
        fresh = true;
    }
    // A new layer, or a mark that the layer holds has gone: start from the bare still.
    if (fresh || layer.removals != history.removals || layer.drawn > history.live) {
        BitBlt(layer.dc, 0, 0, stillRect.Width(), stillRect.Height(), stillDc, 0, 0, SRCCOPY);
        layer.drawn = 0;
        layer.removals = history.removals;
    }
    const MarkCanvas canvas = LayerCanvas(layer, stillDc, stillRect);
    for (; layer.drawn < history.live; ++layer.drawn) {
        DrawMark(canvas, history.marks[layer.drawn]);
    }
    return true;
}

bool MarkLayerReady(const MarkLayer& layer, const MarkupHistory& history) {
    return layer.dc != nullptr && history.live > 0 && layer.drawn == history.live &&
           layer.removals == history.removals;
}

void ReleaseMarkLayer(MarkLayer& layer) {
    if (layer.dc != nullptr && layer.oldBitmap != nullptr) {
        SelectObject(layer.dc, layer.oldBitmap);
    }
    layer.oldBitmap = nullptr;
    if (layer.bitmap != nullptr) {
        DeleteObject(layer.bitmap);
        layer.bitmap = nullptr;
    }
    if (layer.dc != nullptr) {
        DeleteDC(layer.dc);
        layer.dc = nullptr;
    }
    layer.drawn = 0;
}

bool CutFromMarkLayer(MarkLayer& layer, const Rect& stillRect, const Rect& rect, CapturedImage& out) {
    // A bitmap can be selected into one DC only, and the cut must select the layer's.
    if (layer.dc != nullptr && layer.oldBitmap != nullptr) {
        SelectObject(layer.dc, layer.oldBitmap);
        layer.oldBitmap = nullptr;
    }
    layer.drawn = 0;
    CapturedImage marked;
    marked.bitmap = layer.bitmap;
    marked.width = stillRect.Width();
    marked.height = stillRect.Height();
    marked.originX = stillRect.left;
    marked.originY = stillRect.top;
    return CropCapturedImage(marked, rect, out);
}
