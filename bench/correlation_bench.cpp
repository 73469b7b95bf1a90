// Exhaustive normalised correlation of a 32 x 32 model over a 640 x 480 image: ours against
// OpenCV's matchTemplate (TM_CCOEFF_NORMED), single-threaded, in the same run; prints the ratio.
#include "imgproc/correlation.h"

#include "bench_ratio.h"

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>

namespace {

// Smooth shading, blocks and noise, so every placement has contrast.
xcPelBuffer<unsigned char> makeScene() {
    const long w = 640, h = 480;
    xcPelBuffer<unsigned char> img(xcPelRect(0, 0, w, h));
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> noise(-10, 10);
    for (long y = 0; y < h; ++y) {
        for (long x = 0; x < w; ++x) {
            const double v = 120 + 60 * std::sin(x / 11.0 + y / 23.0) * std::cos(y / 13.0) +
                             ((x / 17 + y / 29) % 3) * 25 + noise(rng);
            *img.pointToPel(x, y) = static_cast<unsigned char>(std::clamp(v, 0.0, 255.0));
        }
    }
    return img;
}

const xcPelBuffer<unsigned char>& scene() {
    static const xcPelBuffer<unsigned char> img = makeScene();
    return img;
}

xcPelBuffer_const<unsigned char> modelWindow() {
    xcPelBuffer_const<unsigned char> m = scene();
    m.window(xcPelRect(301, 197, 32, 32));
    return m;
}

void BM_CorrelationOurs(benchmark::State& state) {
    const xc_CorrelationModel<unsigned char> model(modelWindow());
    xcPelBuffer<short> scores;
    xc_CorrPeak peak;
    for (auto _ : state) {
        peak = xf_correlate_exhaustive(scene(), model, xc_CorrelationDefs::eCorrelation, scores);
        benchmark::DoNotOptimize(peak);
    }
    state.counters["peakX"] = double(peak.x);
    state.counters["peakY"] = double(peak.y);
}

void BM_CorrelationOpenCv(benchmark::State& state) {
    const auto& img = scene();
    const auto m = modelWindow();
    const cv::Mat src(int(img.height()), int(img.width()), CV_8U,
                      const_cast<unsigned char*>(img.pointToPel(0, 0)), size_t(img.rowUpdate()));
    const cv::Mat tpl(32, 32, CV_8U, const_cast<unsigned char*>(m.pointToPel(0, 0)),
                      size_t(m.rowUpdate()));
    cv::Mat result;
    cv::Point best;
    for (auto _ : state) {
        cv::matchTemplate(src, tpl, result, cv::TM_CCOEFF_NORMED);
        cv::minMaxLoc(result, nullptr, nullptr, nullptr, &best);
        benchmark::DoNotOptimize(best);
    }
    state.counters["peakX"] = double(best.x);
    state.counters["peakY"] = double(best.y);
}

BENCHMARK(BM_CorrelationOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorrelationOpenCv)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return oc_bench::runWithRatio(argc, argv, "correlation", "BM_CorrelationOurs",
                                  "BM_CorrelationOpenCv", "ms");
}
