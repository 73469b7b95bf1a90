// Helpers of the archive tests: bytes stored from a value, a value loaded from bytes.
#pragma once

#include "core/persist/archive.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace xcTest {

using Bytes = std::vector<unsigned char>;

template <class T>
Bytes store(T v) {
    xcMemoryArchive ar;
    ar || v;
    EXPECT_EQ(ar.position(), ar.bytes().size());
    return ar.bytes();
}

// Loads a T over start and checks that every byte was used.
template <class T>
T load(const Bytes& bytes, T start = T()) {
    xcMemoryArchive ar(bytes);
    ar || start;
    EXPECT_EQ(ar.bytesLeft(), std::size_t(0));
    return start;
}

// The message of the E that f throws; a call that throws nothing fails the test.
template <class E, class F>
std::string thrown(F f) {
    return caught<E>(f).message();
}

} // namespace xcTest
