#include "core/image/affine_sampling.h"

#include "core/image/detail/sampling_kernels.h"
#include "core/image/detail/sampling_params_table.h"
#include "core/image/pel_errors.h"

#include <cstring>

using namespace xc_sampling;

namespace {

using SamplingTable = xc_AffineSamplingParamsTable;

// Floor and ceiling of a / b for b != 0.
std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
std::int64_t ceilDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) == (b < 0))) ? q + 1 : q;
}

// Narrows [i0, i1) to the i with lo <= x0 + i * dx <= hi.
void narrowSpan(std::int64_t x0, std::int64_t dx, std::int64_t lo, std::int64_t hi, long& i0,
                long& i1) {
    if (lo > hi) {
        i1 = i0;
        return;
    }
    std::int64_t a, b; // lowest and highest i allowed
    if (dx == 0) {
        if (x0 >= lo && x0 <= hi) return;
        i1 = i0;
        return;
    }
    if (dx > 0) {
        a = ceilDiv(lo - x0, dx);
        b = floorDiv(hi - x0, dx);
    } else {
        a = ceilDiv(hi - x0, dx);
        b = floorDiv(lo - x0, dx);
    }
    if (a > i0) i0 = long(std::min<std::int64_t>(a, i1));
    if (b + 1 < i1) i1 = long(std::max<std::int64_t>(b + 1, i0));
}

// The output grid: nx x ny pels, rows `stride` bytes apart.
struct Target {
    unsigned char* pels;
    long stride;
    long nx;
    long ny;
};

// Lattice coordinates of output pel (i, j): origin + i * di + j * dj.
struct LatticeMap {
    xcVector<2> origin, di, dj;
};

// The affine fast path: each row's positions are exact integer steps from its first one, pels
// whose reads stay inside the window skip the clamping.
template <class K>
void sampleAffine(const Source& s, const LatticeMap& m, const Target& t) {
    const std::int64_t dx = std::llround(m.di.x() * kScale);
    const std::int64_t dy = std::llround(m.di.y() * kScale);
    const std::int64_t loX = K::lo(s.w), hiX = K::hi(s.w);
    const std::int64_t loY = K::lo(s.h), hiY = K::hi(s.h);
    for (long j = 0; j < t.ny; ++j) {
        const xcVector<2> start = m.origin + m.dj * double(j);
        const std::int64_t x0 = std::llround(start.x() * kScale);
        const std::int64_t y0 = std::llround(start.y() * kScale);
        long i0 = 0, i1 = t.nx;
        narrowSpan(x0, dx, loX, hiX, i0, i1);
        narrowSpan(y0, dy, loY, hiY, i0, i1);
        unsigned char* out = t.pels + j * t.stride;
        long i = 0;
        std::int64_t x = x0, y = y0;
        for (; i < i0; ++i, x += dx, y += dy) out[i] = K::clamped(s, x, y);
        for (; i < i1; ++i, x += dx, y += dy) out[i] = K::interior(s, x, y);
        for (; i < t.nx; ++i, x += dx, y += dy) out[i] = K::clamped(s, x, y);
    }
}

// The general path: every pel's position from `at` (lattice coordinates as doubles), clamped.
template <class K, class At>
void samplePointwise(const Source& s, const Target& t, const At& at) {
    for (long j = 0; j < t.ny; ++j) {
        unsigned char* out = t.pels + j * t.stride;
        for (long i = 0; i < t.nx; ++i) {
            const xcVector<2> u = at(i, j);
            out[i] = K::clamped(s, toFixed(u.x(), s.w), toFixed(u.y(), s.h));
        }
    }
}

// True when every lattice position of the grid, and every step, is finite and small enough for
// the fixed-point steps (2^36 pels, so that even one step past a row's end stays far from
// overflow); the corners decide, as the positions are an affine image of the grid.
bool fitsFixedPoint(const LatticeMap& m, const Target& t) {
    constexpr double kLimit = double(std::int64_t(1) << 36);
    const double ei = double(t.nx - 1), ej = double(t.ny - 1);
    const xcVector<2> points[6] = {m.origin,
                                   m.origin + m.di * ei,
                                   m.origin + m.dj * ej,
                                   m.origin + m.di * ei + m.dj * ej,
                                   m.di,
                                   m.dj};
    for (const xcVector<2>& c : points)
        if (!(std::fabs(c.x()) <= kLimit && std::fabs(c.y()) <= kLimit)) return false;
    return true;
}

template <class K>
void sampleWith(const Source& s, const Target& t, const xcXform<2>& unitToClient,
                const xc2XformBase& imageFromClient, const xcVector<2>& latticeShift) {
    const double sx = 1.0 / double(t.nx), sy = 1.0 / double(t.ny);
    if (imageFromClient.isLinear()) {
        // Output index (i, j) -> unit square ((i + 0.5) sx, (j + 0.5) sy) -> client -> image ->
        // lattice, all affine.
        const xcXform<2> toImage = imageFromClient.linearXform(xcVector<2>()) * unitToClient;
        const xcXform<2> perIndex =
            xcXform<2>::translation(latticeShift) * toImage *
            xcXform<2>(xcMatrix<2>(sx, 0.0, 0.0, sy), xcVector<2>(0.5 * sx, 0.5 * sy));
        const LatticeMap m{perIndex.trans(), perIndex.mapVector(xcVector<2>(1, 0)),
                           perIndex.mapVector(xcVector<2>(0, 1))};
        if (fitsFixedPoint(m, t)) {
            sampleAffine<K>(s, m, t);
        } else {
            samplePointwise<K>(s, t, [&m](long i, long j) {
                return m.origin + m.di * double(i) + m.dj * double(j);
            });
        }
        return;
    }
    samplePointwise<K>(s, t, [&](long i, long j) {
        const xcVector<2> client =
            unitToClient.mapPoint(xcVector<2>((double(i) + 0.5) * sx, (double(j) + 0.5) * sy));
        return imageFromClient.mapPoint(client) + latticeShift;
    });
}

} // namespace

xcAffineSamplingParams::xcAffineSamplingParams() {
    xf_ResetParams<SamplingTable>(*this);
}

xcAffineSamplingParams::xcAffineSamplingParams(const xcAffineRectangle& rectInSourceClient,
                                               short nx, short ny, Interpolation mode)
    : xcAffineSamplingParams() {
    affineRectangle(rectInSourceClient);
    this->nx(nx);
    this->ny(ny);
    interpolation(mode);
}

void xcAffineSamplingParams::affineRectangle(const xcAffineRectangle& r) {
    xf_SetParam<SamplingTable>(*this, SamplingTable::affineRectangle, r);
}

void xcAffineSamplingParams::nx(short n) {
    xf_SetParam<SamplingTable>(*this, SamplingTable::nx, n);
}

void xcAffineSamplingParams::ny(short n) {
    xf_SetParam<SamplingTable>(*this, SamplingTable::ny, n);
}

void xcAffineSamplingParams::interpolation(Interpolation mode) {
    xf_SetParam<SamplingTable>(*this, SamplingTable::interpolation, mode);
}

bool xcAffineSamplingParams::willClip(const xc_PelBuffer& image) const {
    const xcPelRect& w = image.window();
    const xcXformHandle ifc = image.imageFromClientXform();
    const xcXform<2> toImage = ifc->linearXform(ifc->isLinear() ? xcVector<2>() : rect_.centre());
    const xcRect b = rect_.map(toImage).boundingBox();
    constexpr double kTol = 1e-9;
    const bool inside = b.x() >= double(w.x()) - kTol && b.y() >= double(w.y()) - kTol &&
                        b.x() + b.width() <= double(w.right()) + kTol &&
                        b.y() + b.height() <= double(w.bottom()) + kTol;
    return !inside;
}

void xfAffineTransformImage(const xcPelBuffer_const<unsigned char>& src,
                            const xcAffineSamplingParams& p, xcPelBuffer<unsigned char>& dst) {
    const xcPelRect& win = src.window();
    if (win.width() == 0 || win.height() == 0)
        throw xcPel::BadWindow("Source window holds no pels");
    const long nx = p.nx(), ny = p.ny();
    if (dst.isBound() && (dst.width() != nx || dst.height() != ny))
        throw xcPel::SizeMismatch("Output buffer is not nx x ny");

    // The output's client coordinates: pel q covers F((q - offset) / (nx, ny)). Built, and
    // inverted, before anything changes.
    const xcXform<2> unitToClient = p.affineRectangle().affRectFromUnitSq();
    const xcPelRect outWin = dst.isBound() ? dst.window() : xcPelRect(0, 0, nx, ny);
    const xcXformHandle outClientFromImage = xfMakeXform(
        unitToClient * xcXform<2>(xcMatrix<2>(1.0 / double(nx), 0.0, 0.0, 1.0 / double(ny)),
                                  xcVector<2>(-double(outWin.x()) / double(nx),
                                              -double(outWin.y()) / double(ny))));
    xcPelBuffer<unsigned char> probe;
    probe.clientFromImageXform(outClientFromImage);

    // Sampling straight into a buffer that shares pels with src could overwrite pels still to
    // be read; such a dst is filled from a separate result.
    const bool direct = dst.isBound() && !dst.sharesRoot(src);
    xcPelBuffer<unsigned char> out = direct ? dst : xcPelBuffer<unsigned char>(nx, ny);

    const Source s{src.pointToPel(0, 0), src.rowUpdate(), win.width(), win.height()};
    const Target t{out.pointToPel(0, 0), out.rowUpdate(), nx, ny};
    const xcXformHandle ifc = src.imageFromClientXform();
    const xcVector<2> latticeShift(-double(win.x()) - 0.5, -double(win.y()) - 0.5);
    switch (p.interpolation()) {
    case xcAffineSamplingParams::eNearest:
        sampleWith<Nearest>(s, t, unitToClient, *ifc, latticeShift);
        break;
    case xcAffineSamplingParams::eBilinear:
        sampleWith<Bilinear>(s, t, unitToClient, *ifc, latticeShift);
        break;
    case xcAffineSamplingParams::eBilinearHighPrecision:
        sampleWith<BilinearPrecise>(s, t, unitToClient, *ifc, latticeShift);
        break;
    case xcAffineSamplingParams::eBicubic:
        sampleWith<Bicubic>(s, t, unitToClient, *ifc, latticeShift);
        break;
    }

    if (dst.isBound() && !direct) {
        for (long y = 0; y < ny; ++y)
            std::memcpy(dst.rowPointer(y), out.rowPointer(y), std::size_t(nx));
        out = dst;
    }
    out.copyTransforms(probe);
    dst = out;
}
