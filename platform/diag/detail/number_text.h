// Locale-free number text for the recorder's listings.
#pragma once

#include "core/geom/vector.h"

#include <charconv>
#include <string>

namespace xcDiagDetail {

// The shortest text that reads back as the same double: "0.5", "100", "1e+20", "-0".
inline std::string num(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

inline std::string num(long v) {
    return std::to_string(v);
}

// "(x, y)".
inline std::string point(const xcVector<2>& p) {
    return "(" + num(p.x()) + ", " + num(p.y()) + ")";
}

} // namespace xcDiagDetail
