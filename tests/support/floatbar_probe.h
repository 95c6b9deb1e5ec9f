#pragma once
// The toolbar's expected geometry, from its texts measured in this process with the interface font of the
// current language, as the bar measures them itself.
#include "floatbar/floatbar_layout.h"

FloatBarGeometry ExpectedFloatBarGeometry(int dpi);
