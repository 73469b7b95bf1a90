// oc arrange: where the characters of a text stand in each image, as a table, a results file
// and a diagnostics report.
#include "cli/alphabet_source.h"
#include "cli/arrange_options.h"
#include "cli/commands.h"
#include "common/image_file.h"
#include "common/results_json.h"
#include "diag/diag_object.h"
#include "oc/arrange/arrange.h"
#include "report/html_report.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace oc_tools {

namespace {

// The arranger's input, output and intermediate records.
constexpr unsigned long kReportFlags = 0x70000;

struct ArrangeArgs {
    std::string alphabet;
    std::string text;
    std::vector<long> keys;
    std::vector<std::string> images;
    std::string json;
    std::string report;
    std::unique_ptr<ArrangeOptions> options;
};

// The code points of UTF-8 text; malformed text throws.
std::vector<long> codePoints(const std::string& text) {
    std::vector<long> out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const int extra = c < 0x80         ? 0
                          : (c >> 5) == 6  ? 1
                          : (c >> 4) == 14 ? 2
                          : (c >> 3) == 30 ? 3
                                           : -1;
        if (extra < 0 || i + std::size_t(extra) >= text.size())
            throw std::runtime_error("--text is not valid UTF-8");
        long v = extra == 0 ? c : c & (0x3f >> extra);
        for (int k = 1; k <= extra; ++k) {
            const unsigned char n = static_cast<unsigned char>(text[i + std::size_t(k)]);
            if ((n >> 6) != 2) throw std::runtime_error("--text is not valid UTF-8");
            v = (v << 6) | (n & 0x3f);
        }
        out.push_back(v);
        i += std::size_t(extra) + 1;
    }
    return out;
}

void checkKeys(const xcOCAlphabet& alphabet, const std::vector<long>& keys) {
    if (keys.empty()) throw std::runtime_error("no characters to arrange");
    for (long k : keys)
        if (!alphabet.hasCharacter(k)) {
            const std::string shown =
                k > 32 && k < 127 ? "'" + std::string(1, char(k)) + "' (key " : "(key ";
            throw std::runtime_error("character " + shown + std::to_string(k) +
                                     ") is not in the alphabet " + alphabet.name());
        }
}

void printTable(const std::string& image, const xcOCArrangeResults& r, double ms,
                const xcOCAlphabet& alphabet, const std::vector<long>& keys,
                const std::vector<CharReport>& chars) {
    std::printf("%s: %s in %.1f ms%s\n", image.c_str(), r.isFound() ? "found" : "not found", ms,
                r.isSearchTruncated() ? " (search truncated)" : "");
    std::printf("%5s  %-8s %-9s %6s %9s %9s %8s\n", "index", "char", "status", "score", "x", "y",
                "angle");
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const CharReport& c = chars[i];
        const std::string& name = alphabet.character(keys[i])->name();
        std::printf("%5zu  %-8s %-9s %6.3f", i, name.c_str(), c.status.c_str(), c.score);
        if (c.status == "unknown" || !c.pose) {
            std::printf(" %9s %9s %8s\n", "-", "-", "-");
            continue;
        }
        // The middle of the character's cell in the image, and its turn.
        const Pose& p = *c.pose;
        const xcVector<2> m = alphabet.character(keys[i])->imageArea().center();
        std::printf(" %9.2f %9.2f %8.2f\n", p[0] * m.x() + p[1] * m.y() + p[4],
                    p[2] * m.x() + p[3] * m.y() + p[5], std::atan2(p[2], p[0]) * 180.0 / M_PI);
    }
}

void writeJson(const nlohmann::json& doc, const std::string& path) {
    std::ofstream out(path);
    out << doc.dump(1) << '\n';
    if (!out.flush()) throw std::runtime_error(path + ": cannot write");
}

int runArrange(const ArrangeArgs& args) {
    const xcOCArrangeParams params = args.options->params();
    const xcPtrHandle_const<xcOCAlphabet> alphabet = loadAlphabet(args.alphabet);
    const std::vector<long> keys = args.text.empty() ? args.keys : codePoints(args.text);
    checkKeys(*alphabet, keys);
    xcDiagObject diag;
    nlohmann::json cases = nlohmann::json::array();
    for (const std::string& path : args.images) {
        const xcPelBuffer<unsigned char> image = readImage(path);
        xcOCArrangeResults r;
        const auto start = std::chrono::steady_clock::now();
        xfOCArrange(image, *alphabet, keys, params, r, args.report.empty() ? nullptr : &diag,
                    kReportFlags);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        const std::vector<CharReport> chars = charReports(r, *alphabet, keys);
        printTable(path, r, ms, *alphabet, keys, chars);
        cases.push_back(caseJson({std::filesystem::path(path).stem().string(), ms, chars}));
    }
    if (!args.json.empty()) writeJson({{"cases", cases}}, args.json);
    if (!args.report.empty()) {
        writeHtmlReport(diag, "oc arrange", args.report);
        std::printf("report: %s\n", args.report.c_str());
    }
    return 0;
}

} // namespace

CommandRun addArrangeCommand(CLI::App& app) {
    auto args = std::make_shared<ArrangeArgs>();
    CLI::App* cmd = app.add_subcommand("arrange", "Find the characters of a text in images");
    cmd->add_option("--alphabet", args->alphabet, "Alphabet archive (.oca) or alphabet folder")
        ->required();
    CLI::Option* text = cmd->add_option("--text", args->text, "The expected text");
    CLI::Option* keys =
        cmd->add_option("--keys", args->keys, "The expected keys, comma-separated")->delimiter(',');
    text->excludes(keys);
    cmd->add_option("IMAGE", args->images, "PGM or PNG images")->required();
    cmd->add_option("--json", args->json, "Write the results file here");
    cmd->add_option("--report", args->report, "Write the diagnostics report (HTML) here");
    args->options = std::make_unique<ArrangeOptions>(*cmd);
    cmd->callback([text, keys] {
        if (text->count() + keys->count() == 0) throw CLI::RequiredError("--text or --keys");
    });
    return [args] { return runArrange(*args); };
}

} // namespace oc_tools
