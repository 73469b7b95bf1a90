// The correlation search as the arrangement refinement uses it: 52 models of a ~28 pel glyph
// (turned -3..3 degrees in 0.5 degree steps at scales 0.95, 0.9785, 1.0079 and 1.0381) run on
// one 80 x 80 neighbourhood image. Ours against OpenCV matchTemplate (TM_CCOEFF_NORMED) plus
// minMaxLoc over the same 52 templates, single-threaded, in the same run; prints the ratio.
#include "corrsearch/corrsearch_model.h"
#include "support/glyph_render.h"

#include "bench_ratio.h"

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <vector>

namespace {

struct Job {
    std::vector<xcPelBuffer<unsigned char>> templates;
    std::vector<xcCorrSearchModel> models;
    xcPelBuffer<unsigned char> image;
};

const Job& job() {
    static const Job j = [] {
        Job r;
        const oc_test::GlyphImage glyph(oc_test::kSansFont, U'R', 28.0, 2);
        const oc_test::GlyphImage left(oc_test::kSansFont, U'A', 28.0, 2);
        const oc_test::GlyphImage right(oc_test::kSansFont, U'7', 28.0, 2);
        xcCorrSearchTrainParams tp;
        tp.accuracy(4);
        tp.algorithms(8);
        for (double scale = 0.95; scale <= 1.065; scale *= 1.03) {
            for (double angle = -3.0; angle <= 3.0 + 1e-9; angle += 0.5) {
                oc_test::Scene s(glyph.trainWidth() + 2, glyph.trainHeight() + 2);
                s.place(glyph, angle, scale,
                        xcVector<2>(0.5 * double(s.width()), 0.5 * double(s.height())));
                r.templates.push_back(s.finish(0.7, 0.0, 1));
                r.models.emplace_back();
                r.models.back().train(r.templates.back(), tp, nullptr, 0);
            }
        }
        // The expected character near the middle, its neighbours cut by the image's edges.
        oc_test::Scene scene(80, 80);
        scene.place(glyph, 1.2, 1.01, xcVector<2>(40.3, 39.6));
        scene.place(left, 0.0, 1.0, xcVector<2>(40.3 - 26.0, 40.0));
        scene.place(right, 0.0, 1.0, xcVector<2>(40.3 + 26.0, 40.0));
        r.image = scene.finish(0.7, 5.0, 3);
        return r;
    }();
    return j;
}

void BM_CorrSearchOurs(benchmark::State& state) {
    const Job& j = job();
    xcCorrSearchRunParams p(8);
    p.accuracy(4);
    p.accept(0.3);
    p.confusion(0.4);
    p.xyOverlap(0.3);
    p.maxNumResults(1);
    double best = 0.0;
    for (auto _ : state) {
        best = 0.0;
        for (const auto& m : j.models) {
            const auto res = m.run(j.image, p, xcPelRect(0, 0, 1, 1), nullptr, 0);
            if (!res.empty() && res[0].score() > best) best = res[0].score();
        }
        benchmark::DoNotOptimize(best);
    }
    state.counters["bestScore"] = best;
}

void BM_CorrSearchOpenCv(benchmark::State& state) {
    const Job& j = job();
    const cv::Mat src(int(j.image.height()), int(j.image.width()), CV_8U,
                      const_cast<unsigned char*>(j.image.pointToPel(0, 0)),
                      size_t(j.image.rowUpdate()));
    std::vector<cv::Mat> tpls;
    for (const auto& t : j.templates)
        tpls.emplace_back(int(t.height()), int(t.width()), CV_8U,
                          const_cast<unsigned char*>(t.pointToPel(0, 0)), size_t(t.rowUpdate()));
    cv::Mat result;
    double best = 0.0;
    for (auto _ : state) {
        best = 0.0;
        for (const auto& t : tpls) {
            double maxVal = 0.0;
            cv::Point loc;
            cv::matchTemplate(src, t, result, cv::TM_CCOEFF_NORMED);
            cv::minMaxLoc(result, nullptr, &maxVal, nullptr, &loc);
            if (maxVal > best) best = maxVal;
        }
        benchmark::DoNotOptimize(best);
    }
    state.counters["bestScore"] = best;
}

BENCHMARK(BM_CorrSearchOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CorrSearchOpenCv)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return oc_bench::runWithRatio(argc, argv, "52-model correlation search", "BM_CorrSearchOurs",
                                  "BM_CorrSearchOpenCv", "us");
}
