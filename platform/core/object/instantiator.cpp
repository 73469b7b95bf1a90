#include "core/object/instantiator.h"

#include <cxxabi.h>

#include <cassert>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <typeindex>
#include <unordered_map>

namespace {

struct Registration {
    xc_Instantiator::MakeFn make;
    std::type_index type;
    int count;
};

// Built on first use, so that registrations made by static objects of any translation unit
// find it ready whatever the order of static initialisation.
struct Registry {
    std::mutex mutex;
    std::unordered_map<std::string, Registration> byName;
    std::unordered_map<std::type_index, std::string> byType;
};

Registry& registry() {
    static Registry r;
    return r;
}

} // namespace

xc_Instantiator::xc_Instantiator(const std::type_info& type, MakeFn make) : type_(&type) {
    assert(make != nullptr);
    std::string name = className(type);
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto [it, added] = r.byName.try_emplace(name, Registration{make, std::type_index(type), 0});
    ++it->second.count;
    if (added) r.byType.emplace(std::type_index(type), std::move(name));
}

xc_Instantiator::~xc_Instantiator() {
    const std::string name = className(*type_);
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.byName.find(name);
    if (it == r.byName.end() || --it->second.count > 0) return;
    r.byType.erase(it->second.type);
    r.byName.erase(it);
}

xc_Instantiator::MakeFn xc_Instantiator::find(const std::string& className) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.byName.find(className);
    return it == r.byName.end() ? nullptr : it->second.make;
}

std::string xc_Instantiator::registeredName(const std::type_info& type) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.byType.find(std::type_index(type));
    return it == r.byType.end() ? std::string() : it->second;
}

std::string xc_Instantiator::className(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    return status == 0 && demangled ? std::string(demangled.get()) : std::string(type.name());
}
