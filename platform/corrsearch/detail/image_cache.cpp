#include "corrsearch/detail/image_cache.h"

#include <cstring>
#include <vector>

namespace xc_corrsearch {

namespace {

// Larger images take long enough to search that preparing them again costs little, and the
// cache would hold their planes past the run.
constexpr long kMaxCachedPels = 65536;

struct Cache {
    long width = 0, height = 0;
    std::vector<unsigned char> pels; // width x height, rows `width` apart
    std::shared_ptr<const ImagePlanes> planes;
};

thread_local Cache tCache;

bool samePels(const Cache& c, const unsigned char* pels, long rowUpdate, long width, long height) {
    if (!c.planes || c.width != width || c.height != height) return false;
    for (long y = 0; y < height; ++y)
        if (std::memcmp(c.pels.data() + y * width, pels + y * rowUpdate, size_t(width)) != 0)
            return false;
    return true;
}

} // namespace

std::shared_ptr<const ImagePlanes> imagePlanes(const unsigned char* pels, long rowUpdate,
                                               long width, long height) {
    const bool cacheable = width * height <= kMaxCachedPels;
    if (cacheable && samePels(tCache, pels, rowUpdate, width, height)) return tCache.planes;
    auto planes = std::make_shared<ImagePlanes>();
    makeImagePlanes(pels, rowUpdate, width, height, *planes);
    if (cacheable) {
        // Emptied first, so that a failed copy leaves no entry that could match.
        tCache.planes.reset();
        tCache.pels.resize(size_t(width * height));
        for (long y = 0; y < height; ++y)
            std::memcpy(tCache.pels.data() + y * width, pels + y * rowUpdate, size_t(width));
        tCache.width = width;
        tCache.height = height;
        tCache.planes = planes;
    }
    return planes;
}

} // namespace xc_corrsearch
