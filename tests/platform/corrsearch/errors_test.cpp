// Bad input: the exact exception class, number and message, and a model left as it was.
#include "corrsearch_test_util.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <string>

namespace {

template <class E, class F>
void expectThrow(F f, long number, const std::string& message) {
    const E e = caught<E>(f);
    EXPECT_EQ(e.errorNumber(), number);
    EXPECT_EQ(e.message(), message);
    // Every failure of the tool is caught by the family's root.
    EXPECT_NE(dynamic_cast<const xcCorrSearchDefs::Errors*>(&e), nullptr);
}

xcPelBuffer<unsigned char> ramp(long w, long h) {
    xcPelBuffer<unsigned char> b(w, h);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x) *b.pointToPel(x, y) = static_cast<unsigned char>(x * 7 + y);
    return b;
}

} // namespace

TEST(CorrSearchErrors, TrainingRefusals) {
    const xcCorrSearchTrainParams tp;
    xcCorrSearchModel m;
    using BadImage = xcCorrSearchDefs::BadImage;
    expectThrow<BadImage>([&] { m.train(xcPelBuffer_const<unsigned char>(), tp, nullptr, 0); },
                          0x10000703, "The training image is unbound");
    expectThrow<BadImage>([&] { m.train(ramp(2, 9), tp, nullptr, 0); }, 0x10000703,
                          "The training image must be at least 3 x 3 pels");
    expectThrow<BadImage>([&] { m.train(ramp(2049, 2048), tp, nullptr, 0); }, 0x10000703,
                          "The training image must not exceed 4194304 pels");
    xcPelBuffer<unsigned char> flat(20, 20);
    for (long y = 0; y < 20; ++y)
        for (long x = 0; x < 20; ++x) *flat.pointToPel(x, y) = 77;
    expectThrow<xcCorrSearchDefs::FlatModel>(
        [&] { m.train(flat, tp, nullptr, 0); }, 0x10000705,
        "The training image is flat: all its pels have one grey value");
    EXPECT_FALSE(m.isTrained());

    // A refused training keeps the earlier one.
    xcCorrSearchTrainParams tp1;
    tp1.accuracy(2);
    m.train(ramp(12, 10), tp1, nullptr, 0);
    xcCorrSearchTrainParams tp2;
    tp2.algorithms(16);
    expectThrow<xcCorrSearchDefs::FlatModel>(
        [&] { m.train(flat, tp2, nullptr, 0); }, 0x10000705,
        "The training image is flat: all its pels have one grey value");
    EXPECT_TRUE(m.isTrained());
    EXPECT_EQ(m.width(), 12);
    EXPECT_EQ(m.height(), 10);
    EXPECT_EQ(m.trainParams().accuracy(), 2);
    EXPECT_EQ(m.trainParams().algorithms(), 8);
}

TEST(CorrSearchErrors, RunRefusals) {
    const xcCorrSearchRunParams p;
    const xcPelRect region(0, 0, 1, 1);
    const auto image = ramp(40, 30);
    expectThrow<xcCorrSearchDefs::NotTrained>(
        [&] { xcCorrSearchModel().run(image, p, region, nullptr, 0); }, 0x10000704,
        "The correlation model is not trained");

    const xcCorrSearchModel m = cs_test::trained(ramp(12, 10));
    expectThrow<xcCorrSearchDefs::BadParams>(
        [&] { m.run(image, xcCorrSearchRunParams(16), region, nullptr, 0); }, 0x10000702,
        "The model was not trained for the run's algorithm");
    using BadImage = xcCorrSearchDefs::BadImage;
    expectThrow<BadImage>([&] { m.run(xcPelBuffer_const<unsigned char>(), p, region, nullptr, 0); },
                          0x10000703, "The image to search is unbound");
    expectThrow<BadImage>([&] { m.run(ramp(11, 30), p, region, nullptr, 0); }, 0x10000703,
                          "The image to search is smaller than the model");
    expectThrow<BadImage>([&] { m.run(ramp(40, 9), p, region, nullptr, 0); }, 0x10000703,
                          "The image to search is smaller than the model");
    expectThrow<BadImage>([&] { m.run(ramp(4097, 1024), p, region, nullptr, 0); }, 0x10000703,
                          "The image to search must not exceed 4194304 pels");
    // An image exactly the model's size has one placement.
    xcPelBuffer_const<unsigned char> same = image;
    same.window(xcPelRect(5, 6, 12, 10));
    const auto res = m.run(same, cs_test::runParams(0.0, 5), region, nullptr, 0);
    ASSERT_EQ(res.size(), 1u);
    EXPECT_NEAR(res[0].score(), 1.0, 1e-9);
    EXPECT_EQ(res[0].location(), xcVector<2>(5.0, 6.0));
}
