// The arranger on the printed codes of the development data set: every case through
// xfOCArrange with default parameters on one thread, the results written in the scorer's format,
// the median and 90th-percentile CPU time per case printed. The peer reads only what a plain
// template matcher can: OpenCV's normalised correlation of every distinct expected character's
// model over the whole image, upright and at scale 1 only, per case.
//
// Usage: arrange_bench [data set folder] [--results out.json] [--case ID]; the folder defaults
// to the shared development set beside the source tree and the results to arrange_results.json
// in the working folder. Without a data set the program says so and exits cleanly. Score the
// results with the data set's scorer: python3 tools/score.py --data DIR --results out.json.
#include "bench_time.h"
#include "oc/arrange/arrange.h"
#include "pel_mat.h"
#include "support/arrange_dataset.h"
#include "support/pgm_read.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using oc_bench::percentile;
using oc_bench::threadCpuMs;

// The peer: every distinct normal key's model correlated over the whole image.
double peerMs(const cv::Mat& image, const std::map<long, cv::Mat>& models,
              const std::vector<long>& keys) {
    const double t0 = threadCpuMs();
    cv::Mat out;
    for (long key : std::set<long>(keys.begin(), keys.end())) {
        const auto m = models.find(key);
        if (m == models.end()) continue;
        cv::matchTemplate(image, m->second, out, cv::TM_CCOEFF_NORMED);
        double best = 0.0;
        cv::minMaxLoc(out, nullptr, &best);
    }
    return threadCpuMs() - t0;
}

} // namespace

int main(int argc, char** argv) {
    cv::setNumThreads(1);
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::string dir =
        (exe.parent_path() / "../../../../shared/data/dev").lexically_normal().string();
    std::string resultsPath = "arrange_results.json", only;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--results" && i + 1 < argc)
            resultsPath = argv[++i];
        else if (a == "--case" && i + 1 < argc)
            only = argv[++i];
        else
            dir = a;
    }
    if (!std::filesystem::exists(std::filesystem::path(dir) / "cases.json")) {
        std::printf("arrange_bench: no data set at %s; nothing measured\n", dir.c_str());
        return 0;
    }
    const oc_test::Dataset data = oc_test::readDataset(dir);
    std::map<std::string, xcPtrHandle_const<xcOCAlphabet>> alphabets;
    std::map<std::string, std::map<long, cv::Mat>> peerModels;
    for (const auto& [font, chars] : data.fonts) {
        alphabets[font] = oc_test::datasetAlphabet(data, font);
        for (const oc_test::DatasetChar& c : chars)
            peerModels[font][c.key] = oc_bench::toMat(c.image);
    }

    const xcOCArrangeParams params;
    std::vector<double> ours, peer;
    std::ofstream out(resultsPath);
    out << "{\"cases\": [\n";
    bool first = true;
    for (const oc_test::DatasetCase& k : data.cases) {
        if (!only.empty() && k.id != only) continue;
        const xcPelBuffer<unsigned char> image = oc_test::readPgm(k.imagePath);
        xcOCArrangeResults results;
        const double t0 = threadCpuMs();
        xfOCArrange(image, *alphabets[k.font], k.keys, params, results, nullptr, 0);
        ours.push_back(threadCpuMs() - t0);
        peer.push_back(peerMs(oc_bench::toMat(image), peerModels[k.font], k.keys));
        out << (first ? "" : ",\n")
            << oc_test::caseResultJson(k.id, ours.back(), results, *alphabets[k.font], k.keys);
        first = false;
        std::fprintf(stderr, "\r%zu/%zu %s %.1f ms   ", ours.size(), data.cases.size(),
                     k.id.c_str(), ours.back());
    }
    out << "\n]}\n";
    std::fprintf(stderr, "\n");
    const double median = percentile(ours, 0.5), peerMedian = percentile(peer, 0.5);
    std::printf("arrange on %zu cases of %s, results in %s\n", ours.size(), dir.c_str(),
                resultsPath.c_str());
    std::printf("  per case (thread CPU ms): median %.2f, 90th percentile %.2f, max %.2f\n", median,
                percentile(ours, 0.9), percentile(ours, 1.0));
    std::printf("  peer, OpenCV matchTemplate upright only: median %.2f, 90th percentile %.2f\n",
                peerMedian, percentile(peer, 0.9));
    std::printf("  ratio ours/peer (median) %.2f\n", median / std::max(1e-9, peerMedian));
    return 0;
}
