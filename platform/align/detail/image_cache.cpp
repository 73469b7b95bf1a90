#include "align/detail/image_cache.h"

#include <algorithm>
#include <cstring>
#include <list>
#include <mutex>
#include <utility>

namespace xc_align {

namespace {

constexpr std::uint64_t kMul1 = 0x9E3779B97F4A7C15ull;
constexpr std::uint64_t kMul2 = 0xBF58476D1CE4E5B9ull;

std::uint64_t rotl(std::uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}
std::uint64_t mix(std::uint64_t h, std::uint64_t v) {
    h ^= v * kMul1;
    return rotl(h, 29) * kMul2;
}
std::uint64_t load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

struct Entry {
    ImageKey key;
    std::shared_ptr<const RunImage> data;
};

std::mutex gMutex;
std::list<Entry> gEntries; // most recently used first

} // namespace

std::uint64_t hashPels(const GreyView& view) {
    // Four independent lanes keep the multiplier busy; they are folded at the end.
    std::uint64_t lane[4] = {1, 2, 3, 4};
    std::uint64_t tail = 5;
    const long n = view.width;
    for (long y = 0; y < view.height; ++y) {
        const std::uint8_t* p = view.row(y);
        long x = 0;
        for (; x + 32 <= n; x += 32) {
            lane[0] = mix(lane[0], load64(p + x));
            lane[1] = mix(lane[1], load64(p + x + 8));
            lane[2] = mix(lane[2], load64(p + x + 16));
            lane[3] = mix(lane[3], load64(p + x + 24));
        }
        for (; x + 8 <= n; x += 8) tail = mix(tail, load64(p + x));
        std::uint64_t last = 0;
        for (long i = 0; x + i < n; ++i) last |= std::uint64_t(p[x + i]) << (8 * i);
        tail = mix(tail, last ^ (std::uint64_t(y) << 40));
    }
    std::uint64_t h = mix(mix(mix(mix(tail, lane[0]), lane[1]), lane[2]), lane[3]);
    h ^= h >> 31;
    return h;
}

std::shared_ptr<const RunImage> runImageFor(const ImageKey& key, const GreyView& image,
                                            const GreyView* mask,
                                            const std::function<void()>& poll) {
    // An entry found by key is compared pel for pel before it is used (outside the lock: the
    // data are immutable); one that differs is a hash collision and is replaced below.
    std::shared_ptr<const RunImage> hit;
    {
        std::lock_guard<std::mutex> lock(gMutex);
        for (auto it = gEntries.begin(); it != gEntries.end(); ++it)
            if (it->key == key) {
                gEntries.splice(gEntries.begin(), gEntries, it);
                hit = gEntries.front().data;
                break;
            }
    }
    if (hit && hit->builtFrom(image, mask)) return hit;
    // Built outside the lock so that other threads' searches are not held up; if another
    // thread stored the same image meanwhile, its entry is used.
    auto data = std::make_shared<const RunImage>(image, mask, poll);
    std::lock_guard<std::mutex> lock(gMutex);
    for (auto it = gEntries.begin(); it != gEntries.end(); ++it)
        if (it->key == key) {
            if (!hit && it->data->builtFrom(image, mask)) {
                gEntries.splice(gEntries.begin(), gEntries, it);
                return gEntries.front().data;
            }
            gEntries.erase(it);
            break;
        }
    gEntries.push_front(Entry{key, data});
    while (gEntries.size() > kCacheEntries) gEntries.pop_back();
    return data;
}

void clearImageCache() {
    std::lock_guard<std::mutex> lock(gMutex);
    gEntries.clear();
}

} // namespace xc_align
