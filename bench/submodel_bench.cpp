// One pair of alphabet compilation: the sub-model of a 24-pel "O" searched in a "Q" image with
// the model's centre kept inside the image, against OpenCV's matchTemplate (TM_CCOEFF_NORMED)
// over the same image padded with paper by half the model, single-threaded, in the same run.
#include "submodel/submodel_tool.h"
#include "support/glyph_render.h"

#include "bench_ratio.h"

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

namespace {

struct Pair {
    oc_test::GlyphImage o{oc_test::kSansFont, U'O', 24.0};
    oc_test::GlyphImage q{oc_test::kSansFont, U'Q', 24.0};
    xcPelBuffer<unsigned char> model = o.trainImage();
    xcPelBuffer<unsigned char> image = q.trainImage();
};

const Pair& pair() {
    static const Pair p;
    return p;
}

void BM_SubModelOurs(benchmark::State& state) {
    const Pair& p = pair();
    xc_SubModelTool tool;
    tool.train(xcSubModel(p.model, "O"), xcSubModelCorTrainParams(), nullptr, 0);
    const long w = p.model.width() + p.model.width() % 2,
               h = p.model.height() + p.model.height() % 2;
    xcSubModelCorRunParams params;
    params.acceptThreshold(0.0);
    params.partialMatch(xcPelRect(-w / 2, -h / 2, w, h));
    params.xyUncertainty(xcVector<2>(double(w), double(h)));
    const xc2XformLinear start;
    std::vector<xcVector<2>> points;
    xc_SubModelResultSet rs;
    for (auto _ : state) {
        tool.run(p.image, start, params, points, rs, nullptr, 0);
        benchmark::DoNotOptimize(rs);
    }
    state.counters["score"] = rs.results().empty() ? -1.0 : rs.results()[0].score();
}

void BM_SubModelOpenCv(benchmark::State& state) {
    const Pair& p = pair();
    const cv::Mat src(int(p.image.height()), int(p.image.width()), CV_8U,
                      const_cast<unsigned char*>(p.image.pointToPel(0, 0)),
                      size_t(p.image.rowUpdate()));
    const cv::Mat tpl(int(p.model.height()), int(p.model.width()), CV_8U,
                      const_cast<unsigned char*>(p.model.pointToPel(0, 0)),
                      size_t(p.model.rowUpdate()));
    const int bx = tpl.cols / 2, by = tpl.rows / 2;
    cv::Mat padded, result;
    double best = 0.0;
    for (auto _ : state) {
        cv::copyMakeBorder(src, padded, by, by, bx, bx, cv::BORDER_CONSTANT, cv::Scalar(200));
        cv::matchTemplate(padded, tpl, result, cv::TM_CCOEFF_NORMED);
        cv::minMaxLoc(result, nullptr, &best);
        benchmark::DoNotOptimize(best);
    }
    state.counters["score"] = best;
}

BENCHMARK(BM_SubModelOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SubModelOpenCv)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return oc_bench::runWithRatio(argc, argv, "sub-model pair", "BM_SubModelOurs",
                                  "BM_SubModelOpenCv", "us");
}
