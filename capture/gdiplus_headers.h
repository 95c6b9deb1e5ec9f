#pragma once
// GDI+'s headers call min and max unqualified, which NOMINMAX (set for the whole build) takes away; older
// Windows SDKs then fail to compile them. The standard ones are put in scope for GDI+ alone.
#include <windows.h>

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus

#include <objidl.h>
#include <gdiplus.h>
