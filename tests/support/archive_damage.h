// Test helper: damaged archives. Every truncation of an archive and every copy with one byte
// inverted go through `load`; a truncation must throw an xcException, an inverted byte may load
// (a changed number is still a number) or throw one. Any other exception fails the test, and a
// crash or a leak shows under the sanitizers.
#pragma once

#include "core/base/exception.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <exception>
#include <functional>
#include <vector>

namespace oc_test {

using DamageLoader = std::function<void(const std::vector<unsigned char>&)>;

// Returns how many damaged copies loaded without an exception.
inline int expectDamageRefused(const std::vector<unsigned char>& bytes, const DamageLoader& load) {
    int loaded = 0;
    const auto attempt = [&](const std::vector<unsigned char>& data, bool mustThrow,
                             std::size_t at) {
        try {
            load(data);
            ++loaded;
            if (mustThrow) ADD_FAILURE() << "a truncation to " << at << " bytes loaded";
        } catch (const xcException&) {
        } catch (const std::exception& e) {
            ADD_FAILURE() << "not a library exception at byte " << at << ": " << e.what();
        }
    };
    for (std::size_t n = 0; n < bytes.size(); ++n)
        attempt(std::vector<unsigned char>(bytes.begin(), bytes.begin() + long(n)), true, n);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::vector<unsigned char> data = bytes;
        data[i] ^= 0xFF;
        attempt(data, false, i);
    }
    return loaded;
}

} // namespace oc_test
