#include "corrsearch/detail/planes.h"

#include "core/sys/attention.h"
#include "corrsearch/detail/hot.h"

#include <algorithm>

namespace xc_corrsearch {

namespace {

// Rows between polls of the time limit.
constexpr long kPollRows = 16;

} // namespace

template <class T>
void makeFloatPlane(const T* pels, long rowUpdate, long width, long height, FloatPlane& out) {
    out.width = width;
    out.height = height;
    // Rounding up to whole blocks keeps rows 32-byte aligned relative to each other.
    out.stride = (width + 2 * kBlock - 1) / kBlock * kBlock;
    out.pels.reset(new float[static_cast<std::size_t>(out.stride * height)]);
    for (long y = 0; y < height; ++y) {
        if (y % kPollRows == 0) xcAttention::check();
        const T* src = pels + y * rowUpdate;
        float* dst = out.pels.get() + y * out.stride;
        for (long x = 0; x < width; ++x) dst[x] = static_cast<float>(src[x]);
        std::fill(dst + width, dst + out.stride, 0.0f);
    }
}

template <class T>
void makeIntegral(const T* pels, long rowUpdate, long width, long height, Integral& out) {
    out.width = width;
    out.height = height;
    const long W = width + 1;
    out.sum.reset(new double[static_cast<std::size_t>(W * (height + 1))]);
    out.sum2.reset(new double[static_cast<std::size_t>(W * (height + 1))]);
    std::fill(out.sum.get(), out.sum.get() + W, 0.0);
    std::fill(out.sum2.get(), out.sum2.get() + W, 0.0);
    std::vector<double> rs(static_cast<std::size_t>(W)), rs2(rs.size());
    for (long y = 0; y < height; ++y) {
        if (y % kPollRows == 0) xcAttention::check();
        // Row prefix sums first (a short dependent chain), then the add of the row above, which
        // vectorises.
        const T* src = pels + y * rowUpdate;
        double a = 0.0, a2 = 0.0;
        for (long x = 0; x < width; ++x) {
            const double v = double(src[x]);
            a += v;
            a2 += v * v;
            rs[x + 1] = a;
            rs2[x + 1] = a2;
        }
        const double* up = out.sum.get() + y * W;
        const double* up2 = out.sum2.get() + y * W;
        double* dst = out.sum.get() + (y + 1) * W;
        double* dst2 = out.sum2.get() + (y + 1) * W;
        dst[0] = 0.0;
        dst2[0] = 0.0;
        for (long x = 1; x < W; ++x) {
            dst[x] = up[x] + rs[x];
            dst2[x] = up2[x] + rs2[x];
        }
    }
}

template void makeFloatPlane(const unsigned char*, long, long, long, FloatPlane&);
template void makeFloatPlane(const std::uint16_t*, long, long, long, FloatPlane&);
template void makeIntegral(const unsigned char*, long, long, long, Integral&);
template void makeIntegral(const std::uint16_t*, long, long, long, Integral&);

void makeImagePlanes(const unsigned char* pels, long rowUpdate, long width, long height,
                     ImagePlanes& out) {
    // Each stage ends and the next one starts with a poll, so that the allocations between
    // them (first touches of megabytes) stand alone.
    makeFloatPlane(pels, rowUpdate, width, height, out.full);
    xcAttention::check();
    makeIntegral(pels, rowUpdate, width, height, out.fullSums);
    xcAttention::check();
    if (width < 2 || height < 2) return;
    const std::unique_ptr<std::uint16_t[]> sums = sum2x2(pels, rowUpdate, width, height);
    xcAttention::check();
    makeFloatPlane(sums.get(), width / 2, width / 2, height / 2, out.coarse);
    xcAttention::check();
    makeIntegral(sums.get(), width / 2, width / 2, height / 2, out.coarseSums);
    xcAttention::check();
}

XC_CS_HOT
std::unique_ptr<std::uint16_t[]> sum2x2(const unsigned char* pels, long rowUpdate, long width,
                                        long height) {
    const long w = width / 2, h = height / 2;
    // Left uninitialised: zeroing megabytes up front would touch every page before the first
    // poll; the rows below touch them between polls.
    std::unique_ptr<std::uint16_t[]> out(new std::uint16_t[static_cast<std::size_t>(w * h)]);
    for (long j = 0; j < h; ++j) {
        if (j % kPollRows == 0) xcAttention::check();
        const unsigned char* r0 = pels + 2 * j * rowUpdate;
        const unsigned char* r1 = r0 + rowUpdate;
        std::uint16_t* dst = out.get() + j * w;
        for (long i = 0; i < w; ++i)
            dst[i] =
                static_cast<std::uint16_t>(r0[2 * i] + r0[2 * i + 1] + r1[2 * i] + r1[2 * i + 1]);
    }
    return out;
}

} // namespace xc_corrsearch
