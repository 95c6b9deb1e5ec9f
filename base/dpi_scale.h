#pragma once
// Sizes given at 96 DPI, scaled for another DPI without any Win32 call.
#include <cstdint>

constexpr int32_t kBaseDpi = 96;

// value * numerator / denominator rounded half away from zero, as Win32's MulDiv does (computed in 64 bits,
// so that no product wraps). The denominator must not be 0.
int32_t MulDivRounded(int32_t value, int32_t numerator, int32_t denominator);
// MulDiv(value, dpi, 96), raised to at least 1.
int32_t ScaleForDpi(int32_t value, int32_t dpi);
// A DPI as the system reported it, with 96 standing in for an answer of 0 or less.
int32_t UsableDpi(int32_t reportedDpi);
