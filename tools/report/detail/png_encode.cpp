#include "report/detail/png_encode.h"

#include <spng.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace oc_tools::detail {

namespace {

struct CtxFree {
    void operator()(spng_ctx* c) const { spng_ctx_free(c); }
};

void check(int err) {
    if (err != 0)
        throw std::runtime_error(std::string("PNG encoding failed: ") + spng_strerror(err));
}

} // namespace

std::string encodePng(const xcPelBuffer_const<unsigned char>& image) {
    if (!image.isBound() || image.width() <= 0 || image.height() <= 0)
        throw std::invalid_argument("An unbound or empty image has no PNG");
    const std::unique_ptr<spng_ctx, CtxFree> ctx(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!ctx) throw std::runtime_error("PNG encoding failed: no encoder");
    check(spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1));
    spng_ihdr ihdr{};
    ihdr.width = static_cast<uint32_t>(image.width());
    ihdr.height = static_cast<uint32_t>(image.height());
    ihdr.bit_depth = 8;
    ihdr.color_type = SPNG_COLOR_TYPE_GRAYSCALE;
    check(spng_set_ihdr(ctx.get(), &ihdr));
    // Row by row: window rows need not be contiguous in the root.
    check(spng_encode_image(ctx.get(), nullptr, 0, SPNG_FMT_PNG,
                            SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE));
    const auto rowBytes = static_cast<std::size_t>(image.width());
    for (long y = 0; y < image.height(); ++y) {
        const int err = spng_encode_row(ctx.get(), image.rowPointer(y), rowBytes);
        if (err != 0 && !(err == SPNG_EOI && y + 1 == image.height())) check(err);
    }
    int err = 0;
    std::size_t size = 0;
    void* buf = spng_get_png_buffer(ctx.get(), &size, &err);
    check(err);
    if (buf == nullptr) throw std::runtime_error("PNG encoding failed: no output");
    std::string bytes(static_cast<const char*>(buf), size);
    std::free(buf);
    return bytes;
}

} // namespace oc_tools::detail
