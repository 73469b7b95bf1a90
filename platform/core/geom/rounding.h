// Rounding of doubles to whole pel coordinates.
#pragma once

#include <cmath>

// Largest whole number not above v, as a long.
inline long xfIFloor(double v) { return static_cast<long>(std::floor(v)); }
// Smallest whole number not below v, as a long.
inline long xfICeil(double v) { return static_cast<long>(std::ceil(v)); }
// Nearest whole number, halves away from zero.
inline long xfIRound(double v) { return static_cast<long>(std::lround(v)); }
