// Grey-value histograms of 8-bit pels and their statistics.
#pragma once

#include "core/export.h"

#include <array>

// 256 counts, one per grey value. For an empty histogram (n() == 0) mean, median, min and max
// are all 0.
class XCORE_API xcHistoStats {
public:
    using Counts = std::array<unsigned long, 256>;

    // Empty.
    xcHistoStats() = default;
    explicit xcHistoStats(const Counts& counts);

    const Counts& counts() const { return counts_; }
    // Number of pels with grey value g (0 to 255).
    unsigned long count(int g) const { return counts_[static_cast<unsigned char>(g)]; }
    // Number of pels counted.
    unsigned long n() const { return n_; }
    // Sum of g * count(g) over n.
    double mean() const;
    // Lower median: the smallest g with 2 * (count(0) + ... + count(g)) >= n.
    int median() const;
    // Smallest and largest grey value that occurs.
    int min() const;
    int max() const;

    friend bool operator==(const xcHistoStats&, const xcHistoStats&) = default;

private:
    Counts counts_{};
    unsigned long n_ = 0;
};
