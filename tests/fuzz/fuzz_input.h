#pragma once
// Reading a fuzz input as a stream of numbers, shared by the targets that turn it into events.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "base/rect.h"

// Reads the input front to back; past its end every value is 0.
class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Done() const { return at_ >= size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    int32_t Int32() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value = (value << 8) | Byte();
        }
        return static_cast<int32_t>(value);
    }
    int32_t Small() { return static_cast<int8_t>(Byte()); }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// A low and high end at least one pixel apart, anywhere in the 32-bit range.
inline void ReadSpan(FuzzInput& in, int32_t& low, int32_t& high) {
    const int32_t a = in.Int32();
    const int32_t b = in.Int32();
    low = std::min(a, b);
    high = std::max(a, b);
    if (low == high) {
        if (high < std::numeric_limits<int32_t>::max()) {
            ++high;
        } else {
            --low;
        }
    }
}

// `base` moved by `delta`, held in the 32-bit range.
inline int32_t Near(int32_t base, int32_t delta) {
    return SaturateToInt32(static_cast<int64_t>(base) + delta);
}

// Positions where something happens. Anywhere at all:
inline Point AnyPoint(FuzzInput& in) {
    return Point{in.Int32(), in.Int32()};
}

// Beside `p`, a few pixels either way:
inline Point PointBeside(FuzzInput& in, const Point& p) {
    return Point{Near(p.x, in.Small()), Near(p.y, in.Small())};
}

// Near one of the corners of `r` (so near two of its edges):
inline Point PointNearCorner(FuzzInput& in, const Rect& r) {
    const uint8_t pick = in.Byte();
    return Point{Near(pick & 1 ? r.right : r.left, in.Small()),
                 Near(pick & 2 ? r.bottom : r.top, in.Small())};
}

// Inside `r`, which must not be empty:
inline Point PointInside(FuzzInput& in, const Rect& r) {
    const uint64_t width = static_cast<uint64_t>(static_cast<int64_t>(r.right) - r.left);
    const uint64_t height = static_cast<uint64_t>(static_cast<int64_t>(r.bottom) - r.top);
    return Point{
        static_cast<int32_t>(r.left + static_cast<int64_t>(static_cast<uint32_t>(in.Int32()) % width)),
        static_cast<int32_t>(r.top + static_cast<int64_t>(static_cast<uint32_t>(in.Int32()) % height))};
}
