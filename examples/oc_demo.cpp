// Demo: teaches the sample alphabet (samples/fonts/dejavu-sans-bold), finds the expected text in
// every sample image with the arranger and prints, per image, each character's status, score, where
// it stands and how far that is from the truth; writes all results as one JSON file in the data
// sets' results format. Exits non-zero only when something cannot be read or written.
//
// Usage: oc_demo [SAMPLE_DIR [RESULTS_JSON]]
#include "core/image/pel_buffer.h"
#include "core/sys/timer.h"
#include "oc/arrange/arrange.h"
#include "oc/arrange/char_poses.h"
#include "oc/library.h"
#include "oc/oc/model.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// A binary 8-bit PGM (P5) file.
xcPelBuffer<unsigned char> readPgm(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    long w = 0, h = 0, maxval = 0;
    in >> magic >> w >> h >> maxval;
    in.get();
    if (!in || magic != "P5" || w <= 0 || h <= 0 || w > 16384 || h > 16384 || maxval > 255)
        throw std::runtime_error(path.string() + ": not an 8-bit binary PGM file");
    xcPelBuffer<unsigned char> img(w, h);
    for (long y = 0; y < h; ++y) in.read(reinterpret_cast<char*>(img.rowPointer(y)), w);
    if (!in) throw std::runtime_error(path.string() + ": the file ends early");
    return img;
}

xcPelRect areaOf(const json& e) {
    const auto a = e.at("area").get<std::vector<long>>();
    if (a.size() != 4) throw std::runtime_error("an area needs four numbers");
    return xcPelRect(a[0], a[1], a[2], a[3]);
}

xcVector<2> middleOf(const xcPelRect& r) {
    return xcVector<2>(double(r.x()) + 0.5 * double(r.width()),
                       double(r.y()) + 0.5 * double(r.height()));
}

// The alphabet of a folder holding alphabet.json and the model images it names.
xcOCAlphabet readAlphabet(const fs::path& dir) {
    std::ifstream in(dir / "alphabet.json");
    if (!in) throw std::runtime_error((dir / "alphabet.json").string() + ": cannot read");
    xcOCAlphabet::Models models;
    for (const json& e : json::parse(in)) {
        const long key = e.at("key").get<long>();
        const std::string name = e.at("name").get<std::string>();
        const xcPelRect area = areaOf(e);
        if (e.at("type").get<std::string>() == "blank") {
            models.emplace_back(new xcOCModel(key, xcPelBuffer_const<unsigned char>(), area,
                                              xcOCModel::eBlank, name, ""));
            continue;
        }
        // The arranger fits its lines through the models' client origins and spaces characters
        // by half widths: each model's client origin goes to the middle of its cell.
        xcPelBuffer<unsigned char> image = readPgm(dir / e.at("file").get<std::string>());
        image.clientFromImageXform(xcXform<2>(xcMatrix<2>(), -middleOf(area)));
        models.emplace_back(new xcOCModel(key, image, area, xcOCModel::eNormal, name, ""));
    }
    return xcOCAlphabet(models, 0.5, false, dir.filename().string());
}

const char* statusName(xcOCArrangeDefs::CharStatus s) {
    switch (s) {
    case xcOCArrangeDefs::eMatched:
        return "matched";
    case xcOCArrangeDefs::eInferred:
        return "inferred";
    default:
        return "unknown";
    }
}

// Arranges one case, prints its table and returns its entry of the results file.
json runCase(const fs::path& dir, const json& c, const xcOCAlphabet& alphabet, int& found,
             int& total) {
    const auto keys = c.at("keys").get<std::vector<long>>();
    const json& truth = c.at("truth");
    const xcPelBuffer<unsigned char> image = readPgm(dir / c.at("image").get<std::string>());
    xcOCArrangeResults r;
    xcTimer timer;
    timer.start();
    xfOCArrange(image, alphabet, keys, xcOCArrangeParams(), r, nullptr, 0);
    timer.stop();
    const std::vector<xcXform<2>> poses = xfOCCharacterPoses(r);

    std::printf("\n%s: \"%s\" (%s), %s in %.1f ms\n", c.at("image").get<std::string>().c_str(),
                c.at("text").get<std::string>().c_str(), c.at("tags")[0].get<std::string>().c_str(),
                r.isFound() ? "found" : "NOT FOUND", timer.msec());
    if (r.isSearchTruncated()) std::printf("(the search was cut short)\n");
    std::printf("   #  char  status    score       x       y   angle  off truth\n");
    json chars = json::array();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const xcVector<2> middle = middleOf(alphabet.character(keys[i])->imageArea());
        const xcXform<2> client = i < poses.size() ? poses[i] : xcXform<2>();
        // Client poses place the middle of the cell; the results file poses the model image.
        const xcXform<2> pose = client * xcXform<2>(xcMatrix<2>(), -middle);
        const auto t = truth.at(i).at("pose").get<std::vector<double>>();
        const xcVector<2> want(t[0] * middle.x() + t[1] * middle.y() + t[4],
                               t[2] * middle.x() + t[3] * middle.y() + t[5]);
        const double off = client.trans().distance(want);
        const auto status = r.statusFlags().at(i);
        const double angleDeg =
            std::atan2(client.matrix().c(), client.matrix().a()) * 180.0 / std::numbers::pi;
        if (status == xcOCArrangeDefs::eUnknown)
            std::printf("  %2zu  '%c'   %-8s      -       -       -       -      -\n", i,
                        char(keys[i]), statusName(status));
        else
            std::printf("  %2zu  '%c'   %-8s  %5.3f  %6.1f  %6.1f  %6.1f  %5.2f px\n", i,
                        char(keys[i]), statusName(status), r.scores().at(i), client.trans().x(),
                        client.trans().y(), angleDeg, off);
        found += status != xcOCArrangeDefs::eUnknown && off < 2.0;
        ++total;
        const xcMatrix<2>& m = pose.matrix();
        chars.push_back(
            {{"status", statusName(status)},
             {"score", r.scores()[i]},
             {"pose", {m.a(), m.b(), m.c(), m.d(), pose.trans().x(), pose.trans().y()}}});
    }
    return {{"id", c.at("id")}, {"time_ms", timer.msec()}, {"chars", chars}};
}

} // namespace

int main(int argc, char** argv) {
    try {
        const fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::path(OC_SAMPLE_DIR);
        const fs::path out =
            argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "oc_demo_results.json";
        std::printf("OC library %s demo on %s\n", xfOCLibraryVersion(), dir.string().c_str());

        std::ifstream in(dir / "cases.json");
        if (!in) throw std::runtime_error((dir / "cases.json").string() + ": cannot read");
        const json cases = json::parse(in);
        json results = json::array();
        int found = 0, total = 0;
        std::string font;
        xcOCAlphabet alphabet;
        for (const json& c : cases) {
            if (c.at("font").get<std::string>() != font) {
                font = c.at("font").get<std::string>();
                alphabet = readAlphabet(dir / "fonts" / font);
                std::printf("alphabet %s: %ld characters\n", font.c_str(), alphabet.numChars());
            }
            results.push_back(runCase(dir, c, alphabet, found, total));
        }

        std::ofstream(out) << json{{"cases", results}}.dump(1) << "\n";
        std::printf("\n%d of %d characters located within 2 px of the truth\nresults: %s\n", found,
                    total, out.string().c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "oc_demo: %s\n", e.what());
        return 2;
    }
}
