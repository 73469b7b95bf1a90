// The pattern-alignment tool on the printed codes of the development data set: one pattern per
// character of each font, every case searched for each of its keys with the full angle zone,
// scale 0.8..1.25 and numToFind = occurrences + 2, as the extraction searches. Prints the share
// of present characters found (an accepted result within 2 pels and 5 degrees of the truth, the
// 180-degree pose counting for glyphs that look the same turned) per tag, also among the sound
// characters only (damaged ones such as half-erased left out), the characters whose
// pattern the tool refuses to train, and the median and 99th percentile CPU time per key.
// There is no peer in this program: brute-force correlation takes seconds per key
// (align_search_bench times it), far too long for thousands of searches.
//
// Usage: align_dataset_bench [data set folder] [--misses] [--case id] [--dump file]; the folder
// defaults to the shared development set beside the source tree. --dump writes every result
// (case, key, score, pose, coverage, clutter, contrast) in full precision, one a line, so that two
// builds can be compared for identical results. Without it the program says so and exits cleanly.
#include "align/align_defs.h"
#include "align/align_pattern.h"
#include "bench_time.h"
#include "support/dataset.h"
#include "support/pgm_read.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <numbers>
#include <set>
#include <string>
#include <vector>

namespace {

using oc_bench::percentile;
using oc_bench::threadCpuMs;

double angleOf(const xcXform<2>& p) {
    return std::atan2(p.matrix().c(), p.matrix().a());
}

// Whether a result pose puts the cell's centre within 2 pels of the truth's and its angle within
// 5 degrees.
bool near(const xcXform<2>& found, const xcXform<2>& truth, const xcVector<2>& centre) {
    const double d = (found.mapPoint(centre) - truth.mapPoint(centre)).len();
    const double a =
        std::fabs(std::remainder(angleOf(found) - angleOf(truth), 2 * std::numbers::pi));
    return d <= 2.0 && a <= 5.0 * std::numbers::pi / 180.0;
}

// Present characters and those found; `sound` leaves out the damaged ones (half-erased and the
// like), which no model of the whole glyph is meant to find.
struct Tally {
    long present = 0, found = 0, sound = 0, soundFound = 0;
    void add(bool hit, bool damaged) {
        ++present;
        found += hit;
        sound += !damaged;
        soundFound += hit && !damaged;
    }
};

// The middle of a model image's ink: the mean position of the pels farther from the median
// grey (the paper) than half the grey range.
xcVector<2> inkCentre(const xcPelBuffer<unsigned char>& image) {
    std::vector<unsigned char> greys;
    for (long y = 0; y < image.height(); ++y)
        greys.insert(greys.end(), image.rowPointer(y), image.rowPointer(y) + image.width());
    std::vector<unsigned char> sorted = greys;
    std::nth_element(sorted.begin(), sorted.begin() + long(sorted.size() / 2), sorted.end());
    const int paper = sorted[sorted.size() / 2];
    const auto [lo, hi] = std::minmax_element(greys.begin(), greys.end());
    double sx = 0, sy = 0, n = 0;
    for (long y = 0; y < image.height(); ++y)
        for (long x = 0; x < image.width(); ++x)
            if (2 * std::abs(int(greys[std::size_t(y * image.width() + x)]) - paper) > *hi - *lo) {
                sx += double(x) + 0.5;
                sy += double(y) + 0.5;
                n += 1;
            }
    const xcPelRect w = image.window();
    return n > 0 ? xcVector<2>(double(w.x()) + sx / n, double(w.y()) + sy / n)
                 : xcVector<2>(double(w.x()) + 0.5 * double(w.width()),
                               double(w.y()) + 0.5 * double(w.height()));
}

struct Trained {
    xcAlignPattern pattern;
    xcVector<2> centre, ink;
    std::string name;
};

} // namespace

int main(int argc, char** argv) {
    // The program lives in <source>/build/<preset>/bench; the data set beside the source tree.
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::string dir =
        (exe.parent_path() / "../../../../shared/data/dev").lexically_normal().string();
    bool misses = false;
    std::string only, dumpPath;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--misses")
            misses = true;
        else if (a == "--case" && i + 1 < argc)
            only = argv[++i];
        else if (a == "--dump" && i + 1 < argc)
            dumpPath = argv[++i];
        else
            dir = a;
    }
    if (!std::filesystem::exists(std::filesystem::path(dir) / "cases.json")) {
        std::printf("align_dataset_bench: no data set at %s; nothing measured\n", dir.c_str());
        return 0;
    }
    const oc_test::Dataset data = oc_test::readDataset(dir);
    std::FILE* dump = dumpPath.empty() ? nullptr : std::fopen(dumpPath.c_str(), "w");

    std::map<std::string, std::map<long, Trained>> patterns;
    long refused = 0, refusedPresent = 0;
    std::set<std::string> refusedNames;
    for (const auto& [font, chars] : data.fonts)
        for (const oc_test::DatasetChar& c : chars) {
            Trained t;
            try {
                t.pattern.train(c.image, 3, nullptr, 0);
            } catch (const xc_AlignDefs::Errors&) {
                ++refused;
                refusedNames.insert(font + ":" + c.name);
                continue;
            }
            const xcPelRect w = c.image.window();
            t.centre = xcVector<2>(double(w.x()) + 0.5 * double(w.width()),
                                   double(w.y()) + 0.5 * double(w.height()));
            t.ink = inkCentre(c.image);
            t.name = c.name;
            patterns[font].emplace(c.key, std::move(t));
        }

    xcAlignRunParams params;
    params.acceptThreshold(0.4);
    params.zoneEnable(3);
    params.zone(1, -180.0, 180.0);
    params.zone(2, 0.8, 1.25);
    params.xyOverlap(0.2);

    std::map<std::string, Tally> tags;
    Tally all;
    long angleOnly = 0, otherSound = 0;
    std::vector<double> times;
    for (const oc_test::DatasetCase& k : data.cases) {
        if (!only.empty() && k.id != only) continue;
        const xcPelBuffer<unsigned char> image = oc_test::readPgm(k.imagePath);
        std::map<long, long> counts;
        for (const oc_test::DatasetTruth& t : k.truth) ++counts[t.key];
        for (const auto& [key, count] : counts) {
            const auto it = patterns[k.font].find(key);
            if (it == patterns[k.font].end()) {
                for (const oc_test::DatasetTruth& t : k.truth)
                    refusedPresent += t.key == key && t.present;
                continue;
            }
            const Trained& tr = it->second;
            params.numToFind(count + 2);
            xcAlignResultSet rs;
            const double t0 = threadCpuMs();
            tr.pattern.run(image, params, rs, nullptr, 0);
            times.push_back(threadCpuMs() - t0);
            if (misses && times.back() > 6.0)
                std::printf("slow %s %s %.1f ms\n", k.id.c_str(), tr.name.c_str(), times.back());
            for (const xcAlignResult& r : rs) {
                if (!dump) break;
                const auto& m = r.pose().matrix();
                std::fprintf(
                    dump, "%s %ld %.17g %d %.17g %.17g %.17g %.17g %.17g %.17g %.17g %.17g %.17g\n",
                    k.id.c_str(), key, r.score(), int(r.accepted()), m.a(), m.b(), m.c(), m.d(),
                    r.pose().trans().x(), r.pose().trans().y(), r.coverage(), r.clutter(),
                    r.contrast());
            }
            for (const oc_test::DatasetTruth& t : k.truth) {
                if (t.key != key || !t.present) continue;
                bool hit = false;
                for (const xcAlignResult& r : rs)
                    hit = hit ||
                          (r.accepted() && (near(r.pose(), t.pose, tr.centre) ||
                                            (t.sym180 && near(r.pose(), t.pose180, tr.centre))));
                const bool damaged = !t.defect.empty();
                for (const std::string& tag : k.tags) tags[tag].add(hit, damaged);
                all.add(hit, damaged);
                if (!hit && !damaged) {
                    bool atPlace = false;
                    for (const xcAlignResult& r : rs)
                        atPlace =
                            atPlace ||
                            (r.accepted() &&
                             (r.pose().mapPoint(tr.ink) - t.pose.mapPoint(tr.ink)).len() <= 2.0);
                    ++(atPlace ? angleOnly : otherSound);
                }
                if (!hit && misses) {
                    const xcVector<2> c = t.pose.mapPoint(tr.centre);
                    std::printf("miss %s %s at (%.1f, %.1f) %.1f deg:", k.id.c_str(),
                                tr.name.c_str(), c.x(), c.y(),
                                angleOf(t.pose) * 180 / std::numbers::pi);
                    for (const xcAlignResult& r : rs) {
                        const xcVector<2> f = r.pose().mapPoint(tr.centre);
                        std::printf(" [%.3f%s (%.1f, %.1f) %.1f]", r.score(),
                                    r.accepted() ? "" : "x", f.x(), f.y(), r.angleDeg());
                    }
                    std::printf("\n");
                }
            }
        }
    }

    if (dump) std::fclose(dump);
    std::printf("align on the data set %s (%zu cases)\n", dir.c_str(), data.cases.size());
    const auto line = [](const std::string& name, const Tally& t) {
        std::printf("  %-11s found %5ld of %5ld = %6.2f %%   sound %5ld of %5ld = %6.2f %%\n",
                    name.c_str(), t.found, t.present,
                    100.0 * double(t.found) / double(std::max(1L, t.present)), t.soundFound,
                    t.sound, 100.0 * double(t.soundFound) / double(std::max(1L, t.sound)));
    };
    for (const auto& [tag, t] : tags) line(tag, t);
    line("all", all);
    std::printf("  sound characters missed: %ld with the ink in place at another angle (a round "
                "dot's angle "
                "is not in its pels), %ld otherwise\n",
                angleOnly, otherSound);
    std::printf("  refused to train: %ld patterns (", refused);
    for (const std::string& n : refusedNames) std::printf(" %s", n.c_str());
    std::printf(" ), %ld present characters left out\n", refusedPresent);
    std::printf("  time per key (thread CPU ms, %zu searches): median %.2f, 99th percentile %.2f, "
                "max %.2f\n",
                times.size(), percentile(times, 0.5), percentile(times, 0.99),
                percentile(times, 1.0));
    return 0;
}
