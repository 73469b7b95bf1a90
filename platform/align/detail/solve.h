// A small dense solver shared by the pose fits.
#pragma once

#include <array>
#include <cmath>

namespace xc_align {

// Internal to each file that uses it, as the fits want it compiled into their own code.
namespace {

// Solves the symmetric positive definite system M x = r of size n (Cholesky); false when M
// is not positive definite.
template <int N>
bool solveSpd(std::array<std::array<double, N>, N> m, std::array<double, N> r, int n,
              std::array<double, N>& x) {
    for (int j = 0; j < n; ++j) {
        double d = m[j][j];
        for (int k = 0; k < j; ++k) d -= m[j][k] * m[j][k];
        if (!(d > 0)) return false;
        m[j][j] = std::sqrt(d);
        for (int i = j + 1; i < n; ++i) {
            double s = m[i][j];
            for (int k = 0; k < j; ++k) s -= m[i][k] * m[j][k];
            m[i][j] = s / m[j][j];
        }
    }
    for (int i = 0; i < n; ++i) {
        double s = r[i];
        for (int k = 0; k < i; ++k) s -= m[i][k] * x[k];
        x[i] = s / m[i][i];
    }
    for (int i = n - 1; i >= 0; --i) {
        double s = x[i];
        for (int k = i + 1; k < n; ++k) s -= m[k][i] * x[k];
        x[i] = s / m[i][i];
    }
    return true;
}

} // namespace

} // namespace xc_align
