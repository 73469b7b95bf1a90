// Edge detection on a 640 x 480 image: ours against OpenCV's Sobel, magnitude and a 3 x 3
// non-maximum suppression, single-threaded, in the same run; prints the time ratio.
#include "imgproc/edges.h"

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

// Dark strokes (bars, rings and blocks in rows, like printed text) on a light, unevenly lit
// ground with a little noise.
xcPelBuffer<unsigned char> makeScene() {
    const long w = 640, h = 480;
    xcPelBuffer<unsigned char> img(xcPelRect(0, 0, w, h));
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> noise(-3, 3);
    for (long y = 0; y < h; ++y) {
        for (long x = 0; x < w; ++x) {
            double v = 190 + 25 * std::sin(x / 90.0) * std::cos(y / 70.0);
            const long cx = x % 40, cy = y % 60;
            const bool line = y % 120 < 60;
            const double rx = cx - 20.0, ry = cy - 30.0, r = std::sqrt(rx * rx + ry * ry);
            if (line && cy >= 12 && cy < 48) {
                const long kind = (x / 40 + y / 120) % 3;
                if ((kind == 0 && cx >= 8 && cx < 14) || (kind == 1 && r > 9 && r < 15) ||
                    (kind == 2 && cx + (cy - 12) / 3 >= 14 && cx + (cy - 12) / 3 < 20))
                    v = 45;
            }
            *img.pointToPel(x, y) =
                static_cast<unsigned char>(std::clamp(v + noise(rng), 0.0, 255.0));
        }
    }
    return img;
}

const xcPelBuffer<unsigned char>& scene() {
    static const xcPelBuffer<unsigned char> img = makeScene();
    return img;
}

void BM_EdgesOurs(benchmark::State& state) {
    const xcEdgeParams params(1.0, 10.0, xcEdgeParams::ePeakEdges);
    std::vector<xcEdgelet> edgelets;
    for (auto _ : state) {
        xfEdgeDetect(scene(), params, edgelets);
        benchmark::DoNotOptimize(edgelets.data());
    }
    state.counters["edgelets"] = double(edgelets.size());
}

void BM_EdgesOpenCv(benchmark::State& state) {
    const auto& img = scene();
    const cv::Mat src(int(img.height()), int(img.width()), CV_8U,
                      const_cast<unsigned char*>(img.pointToPel(0, 0)), size_t(img.rowUpdate()));
    cv::Mat dx, dy, fx, fy, mag, dilated, peak, strong, edges;
    for (auto _ : state) {
        cv::Sobel(src, dx, CV_16S, 1, 0, 3);
        cv::Sobel(src, dy, CV_16S, 0, 1, 3);
        dx.convertTo(fx, CV_32F, 1.0 / 8.0);
        dy.convertTo(fy, CV_32F, 1.0 / 8.0);
        cv::magnitude(fx, fy, mag);
        cv::dilate(mag, dilated, cv::Mat());
        cv::compare(mag, dilated, peak, cv::CMP_GE);
        cv::compare(mag, 10.0, strong, cv::CMP_GE);
        cv::bitwise_and(peak, strong, edges);
        benchmark::DoNotOptimize(edges.data);
    }
    state.counters["edgelets"] = double(cv::countNonZero(edges));
}

BENCHMARK(BM_EdgesOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EdgesOpenCv)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return oc_bench::runWithRatio(argc, argv, "edges", "BM_EdgesOurs", "BM_EdgesOpenCv", "us");
}
