#include "oc/extract/detail/train_cache.h"

#include "core/image/pel_ops.h"

#include <cstring>
#include <list>

namespace {

using Image = xcPelBuffer_const<unsigned char>;

constexpr std::size_t kEntries = 64;

struct Entry {
    Image area; // a private copy of the pels
    bool autoGrain;
    std::pair<double, double> grains;
    std::shared_ptr<xc_OCTrainedChar> outcome;
};

thread_local std::list<Entry> tCache;

bool samePels(const Image& a, const Image& b) {
    if (!(a.window() == b.window())) return false;
    if (!xfXformEqual(*a.clientFromImageXform(), *b.clientFromImageXform())) return false;
    for (long y = 0; y < a.height(); ++y)
        if (std::memcmp(a.rowPointer(y), b.rowPointer(y), static_cast<std::size_t>(a.width())) != 0)
            return false;
    return true;
}

// Automatic grain limits do not depend on the pair given.
std::pair<double, double> grainKey(bool autoGrain, const std::pair<double, double>& grains) {
    return autoGrain ? std::make_pair(-1.0, -1.0) : grains;
}

} // namespace

std::shared_ptr<xc_OCTrainedChar> xf_OCFindTrainedChar(const Image& area, bool autoGrain,
                                                       const std::pair<double, double>& grains) {
    const auto key = grainKey(autoGrain, grains);
    for (auto it = tCache.begin(); it != tCache.end(); ++it) {
        if (it->autoGrain == autoGrain && it->grains == key && samePels(it->area, area)) {
            tCache.splice(tCache.begin(), tCache, it);
            return tCache.front().outcome;
        }
    }
    return nullptr;
}

std::shared_ptr<xc_OCTrainedChar> xf_OCKeepTrainedChar(const Image& area, bool autoGrain,
                                                       const std::pair<double, double>& grains) {
    xcPelBuffer<unsigned char> copy;
    xfPelCopy(area, copy);
    auto outcome = std::make_shared<xc_OCTrainedChar>();
    tCache.push_front(Entry{Image(copy), autoGrain, grainKey(autoGrain, grains), outcome});
    if (tCache.size() > kEntries) tCache.pop_back();
    return outcome;
}

void xf_OCTrainedCharCacheClear() {
    tCache.clear();
}
