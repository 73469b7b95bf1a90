#include "support/dataset.h"

#include "support/pgm_read.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace oc_test {

namespace {

nlohmann::json readJson(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot open " + path);
    try {
        return nlohmann::json::parse(in);
    } catch (const nlohmann::json::exception& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
}

xcXform<2> poseOf(const nlohmann::json& p) {
    const std::vector<double> v = p.get<std::vector<double>>();
    if (v.size() != 6) throw std::runtime_error("a pose needs six numbers");
    return xcXform<2>(xcMatrix<2>(v[0], v[1], v[2], v[3]), xcVector<2>(v[4], v[5]));
}

std::vector<DatasetChar> readFont(const std::filesystem::path& dir,
                                  std::vector<DatasetBlank>& blanks) {
    std::vector<DatasetChar> out;
    for (const nlohmann::json& e : readJson((dir / "alphabet.json").string())) {
        if (e.at("type").get<std::string>() != "normal") {
            const std::vector<long> a = e.at("area").get<std::vector<long>>();
            if (a.size() != 4) throw std::runtime_error("an area needs four numbers");
            blanks.push_back(
                {e.at("name").get<std::string>(), e.at("key").get<long>(), a[2], a[3]});
            continue;
        }
        DatasetChar c;
        c.name = e.at("name").get<std::string>();
        c.key = e.at("key").get<long>();
        c.image = readPgm((dir / e.at("file").get<std::string>()).string());
        const std::vector<long> a = e.at("area").get<std::vector<long>>();
        if (a.size() != 4) throw std::runtime_error("an area needs four numbers");
        c.image.window(xcPelRect(a[0], a[1], a[2], a[3]), true);
        out.push_back(std::move(c));
    }
    return out;
}

} // namespace

Dataset readDataset(const std::string& dir) {
    namespace fs = std::filesystem;
    Dataset d;
    for (const fs::directory_entry& f : fs::directory_iterator(fs::path(dir) / "fonts"))
        if (f.is_directory()) {
            const std::string font = f.path().filename().string();
            d.fonts[font] = readFont(f.path(), d.blanks[font]);
        }
    for (const nlohmann::json& c : readJson((fs::path(dir) / "cases.json").string())) {
        DatasetCase k;
        k.id = c.at("id").get<std::string>();
        k.font = c.at("font").get<std::string>();
        k.tags = c.at("tags").get<std::vector<std::string>>();
        k.imagePath = (fs::path(dir) / c.at("image").get<std::string>()).string();
        const std::vector<long> keys = c.at("keys").get<std::vector<long>>();
        k.keys = keys;
        const nlohmann::json& truth = c.at("truth");
        if (truth.size() != keys.size())
            throw std::runtime_error(k.id + ": truth and keys differ in length");
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (keys[i] == 32) continue;
            DatasetTruth t;
            t.key = keys[i];
            t.present = truth[i].at("present").get<bool>();
            t.sym180 = truth[i].value("sym180", false);
            t.defect = truth[i].value("defect", std::string());
            t.pose = poseOf(truth[i].at("pose"));
            t.pose180 = truth[i].contains("pose180") ? poseOf(truth[i].at("pose180")) : t.pose;
            k.truth.push_back(t);
        }
        d.cases.push_back(std::move(k));
    }
    return d;
}

} // namespace oc_test
