#pragma once
// The toolbar's expected geometry, from its texts measured in this process with the interface font of the
// current language, as the bar measures them itself.
#include <cstdint>
#include <vector>

#include "base/rect.h"
#include "floatbar/floatbar_layout.h"

FloatBarGeometry ExpectedFloatBarGeometry(int dpi);

// The colours the bar paints, as 0x00RRGGBB.
constexpr uint32_t kFloatBarFill = 0x000000;
constexpr uint32_t kFloatBarOutline = 0x5A5A5A;
constexpr uint32_t kFloatBarSeparator = 0x5A606C;
constexpr uint32_t kFloatBarHover = 0x303030;

// How many pixels of `area`, in a picture `width` pixels wide, are light enough to belong to the bar's texts.
int FloatBarTextPixels(const std::vector<uint32_t>& pixels, int width, const Rect& area);
