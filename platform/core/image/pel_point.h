// Whole-pel positions in image coordinates (offsets of windows, pel indices).
#pragma once

// A point with integer coordinates: pel (x, y) is the one whose square starts at (x, y).
class xcPelPoint {
public:
    constexpr xcPelPoint() = default;
    constexpr xcPelPoint(long x, long y) : x_(x), y_(y) {}

    constexpr long x() const { return x_; }
    constexpr long y() const { return y_; }
    constexpr void x(long v) { x_ = v; }
    constexpr void y(long v) { y_ = v; }

    friend constexpr bool operator==(const xcPelPoint&, const xcPelPoint&) = default;

private:
    long x_ = 0;
    long y_ = 0;
};
