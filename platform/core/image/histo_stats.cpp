#include "core/image/histo_stats.h"

xcHistoStats::xcHistoStats(const Counts& counts) : counts_(counts) {
    for (unsigned long c : counts_) n_ += c;
}

double xcHistoStats::mean() const {
    if (n_ == 0) return 0.0;
    double sum = 0.0;
    for (int g = 0; g < 256; ++g) sum += double(g) * double(counts_[g]);
    return sum / double(n_);
}

int xcHistoStats::median() const {
    if (n_ == 0) return 0;
    unsigned long cum = 0;
    for (int g = 0; g < 256; ++g) {
        cum += counts_[g];
        // 2 * cum >= n without overflow.
        if (cum >= n_ - cum) return g;
    }
    return 255;
}

int xcHistoStats::min() const {
    for (int g = 0; g < 256; ++g)
        if (counts_[g] != 0) return g;
    return 0;
}

int xcHistoStats::max() const {
    for (int g = 255; g >= 0; --g)
        if (counts_[g] != 0) return g;
    return 0;
}
