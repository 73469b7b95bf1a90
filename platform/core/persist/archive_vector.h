// Vectors in archives: a version byte 0, the element count as an unsigned long (uint32), then
// each element with its own archive operation.
#pragma once

#include "core/persist/archive.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

// The fewest bytes one archived T takes; loading checks count x this against the bytes left
// before it sizes a vector. Anything else archives at least a version byte or a tag.
template <class T>
struct xcArchiveMinBytes {
    static constexpr std::size_t value = 1;
};
template <class T>
requires std::is_arithmetic_v<T>
struct xcArchiveMinBytes<T> {
    // long and unsigned long take 4 bytes in archives on every host.
    static constexpr std::size_t value = sizeof(T) > 4 && std::is_integral_v<T> ? 4 : sizeof(T);
};
template <>
struct xcArchiveMinBytes<std::string> {
    static constexpr std::size_t value = 4;
};
template <>
struct xcArchiveMinBytes<std::basic_string<unsigned long>> {
    static constexpr std::size_t value = 4;
};
template <class U>
struct xcArchiveMinBytes<std::vector<U>> {
    static constexpr std::size_t value = 5;
};

// Element types whose archive bytes are their own bytes in little-endian order; vectors of them
// move as one block.
template <class T>
inline constexpr bool xcArchiveIsBlock =
    std::is_arithmetic_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, long> &&
    !std::is_same_v<T, unsigned long> && !std::is_same_v<T, long double>;

namespace xcArchiveDetail {

// Reverses the bytes of each element in place (big-endian hosts only).
template <class T>
void swapEach(unsigned char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        unsigned char* e = bytes + i * sizeof(T);
        for (std::size_t a = 0, b = sizeof(T) - 1; a < b; ++a, --b) std::swap(e[a], e[b]);
    }
}

template <class T>
void storeBlock(xcArchive& ar, const std::vector<T>& v) {
    if constexpr (std::endian::native == std::endian::little) {
        ar.write(v.data(), v.size() * sizeof(T));
    } else {
        std::vector<unsigned char> bytes(v.size() * sizeof(T));
        if (!bytes.empty()) std::memcpy(bytes.data(), v.data(), bytes.size());
        swapEach<T>(bytes.data(), v.size());
        ar.write(bytes.data(), bytes.size());
    }
}

template <class T>
void loadBlock(xcArchive& ar, std::vector<T>& v) {
    ar.read(v.data(), v.size() * sizeof(T));
    if constexpr (std::endian::native != std::endian::little)
        swapEach<T>(reinterpret_cast<unsigned char*>(v.data()), v.size());
}

} // namespace xcArchiveDetail

// Loading reads into a vector of the archived count and swaps it in once every element is in,
// so a failed load leaves v as it was. Any version but 0 throws xcArchive::UnknownVersion
// ("vector", version).
template <class T>
xcArchive& operator||(xcArchive& ar, std::vector<T>& v) {
    xfExchangeVersion(ar, "vector");
    if (ar.isStoring()) {
        unsigned long count = v.size();
        ar || count;
        if constexpr (std::is_same_v<T, bool>) {
            for (bool b : v) ar || b;
        } else if constexpr (xcArchiveIsBlock<T>) {
            xcArchiveDetail::storeBlock(ar, v);
        } else {
            for (T& e : v) ar || e;
        }
    } else {
        unsigned long count = 0;
        ar || count;
        ar.checkCount(count, xcArchiveMinBytes<T>::value);
        std::vector<T> loaded(count);
        if constexpr (std::is_same_v<T, bool>) {
            for (std::size_t i = 0; i < loaded.size(); ++i) {
                bool b = false;
                ar || b;
                loaded[i] = b;
            }
        } else if constexpr (xcArchiveIsBlock<T>) {
            xcArchiveDetail::loadBlock(ar, loaded);
        } else {
            for (T& e : loaded) ar || e;
        }
        v.swap(loaded);
    }
    return ar;
}
