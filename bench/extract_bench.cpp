// The extraction tool on a 640 x 480 image holding a 12-character string of 10 distinct glyphs
// (~24 pels, DejaVu Sans) at a random angle and scale 0.9..1.1 (blur 0.7, noise 6): training,
// search and the refinement of 3 inferred positions, against a brute-force peer in the same
// run: OpenCV matchTemplate (TM_CCOEFF_NORMED) over each distinct glyph turned in 2 degree
// steps at scales 0.9, 1.0 and 1.1, single-threaded. Times are CPU times of the thread (the
// machine may be shared); train and search times come from the result's own timers as well.
#include "oc/extract/detail/searcher_cache.h"
#include "oc/extract/extract_model.h"
#include "oc/extract/refine.h"
#include "pel_mat.h"
#include "support/glyph_render.h"

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double kGlyphHeight = 24.0;
constexpr int kImages = 6;
const std::u32string kDistinct = U"AB2S5ZKRX3";
const std::u32string kString = U"AB2S5ZKRX3AS";

double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) * 1e-6;
}

struct Job {
    std::map<long, std::unique_ptr<oc_test::GlyphImage>> glyphs;
    xcPtrHandle_const<xcOCAlphabet> alphabet;
    std::vector<long> keys;
    std::vector<xcPelBuffer<unsigned char>> images;
    std::vector<std::vector<xcXform<2>>> truth; // per image, per position
};

const Job& job() {
    static const Job j = [] {
        Job r;
        xcOCAlphabet::Models models;
        for (char32_t c : kDistinct) {
            auto g = std::make_unique<oc_test::GlyphImage>(oc_test::kSansFont, c, kGlyphHeight);
            const xcPelBuffer_const<unsigned char> img(g->trainImage());
            models.push_back(xcPtrHandle_const<xcOCModel>(new xcOCModel(
                long(c), img, img.window(), xcOCModel::eNormal, std::string(1, char(c)), "")));
            r.glyphs[long(c)] = std::move(g);
        }
        r.alphabet = xcPtrHandle_const<xcOCAlphabet>(new xcOCAlphabet(models, 0.5, false, ""));
        for (char32_t c : kString) r.keys.push_back(long(c));
        oc_test::Rng rng(5);
        for (int i = 0; i < kImages; ++i) {
            oc_test::Scene scene(640, 480);
            const double angle = rng.uniform(-180, 180), scale = rng.uniform(0.9, 1.1);
            const double t = angle * M_PI / 180.0, advance = 34.0 * scale;
            const xcVector<2> centre(rng.uniform(280, 360), rng.uniform(200, 280));
            std::vector<xcXform<2>> poses;
            for (std::size_t p = 0; p < r.keys.size(); ++p) {
                const double along = (double(p) - 5.5) * advance;
                poses.push_back(scene
                                    .place(*r.glyphs.at(r.keys[p]), angle, scale,
                                           centre + xcVector<2>(std::cos(t), std::sin(t)) * along)
                                    .pose);
            }
            r.images.push_back(scene.finish(0.7, 6.0, rng.next()));
            r.truth.push_back(poses);
        }
        return r;
    }();
    return j;
}

// The share of positions with a found centre within 2 pels of the truth.
double recall(const Job& j, int image, const std::vector<std::vector<xcVector<2>>>& found) {
    int hits = 0;
    for (std::size_t p = 0; p < j.keys.size(); ++p) {
        const xcVector<2> c = j.glyphs.at(j.keys[p])->centre();
        const xcVector<2> truth = j.truth[std::size_t(image)][p].mapPoint(c);
        for (const xcVector<2>& f : found[p])
            if ((f - truth).len() <= 2.0) {
                ++hits;
                break;
            }
    }
    return double(hits) / double(j.keys.size());
}

void BM_ExtractOurs(benchmark::State& state) {
    const Job& j = job();
    xc_OCExtractModelParams mp;
    mp.scaleRange = xcRange(0.9, 1.1);
    const xc_OCExtractRunParams run;
    double train = 0, search = 0, cpu = 0, rec = 0;
    long runs = 0;
    int i = 0;
    for (auto _ : state) {
        xc_OCExtractModel model;
        xc_OCExtractStringResult result;
        const double t0 = threadCpuMs();
        model.search(j.alphabet, j.keys, j.images[std::size_t(i)],
                     xcPelBuffer_const<unsigned char>(), mp, run, result, nullptr, 0);
        cpu += threadCpuMs() - t0;
        state.PauseTiming();
        train += result.trainTime();
        search += result.searchTime();
        std::vector<std::vector<xcVector<2>>> found(j.keys.size());
        for (std::size_t p = 0; p < j.keys.size(); ++p) {
            const xc_OCExtractCharResult& r = *result.results()[p];
            for (long k = 0; k < r.numInstances(); ++k)
                found[p].push_back(r.pose(k).mapPoint(j.glyphs.at(j.keys[p])->centre()));
        }
        rec += recall(j, i, found);
        ++runs;
        i = (i + 1) % kImages;
        state.ResumeTiming();
    }
    state.counters["train_ms"] = train / double(runs);
    state.counters["search_ms"] = search / double(runs);
    state.counters["cpu_ms"] = cpu / double(runs);
    state.counters["recall"] = rec / double(runs);
}

// Training alone, as near as a search allows: the same keys searched in a small flat image.
void BM_ExtractTrainOnly(benchmark::State& state) {
    const Job& j = job();
    xcPelBuffer<unsigned char> flat(64, 64);
    for (long y = 0; y < 64; ++y)
        for (long x = 0; x < 64; ++x) *flat.pointToPel(x, y) = 200;
    const xc_OCExtractModelParams mp;
    const xc_OCExtractRunParams run;
    double cpu = 0;
    long runs = 0;
    for (auto _ : state) {
        xc_OCExtractModel model;
        xc_OCExtractStringResult result;
        const double t0 = threadCpuMs();
        model.search(j.alphabet, j.keys, flat, xcPelBuffer_const<unsigned char>(), mp, run, result,
                     nullptr, 0);
        cpu += threadCpuMs() - t0;
        ++runs;
    }
    state.counters["cpu_ms"] = cpu / double(runs);
}

// Three positions inferred 1.2 pels, 1.5 degrees and 2 % away from the truth.
// Warm: the thread's searchers of the three characters come from its cache after the first
// call; cold: every call trains them anew.
void refine(benchmark::State& state, bool cold) {
    const Job& j = job();
    double cpu = 0, refined = 0;
    long runs = 0;
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const auto& truth = j.truth[std::size_t(i)];
        std::vector<xc_Pose> poses;
        std::vector<xcOCArrangeDefs::CharStatus> statuses;
        for (std::size_t p = 0; p < truth.size(); ++p) {
            const bool inferred = p == 1 || p == 6 || p == 9;
            const xcVector<2> c = j.glyphs.at(j.keys[p])->centre();
            const xcXform<2> off =
                xcXform<2>::translation(c + xcVector<2>(1.0, 0.7)) *
                xcXform<2>(xcMatrix<2>::rotation(xcRadian(1.5 * M_PI / 180.0), 1.02), {}) *
                xcXform<2>::translation(-c);
            poses.push_back(xc_Pose(inferred ? truth[p] * off : truth[p]));
            statuses.push_back(inferred ? xcOCArrangeDefs::eInferred : xcOCArrangeDefs::eMatched);
        }
        std::vector<double> scores(truth.size(), 0.0);
        if (cold) xf_OCRefineSearcherCacheClear();
        state.ResumeTiming();
        const double t0 = threadCpuMs();
        xf_RefineArrangement(j.images[std::size_t(i)], j.alphabet, j.keys, poses, statuses, scores,
                             nullptr, 0);
        cpu += threadCpuMs() - t0;
        state.PauseTiming();
        for (std::size_t p : {1, 6, 9}) {
            const xcVector<2> c = j.glyphs.at(j.keys[p])->centre();
            refined += statuses[p] == xcOCArrangeDefs::eMatched &&
                       (poses[p].xform().mapPoint(c) - truth[p].mapPoint(c)).len() <= 0.5;
        }
        ++runs;
        i = (i + 1) % kImages;
        state.ResumeTiming();
    }
    state.counters["cpu_ms_per_position"] = cpu / double(runs) / 3.0;
    state.counters["refined_share"] = refined / double(runs) / 3.0;
}

void BM_RefineOurs(benchmark::State& state) {
    refine(state, false);
}
void BM_RefineOursCold(benchmark::State& state) {
    refine(state, true);
}

using oc_bench::toMat;

// Per distinct glyph: its train image turned and scaled onto a square canvas, correlated
// everywhere, a per-pel maximum over all its templates, then as many peaks as the glyph's
// count + 2 (at least 8 pels apart, scoring 0.5 or more).
void BM_MatchTemplatePeer(benchmark::State& state) {
    const Job& j = job();
    std::map<long, std::vector<cv::Mat>> templates;
    std::map<long, int> side;
    for (const auto& [key, glyph] : j.glyphs) {
        const cv::Mat train = toMat(glyph->trainImage());
        const int s = int(std::ceil(std::hypot(train.cols, train.rows) * 1.1));
        side[key] = s;
        for (double sc : {0.9, 1.0, 1.1})
            for (int a = -180; a < 180; a += 2) {
                cv::Mat rot = cv::getRotationMatrix2D(
                    cv::Point2f(0.5f * float(train.cols) - 0.5f, 0.5f * float(train.rows) - 0.5f),
                    -a, sc);
                rot.at<double>(0, 2) += 0.5 * (s - train.cols);
                rot.at<double>(1, 2) += 0.5 * (s - train.rows);
                cv::Mat t;
                cv::warpAffine(train, t, rot, cv::Size(s, s), cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                               cv::Scalar(200));
                templates[key].push_back(t);
            }
    }
    double rec = 0;
    long runs = 0;
    int i = 0;
    for (auto _ : state) {
        const cv::Mat img = toMat(j.images[std::size_t(i)]);
        std::vector<std::vector<xcVector<2>>> found(j.keys.size());
        for (const auto& [key, list] : templates) {
            const int s = side[key];
            cv::Mat best(img.rows - s + 1, img.cols - s + 1, CV_32F, cv::Scalar(-1));
            cv::Mat score;
            for (const cv::Mat& t : list) {
                cv::matchTemplate(img, t, score, cv::TM_CCOEFF_NORMED);
                cv::max(best, score, best);
            }
            const long count = std::count(j.keys.begin(), j.keys.end(), key);
            std::vector<xcVector<2>> peaks;
            for (long k = 0; k < count + 2; ++k) {
                double v;
                cv::Point p;
                cv::minMaxLoc(best, nullptr, &v, nullptr, &p);
                if (v < 0.5) break;
                peaks.emplace_back(p.x + 0.5 * s, p.y + 0.5 * s);
                cv::rectangle(best, cv::Rect(p.x - 8, p.y - 8, 17, 17), cv::Scalar(-1), cv::FILLED);
            }
            for (std::size_t p = 0; p < j.keys.size(); ++p)
                if (j.keys[p] == key) found[p] = peaks;
        }
        state.PauseTiming();
        rec += recall(j, i, found);
        ++runs;
        i = (i + 1) % kImages;
        state.ResumeTiming();
    }
    state.counters["recall"] = rec / double(runs);
}

} // namespace

BENCHMARK(BM_ExtractOurs)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ExtractTrainOnly)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_RefineOurs)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_RefineOursCold)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_MatchTemplatePeer)->Unit(benchmark::kMillisecond)->Iterations(1);

// Keeps every run's CPU time and counters for the summary line.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs) {
            const std::string name = r.benchmark_name();
            cpu[name.substr(0, name.find('/'))] = r.GetAdjustedCPUTime();
            for (const auto& [key, c] : r.counters)
                counters[name.substr(0, name.find('/')) + "/" + key] = c.value;
        }
    }
    std::map<std::string, double> cpu, counters;
};

int main(int argc, char** argv) {
    cv::setNumThreads(1);
    benchmark::Initialize(&argc, argv);
    SummaryReporter rep;
    benchmark::RunSpecifiedBenchmarks(&rep);
    auto& c = rep.counters;
    if (rep.cpu.count("BM_ExtractOurs"))
        std::printf("extraction (CPU ms per image): train + search %.2f (result timers, wall: "
                    "train %.2f, search %.2f), recall %.3f\n",
                    c["BM_ExtractOurs/cpu_ms"], c["BM_ExtractOurs/train_ms"],
                    c["BM_ExtractOurs/search_ms"], c["BM_ExtractOurs/recall"]);
    if (rep.cpu.count("BM_ExtractTrainOnly"))
        std::printf("training alone (CPU ms, searched in a flat 64 x 64 image): %.2f\n",
                    c["BM_ExtractTrainOnly/cpu_ms"]);
    if (rep.cpu.count("BM_RefineOurs") && rep.cpu.count("BM_RefineOursCold"))
        std::printf("refinement (CPU ms per position): %.2f with kept searchers, %.2f training "
                    "them, refined %.3f\n",
                    c["BM_RefineOurs/cpu_ms_per_position"],
                    c["BM_RefineOursCold/cpu_ms_per_position"],
                    c["BM_RefineOursCold/refined_share"]);
    if (rep.cpu.count("BM_ExtractOurs") && rep.cpu.count("BM_MatchTemplatePeer"))
        std::printf("matchTemplate peer (CPU ms per image): %.0f, recall %.3f; peer/ours %.0fx\n",
                    rep.cpu["BM_MatchTemplatePeer"], c["BM_MatchTemplatePeer/recall"],
                    rep.cpu["BM_MatchTemplatePeer"] / c["BM_ExtractOurs/cpu_ms"]);
    benchmark::Shutdown();
    return 0;
}
