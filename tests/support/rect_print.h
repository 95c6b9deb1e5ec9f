#pragma once
// How GoogleTest prints the project's rectangles and points in a failure message: "(left,top,right,bottom)".
#include <ostream>
#include <string>

#include "base/rect.h"

inline std::string Text(const Rect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

inline void PrintTo(const Rect& r, std::ostream* out) {
    *out << Text(r);
}

inline void PrintTo(const Point& p, std::ostream* out) {
    *out << "(" << p.x << "," << p.y << ")";
}
