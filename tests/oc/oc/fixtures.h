// Builders for models and alphabets, and readers and writers of raw archive bytes, shared by the
// tests of the expected-text model.
#pragma once

#include "core/base/exception.h"
#include "core/image/pel_buffer.h"
#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "core/persist/archive_vector.h"
#include "oc/oc/alphabet.h"
#include "oc/oc/model.h"
#include "support/archive_damage.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace oc_test {

using Image = xcPelBuffer_const<unsigned char>;
using ModelHandle = xcPtrHandle_const<xcOCModel>;
using AlphabetHandle = xcPtrHandle_const<xcOCAlphabet>;
using Bytes = std::vector<unsigned char>;

// An image covering `window` whose pels follow a pattern picked by `seed`.
inline Image makeImage(const xcPelRect& window, int seed = 1,
                       const xcXform<2>& clientFromImage = xcXform<2>()) {
    xcPelBuffer<unsigned char> b(window);
    for (long y = 0; y < b.height(); ++y)
        for (long x = 0; x < b.width(); ++x)
            *b.pointToPel(x, y) = static_cast<unsigned char>((x * 7 + y * 13 + seed * 31) & 0xFF);
    b.clientFromImageXform(clientFromImage);
    return Image(b);
}

// A mask over `window`, 255 everywhere but the first column.
inline Image makeMask(const xcPelRect& window) {
    xcPelBuffer<unsigned char> b(window);
    for (long y = 0; y < b.height(); ++y)
        for (long x = 0; x < b.width(); ++x) *b.pointToPel(x, y) = x == 0 ? 0 : 255;
    return Image(b);
}

// A normal character with a 10 x 12 image whose area is the whole window.
inline ModelHandle normal(long key, const std::string& name, int seed = 1) {
    const xcPelRect w(0, 0, 10, 12);
    return ModelHandle(
        new xcOCModel(key, makeImage(w, seed), w, xcOCModel::eNormal, name, "normal " + name));
}

inline ModelHandle blank(long key, const std::string& name) {
    return ModelHandle(
        new xcOCModel(key, Image(), xcPelRect(0, 0, 6, 12), xcOCModel::eBlank, name, "blank"));
}

// An alphabet of normal characters with keys 10, 20, ... named "a", "b", ...
inline AlphabetHandle alphabetOf(int n) {
    xcOCAlphabet::Models models;
    for (int i = 0; i < n; ++i)
        models.push_back(normal(10L * (i + 1), std::string(1, char('a' + i)), i + 1));
    return AlphabetHandle(new xcOCAlphabet(models, 0.5, false, "letters"));
}

// A version-1 archive of a compiled alphabet named "compiled": scores(i, j) gives element (i, j)
// of the confusion matrix (default 10 i + j + 1) and the offset of (i, j) is a translation by
// (i, j). Loading it gives a compiled alphabet with chosen scores, without compiling.
inline Bytes compiledArchive(xcOCAlphabet::Models models, double threshold = 0.5,
                             const std::function<double(long, long)>& scores = nullptr) {
    xcMemoryArchive ar;
    unsigned char version = 1;
    std::string name = "compiled";
    bool compiled = true;
    const long n = static_cast<long>(models.size()), d = n > 0 ? n : 1;
    xcNMMatrix m(d, d);
    std::vector<std::vector<xcXform<2>>> offsets(static_cast<std::size_t>(n));
    for (long i = 0; i < d; ++i)
        for (long j = 0; j < d; ++j) {
            m(i, j) = n == 0 ? 0.0 : scores ? scores(i, j) : 10.0 * i + j + 1;
            if (i < n)
                offsets[std::size_t(i)].push_back(xcXform<2>::translation({1.0 * i, 1.0 * j}));
        }
    ar || version || name || threshold || models || compiled || m || offsets;
    return ar.bytes();
}

// The bytes a value, or a persistent object written by value without framing, writes.
template <class T>
Bytes store(T& value) {
    xcMemoryArchive ar;
    ar || value;
    return ar.bytes();
}
inline Bytes storeObject(xcPersistent& obj) {
    return store(obj);
}

// Loads a value from bytes and checks that every byte was used.
template <class T>
void load(const Bytes& bytes, T& value) {
    xcMemoryArchive ar(bytes);
    ar || value;
    EXPECT_EQ(ar.position(), bytes.size());
}
inline void loadObject(const Bytes& bytes, xcPersistent& obj) {
    load(bytes, obj);
}

inline AlphabetHandle compiledAlphabet(xcOCAlphabet::Models models, double threshold = 0.5,
                                       const std::function<double(long, long)>& scores = nullptr) {
    xcPtrHandle<xcOCAlphabet> a(new xcOCAlphabet());
    loadObject(compiledArchive(std::move(models), threshold, scores), *a);
    return a;
}

// f must throw an E with this message and error number.
template <class E, class F>
void expectThrow(F&& f, const std::string& message, long errorNumber) {
    const E e = caught<E>(f);
    EXPECT_EQ(e.message(), message);
    EXPECT_EQ(e.errorNumber(), errorNumber);
}

// Each call must throw an E with its message and this error number.
using Refusals = std::vector<std::pair<std::function<void()>, std::string>>;
template <class E>
void expectThrows(const Refusals& cases, long errorNumber) {
    for (const auto& [f, message] : cases) expectThrow<E>(f, message, errorNumber);
}

// Loading `bytes` into `value` must fail with UnknownVersion naming `where` (and `number`
// unless it is -1).
template <class T>
void expectUnknownVersion(const Bytes& bytes, T& value, const std::string& where,
                          long number = -1) {
    const auto e = caught<xcArchive::UnknownVersion>([&] { load(bytes, value); });
    EXPECT_EQ(e.text(), where);
    EXPECT_TRUE(number == -1 || e.number() == number) << e.number();
}

// Error numbers of the OC exceptions.
constexpr long kBadParams = 0x10005E00, kBadImage = 0x10005E01, kNotImplemented = 0x10005E02,
               kSameKey = 0x10005E03, kBadKey = 0x10005E04, kBadIndex = 0x10005E05,
               kNotCompiled = 0x10005E06;

// Reads little-endian fields from archive bytes, to check layouts field by field.
class Reader {
public:
    explicit Reader(const Bytes& bytes) : b_(bytes) {}
    template <class T>
    T get() {
        T v;
        if (pos_ + sizeof v > b_.size()) throw std::out_of_range("read past the end");
        std::memcpy(&v, b_.data() + pos_, sizeof v);
        pos_ += sizeof v;
        return v;
    }
    std::uint8_t u8() { return get<std::uint8_t>(); }
    std::int32_t i32() { return get<std::int32_t>(); }
    std::uint32_t u32() { return get<std::uint32_t>(); }
    double f64() { return get<double>(); }
    std::string str() {
        std::string s(u32(), '\0');
        for (char& c : s) c = static_cast<char>(u8());
        return s;
    }
    // A vector's header: version 0 and the count.
    void vec(std::uint32_t n) {
        EXPECT_EQ(u8(), 0);
        EXPECT_EQ(u32(), n);
    }
    void skip(std::size_t n) { pos_ += n; }
    bool atEnd() const { return pos_ == b_.size(); }

private:
    Bytes b_;
    std::size_t pos_ = 0;
};

} // namespace oc_test
