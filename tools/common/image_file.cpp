#include "common/image_file.h"

#include <spng.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <vector>

namespace oc_tools {

namespace {

// Images beyond this many pels are refused before anything is allocated for them.
constexpr std::size_t kMaxPels = std::size_t(1) << 28;

[[noreturn]] void fail(const std::string& name, const std::string& what) {
    throw std::runtime_error(name + ": " + what);
}

// The next number of a PGM header or plain body, skipping white space and # comments; -1 when
// there is none.
long nextNumber(const std::string& data, std::size_t& at) {
    for (;;) {
        while (at < data.size() && std::isspace(static_cast<unsigned char>(data[at]))) ++at;
        if (at < data.size() && data[at] == '#') {
            while (at < data.size() && data[at] != '\n') ++at;
            continue;
        }
        break;
    }
    long v = 0;
    int digits = 0;
    for (; at < data.size() && std::isdigit(static_cast<unsigned char>(data[at])); ++at) {
        if (++digits > 9) return -1;
        v = v * 10 + (data[at] - '0');
    }
    return digits == 0 ? -1 : v;
}

unsigned char scaled(long v, long maxVal) {
    return static_cast<unsigned char>(maxVal == 255 ? v : (v * 255 + maxVal / 2) / maxVal);
}

xcPelBuffer<unsigned char> decodePgm(const std::string& data, const std::string& name) {
    const bool plain = data[1] == '2';
    std::size_t at = 2;
    const long w = nextNumber(data, at), h = nextNumber(data, at), maxVal = nextNumber(data, at);
    if (w <= 0 || h <= 0 || maxVal <= 0) fail(name, "bad PGM header");
    if (maxVal > 255) fail(name, "PGM with more than 8 bits per pel");
    const std::size_t pels = std::size_t(w) * std::size_t(h);
    if (pels > kMaxPels) fail(name, "PGM image too large");
    // Binary pels start after one white-space character; each plain value takes at least one
    // digit and a separator, so the file's size bounds the pels either way.
    const std::size_t left = at < data.size() ? data.size() - at - 1 : 0;
    if (at >= data.size() || (!plain && left < pels) || (plain && left + 1 < 2 * pels))
        fail(name, "truncated PGM: the header promises " + std::to_string(w) + " x " +
                       std::to_string(h) + " pels");
    xcPelBuffer<unsigned char> img(w, h);
    ++at;
    for (long y = 0; y < h; ++y) {
        unsigned char* row = img.rowPointer(y);
        for (long x = 0; x < w; ++x) {
            const long v = plain ? nextNumber(data, at) : static_cast<unsigned char>(data[at++]);
            if (v < 0) fail(name, "truncated PGM: pel values end early");
            if (v > maxVal) fail(name, "PGM value above its maximum");
            row[x] = scaled(v, maxVal);
        }
    }
    return img;
}

void check(int rc, const std::string& name) {
    if (rc != 0) fail(name, std::string("bad PNG: ") + spng_strerror(rc));
}

xcPelBuffer<unsigned char> decodePng(const std::string& data, const std::string& name) {
    const std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> ctx(spng_ctx_new(0), &spng_ctx_free);
    if (!ctx) fail(name, "out of memory");
    check(spng_set_png_buffer(ctx.get(), data.data(), data.size()), name);
    check(spng_set_image_limits(ctx.get(), 1u << 20, 1u << 20), name);
    check(spng_set_chunk_limits(ctx.get(), 1u << 26, 1u << 26), name);
    spng_ihdr ihdr{};
    check(spng_get_ihdr(ctx.get(), &ihdr), name);
    const std::size_t pels = std::size_t(ihdr.width) * std::size_t(ihdr.height);
    // Deflate packs at most about 1032 bytes into one, and a pel takes at least one bit.
    if (pels > kMaxPels || pels / 8 > data.size() * 1032)
        fail(name, "PNG image too large for its file");
    const bool grey = ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE && ihdr.bit_depth <= 8;
    const int fmt = grey ? SPNG_FMT_G8 : SPNG_FMT_RGB8;
    std::size_t size = 0;
    check(spng_decoded_image_size(ctx.get(), fmt, &size), name);
    std::vector<unsigned char> out(size);
    check(spng_decode_image(ctx.get(), out.data(), out.size(), fmt, 0), name);
    xcPelBuffer<unsigned char> img(long(ihdr.width), long(ihdr.height));
    const std::size_t channels = grey ? 1 : 3;
    for (long y = 0; y < img.height(); ++y) {
        unsigned char* row = img.rowPointer(y);
        const unsigned char* src = out.data() + std::size_t(y) * ihdr.width * channels;
        for (long x = 0; x < img.width(); ++x, src += channels)
            row[x] = grey ? src[0]
                          : static_cast<unsigned char>(
                                (299 * src[0] + 587 * src[1] + 114 * src[2] + 500) / 1000);
    }
    return img;
}

} // namespace

xcPelBuffer<unsigned char> decodeImage(const std::string& bytes, const std::string& name) {
    if (bytes.size() >= 2 && bytes[0] == 'P' && (bytes[1] == '5' || bytes[1] == '2'))
        return decodePgm(bytes, name);
    if (bytes.size() >= 8 && bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0)
        return decodePng(bytes, name);
    fail(name, "not a PGM (P5, P2) or PNG image");
}

xcPelBuffer<unsigned char> readImage(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(path, "cannot open");
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) fail(path, "cannot read");
    return decodeImage(bytes, path);
}

} // namespace oc_tools
