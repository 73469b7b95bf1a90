// Helpers of the character tests: archive round trips, byte readers, records and small images.
#pragma once

#include "core/image/pel_buffer.h"
#include "core/persist/archive.h"
#include "occore/xoc_char.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace occhar_test {

using Bytes = std::vector<unsigned char>;

template <class T>
Bytes store(T& value) {
    xcMemoryArchive ar;
    ar || value;
    return ar.bytes();
}

template <class T>
void load(const Bytes& bytes, T& value) {
    xcMemoryArchive ar(bytes);
    ar || value;
}

// Reads little-endian fields of archive bytes in order.
class Reader {
public:
    explicit Reader(const Bytes& b) : b_(b) {}
    bool atEnd() const { return pos_ == b_.size(); }
    void skip(std::size_t n) { pos_ += n; }
    uint64_t bits(int bytes) {
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i) v |= uint64_t(b_.at(pos_++)) << (8 * i);
        return v;
    }
    uint8_t u8() { return static_cast<uint8_t>(bits(1)); }
    uint32_t u32() { return static_cast<uint32_t>(bits(4)); }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    double f64() {
        const uint64_t v = bits(8);
        double d;
        std::memcpy(&d, &v, sizeof d);
        return d;
    }

private:
    const Bytes& b_;
    std::size_t pos_ = 0;
};

// f must throw E with exactly `message`.
template <class E>
void expectMessage(const std::function<void()>& f, const std::string& message) {
    try {
        f();
        ADD_FAILURE() << "no exception, expected \"" << message << "\"";
    } catch (const E& e) {
        EXPECT_EQ(e.message(), message);
    }
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

// grey = (3 x + 7 y) mod 256.
inline xcPelBuffer<unsigned char> ramp(const xcPelRect& window) {
    return makeImage(window, [](long x, long y) { return (3 * x + 7 * y) % 256; });
}

// The pel at image coordinates (x, y).
inline int pel(const xcPelBuffer_const<unsigned char>& img, long x, long y) {
    return *img.pointToPel(x - img.window().x(), y - img.window().y());
}

} // namespace occhar_test
