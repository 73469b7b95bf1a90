// How promptly the arranger and alphabet compilation heed a caller's time limit, and how much
// memory one heavy arrange takes.
//
// The heavy scene: a new 2048 x 2048 image with 16 lines of 16 characters of the 41-character
// alphabet (digits, capitals, '-', '/', ':', '.' and a blank; DejaVu Sans Mono in 24 x 28 cells),
// one line per 512 x 512 block, the lines turned every which way (22.5 degrees apart, give or
// take 5) at scales 0.95 to 1.05, blur 0.7, noise 4; xfOCArrange with default parameters, which
// search the full angle zone. Compilation: the same 41 characters, one worker.
//
// For each: the longest CPU stretch between two polls of xcAttention::check() on the caller's
// thread over a run without a limit (the run's start and end count as polls; for compilation
// the process's CPU time, since its rows run on worker threads), against the goal of 5 ms; and
// how late a caller's limit of 5, 20 and 50 ms ends a call (wall time from arming to the
// exception, less the limit: median, 99th percentile and maximum), against the goal of 5 ms at
// the 99th percentile. The arranger runs twice over: with the alphabet's patterns trained
// before on the thread (the usual case: a new image each time) and as the first call on a
// thread (every cache emptied, so training comes first). Each arrange meets pels that no cache
// holds: one pel of the image changes before every run.
//
// Memory: the peak resident size (VmHWM) of one arrange of the heavy scene, measured in a
// child process forked before anything is built: its peak is restarted once the alphabet and
// the image are built, so the figure is what the process holds at most during the arrange
// (program, alphabet and image included); the part before the arrange is printed too. Goal:
// under 200 MB.
//
// Usage: limits_bench [--runs=N] [--stacks] [benchmark flags]; N (default 100, or the
// OC_LIMITS_RUNS environment variable) is the number of runs per limit; --stacks prints where
// each longest stretch begins and ends.
#include "bench_memory.h"
#include "bench_polls.h"
#include "glyph_scene.h"
#include "oc/arrange/arrange.h"
#include "oc/extract/detail/searcher_cache.h"
#include "oc/extract/detail/train_cache.h"

#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr long kSide = 2048;
constexpr double kGoalMs = 5.0;
constexpr double kGoalMb = 200.0;
constexpr int kLimitsMs[] = {5, 20, 50};

int gRuns = 100;
bool gStacks = false;

struct Heavy {
    xcPtrHandle_const<xcOCAlphabet> alphabet;
    std::vector<long> keys;
    xcPelBuffer<unsigned char> image;
};

Heavy buildHeavy() {
    Heavy h;
    h.alphabet = oc_bench::cellAlphabet();
    const oc_bench::LinePrinter printer;
    oc_test::Scene scene(kSide, kSide);
    oc_test::Rng rng(17);
    constexpr long kBlock = 512, kPerLine = 16;
    for (long b = 0; b < (kSide / kBlock) * (kSide / kBlock); ++b) {
        const double angleDeg = -180.0 + 22.5 * double(b) + rng.uniform(-5.0, 5.0);
        const double scale = rng.uniform(0.95, 1.05);
        const double a = angleDeg * 3.14159265358979323846 / 180.0;
        const xcVector<2> centre(double(b % (kSide / kBlock)) * kBlock + 0.5 * kBlock,
                                 double(b / (kSide / kBlock)) * kBlock + 0.5 * kBlock);
        const double half = 0.5 * double(kPerLine - 1) * oc_test::kCellW * scale;
        const xcVector<2> first = centre - xcVector<2>(std::cos(a), std::sin(a)) * half;
        const std::u32string text = oc_bench::LinePrinter::randomText(rng, kPerLine, b % 2 == 1);
        for (long key : printer.print(scene, text, angleDeg, scale, first)) h.keys.push_back(key);
    }
    h.image = scene.finish(0.7, 4.0, 23);
    return h;
}

Heavy& heavy() {
    static Heavy h = buildHeavy();
    return h;
}

// The heavy image with its corner pel changed, so that no cache of image data holds it.
void freshImage() {
    static unsigned char counter = 0;
    *heavy().image.pointToPel(0, 0) = static_cast<unsigned char>(190 + ++counter % 20);
}

void forgetTraining() {
    xf_OCTrainedCharCacheClear();
    xf_OCRefineSearcherCacheClear();
}

void arrange() {
    xcOCArrangeResults results;
    xfOCArrange(heavy().image, *heavy().alphabet, heavy().keys, xcOCArrangeParams(), results,
                nullptr, 0);
    benchmark::DoNotOptimize(results);
}

const xcOCAlphabet::Models& compileModels() {
    static const xcOCAlphabet::Models m = oc_test::glyphModels(oc_test::kCompileChars, 1);
    return m;
}

struct Figures {
    oc_bench::PollGaps gaps;
    std::map<int, oc_bench::Lateness> late;
};
std::map<std::string, Figures> gFigures;

void BM_ArrangeTrained(benchmark::State& state) {
    heavy();
    Figures f;
    for (auto _ : state) {
        freshImage();
        arrange(); // trains the patterns on this thread
        freshImage();
        f.gaps = oc_bench::pollGaps(&arrange, oc_bench::threadCpuMs, gStacks);
        for (int limit : kLimitsMs)
            f.late[limit] = oc_bench::lateness(&freshImage, &arrange, limit, gRuns);
    }
    gFigures["arrange, alphabet trained before"] = f;
}

void BM_ArrangeFirstCall(benchmark::State& state) {
    heavy();
    const auto prepare = [] {
        freshImage();
        forgetTraining();
    };
    Figures f;
    for (auto _ : state) {
        prepare();
        f.gaps = oc_bench::pollGaps(&arrange, oc_bench::threadCpuMs, gStacks);
        for (int limit : kLimitsMs)
            f.late[limit] = oc_bench::lateness(prepare, &arrange, limit, gRuns);
    }
    gFigures["arrange, first call on the thread"] = f;
}

void BM_Compile(benchmark::State& state) {
    xcOCAlphabet alphabet;
    const auto prepare = [&] { alphabet = xcOCAlphabet(compileModels(), 0.5, false, "limits"); };
    const auto compile = [&] { alphabet.compile(nullptr, 0); };
    Figures f;
    for (auto _ : state) {
        prepare();
        f.gaps = oc_bench::pollGaps(compile, oc_bench::processCpuMs, gStacks);
        for (int limit : kLimitsMs)
            f.late[limit] =
                oc_bench::lateness(prepare, compile, limit, gRuns, CLOCK_PROCESS_CPUTIME_ID);
    }
    gFigures["compile, 41 characters"] = f;
}

BENCHMARK(BM_ArrangeTrained)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArrangeFirstCall)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compile)->Iterations(1)->Unit(benchmark::kMillisecond);

// Peak and starting resident size (MiB) of one heavy arrange in a forked child; negative when the
// child could not measure.
struct Resident {
    double peakMb = -1.0, beforeMb = -1.0;
};

Resident residentOfOneArrange() {
    int fds[2];
    Resident r;
    if (pipe(fds) != 0) return r;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        heavy();
        Resident c;
        c.beforeMb = oc_bench::statusMb("VmRSS");
        if (oc_bench::resetPeakResident()) {
            arrange();
            c.peakMb = oc_bench::statusMb("VmHWM");
        }
        const bool sent = write(fds[1], &c, sizeof c) == ssize_t(sizeof c);
        _exit(sent ? 0 : 1);
    }
    close(fds[1]);
    if (pid > 0) {
        if (read(fds[0], &r, sizeof r) != ssize_t(sizeof r)) r = Resident();
        waitpid(pid, nullptr, 0);
    }
    close(fds[0]);
    return r;
}

void parseOwnFlags(int argc, char** argv) {
    if (const char* env = std::getenv("OC_LIMITS_RUNS")) gRuns = std::max(1, std::atoi(env));
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--runs=", 7) == 0) gRuns = std::max(1, std::atoi(argv[i] + 7));
        if (std::strcmp(argv[i], "--stacks") == 0) gStacks = true;
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    parseOwnFlags(argc, argv);
    const Resident mem = residentOfOneArrange();
    benchmark::RunSpecifiedBenchmarks();

    std::printf("\nTime limits on a new %ld x %ld image of %zu characters and on compiling 41 "
                "characters (goal: at most %.0f ms of CPU between polls and %.0f ms late at the "
                "99th percentile)\n",
                kSide, kSide, heavy().keys.size(), kGoalMs, kGoalMs);
    for (const auto& [name, f] : gFigures) {
        std::printf("%s: longest stretch %.2f ms over %ld polls, ratio to goal %.2f (start to "
                    "first poll %.2f ms, last poll to end %.2f ms)\n",
                    name.c_str(), f.gaps.longestMs, f.gaps.polls, f.gaps.longestMs / kGoalMs,
                    f.gaps.headMs, f.gaps.tailMs);
        if (gStacks)
            std::printf("  longest stretch from\n%s  to\n%s", f.gaps.longestFrom.c_str(),
                        f.gaps.longestTo.c_str());
        double worst = 0.0, worstCpu = 0.0;
        for (const auto& [limit, l] : f.late) {
            oc_bench::printLateness(limit, l, true, true);
            worst = std::max(worst, l.p99());
            worstCpu = std::max(worstCpu, oc_bench::percentile(l.cpuLateMs, 0.99));
        }
        std::printf("  worst 99th percentile %.2f ms late, ratio to goal %.2f; in CPU time after "
                    "the limit %.2f ms, ratio to goal %.2f\n",
                    worst, worst / kGoalMs, worstCpu, worstCpu / kGoalMs);
    }
    if (mem.peakMb >= 0.0)
        std::printf("Peak resident size of one arrange (fresh child process): %.1f MB, of which "
                    "%.1f MB before the arrange; goal %.0f MB, ratio to goal %.2f\n",
                    mem.peakMb, mem.beforeMb, kGoalMb, mem.peakMb / kGoalMb);
    else
        std::printf("Peak resident size of one arrange: not measured (no /proc/self/clear_refs)\n");
    std::printf("Resident size after the runs above: %.1f MB, at most %.1f MB (the search tools' "
                "caches of recent images included)\n",
                oc_bench::statusMb("VmRSS"), oc_bench::statusMb("VmHWM"));
    benchmark::Shutdown();
    return 0;
}
