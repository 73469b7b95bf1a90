#include "common/results_json.h"

#include "oc/arrange/char_poses.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace oc_tools {

namespace {

const char* const kStatus[] = {"matched", "inferred", "unknown"};

std::optional<Pose> poseOf(const nlohmann::json& p) {
    if (!p.is_array() || p.size() != 6) return std::nullopt;
    Pose out{};
    for (std::size_t i = 0; i < 6; ++i) {
        if (!p[i].is_number() || !std::isfinite(p[i].get<double>())) return std::nullopt;
        out[i] = p[i].get<double>();
    }
    return out;
}

CharReport charOf(const nlohmann::json& c) {
    CharReport r{"unknown", 0.0, std::nullopt};
    if (!c.is_object()) return r;
    const auto status = c.find("status"), score = c.find("score"), pose = c.find("pose");
    r.status = status != c.end() && status->is_string() ? status->get<std::string>() : "";
    if (score != c.end() && score->is_number()) r.score = score->get<double>();
    if (pose != c.end()) r.pose = poseOf(*pose);
    return r;
}

} // namespace

std::vector<CharReport> charReports(const xcOCArrangeResults& results, const xcOCAlphabet& alphabet,
                                    const std::vector<long>& keys) {
    const std::vector<xcXform<2>> poses = xfOCCharacterPoses(results);
    std::vector<CharReport> out;
    for (std::size_t i = 0; i < results.statusFlags().size() && i < keys.size(); ++i) {
        const xcVector<2> centre = alphabet.character(keys[i])->imageArea().center();
        const xcXform<2> p =
            (i < poses.size() ? poses[i] : xcXform<2>()) * xcXform<2>::translation(-centre);
        const xcMatrix<2>& m = p.matrix();
        const std::size_t s = std::min<std::size_t>(results.statusFlags()[i], 2);
        out.push_back({kStatus[s], results.scores()[i],
                       Pose{m.a(), m.b(), m.c(), m.d(), p.trans().x(), p.trans().y()}});
    }
    return out;
}

nlohmann::json caseJson(const CaseReport& c) {
    nlohmann::json chars = nlohmann::json::array();
    for (const CharReport& r : c.chars)
        chars.push_back({{"status", r.status},
                         {"score", r.score},
                         {"pose", r.pose ? nlohmann::json(*r.pose) : nlohmann::json()}});
    nlohmann::json out{{"id", c.id}, {"chars", chars}};
    if (c.timeMs) out["time_ms"] = *c.timeMs;
    return out;
}

std::vector<CaseReport> readResults(const nlohmann::json& doc, const std::string& name) {
    if (!doc.is_object()) throw std::runtime_error(name + ": not a results object");
    std::vector<CaseReport> out;
    const auto cases = doc.find("cases");
    if (cases == doc.end() || !cases->is_array()) return out;
    for (const nlohmann::json& c : *cases) {
        const auto id = c.is_object() ? c.find("id") : c.end();
        if (!c.is_object() || id == c.end() || !id->is_string())
            throw std::runtime_error(name + ": a case without a string \"id\"");
        CaseReport r{id->get<std::string>(), std::nullopt, {}};
        const auto time = c.find("time_ms"), chars = c.find("chars");
        if (time != c.end() && time->is_number()) r.timeMs = time->get<double>();
        if (chars != c.end() && chars->is_array())
            for (const nlohmann::json& ch : *chars) r.chars.push_back(charOf(ch));
        out.push_back(std::move(r));
    }
    return out;
}

} // namespace oc_tools
