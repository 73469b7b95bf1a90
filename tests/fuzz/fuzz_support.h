// What the fuzz targets share: library failures as expected outcomes, faults that stop the run,
// images and transforms drawn from the input, and archive round trips.
#pragma once

#include "core/base/exception.h"
#include "core/geom/rect.h"
#include "core/geom/xform.h"
#include "core/image/pel_buffer.h"
#include "core/object/instantiator.h"
#include "core/persist/archive.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <typeinfo>
#include <vector>

namespace oc_fuzz {

using Bytes = std::vector<unsigned char>;

// Runs f. An exception of the library's own classes is an expected outcome (returns false); any
// other exception escapes, and libFuzzer reports it as a crash.
template <class F>
bool tolerant(F&& f) {
    try {
        f();
        return true;
    } catch (const xcException&) {
        return false;
    }
}

// Reports a broken promise of the library (a round trip that changed the data, a failed load
// that changed the object) and aborts, so that libFuzzer keeps the input.
[[noreturn]] void fault(const std::string& what);

// A window of 1 .. maxSide pels a side at an offset of -8 .. 8, inside a root up to 4 pels wider
// on each side; pels from the input (up to half the bytes left, cycled; a gradient when none).
xcPelBuffer<unsigned char> image(FuzzedDataProvider& in, long maxSide);
// The identity half of the time, else a client-from-image transform: turn, scale 1/4 .. 4 per
// axis, shear, mirror and a shift of up to 200 pels.
xcXform<2> transform(FuzzedDataProvider& in);
// A rectangle near `around`: each edge up to `reach` pels beyond it, sizes may be negative.
xcPelRect rectNear(FuzzedDataProvider& in, const xcPelRect& around, long reach);

// The bytes an archive writes for a value, or for a persistent object by value.
template <class T>
Bytes store(T& value) {
    xcMemoryArchive ar;
    ar || value;
    return ar.bytes();
}

// Loads `bytes` into a default T. When that succeeds, `use` works with the value, which is then
// written, read back and written again: the second load must take every byte and the two
// writings must be equal. When loading fails and `keepsOnFailure`, the object must still write as
// a default one does.
template <class T>
void roundTrip(const Bytes& bytes, bool keepsOnFailure, void (*use)(T&) = nullptr) {
    T value;
    bool loaded = false;
    std::string failure;
    try {
        xcMemoryArchive ar(bytes);
        ar || value;
        loaded = true;
    } catch (const xcException& e) {
        failure = xc_Instantiator::className(typeid(e)) + " " + e.message();
    }
    if (!loaded) {
        T fresh;
        if (keepsOnFailure && store(value) != store(fresh))
            fault("a failed load changed the object: " + failure);
        return;
    }
    if (use) use(value);
    const Bytes once = store(value);
    T again;
    xcMemoryArchive ar(once);
    ar || again;
    if (ar.position() != once.size()) fault("reading back left bytes unread");
    if (store(again) != once) fault("a round trip changed the archive");
}

} // namespace oc_fuzz
