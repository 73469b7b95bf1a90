// What the character tests share: archive helpers, C records, images made pel by pel, metrics.
#pragma once

#include "oc/occhar/char_diag.h"
#include "oc/occhar/char_key.h"
#include "oc/occhar/char_metrics.h"
#include "oc/occhar/character.h"

#include "core/geom/xform_base.h"
#include "core/image/pel_errors.h"
#include "core/image/pel_ops.h"
#include "core/text/charcode.h"
#include "diag/diag_object.h"
#include "foundation/oc_defs.h"
#include "oc/oc/fixtures.h"
#include "occore/xc_image.h"
#include "occore/xoc_char.h"
#include "support/archive_damage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>

namespace occhar_test {

using M = xcOCCharMetrics;
// Archive bytes, their field reader and round trips are the expected-text model tests' own.
using oc_test::Bytes;
using oc_test::load;
using oc_test::Reader;
using oc_test::store;

// f must throw E with exactly `message`.
template <class E>
inline void expectMessage(const std::function<void()>& f, const std::string& message) {
    EXPECT_EQ(caught<E>(f).message(), message);
}

// A record made by xoc_char_construct and released at the end of the scope.
struct Record {
    Record() { xoc_char_construct(&rec); }
    ~Record() { xoc_char_destruct(&rec); }
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

using K = xcOCCharKey;
using Keys = std::vector<K>;

// The metrics with rectangle r of `type` stored and specified.
inline M with(M m, M::RectType type, const xcRect& r) {
    m.rect(type, r);
    m.isRectSpecified(type, true);
    return m;
}

} // namespace occhar_test
