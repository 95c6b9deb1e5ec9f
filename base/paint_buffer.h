#pragma once
// Draws into an off-screen bitmap and copies the result to the target in one BitBlt when it goes, so that a
// fill followed by text and lines never shows half drawn. The drawing code keeps using the target's
// coordinates. When no bitmap can be made, it draws on the target directly.
#include <windows.h>

class PaintBuffer {
  public:
    PaintBuffer(HDC target, const RECT& area);
    ~PaintBuffer();
    PaintBuffer(const PaintBuffer&) = delete;
    PaintBuffer& operator=(const PaintBuffer&) = delete;

    HDC Dc() const { return memory_ != nullptr ? memory_ : target_; }

  private:
    HDC target_;
    RECT area_;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
};
