#include "oc/extract/detail/train_cache.h"

#include "core/image/pel_ops.h"

#include <list>

namespace {

using Image = xcPelBuffer_const<unsigned char>;

constexpr std::size_t kTrainedEntries = 64;

struct TrainedEntry {
    Image area; // a private copy of the pels
    bool autoGrain;
    std::pair<double, double> grains;
    std::shared_ptr<xc_OCTrainedChar> outcome;
};

thread_local std::list<TrainedEntry> tTrained;

bool sameArea(const Image& a, const Image& b) {
    return a.window() == b.window() &&
           xfXformEqual(*a.clientFromImageXform(), *b.clientFromImageXform()) && xfPelEqual(a, b);
}

// Automatic grain limits do not depend on the pair given.
std::pair<double, double> grainKey(bool autoGrain, const std::pair<double, double>& grains) {
    return autoGrain ? std::make_pair(-1.0, -1.0) : grains;
}

} // namespace

std::shared_ptr<xc_OCTrainedChar> xf_OCFindTrainedChar(const Image& area, bool autoGrain,
                                                       const std::pair<double, double>& grains) {
    const auto key = grainKey(autoGrain, grains);
    for (auto it = tTrained.begin(); it != tTrained.end(); ++it) {
        if (it->autoGrain == autoGrain && it->grains == key && sameArea(it->area, area)) {
            tTrained.splice(tTrained.begin(), tTrained, it);
            return tTrained.front().outcome;
        }
    }
    return nullptr;
}

std::shared_ptr<xc_OCTrainedChar> xf_OCKeepTrainedChar(const Image& area, bool autoGrain,
                                                       const std::pair<double, double>& grains) {
    xcPelBuffer<unsigned char> copy;
    xfPelCopy(area, copy);
    auto outcome = std::make_shared<xc_OCTrainedChar>();
    tTrained.push_front(TrainedEntry{Image(copy), autoGrain, grainKey(autoGrain, grains), outcome});
    if (tTrained.size() > kTrainedEntries) tTrained.pop_back();
    return outcome;
}

void xf_OCTrainedCharCacheClear() {
    tTrained.clear();
}
