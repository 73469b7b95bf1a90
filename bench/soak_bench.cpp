// Whether repeated arranges leak: 1,000 calls of xfOCArrange with one alphabet (the 41-character
// alphabet of rendered glyphs: digits, capitals, '-', '/', ':', '.' and a blank) on 50 images
// like the development set's (640 x 480, one to three lines of 6 to 14 characters, turned up to
// 30 degrees, scales 0.9 to 1.1, blur and noise), taken in turn, on one thread. Prints the
// resident size (VmRSS) before the first arrange, after 100 (the caches of trained patterns and
// of recent images full by then) and at the end, and the growth from 100 to the end against the
// goal of none beyond noise (1 MB); and the median CPU time per arrange.
//
// Usage: soak_bench [--arranges=N] (default 1000, at least 100).
#include "bench_memory.h"
#include "bench_time.h"
#include "glyph_scene.h"
#include "oc/arrange/arrange.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kImages = 50;
constexpr double kNoiseMb = 1.0;

struct Case {
    std::vector<long> keys;
    xcPelBuffer<unsigned char> image;
};

// Lines stacked down the image, each through a random point near the middle column.
Case makeCase(const oc_bench::LinePrinter& printer, oc_test::Rng& rng) {
    Case c;
    oc_test::Scene scene(640, 480);
    const int lines = 1 + int(rng.next() % 3);
    const double angleDeg = rng.uniform(-30.0, 30.0), scale = rng.uniform(0.9, 1.1);
    const double a = angleDeg * 3.14159265358979323846 / 180.0;
    const xcVector<2> along(std::cos(a), std::sin(a)), across(-std::sin(a), std::cos(a));
    const xcVector<2> centre(320.0 + rng.uniform(-20.0, 20.0), 240.0 + rng.uniform(-20.0, 20.0));
    for (int l = 0; l < lines; ++l) {
        const std::size_t length = 6 + std::size_t(rng.next() % 9);
        const double half = 0.5 * double(length - 1) * oc_test::kCellW * scale;
        const double offset = (double(l) - 0.5 * double(lines - 1)) * 40.0 * scale;
        const xcVector<2> first = centre + across * offset - along * half;
        const std::u32string text = oc_bench::LinePrinter::randomText(rng, length, length > 9);
        for (long key : printer.print(scene, text, angleDeg, scale, first)) c.keys.push_back(key);
    }
    c.image = scene.finish(rng.uniform(0.5, 1.0), rng.uniform(2.0, 6.0), rng.next());
    return c;
}

} // namespace

int main(int argc, char** argv) {
    int arranges = 1000;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--arranges=", 11) == 0)
            arranges = std::max(100, std::atoi(argv[i] + 11));

    const xcPtrHandle_const<xcOCAlphabet> alphabet = oc_bench::cellAlphabet();
    std::vector<Case> cases;
    {
        const oc_bench::LinePrinter printer;
        oc_test::Rng rng(29);
        for (int i = 0; i < kImages; ++i) cases.push_back(makeCase(printer, rng));
    }

    const xcOCArrangeParams params;
    std::vector<double> cpuMs;
    double startMb = oc_bench::statusMb("VmRSS"), after100Mb = 0.0;
    long found = 0;
    for (int i = 0; i < arranges; ++i) {
        const Case& c = cases[std::size_t(i % kImages)];
        xcOCArrangeResults results;
        const double t0 = oc_bench::threadCpuMs();
        xfOCArrange(c.image, *alphabet, c.keys, params, results, nullptr, 0);
        cpuMs.push_back(oc_bench::threadCpuMs() - t0);
        for (auto s : results.statusFlags()) found += s == xcOCArrangeDefs::eMatched;
        if (i + 1 == 100) after100Mb = oc_bench::statusMb("VmRSS");
        if ((i + 1) % 50 == 0) std::fprintf(stderr, "\r%d/%d", i + 1, arranges);
    }
    std::fprintf(stderr, "\n");
    const double endMb = oc_bench::statusMb("VmRSS");

    long expected = 0;
    for (int i = 0; i < arranges; ++i)
        expected += long(cases[std::size_t(i % kImages)].keys.size());
    std::printf("%d arranges of %d images (640 x 480) with one 41-character alphabet: %ld of %ld "
                "printed characters matched, median %.2f ms CPU per arrange\n",
                arranges, kImages, found, expected, oc_bench::percentile(cpuMs, 0.5));
    std::printf("Resident size: %.1f MB at the start, %.1f MB after 100 arranges, %.1f MB after "
                "%d\n",
                startMb, after100Mb, endMb, arranges);
    std::printf("Growth after 100 arranges: %.2f MB (goal: none beyond noise, %.0f MB), ratio to "
                "the noise %.2f; growth from the start %.1f MB\n",
                endMb - after100Mb, kNoiseMb, (endMb - after100Mb) / kNoiseMb, endMb - startMb);
    return 0;
}
