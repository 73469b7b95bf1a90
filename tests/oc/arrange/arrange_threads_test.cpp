// Several arranges at once on different threads, sharing one alphabet read-only.
#include "oc/arrange/arrange.h"
#include "support/glyph_alphabet.h"

#include <gtest/gtest.h>

#include <thread>

using namespace oc_test;

TEST(OCArrangeThreads, ConcurrentRunsMatchOneAtATime) {
    const GlyphAlphabet glyphs(U"KR2P6A");
    const xcOCAlphabet& alphabet = *glyphs.alphabet();
    const std::vector<long> keys{'K', 'R', '2', 'P', '6', 'A'};
    std::vector<xcPelBuffer<unsigned char>> images;
    for (double angleDeg : {0.0, 35.0, -80.0, 170.0}) {
        Scene scene(320, 240);
        printLine(scene, glyphs, keys, angleDeg, 1.0, {160, 120});
        images.push_back(scene.finish(0.6, 2.0, 11));
    }
    std::vector<xcOCArrangeResults> alone(images.size()), together(2 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i)
        xfOCArrange(images[i], alphabet, keys, {}, alone[i], nullptr, 0);

    // Two threads per image, so that the extraction's per-thread caches and the shared alphabet
    // are both exercised.
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < together.size(); ++t)
        threads.emplace_back([&, t] {
            xfOCArrange(images[t % images.size()], alphabet, keys, {}, together[t], nullptr, 0);
        });
    for (std::thread& t : threads) t.join();
    for (std::size_t t = 0; t < together.size(); ++t)
        EXPECT_EQ(together[t], alone[t % images.size()]) << t;
}
