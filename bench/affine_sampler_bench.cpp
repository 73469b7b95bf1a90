// Bilinear resampling of a 640 x 480 image onto a 640 x 480 grid turned by 17 degrees and scaled
// by 1.1: ours (xfAffineTransformImage) against OpenCV's warpAffine (INTER_LINEAR,
// BORDER_REPLICATE) on the same job, single-threaded, in the same run; prints the ratio.
#include "core/image/affine_sampling.h"

#include "bench_ratio.h"

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <numbers>
#include <string>

namespace {

using Image = xcPelBuffer<unsigned char>;

constexpr long kW = 640, kH = 480;

// Smooth shading with sharp-edged blocks, so both flat and high-contrast neighbourhoods occur.
Image makeSource() {
    Image img(xcPelRect(0, 0, kW, kH), 32);
    for (long y = 0; y < kH; ++y)
        for (long x = 0; x < kW; ++x) {
            const double v =
                110 + 50 * std::sin(x / 13.0) * std::cos(y / 17.0) + ((x / 40 + y / 30) % 2) * 60;
            *img.pointToPel(x, y) = static_cast<unsigned char>(std::clamp(v, 0.0, 255.0));
        }
    return img;
}

const Image& source() {
    static const Image img = makeSource();
    return img;
}

// The sampling job: a kW x kH grid of 1.1 source pels per output pel, turned by 17 degrees about
// the image centre (parts of it leave the image, so the border handling is timed too).
xcAffineSamplingParams job() {
    xcAffineRectangle r(xcVector<2>(0, 0), 1.1 * kW, 1.1 * kH,
                        xcRadian(17.0 * std::numbers::pi / 180.0), xcRadian(0.0));
    r.centre(xcVector<2>(kW / 2.0, kH / 2.0));
    return xcAffineSamplingParams(r, short(kW), short(kH), xcAffineSamplingParams::eBilinear);
}

// The same job as OpenCV's inverse map from output pel (i, j) to source coordinates, whose
// integers are pel centres: lattice = F((i + 0.5) / nx, (j + 0.5) / ny) - 0.5.
cv::Mat openCvMap(const xcAffineSamplingParams& p) {
    const xcXform<2> perIndex = xcXform<2>::translation(xcVector<2>(-0.5, -0.5)) *
                                p.affineRectangle().affRectFromUnitSq() *
                                xcXform<2>(xcMatrix<2>(1.0 / p.nx(), 0.0, 0.0, 1.0 / p.ny()),
                                           xcVector<2>(0.5 / p.nx(), 0.5 / p.ny()));
    const xcMatrix<2>& m = perIndex.matrix();
    return (cv::Mat_<double>(2, 3) << m.a(), m.b(), perIndex.trans().x(), m.c(), m.d(),
            perIndex.trans().y());
}

cv::Mat view(const xc_PelBuffer& b, const unsigned char* first) {
    return cv::Mat(int(b.height()), int(b.width()), CV_8U, const_cast<unsigned char*>(first),
                   size_t(b.rowUpdate()));
}

void BM_AffineSamplerOurs(benchmark::State& state) {
    const xcAffineSamplingParams p = job();
    Image dst(xcPelRect(0, 0, kW, kH), 32);
    for (auto _ : state) {
        xfAffineTransformImage(source(), p, dst);
        benchmark::DoNotOptimize(dst.pointToPel(0, 0));
        benchmark::ClobberMemory();
    }
    // How far ours is from OpenCV's result (OpenCV weighs in 1/32 steps, ours in 1/256).
    cv::Mat ref;
    cv::warpAffine(view(source(), source().pointToPel(0, 0)), ref, openCvMap(p),
                   cv::Size(int(kW), int(kH)), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP,
                   cv::BORDER_REPLICATE);
    cv::Mat diff;
    cv::absdiff(view(dst, dst.pointToPel(0, 0)), ref, diff);
    double maxDiff = 0.0;
    cv::minMaxLoc(diff, nullptr, &maxDiff);
    state.counters["maxDiffToOpenCv"] = maxDiff;
    state.counters["meanDiffToOpenCv"] = cv::mean(diff)[0];
    state.counters["pels/s"] = benchmark::Counter(double(kW * kH) * double(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}

void BM_AffineSamplerOpenCv(benchmark::State& state) {
    const xcAffineSamplingParams p = job();
    const cv::Mat src = view(source(), source().pointToPel(0, 0));
    const cv::Mat map = openCvMap(p);
    cv::Mat dst(int(kH), int(kW), CV_8U);
    for (auto _ : state) {
        cv::warpAffine(src, dst, map, dst.size(), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP,
                       cv::BORDER_REPLICATE);
        benchmark::DoNotOptimize(dst.data);
        benchmark::ClobberMemory();
    }
    state.counters["pels/s"] = benchmark::Counter(double(kW * kH) * double(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}

BENCHMARK(BM_AffineSamplerOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AffineSamplerOpenCv)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return oc_bench::runWithRatio(argc, argv, "affine sampler (bilinear)", "BM_AffineSamplerOurs",
                                  "BM_AffineSamplerOpenCv", "ms");
}
