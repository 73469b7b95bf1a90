// The pattern-alignment search on a 640 x 480 image holding 10 instances of one ~24 pel glyph at
// random angles and scales 0.9..1.1 (blur 0.7, noise 8): ours against a brute-force peer,
// OpenCV matchTemplate (TM_CCOEFF_NORMED) over the glyph turned in 2 degree steps at scales
// 0.9, 1.0 and 1.1, single-threaded, in the same run. Prints both times, both recalls and the
// ratio; then ten different glyph models searched in one image, first against tenth.
#include "align/align_pattern.h"
#include "bench_time.h"
#include "pel_mat.h"
#include "support/glyph_render.h"

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace {

using oc_bench::percentile;
using oc_bench::threadCpuMs;

constexpr int kInstances = 10;
constexpr double kGlyphHeight = 24.0;
// Images cycled through so that every timed search meets an image the tool has not cached.
constexpr int kImages = 8;

struct Job {
    std::unique_ptr<oc_test::GlyphImage> glyph;
    std::vector<std::unique_ptr<oc_test::Scene>> scenes;
    std::vector<xcPelBuffer<unsigned char>> images;
};

const Job& job() {
    static const Job j = [] {
        Job r;
        r.glyph = std::make_unique<oc_test::GlyphImage>(oc_test::kSansFont, U'R', kGlyphHeight);
        oc_test::Rng rng(7);
        for (int i = 0; i < kImages; ++i) {
            auto scene = std::make_unique<oc_test::Scene>(640, 480);
            for (int placed = 0, tries = 0; placed < kInstances && tries < 5000; ++tries) {
                const xcXform<2> pose =
                    oc_test::placementPose(*r.glyph, rng.uniform(-180, 180), rng.uniform(0.9, 1.1),
                                           xcVector<2>(rng.uniform(0, 640), rng.uniform(0, 480)));
                if (!scene->fits(*r.glyph, pose, 6.0, 2.0)) continue;
                scene->place(*r.glyph, pose);
                ++placed;
            }
            r.images.push_back(scene->finish(0.7, 8.0, rng.next()));
            r.scenes.push_back(std::move(scene));
        }
        return r;
    }();
    return j;
}

xcAlignRunParams runParams() {
    xcAlignRunParams p;
    p.acceptThreshold(0.5);
    p.zoneEnable(3);
    p.zone(1, -180, 180);
    p.zone(2, 0.9, 1.1);
    p.numToFind(12);
    p.xyOverlap(0.3);
    return p;
}

// The share of the scene's instances with a found centre within 2 pels.
double recall(const oc_test::Scene& scene, const std::vector<xcVector<2>>& found) {
    int hits = 0;
    for (const oc_test::Placement& p : scene.placements()) {
        const xcVector<2> truth = p.pose.mapPoint(p.glyph->centre());
        for (const xcVector<2>& f : found)
            if ((f - truth).len() <= 2.0) {
                ++hits;
                break;
            }
    }
    return double(hits) / double(scene.placements().size());
}

void BM_AlignOurs(benchmark::State& state) {
    const Job& j = job();
    xcAlignPattern pat;
    pat.train(j.glyph->trainImage(), 3, nullptr, 0);
    const xcAlignRunParams params = runParams();
    xcAlignResultSet rs;
    double rec = 0;
    long runs = 0;
    int i = 0;
    for (auto _ : state) {
        pat.run(j.images[std::size_t(i)], params, rs, nullptr, 0);
        state.PauseTiming();
        std::vector<xcVector<2>> centres;
        for (const xcAlignResult& r : rs)
            if (r.accepted()) centres.push_back(r.pose().mapPoint(j.glyph->centre()));
        rec += recall(*j.scenes[std::size_t(i)], centres);
        ++runs;
        i = (i + 1) % kImages;
        state.ResumeTiming();
    }
    state.counters["recall"] = rec / double(runs);
}

// The same search repeated on one image: the image's derived data come from the cache.
void BM_AlignOursSameImage(benchmark::State& state) {
    const Job& j = job();
    xcAlignPattern pat;
    pat.train(j.glyph->trainImage(), 3, nullptr, 0);
    const xcAlignRunParams params = runParams();
    xcAlignResultSet rs;
    for (auto _ : state) pat.run(j.images[0], params, rs, nullptr, 0);
}

using oc_bench::toMat;

// Brute force: the train image turned and scaled onto a square canvas, correlated everywhere;
// a per-pel maximum over all templates, then the 12 best peaks at least 8 pels apart.
void BM_MatchTemplatePeer(benchmark::State& state) {
    const Job& j = job();
    const cv::Mat train = toMat(j.glyph->trainImage());
    const int side = int(std::ceil(std::hypot(train.cols, train.rows) * 1.1));
    std::vector<cv::Mat> templates;
    for (double s : {0.9, 1.0, 1.1})
        for (int a = -180; a < 180; a += 2) {
            cv::Mat rot = cv::getRotationMatrix2D(
                cv::Point2f(0.5f * float(train.cols) - 0.5f, 0.5f * float(train.rows) - 0.5f), -a,
                s);
            rot.at<double>(0, 2) += 0.5 * (side - train.cols);
            rot.at<double>(1, 2) += 0.5 * (side - train.rows);
            cv::Mat t;
            cv::warpAffine(train, t, rot, cv::Size(side, side), cv::INTER_LINEAR,
                           cv::BORDER_CONSTANT, cv::Scalar(200));
            templates.push_back(t);
        }
    double rec = 0;
    long runs = 0;
    int i = 0;
    for (auto _ : state) {
        const cv::Mat img = toMat(j.images[std::size_t(i)]);
        cv::Mat best(img.rows - side + 1, img.cols - side + 1, CV_32F, cv::Scalar(-1));
        cv::Mat score;
        for (const cv::Mat& t : templates) {
            cv::matchTemplate(img, t, score, cv::TM_CCOEFF_NORMED);
            cv::max(best, score, best);
        }
        std::vector<xcVector<2>> centres;
        cv::Mat work = best.clone();
        for (int k = 0; k < 12; ++k) {
            double v;
            cv::Point p;
            cv::minMaxLoc(work, nullptr, &v, nullptr, &p);
            if (v < 0.5) break;
            centres.emplace_back(p.x + 0.5 * side, p.y + 0.5 * side);
            cv::rectangle(work, cv::Rect(p.x - 8, p.y - 8, 17, 17), cv::Scalar(-1), cv::FILLED);
        }
        state.PauseTiming();
        rec += recall(*j.scenes[std::size_t(i)], centres);
        ++runs;
        i = (i + 1) % kImages;
        state.ResumeTiming();
    }
    state.counters["recall"] = rec / double(runs);
}

// Images holding two instances of each of the ten glyphs at random poses (scales 0.9..1.1), for
// the ten-model case: every model has instances to find and neighbours to reject.
const char32_t kTen[10] = {U'R', U'A', U'B', U'8', U'5', U'G', U'K', U'3', U'S', U'X'};

struct MixedJob {
    std::vector<std::unique_ptr<oc_test::GlyphImage>> glyphs;
    std::vector<xcPelBuffer<unsigned char>> images;
};

const MixedJob& mixedJob() {
    static const MixedJob j = [] {
        MixedJob r;
        for (char32_t c : kTen)
            r.glyphs.push_back(
                std::make_unique<oc_test::GlyphImage>(oc_test::kSansFont, c, kGlyphHeight));
        oc_test::Rng rng(11);
        for (int i = 0; i < kImages; ++i) {
            oc_test::Scene scene(640, 480);
            for (int k = 0; k < 20; ++k)
                for (int tries = 0; tries < 5000; ++tries) {
                    const oc_test::GlyphImage& g = *r.glyphs[std::size_t(k % 10)];
                    const xcXform<2> pose = oc_test::placementPose(
                        g, rng.uniform(-180, 180), rng.uniform(0.9, 1.1),
                        xcVector<2>(rng.uniform(0, 640), rng.uniform(0, 480)));
                    if (!scene.fits(g, pose, 6.0, 2.0)) continue;
                    scene.place(g, pose);
                    break;
                }
            r.images.push_back(scene.finish(0.7, 8.0, rng.next()));
        }
        return r;
    }();
    return j;
}

// CPU time of the calling thread in milliseconds (the machine may be shared, so wall time
// would count other processes' work).
// Ten different glyph models searched one after the other in the same image; the image is new
// to the tool at the first model of every round. Reports each position's mean CPU time. On the
// job's image (ten instances of R) the other nine models find nothing; on the mixed image each
// model has two instances.
void tenModels(benchmark::State& state, const std::vector<xcPelBuffer<unsigned char>>& images) {
    std::vector<xcAlignPattern> pats(10);
    for (int k = 0; k < 10; ++k)
        pats[std::size_t(k)].train(
            oc_test::GlyphImage(oc_test::kSansFont, kTen[k], kGlyphHeight).trainImage(), 3, nullptr,
            0);
    const xcAlignRunParams params = runParams();
    xcAlignResultSet rs;
    std::vector<double> ms(10, 0.0);
    long rounds = 0;
    int i = 0;
    for (auto _ : state) {
        for (int k = 0; k < 10; ++k) {
            const double t0 = threadCpuMs();
            pats[std::size_t(k)].run(images[std::size_t(i)], params, rs, nullptr, 0);
            ms[std::size_t(k)] += threadCpuMs() - t0;
        }
        ++rounds;
        i = (i + 1) % kImages;
    }
    double rest = 0;
    for (int k = 1; k < 10; ++k) rest += ms[std::size_t(k)];
    state.counters["first_ms"] = ms[0] / double(rounds);
    state.counters["tenth_ms"] = ms[9] / double(rounds);
    state.counters["later_mean_ms"] = rest / 9.0 / double(rounds);
    state.counters["tenth_over_first"] = ms[9] / ms[0];
}

void BM_AlignTenModels(benchmark::State& state) {
    tenModels(state, job().images);
}
void BM_AlignTenModelsMixed(benchmark::State& state) {
    tenModels(state, mixedJob().images);
}

BENCHMARK(BM_AlignOurs)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_AlignOursSameImage)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_MatchTemplatePeer)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_AlignTenModels)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_AlignTenModelsMixed)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Keeps every run's times and counters so that main can print the comparison.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs) {
            cpu[r.benchmark_name()] = r.GetAdjustedCPUTime();
            real[r.benchmark_name()] = r.GetAdjustedRealTime();
            for (const auto& [k, c] : r.counters) counters[r.benchmark_name() + "/" + k] = c;
        }
    }
    std::map<std::string, double> cpu, real, counters;
};

} // namespace

int main(int argc, char** argv) {
    cv::setNumThreads(1);
    benchmark::Initialize(&argc, argv);
    SummaryReporter rep;
    benchmark::RunSpecifiedBenchmarks(&rep);
    const std::string ours = "BM_AlignOurs/min_time:2.000";
    const std::string peer = "BM_MatchTemplatePeer/iterations:2";
    const std::string ten = "BM_AlignTenModels/min_time:2.000";
    const std::string mixed = "BM_AlignTenModelsMixed/min_time:2.000";
    if (rep.cpu.count(ours) && rep.cpu.count(peer))
        std::printf("align search (CPU ms): ours %.2f (recall %.3f), matchTemplate %.1f (recall "
                    "%.3f), peer/ours %.0fx\n",
                    rep.cpu[ours], rep.counters[ours + "/recall"], rep.cpu[peer],
                    rep.counters[peer + "/recall"], rep.cpu[peer] / rep.cpu[ours]);
    for (const std::string& name : {ten, mixed})
        if (rep.counters.count(name + "/first_ms"))
            std::printf("%s (CPU ms): first %.2f, tenth %.2f (mean of 2nd..10th %.2f), "
                        "tenth/first %.2f\n",
                        name.c_str(), rep.counters[name + "/first_ms"],
                        rep.counters[name + "/tenth_ms"], rep.counters[name + "/later_mean_ms"],
                        rep.counters[name + "/tenth_over_first"]);
    benchmark::Shutdown();
    return 0;
}
