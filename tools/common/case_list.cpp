#include "common/case_list.h"

#include "common/detail/json_fields.h"

#include <filesystem>
#include <stdexcept>

namespace oc_tools {

namespace {

using detail::boolMember;

TruthChar truthOf(const nlohmann::json& t, const std::string& where) {
    TruthChar c;
    c.present = boolMember(t, "present", where);
    c.correct = boolMember(t, "correct", where);
    c.sym180 = t.contains("sym180") && boolMember(t, "sym180", where);
    c.pose = detail::numbersMember<6>(t, "pose", where);
    if (t.contains("pose180") && !t.at("pose180").is_null())
        c.pose180 = detail::numbersMember<6>(t, "pose180", where);
    return c;
}

template <class T>
std::vector<T> listOf(const nlohmann::json& c, const char* name, const std::string& where) {
    const nlohmann::json& v = detail::member(c, name, where);
    std::vector<T> out;
    if (v.is_array())
        for (const nlohmann::json& e : v) {
            if constexpr (std::is_same_v<T, long>) {
                if (!e.is_number_integer()) break;
            } else if (!e.is_string()) {
                break;
            }
            out.push_back(e.get<T>());
        }
    if (!v.is_array() || out.size() != v.size())
        throw std::runtime_error(where + ": \"" + name + "\" must be a list of " +
                                 (std::is_same_v<T, long> ? "integers" : "strings"));
    return out;
}

} // namespace

std::vector<EvalCase> readCaseList(const std::string& dir) {
    namespace fs = std::filesystem;
    const std::string path = (fs::path(dir) / "cases.json").string();
    const nlohmann::json list = detail::readJsonFile(path);
    if (!list.is_array()) throw std::runtime_error(path + ": must be a list of cases");
    std::vector<EvalCase> cases;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const nlohmann::json& c = list[i];
        std::string where = path + ": case " + std::to_string(i);
        EvalCase k;
        k.id = detail::stringMember(c, "id", where);
        where = path + ": case " + k.id;
        k.imagePath = (fs::path(dir) / detail::stringMember(c, "image", where)).string();
        k.font = detail::stringMember(c, "font", where);
        k.keys = listOf<long>(c, "keys", where);
        k.tags = listOf<std::string>(c, "tags", where);
        const nlohmann::json& truth = detail::member(c, "truth", where);
        if (!truth.is_array() || truth.size() != k.keys.size())
            throw std::runtime_error(where + ": \"truth\" must have one entry per key");
        for (std::size_t j = 0; j < truth.size(); ++j)
            k.truth.push_back(truthOf(truth[j], where + ", character " + std::to_string(j)));
        cases.push_back(std::move(k));
    }
    return cases;
}

} // namespace oc_tools
