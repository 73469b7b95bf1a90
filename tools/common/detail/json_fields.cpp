#include "common/detail/json_fields.h"

#include <cmath>
#include <fstream>
#include <stdexcept>

namespace oc_tools::detail {

namespace {

[[noreturn]] void bad(const std::string& where, const char* name, const std::string& what) {
    throw std::runtime_error(where + ": \"" + name + "\" " + what);
}

// nlohmann's messages start with "[json.exception.parse_error.101] "; the user needs the rest.
std::string plainMessage(const std::string& what) {
    const std::size_t end = what.find("] ");
    return what.rfind("[json.exception", 0) == 0 && end != std::string::npos ? what.substr(end + 2)
                                                                             : what;
}

} // namespace

nlohmann::json readJsonFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error(path + ": cannot open");
    try {
        return nlohmann::json::parse(in);
    } catch (const nlohmann::json::exception& e) {
        throw std::runtime_error(path + ": " + plainMessage(e.what()));
    }
}

const nlohmann::json& member(const nlohmann::json& obj, const char* name,
                             const std::string& where) {
    if (!obj.is_object()) throw std::runtime_error(where + ": not a JSON object");
    const auto it = obj.find(name);
    if (it == obj.end()) bad(where, name, "is missing");
    return *it;
}

long intMember(const nlohmann::json& obj, const char* name, const std::string& where) {
    const nlohmann::json& v = member(obj, name, where);
    if (!v.is_number_integer()) bad(where, name, "must be an integer");
    return v.get<long>();
}

bool boolMember(const nlohmann::json& obj, const char* name, const std::string& where) {
    const nlohmann::json& v = member(obj, name, where);
    if (!v.is_boolean()) bad(where, name, "must be true or false");
    return v.get<bool>();
}

std::string stringMember(const nlohmann::json& obj, const char* name, const std::string& where) {
    const nlohmann::json& v = member(obj, name, where);
    if (!v.is_string()) bad(where, name, "must be a string");
    return v.get<std::string>();
}

template <std::size_t N>
std::array<double, N> numbersMember(const nlohmann::json& obj, const char* name,
                                    const std::string& where) {
    const nlohmann::json& v = member(obj, name, where);
    std::array<double, N> out{};
    if (!v.is_array() || v.size() != N)
        bad(where, name, "must be a list of " + std::to_string(N) + " numbers");
    for (std::size_t i = 0; i < N; ++i) {
        if (!v[i].is_number() || !std::isfinite(v[i].get<double>()))
            bad(where, name, "must be a list of " + std::to_string(N) + " numbers");
        out[i] = v[i].get<double>();
    }
    return out;
}

template std::array<double, 4> numbersMember<4>(const nlohmann::json&, const char*,
                                                const std::string&);
template std::array<double, 6> numbersMember<6>(const nlohmann::json&, const char*,
                                                const std::string&);

} // namespace oc_tools::detail
