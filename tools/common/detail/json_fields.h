// Reading JSON files and their fields with messages that name the file and the place at fault.
#pragma once

#include <nlohmann/json.hpp>

#include <array>
#include <string>

namespace oc_tools::detail {

// The parsed file; a file that cannot be opened or parsed throws std::runtime_error
// "<path>: <reason>".
nlohmann::json readJsonFile(const std::string& path);

// A member of an object; `where` names the object in the message when it is missing or of the
// wrong kind ("<where>: \"key\" must be an integer").
const nlohmann::json& member(const nlohmann::json& obj, const char* name, const std::string& where);
long intMember(const nlohmann::json& obj, const char* name, const std::string& where);
bool boolMember(const nlohmann::json& obj, const char* name, const std::string& where);
std::string stringMember(const nlohmann::json& obj, const char* name, const std::string& where);
// A list of exactly N finite numbers.
template <std::size_t N>
std::array<double, N> numbersMember(const nlohmann::json& obj, const char* name,
                                    const std::string& where);

} // namespace oc_tools::detail
