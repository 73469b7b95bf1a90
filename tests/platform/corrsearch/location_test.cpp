// location(): the searched image's client point where the model's client origin lands, with
// windows, relabelled image coordinates and client transforms on both sides.
#include "corrsearch_test_util.h"

#include "core/geom/xform.h"

#include <gtest/gtest.h>

TEST(CorrSearchLocation, ModelClientOriginInSearchedImageClientCoordinates) {
    const oc_test::GlyphImage g(oc_test::kSansFont, U'K', 26.0, 3);
    // The same glyph rendered at the same pel phase in two images, so model pel q matches run
    // pel q + d exactly, with d = (21, 9) in root image coordinates.
    oc_test::Scene ms(50, 50);
    const xcVector<2> modelCentre(24.4, 23.7);
    ms.place(g, 0.0, 1.0, modelCentre);
    xcPelBuffer_const<unsigned char> model = ms.finish(0.7, 0.0, 1);
    const xcPelRect box(24 - g.trainWidth() / 2, 23 - g.trainHeight() / 2, g.trainWidth(),
                        g.trainHeight());
    model.window(box);
    const xcXform<2> modelClientFromImage(xcVector<2>(-3.0, 5.0), 2.0, 1.0, xcRadian(0.0),
                                          xcRadian(0.5));
    model.clientFromImageXform(modelClientFromImage);

    oc_test::Scene rs(80, 70);
    const xcVector<2> d(21.0, 9.0);
    rs.place(g, 0.0, 1.0, modelCentre + d);
    xcPelBuffer_const<unsigned char> image = rs.finish(0.7, 0.0, 1);
    image.window(xcPelRect(3, 2, 74, 66));
    image.offset(xcPelPoint(100, -40));
    const xcXform<2> clientFromImage(xcVector<2>(7.0, -3.0), 0.5, 1.0, xcRadian(0.0),
                                     xcRadian(-0.35));
    image.clientFromImageXform(clientFromImage);

    const xcCorrSearchModel m = cs_test::trained(model);
    const auto res = cs_test::run(m, image, cs_test::runParams(0.5, 1));
    ASSERT_EQ(res.size(), 1u);
    EXPECT_GT(res[0].score(), 0.999);
    // The model's client origin in its image coordinates, moved by d and by the relabelling of
    // the searched image's coordinates (its window corner (3, 2) became (100, -40)).
    const xcVector<2> o = modelClientFromImage.inverse().mapPoint(xcVector<2>(0.0, 0.0));
    const xcVector<2> expected = clientFromImage.mapPoint(o + d + xcVector<2>(97.0, -42.0));
    EXPECT_NEAR(res[0].location().x(), expected.x(), 0.01);
    EXPECT_NEAR(res[0].location().y(), expected.y(), 0.01);

    // Identity transforms and no relabelling: the model's client origin is its root's image
    // origin, which lands on d.
    xcPelBuffer_const<unsigned char> plainModel = model;
    plainModel.clientFromImageXform(xcXform<2>());
    const auto plain = cs_test::run(cs_test::trained(plainModel), rs.finish(0.7, 0.0, 1),
                                    cs_test::runParams(0.5, 1));
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_NEAR(plain[0].location().x(), d.x(), 0.01);
    EXPECT_NEAR(plain[0].location().y(), d.y(), 0.01);
}
