// Infinite and NaN client transforms are refused where the tool takes its images.
#include "corrsearch_test_util.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(CorrSearchNonFinite, InfiniteClientTransformsAreRefused) {
    const double inf = std::numeric_limits<double>::infinity();
    xcPelBuffer<unsigned char> img(40, 30);
    for (long y = 0; y < 30; ++y)
        for (long x = 0; x < 40; ++x) *img.pointToPel(x, y) = static_cast<unsigned char>(x * y);
    const xcCorrSearchModel m = cs_test::trained(img);
    // A matrix that is not finite cannot be set (it has no inverse); a translation can.
    for (const xcVector<2>& t : {xcVector<2>(inf, 0.0), xcVector<2>(0.0, std::nan(""))}) {
        const xcXform<2> bad = xcXform<2>::translation(t);
        xcPelBuffer<unsigned char> badImg = img;
        badImg.clientFromImageXform(bad);
        EXPECT_EQ(caught<xcCorrSearchDefs::BadImage>([&] { cs_test::trained(badImg); }).message(),
                  "The training image's client transform is not finite");
        EXPECT_EQ(caught<xcCorrSearchDefs::BadImage>([&] {
                      cs_test::run(m, badImg, cs_test::runParams(0.5, 1));
                  }).message(),
                  "The client transform of the image to search is not finite");
    }
}
