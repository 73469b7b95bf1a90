// Helpers of the character tests: archive round trips, byte readers, records and small images.
#pragma once

#include "core/image/pel_buffer.h"
#include "core/persist/archive.h"
#include "oc/oc/fixtures.h"
#include "occore/xoc_char.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace occhar_test {

// Archive bytes, their field reader and round trips are the expected-text model tests' own.
using oc_test::Bytes;
using oc_test::load;
using oc_test::Reader;
using oc_test::store;

// f must throw E with exactly `message`.
template <class E>
void expectMessage(const std::function<void()>& f, const std::string& message) {
    EXPECT_EQ(caught<E>(f).message(), message);
}

// A record made by xoc_char_construct and released at the end of the scope.
struct Record {
    Record() { xoc_char_construct(&rec); }
    ~Record() { xoc_char_destruct(&rec); }
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;
    xoc_char rec;
};

// A new image over `window` whose pel at image coordinates (x, y) is f(x, y).
template <class F>
xcPelBuffer<unsigned char> makeImage(const xcPelRect& window, F f) {
    xcPelBuffer<unsigned char> img(window);
    for (long y = 0; y < window.height(); ++y)
        for (long x = 0; x < window.width(); ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>(f(window.x() + x, window.y() + y));
    return img;
}

inline xcPelBuffer<unsigned char> ramp(const xcPelRect& window) { // (3 x + 7 y) mod 256
    return makeImage(window, [](long x, long y) { return (3 * x + 7 * y) % 256; });
}

// The pel at image coordinates (x, y).
inline int pel(const xcPelBuffer_const<unsigned char>& img, long x, long y) {
    return *img.pointToPel(x - img.window().x(), y - img.window().y());
}

} // namespace occhar_test
