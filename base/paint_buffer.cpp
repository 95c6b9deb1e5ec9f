#include "base/paint_buffer.h"

PaintBuffer::PaintBuffer(HDC target, const RECT& area) : target_(target), area_(area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (target == nullptr || width <= 0 || height <= 0) {
        return;
    }
    memory_ = CreateCompatibleDC(target);
    bitmap_ = memory_ != nullptr ? CreateCompatibleBitmap(target, width, height) : nullptr;
    previousBitmap_ = bitmap_ != nullptr ? SelectObject(memory_, bitmap_) : nullptr;
    if (previousBitmap_ == nullptr) {
        // Draw straight on the target instead.
        if (bitmap_ != nullptr) {
            DeleteObject(bitmap_);
            bitmap_ = nullptr;
        }
        if (memory_ != nullptr) {
            DeleteDC(memory_);
            memory_ = nullptr;
        }
        return;
    }
    SetViewportOrgEx(memory_, -area.left, -area.top, nullptr);
}

PaintBuffer::~PaintBuffer() {
    if (memory_ == nullptr) {
        return;
    }
    BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, memory_,
           area_.left, area_.top, SRCCOPY);
    // The bitmap is deleted only once the DC has its own one back.
    SelectObject(memory_, previousBitmap_);
    DeleteObject(bitmap_);
    DeleteDC(memory_);
}
