// oc eval: every case of a data set arranged on several threads, the results file written and
// the scorer's figures printed.
#include "cli/commands.h"
#include "cli/progress.h"
#include "common/alphabet_folder.h"
#include "common/case_list.h"
#include "common/image_file.h"
#include "common/results_json.h"
#include "common/score.h"
#include "core/base/exception.h"
#include "oc/arrange/arrange.h"

#include <CLI/CLI.hpp>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <thread>

namespace oc_tools {

namespace {

struct EvalArgs {
    std::string dataset;
    std::string output;
    unsigned jobs = 1;
    double tau = 0.5;
};

struct Fonts {
    std::map<std::string, xcPtrHandle_const<xcOCAlphabet>> alphabets;
    FontChars chars;
};

Fonts readFonts(const std::string& dir, const std::vector<EvalCase>& cases) {
    Fonts f;
    for (const EvalCase& c : cases) {
        if (!f.alphabets.count(c.font)) {
            AlphabetFolder a =
                readAlphabetFolder((std::filesystem::path(dir) / "fonts" / c.font).string());
            f.alphabets[c.font] = a.alphabet;
            f.chars[c.font] = std::move(a.chars);
        }
        for (long k : c.keys)
            if (!f.chars[c.font].count(k))
                throw std::runtime_error("case " + c.id + ": key " + std::to_string(k) +
                                         " is not in font " + c.font);
    }
    return f;
}

// Runs the cases on `jobs` threads, each taking the next case; the alphabets are only read. The
// first failure stops the others and is thrown once they have ended.
std::vector<CaseReport> runCases(const std::vector<EvalCase>& cases, const Fonts& fonts,
                                 unsigned jobs) {
    std::vector<CaseReport> reports(cases.size());
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::mutex errorMutex;
    std::string error;
    Progress progress(cases.size(), isatty(STDERR_FILENO) != 0);
    const xcOCArrangeParams params;
    const auto work = [&] {
        for (std::size_t i; !failed && (i = next++) < cases.size();) {
            const EvalCase& c = cases[i];
            try {
                const xcPelBuffer<unsigned char> image = readImage(c.imagePath);
                const xcOCAlphabet& alphabet = *fonts.alphabets.at(c.font);
                xcOCArrangeResults r;
                const auto start = std::chrono::steady_clock::now();
                xfOCArrange(image, alphabet, c.keys, params, r, nullptr, 0);
                const double ms = std::chrono::duration<double, std::milli>(
                                      std::chrono::steady_clock::now() - start)
                                      .count();
                reports[i] = {c.id, ms, charReports(r, alphabet, c.keys)};
                progress.done(c.id, ms);
            } catch (const std::exception& e) {
                const auto* x = dynamic_cast<const xcException*>(&e);
                const std::lock_guard<std::mutex> lock(errorMutex);
                if (!failed.exchange(true))
                    error = "case " + c.id + ": " + (x ? x->message() : std::string(e.what()));
            }
        }
    };
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < jobs; ++t) threads.emplace_back(work);
    work();
    for (std::thread& t : threads) t.join();
    progress.finish();
    if (failed) throw std::runtime_error(error);
    return reports;
}

int runEval(const EvalArgs& args) {
    const std::vector<EvalCase> cases = readCaseList(args.dataset);
    const Fonts fonts = readFonts(args.dataset, cases);
    const auto start = std::chrono::steady_clock::now();
    const std::vector<CaseReport> reports = runCases(cases, fonts, args.jobs);
    const double wallS =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    nlohmann::json doc{{"cases", nlohmann::json::array()}};
    for (const CaseReport& r : reports) doc["cases"].push_back(caseJson(r));
    const std::string text = doc.dump(1);
    std::ofstream out(args.output);
    out << text << '\n';
    if (!out.flush()) throw std::runtime_error(args.output + ": cannot write");
    // Scored from the text as written, so the figures are those of the file.
    const Score s = scoreResults(cases, fonts.chars,
                                 readResults(nlohmann::json::parse(text), args.output), args.tau);
    for (std::size_t i = 0; i < s.problems.size() && i < 10; ++i)
        std::cerr << "warning: " << s.problems[i] << '\n';
    std::printf("%s", formatScore(s).c_str());
    std::printf("\n%zu cases in %.1f s on %u thread%s: %.1f ms wall time per case\n", cases.size(),
                wallS, args.jobs, args.jobs == 1 ? "" : "s",
                cases.empty() ? 0.0 : 1000.0 * wallS / double(cases.size()));
    return 0;
}

} // namespace

CommandRun addEvalCommand(CLI::App& app) {
    auto args = std::make_shared<EvalArgs>();
    CLI::App* cmd =
        app.add_subcommand("eval", "Run every case of a data set and score the results");
    cmd->add_option("DATASET_DIR", args->dataset, "Folder with cases.json, cases/ and fonts/")
        ->required();
    cmd->add_option("-o,--output", args->output, "Results file to write")->required();
    cmd->add_option("--jobs", args->jobs, "Threads, one arrangement each")
        ->capture_default_str()
        ->check(CLI::Range(1u, 256u));
    cmd->add_option("--tau", args->tau, "Accept threshold on the score")
        ->capture_default_str()
        ->check(CLI::Range(0.0, 1.0));
    return [args] { return runEval(*args); };
}

} // namespace oc_tools
