// The run image cache shared by all threads, under eviction: its own program, so that the
// ThreadSanitizer build compiles only the threaded tests.
#include "align_test_util.h"

#include <gtest/gtest.h>

#include <thread>

// Four threads search six images of one size, more than the cache holds, so that entries are
// dropped while other threads still search them and their response-map memory passes to the
// next image built; two threads start on the same image, so that both build or find it at
// once. Every search gets exactly what a lone thread gets.
TEST(AlignCacheThreads, SearchesUnderEvictionAgreeWithSerialOnes) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'K', 24.0);
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), 3, nullptr, 0);
    const xcAlignRunParams params = align_test::searchParams(0.9, 1.1, 6);
    std::vector<xcPelBuffer<unsigned char>> images;
    oc_test::Rng rng(5);
    for (int i = 0; i < 6; ++i) {
        oc_test::Scene scene(200, 150);
        align_test::scatter(scene, glyph, 4, rng, 0.9, 1.1);
        images.push_back(scene.finish(0.7, 6.0, rng.next()));
    }
    std::vector<xcAlignResultSet> serial(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        pat.run(images[i], params, serial[i], nullptr, 0);
        ASSERT_GT(serial[i].numAccepted(), 0u) << i;
    }

    constexpr std::size_t kFirst[] = {0, 0, 3, 5};
    std::vector<std::vector<int>> mismatches(std::size(kFirst));
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < std::size(kFirst); ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 2; ++round)
                for (std::size_t k = 0; k < images.size(); ++k) {
                    const std::size_t i = (kFirst[t] + k) % images.size();
                    xcAlignResultSet rs;
                    pat.run(images[i], params, rs, nullptr, 0);
                    bool same = rs.size() == serial[i].size();
                    for (std::size_t j = 0; same && j < rs.size(); ++j)
                        same = rs[j].pose() == serial[i][j].pose() &&
                               rs[j].score() == serial[i][j].score();
                    if (!same) mismatches[t].push_back(int(i));
                }
        });
    for (std::thread& t : threads) t.join();
    for (std::size_t t = 0; t < mismatches.size(); ++t)
        EXPECT_TRUE(mismatches[t].empty()) << "thread " << t;
}
