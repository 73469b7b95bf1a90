// Everything the search derives from a run image alone: the pyramid, and per level the
// gradient directions, the coarse-search response maps and the planes the fine fit samples.
#pragma once

#include "align/detail/gradient.h"
#include "align/detail/raw_image.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace xc_align {

// The coarse search scores a template at every kCell-th pel of a level in each direction.
constexpr int kCell = 2;
// Cells of zero response around each response map, so templates near the border read zeros.
constexpr int kPadCells = 16;
// The most pyramid levels built (level 4 is 1/16 of the image).
constexpr int kMaxLevels = 5;

// An allocator whose resize leaves new elements uninitialised: an edge level's storage is written
// in full as it is built, and zeroing it first cost as much as building it.
template <class T>
struct UninitAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UninitAllocator<U>;
    };
    UninitAllocator() = default;
    template <class U>
    UninitAllocator(const UninitAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... A>
    void construct(U* p, A&&... a) {
        ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
    }
};
using ByteBuffer = std::vector<std::uint8_t, UninitAllocator<std::uint8_t>>;

// Spread direction responses of one level, split by pel phase for the coarse search.
//
// A pel's direction bits (one bit for its gradient's sector when the gradient is strong) are
// OR-ed over its 3 x 3 neighbourhood. The response of bin b at a pel is then 4 when bit b is
// set, else 3 when a neighbouring sector's bit is, else 1 for a sector two away, else 0.
// Map (b, py, px) holds, at cell (cx, cy), the response of level pel (kCell cx + px,
// kCell cy + py); cell (0, 0) sits kPadCells rows and columns into the map.
struct ResponseMaps {
    long cellsW = 0, cellsH = 0;
    long stride = 0;              // cellsW + 2 kPadCells
    long rows = 0;                // cellsH + 2 kPadCells
    std::uint8_t* data = nullptr; // kBins kCell kCell maps of mapSize() bytes

    std::size_t mapSize() const { return std::size_t(rows * stride); }
    std::size_t size() const { return std::size_t(kBins * kCell * kCell) * mapSize(); }
    const std::uint8_t* map(int bin, int py, int px) const {
        return data + std::size_t((bin * kCell + py) * kCell + px) * mapSize();
    }
    std::uint8_t* map(int bin, int py, int px) {
        return data + std::size_t((bin * kCell + py) * kCell + px) * mapSize();
    }
};

// The unit gradient direction of every strong pel (x, y times 127; 0, 0 for weak or masked
// pels): 2 values per pel, so width is twice the level's.
struct DirectionPlane {
    long width = 0, height = 0;
    std::int8_t* px = nullptr;

    std::int8_t* row(long y) { return px + y * width; }
};

// Per level: the noise threshold, the directions and the response maps, the last two in one
// buffer.
struct EdgeLevel {
    EdgeLevel() = default;
    EdgeLevel(const EdgeLevel&) = delete;
    EdgeLevel& operator=(const EdgeLevel&) = delete;
    // Hands the storage to the next image's edge data.
    ~EdgeLevel();

    float threshold = 0;
    DirectionPlane dir;
    ResponseMaps resp;
    ByteBuffer storage;
};

// What the fine fit samples on one level: the grey pels and, with a mask, its cared-for pels
// (non-zero); without a mask every pel is cared for.
struct FitLevel {
    const GreyPlane* grey = nullptr;
    const GreyPlane* mask = nullptr;
    long width = 0, height = 0;
};

// The pyramid is built on construction; a level's edge data are built the first time they are
// asked for and then shared. Safe to use from several threads at once.
class RunImage {
public:
    // mask may be null; when given it has the image's size and pels below 128 are ignored.
    // poll() is called after every band of rows of the pyramid.
    RunImage(const GreyView& image, const GreyView* mask, const std::function<void()>& poll);

    int numLevels() const { return int(grey_.size()); }
    const GreyPlane& grey(int level) const { return grey_[std::size_t(level)]; }
    // Null without a mask.
    const GreyPlane* mask(int level) const {
        return mask_.empty() ? nullptr : &mask_[std::size_t(level)];
    }
    // poll() is called after every band of rows while the level is built.
    std::shared_ptr<const EdgeLevel> edges(int level, const std::function<void()>& poll) const;
    // Whether these data were built from exactly these pels (and mask, read as cared for from
    // 128 up): the cache's content hash could in principle collide, this comparison cannot.
    bool builtFrom(const GreyView& image, const GreyView* mask) const;
    // Full resolution is fitted on the image smoothed by smooth121 (as the template is), so
    // that a little more or less blur in the image than in the template matters less.
    // The unsmoothed level, as the final score reads it.
    FitLevel raw(int level) const {
        const GreyPlane& g = grey(level);
        return FitLevel{&g, mask(level), g.width, g.height};
    }
    // Builds the smoothed full-resolution plane fit(0) reads, polling between bands of rows.
    void prepareFit(const std::function<void()>& poll) const { smooth0(poll); }
    FitLevel fit(int level) const {
        const GreyPlane& g = level == 0 ? *smooth0() : grey(level);
        return FitLevel{&g, mask(level), g.width, g.height};
    }

private:
    std::vector<GreyPlane> grey_;
    std::vector<GreyPlane> mask_;
    mutable std::mutex mutex_;
    mutable std::vector<std::shared_ptr<const EdgeLevel>> edges_;
    mutable std::shared_ptr<const GreyPlane> smooth0_;
    const GreyPlane* smooth0(const std::function<void()>& poll = [] {}) const;
};

// Builds the edge data of one level (exposed for tests), calling poll() after every band of
// rows.
std::shared_ptr<const EdgeLevel> buildEdgeLevel(const GreyPlane& grey, const GreyPlane* mask,
                                                const std::function<void()>& poll);

} // namespace xc_align
