// A small cache of run image data keyed on pel content, so that searching several patterns in
// one image builds the pyramid and response maps once.
#pragma once

#include "align/detail/image_data.h"
#include "align/detail/raw_image.h"

#include <array>
#include <cstdint>
#include <memory>

namespace xc_align {

// A 64-bit hash of the pels of a view (row by row, padding between rows not read).
std::uint64_t hashPels(const GreyView& view);

// What identifies a run image's derived data: the content hash of the image and of the mask,
// the size, the window's position and the client-from-image transform's six numbers.
struct ImageKey {
    std::uint64_t imageHash = 0;
    std::uint64_t maskHash = 0;
    bool hasMask = false;
    long width = 0, height = 0;
    long windowX = 0, windowY = 0;
    std::array<double, 6> xform{};

    friend bool operator==(const ImageKey&, const ImageKey&) = default;
};

// The derived data of the image, from the cache when an entry with an equal key exists,
// else built and stored (the least recently used of kCacheEntries entries is dropped).
// Entries are immutable once published, so callers on other threads may keep using them.
// poll() is called while new data are built.
std::shared_ptr<const RunImage> runImageFor(const ImageKey& key, const GreyView& image,
                                            const GreyView* mask,
                                            const std::function<void()>& poll);

constexpr std::size_t kCacheEntries = 4;

// Empties the cache (tests use it to time cold runs).
void clearImageCache();

} // namespace xc_align
