// How promptly the three search tools heed the caller's time limit, on a new 2048 x 2048 image
// of printed glyphs (rows of text at 32 pels, blur 0.7, noise 6): the pattern alignment, the
// correlation search (normalised, coarse to fine, and exhaustive with a large 128 pel model)
// and the sub-model tool searching the whole image. For each: the longest stretch of the
// thread's CPU time between two polls of xcAttention::check() (counting the run's start and
// end as polls) over a full run without a limit, against the goal of 5 ms; and how late a 1,
// 5 and 20 ms limit ends a run (wall time from arming to the exception, less the limit; median
// and maximum over 50 runs), and the thread's CPU time after the limit passed, which is what an
// idle core would add. Each run meets pels that no cache holds: one pel of the image changes
// before every run.
#include "align/align_pattern.h"
#include "bench_polls.h"
#include "corrsearch/corrsearch_model.h"
#include "submodel/submodel_tool.h"
#include "support/glyph_render.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr long kSide = 2048;
constexpr double kGoalMs = 5.0;
constexpr int kLateRuns = 50;

struct Job {
    std::unique_ptr<oc_test::GlyphImage> glyph;
    xcPelBuffer<unsigned char> image;
};

Job& job() {
    static Job j = [] {
        Job r;
        r.glyph = std::make_unique<oc_test::GlyphImage>(oc_test::kSansFont, U'R', 32.0);
        std::vector<std::unique_ptr<oc_test::GlyphImage>> glyphs;
        for (char32_t c : std::u32string(U"R0A7KX38EB"))
            glyphs.push_back(std::make_unique<oc_test::GlyphImage>(oc_test::kSansFont, c, 32.0));
        oc_test::Scene scene(kSide, kSide);
        oc_test::Rng rng(3);
        for (double y = 40.0; y < double(kSide) - 40.0; y += 64.0)
            for (double x = 40.0; x < double(kSide) - 40.0; x += 36.0)
                scene.place(*glyphs[std::size_t(rng.next() % glyphs.size())],
                            rng.uniform(-3.0, 3.0), rng.uniform(0.95, 1.05), xcVector<2>(x, y));
        r.image = scene.finish(0.7, 6.0, 11);
        return r;
    }();
    return j;
}

// The scene with its corner pel changed, so that no cache of image data keyed on the pels
// holds it (the tools' caches keep a few entries).
const xcPelBuffer<unsigned char>& freshImage() {
    static unsigned char counter = 0;
    *job().image.pointToPel(0, 0) = ++counter;
    return job().image;
}

using Search = std::function<void(const xcPelBuffer<unsigned char>&)>;

// The longest CPU stretch between polls over three full runs.
oc_bench::PollGaps longestStretch(const Search& search) {
    oc_bench::PollGaps all;
    for (int run = 0; run < 3; ++run) {
        const auto& image = freshImage();
        all.merge(oc_bench::pollGaps([&] { search(image); }));
    }
    return all;
}

struct Figures {
    oc_bench::PollGaps gaps;
    std::map<int, oc_bench::Lateness> late;
};
std::map<std::string, Figures> gFigures;

void measure(benchmark::State& state, const std::string& name, const Search& search) {
    job();
    Figures f;
    for (auto _ : state) {
        f.gaps = longestStretch(search);
        for (int limit : {1, 5, 20})
            f.late[limit] = oc_bench::lateness([] { freshImage(); }, [&] { search(job().image); },
                                               limit, kLateRuns);
    }
    state.counters["longestMs"] = f.gaps.longestMs;
    state.counters["polls"] = double(f.gaps.polls);
    for (const auto& [limit, l] : f.late) {
        state.counters["late" + std::to_string(limit) + "msMedian"] = l.median();
        state.counters["late" + std::to_string(limit) + "msMax"] = l.max();
    }
    gFigures[name] = f;
}

// ---- the tools ----

void BM_PollAlignPattern(benchmark::State& state) {
    xcAlignPattern pat;
    pat.train(job().glyph->trainImage(), 3, nullptr, 0);
    xcAlignRunParams p;
    p.acceptThreshold(0.5);
    p.zoneEnable(3);
    p.zone(1, -10, 10);
    p.zone(2, 0.9, 1.1);
    p.numToFind(12);
    p.xyOverlap(0.3);
    xcAlignResultSet rs;
    measure(state, "pattern alignment",
            [&](const xcPelBuffer<unsigned char>& img) { pat.run(img, p, rs, nullptr, 0); });
}

xcCorrSearchRunParams corrParams(long algorithm) {
    xcCorrSearchRunParams p(algorithm);
    p.accept(0.5);
    p.maxNumResults(12);
    p.xyOverlap(0.3);
    return p;
}

void BM_PollCorrSearch(benchmark::State& state) {
    xcCorrSearchTrainParams tp;
    tp.algorithms(8);
    xcCorrSearchModel m;
    m.train(job().glyph->trainImage(), tp, nullptr, 0);
    const xcCorrSearchRunParams p = corrParams(8);
    measure(state, "correlation search", [&](const xcPelBuffer<unsigned char>& img) {
        benchmark::DoNotOptimize(m.run(img, p, xcPelRect(0, 0, 1, 1), nullptr, 0));
    });
}

void BM_PollCorrSearchLargeModel(benchmark::State& state) {
    xcCorrSearchTrainParams tp;
    tp.algorithms(16);
    xcCorrSearchModel m;
    xcPelBuffer_const<unsigned char> patch = job().image;
    patch.window(xcPelRect(500, 700, 128, 128));
    m.train(patch, tp, nullptr, 0);
    const xcCorrSearchRunParams p = corrParams(16);
    measure(state, "correlation search, 128 pel model, exhaustive",
            [&](const xcPelBuffer<unsigned char>& img) {
                benchmark::DoNotOptimize(m.run(img, p, xcPelRect(0, 0, 1, 1), nullptr, 0));
            });
}

void BM_PollSubModel(benchmark::State& state) {
    xc_SubModelTool tool;
    xcSubModelCorTrainParams tp;
    tp.coarseGrainLimit(1.0);
    tp.zoneAllowed(0);
    tool.train(xcSubModel(job().glyph->trainImage(), "R"), tp, nullptr, 0);
    xcSubModelCorRunParams p;
    p.acceptThreshold(0.5);
    p.zoneEnable(0);
    p.xyUncertainty(xcVector<2>(2.0 * kSide, 2.0 * kSide));
    // Starting at the image's centre, the uncertainty spans every placement.
    const xc2XformLinear start(xcXform<2>::translation(xcVector<2>(0.5 * kSide, 0.5 * kSide)));
    std::vector<xcVector<2>> points;
    xc_SubModelResultSet rs;
    measure(state, "sub-model tool", [&](const xcPelBuffer<unsigned char>& img) {
        tool.run(img, start, p, points, rs, nullptr, 0);
    });
}

BENCHMARK(BM_PollAlignPattern)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PollCorrSearch)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PollCorrSearchLargeModel)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PollSubModel)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::printf("\nPolls on a new %ld x %ld image (goal: at most %.0f ms of CPU between polls)\n",
                kSide, kSide, kGoalMs);
    for (const auto& [name, f] : gFigures) {
        std::printf("%s: longest stretch %.2f ms over %ld polls, ratio to goal %.2f (start to "
                    "first poll %.2f ms, last poll to end %.2f ms)\n",
                    name.c_str(), f.gaps.longestMs, f.gaps.polls, f.gaps.longestMs / kGoalMs,
                    f.gaps.headMs, f.gaps.tailMs);
        for (const auto& [limit, l] : f.late) oc_bench::printLateness(limit, l, false, true);
    }
    benchmark::Shutdown();
    return 0;
}
