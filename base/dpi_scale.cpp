#include "base/dpi_scale.h"

#include <algorithm>
#include <cstdlib>

int32_t MulDivRounded(int32_t value, int32_t numerator, int32_t denominator) {
    const int64_t product = static_cast<int64_t>(value) * numerator;
    const int64_t magnitude = (std::llabs(product) + std::llabs(denominator) / 2) / std::llabs(denominator);
    const bool negative = (product < 0) != (denominator < 0);
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

int32_t ScaleForDpi(int32_t value, int32_t dpi) {
    return std::max<int32_t>(1, MulDivRounded(value, dpi, kBaseDpi));
}

int32_t UsableDpi(int32_t reportedDpi) {
    return reportedDpi > 0 ? reportedDpi : kBaseDpi;
}
