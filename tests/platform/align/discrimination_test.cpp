// Telling glyphs apart: a different glyph never scores like the trained one, and contrast
// polarity counts.
#include "align_test_util.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kScenes = 1;
#else
constexpr int kScenes = 4;
#endif

} // namespace

// Scenes of clearly different glyphs at random poses, with one instance of the trained glyph:
// the trained glyph comes first with a high score, and nothing else is accepted above 0.8.
TEST(AlignDiscrimination, ClearlyDifferentGlyphsAreNotAcceptedAboveEightTenths) {
    const char32_t others[] = {U'A', U'X', U'K', U'L', U'T', U'V', U'4', U'7', U'Z', U'H'};
    oc_test::Rng rng(99);
    for (char32_t trained : {U'8', U'R', U'G'}) {
        const oc_test::GlyphImage glyph(oc_test::kSansFont, trained, 28.0);
        xcAlignPattern pat;
        pat.train(glyph.trainImage(), 3, nullptr, 0);
        std::vector<std::unique_ptr<oc_test::GlyphImage>> distractors;
        for (char32_t c : others)
            distractors.push_back(std::make_unique<oc_test::GlyphImage>(oc_test::kSansFont, c,
                                                                        rng.uniform(24.0, 32.0)));
        for (int s = 0; s < kScenes; ++s) {
            oc_test::Scene scene(360, 240);
            ASSERT_EQ(align_test::scatter(scene, glyph, 1, rng, 0.8, 1.25), 1);
            for (const auto& d : distractors) align_test::scatter(scene, *d, 1, rng, 0.8, 1.25);
            const oc_test::Placement truth = scene.placements().front();
            xcAlignResultSet rs;
            pat.run(scene.finish(0.7, 8.0, rng.next()), align_test::searchParams(0.75, 1.3, 12), rs,
                    nullptr, 0);
            ASSERT_GE(rs.size(), 1u);
            EXPECT_LT(align_test::centreError(rs[0].pose(), truth.pose, glyph.centre()), 0.5)
                << "glyph " << char(trained);
            EXPECT_GT(rs[0].score(), 0.9);
            for (std::size_t i = 1; i < rs.size(); ++i)
                EXPECT_LE(rs[i].score(), 0.8) << "glyph " << char(trained) << " result " << i;
        }
    }
}

// The tool matches gradient directions over the full circle: the same glyph in inverted
// contrast is not accepted, while the original is found.
TEST(AlignDiscrimination, InvertedContrastIsNotFound) {
    const oc_test::GlyphImage glyph(oc_test::kSansFont, U'P', 26.0);
    xcAlignPattern pat;
    pat.train(glyph.trainImage(), 3, nullptr, 0);
    oc_test::Scene scene(160, 120);
    scene.place(glyph, 37.0, 1.0, xcVector<2>(50.2, 60.7));
    scene.place(glyph, -120.0, 1.1, xcVector<2>(115.6, 55.1));
    const xcPelBuffer<unsigned char> img = scene.finish(0.7, 4.0, 21);
    xcPelBuffer<unsigned char> inverted(img.width(), img.height());
    for (long y = 0; y < img.height(); ++y)
        for (long x = 0; x < img.width(); ++x)
            *inverted.pointToPel(x, y) = static_cast<unsigned char>(255 - *img.pointToPel(x, y));
    const xcAlignRunParams params = align_test::searchParams(0.8, 1.2, 4);
    xcAlignResultSet rs;
    pat.run(img, params, rs, nullptr, 0);
    EXPECT_EQ(rs.numAccepted(), 2u);
    pat.run(inverted, params, rs, nullptr, 0);
    EXPECT_EQ(rs.numAccepted(), 0u);
    for (const xcAlignResult& r : rs) EXPECT_LT(r.score(), 0.3);
}
