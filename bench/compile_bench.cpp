// Compilation of the 41-character alphabet (digits, capitals, '-', '/', ':', '.' rendered from
// DejaVu Sans Mono in 24 x 28 cells, and a blank) with one and with two worker threads, against
// OpenCV's matchTemplate (TM_CCOEFF_NORMED) scoring the same 40 x 39 ordered pairs of normal
// characters over the same placements (the column image padded with paper by half the row
// model), single-threaded, in the same run. Times are process CPU time, which counts the
// workers, and real time.
#include "oc/oc/alphabet.h"
#include "oc/oc/detail/compile_row.h"
#include "oc/oc/glyph_alphabet.h"

#include "bench_ratio.h"

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cstdio>

namespace {

const xcOCAlphabet::Models& models() {
    static const xcOCAlphabet::Models m = oc_test::glyphModels(oc_test::kCompileChars, true);
    return m;
}

cv::Mat matOf(const xcPelBuffer_const<unsigned char>& b) {
    return cv::Mat(int(b.height()), int(b.width()), CV_8U,
                   const_cast<unsigned char*>(b.pointToPel(0, 0)), size_t(b.rowUpdate()));
}

void BM_CompileOurs(benchmark::State& state, long workers) {
    oc_detail::compileWorkers(workers);
    double confusable = 0;
    for (auto _ : state) {
        xcOCAlphabet a(models(), 0.5, false, "bench");
        a.compile(nullptr, 0);
        confusable = 0;
        for (const auto& r : models())
            for (const auto& c : models())
                confusable += r != c && a.areConfusable(r->key(), c->key());
        benchmark::DoNotOptimize(a);
    }
    oc_detail::compileWorkers(1);
    state.counters["confusable_pairs"] = confusable;
}

void BM_CompileOpenCv(benchmark::State& state) {
    std::vector<cv::Mat> images;
    for (const auto& m : models())
        if (m->charType() == xcOCModel::eNormal) images.push_back(matOf(m->image()));
    double confusable = 0;
    for (auto _ : state) {
        confusable = 0;
        cv::Mat padded, result;
        for (std::size_t r = 0; r < images.size(); ++r)
            for (std::size_t c = 0; c < images.size(); ++c) {
                if (r == c) continue;
                const cv::Mat& tpl = images[r];
                const int bx = tpl.cols / 2, by = tpl.rows / 2;
                cv::copyMakeBorder(images[c], padded, by, by, bx, bx, cv::BORDER_CONSTANT,
                                   cv::Scalar(200));
                cv::matchTemplate(padded, tpl, result, cv::TM_CCOEFF_NORMED);
                double best = 0.0;
                cv::minMaxLoc(result, nullptr, &best);
                confusable += best > 0.5;
            }
        benchmark::DoNotOptimize(confusable);
    }
    state.counters["confusable_pairs"] = confusable;
}

BENCHMARK_CAPTURE(BM_CompileOurs, W1, 1L)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_CompileOurs, W2, 2L)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_CompileOpenCv)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace

int main(int argc, char** argv) {
    cv::setNumThreads(1);
    benchmark::Initialize(&argc, argv);
    oc_bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const std::string peer = "BM_CompileOpenCv/process_time";
    for (const char* w : {"W1", "W2"}) {
        const std::string ours = std::string("BM_CompileOurs/") + w + "/process_time";
        if (reporter.times.count(ours) && reporter.times.count(peer))
            std::printf("41-character alphabet, %s: ours %.1f ms, OpenCV %.1f ms, ratio "
                        "ours/OpenCV %.2f (CPU time ratio %.2f)\n",
                        w, reporter.times[ours], reporter.times[peer],
                        reporter.times[ours] / reporter.times[peer],
                        reporter.cpuTimes[ours] / reporter.cpuTimes[peer]);
    }
    benchmark::Shutdown();
    return 0;
}
