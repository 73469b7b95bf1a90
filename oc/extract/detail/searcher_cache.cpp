#include "oc/extract/detail/searcher_cache.h"

#include "core/image/pel_ops.h"

#include <algorithm>
#include <list>

namespace {

constexpr std::size_t kSearcherEntries = 16;

using Image = xcPelBuffer_const<unsigned char>;

bool sameParams(const xcRSIParams& a, const xcRSIParams& b) {
    return a.angleRange == b.angleRange && a.angleStep == b.angleStep &&
           a.scaleRange == b.scaleRange && a.scaleStep == b.scaleStep && a.baseScale == b.baseScale;
}

// Same window, same client-from-image transform and the same pels (both unbound counts too).
bool sameImage(const Image& a, const Image& b) {
    if (a.isBound() != b.isBound()) return false;
    if (!a.isBound()) return true;
    return a.window() == b.window() &&
           xfXformEqual(*a.clientFromImageXform(), *b.clientFromImageXform()) && xfPelEqual(a, b);
}

// A private copy of the pels, so that later writes through the caller's handles do not reach
// the key.
Image frozen(const Image& b) {
    if (!b.isBound()) return b;
    xcPelBuffer<unsigned char> copy;
    xfPelCopy(b, copy);
    return Image(copy);
}

struct SearcherEntry {
    Image image, mask;
    xcRSIParams params;
    std::string name;
    xcPtrHandle_const<xcRSICorrSearchModel> searcher;
};

thread_local std::list<SearcherEntry> tSearchers;

} // namespace

xcPtrHandle_const<xcRSICorrSearchModel> xf_OCRefineSearcher(const Image& image, const Image& mask,
                                                            const xcRSIParams& params,
                                                            const std::string& name) {
    for (auto it = tSearchers.begin(); it != tSearchers.end(); ++it) {
        if (it->name == name && sameParams(it->params, params) && sameImage(it->image, image) &&
            sameImage(it->mask, mask)) {
            tSearchers.splice(tSearchers.begin(), tSearchers, it);
            return tSearchers.front().searcher;
        }
    }
    xcPtrHandle_const<xcRSICorrSearchModel> searcher(
        new xcRSICorrSearchModel(image, mask, params, name, nullptr, 0));
    tSearchers.push_front(SearcherEntry{frozen(image), frozen(mask), params, name, searcher});
    if (tSearchers.size() > kSearcherEntries) tSearchers.pop_back();
    return searcher;
}

void xf_OCRefineSearcherCacheClear() {
    tSearchers.clear();
}
