#include "oc/extract/detail/neighbourhood.h"

#include "core/geom/affine_rect.h"
#include "core/image/affine_sampling.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kRelTol = 1e-11;

// The bounding box of the arc of radius r about the origin from a0 to a1 radians (a0 <= a1).
void arcBox(double r, double a0, double a1, double& x0, double& y0, double& x1, double& y1) {
    x0 = x1 = r * std::cos(a0);
    y0 = y1 = r * std::sin(a0);
    const auto add = [&](double a) {
        x0 = std::min(x0, r * std::cos(a));
        x1 = std::max(x1, r * std::cos(a));
        y0 = std::min(y0, r * std::sin(a));
        y1 = std::max(y1, r * std::sin(a));
    };
    add(a1);
    // The axis directions the arc passes through.
    const double quarter = 0.5 * std::numbers::pi;
    for (double k = std::ceil(a0 / quarter); k * quarter <= a1; k += 1.0) {
        const long q = static_cast<long>(k) % 4;
        const long qq = q < 0 ? q + 4 : q;
        if (qq == 0) x1 = std::max(x1, r);
        if (qq == 1) y1 = std::max(y1, r);
        if (qq == 2) x0 = std::min(x0, -r);
        if (qq == 3) y0 = std::min(y0, -r);
    }
}

} // namespace

long xf_OCTolerantFloor(double v) {
    return static_cast<long>(std::floor(v > 0.0 ? v * (1.0 + kRelTol) : v * (1.0 - kRelTol)));
}

long xf_OCTolerantCeil(double v) {
    return static_cast<long>(std::ceil(v > 0.0 ? v * (1.0 - kRelTol) : v * (1.0 + kRelTol)));
}

xcPelRect xf_OCEnlargedRegion(const xcPelRect& region, double angleTolDeg, double scaleTol) {
    const xcVector<2> centre = region.center();
    const double hx = 0.5 * static_cast<double>(region.width()) * (1.0 + scaleTol);
    const double hy = 0.5 * static_cast<double>(region.height()) * (1.0 + scaleTol);
    const double r = std::hypot(hx, hy);
    const double theta = std::atan2(hy, hx);
    const double spread = (angleTolDeg + 2.0) * std::numbers::pi / 180.0;
    double x0, y0, x1, y1;
    arcBox(r, theta - spread, theta + spread, x0, y0, x1, y1);
    // United with its reflection through the origin.
    const double ex = std::max(x1, -x0), ey = std::max(y1, -y0);
    const long left = xf_OCTolerantFloor(centre.x() - ex);
    const long top = xf_OCTolerantFloor(centre.y() - ey);
    const long right = xf_OCTolerantCeil(centre.x() + ex);
    const long bottom = xf_OCTolerantCeil(centre.y() + ey);
    return xcPelRect(left, top, right - left, bottom - top);
}

std::optional<xcPelBuffer<unsigned char>>
xf_OCNeighbourhoodImage(const xcPelBuffer_const<unsigned char>& runImage, const xcPelRect& window,
                        const xcXform<2>& charClientFromImage, const xcXform<2>& expected,
                        double angleTolDeg, double scaleTol) {
    if (window.isNull()) return std::nullopt;
    const xcXform<2> place = expected * charClientFromImage;
    for (int attempt = 0; attempt < 2; ++attempt) {
        xcPelRect region = window;
        if (attempt == 0) {
            const long mx = xf_OCTolerantFloor(static_cast<double>(window.width()) / 3.0);
            const long my = xf_OCTolerantFloor(static_cast<double>(window.height()) / 3.0);
            region = window.trim(-mx, -mx, -my, -my, false);
        }
        const xcPelRect big = xf_OCEnlargedRegion(region, angleTolDeg, scaleTol);
        if (big.width() > 0x7FFF || big.height() > 0x7FFF) continue;
        const xcAffineRectangle placed = xcAffineRectangle(xfToRect(big)).map(place);
        const xcAffineSamplingParams sampling(placed, static_cast<short>(big.width()),
                                              static_cast<short>(big.height()),
                                              xcAffineSamplingParams::eBilinear);
        if (sampling.willClip(runImage)) continue;

        xcPelBuffer<unsigned char> out;
        xfAffineTransformImage(runImage, sampling, out);
        // Relabel the pels from the region's corner and keep their client coordinates.
        const xcPelPoint old = out.offset();
        const xcPelPoint moved(region.x(), region.y());
        const xcXform<2> imageFromClient = out.imageFromClient();
        out.offset(moved);
        out.imageFromClientXform(xcXform<2>::translation(xcVector<2>(double(moved.x() - old.x()),
                                                                     double(moved.y() - old.y()))) *
                                 imageFromClient);
        return out;
    }
    return std::nullopt;
}
