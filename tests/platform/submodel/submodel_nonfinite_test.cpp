// Infinite and NaN client transforms and start poses are refused at the run's entry.
#include "submodel_test_util.h"

#include "submodel/submodel_defs.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

using namespace submodel_test;

TEST(SubModelNonFinite, InfiniteClientTransformsAndStartPosesAreRefused) {
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    xcPelBuffer<unsigned char> image = paper(xcPelRect(0, 0, 30, 20));
    paste(paper(xcPelRect(0, 0, 8, 12), 30), image, 11, 4);
    const xcSubModelCorRunParams params;
    for (const xcVector<2>& t :
         {xcVector<2>(inf, 0.0), xcVector<2>(0.0, -inf), xcVector<2>(nan, 0.0)}) {
        const xcXform<2> bad = xcXform<2>::translation(t);
        xcPelBuffer<unsigned char> badImage = image;
        badImage.clientFromImageXform(bad);
        // On the image searched, on the image the model was trained on, and as the start pose.
        const std::function<void()> runs[] = {
            [&] { run(trained(xcSubModel(image, "m")), badImage, params); },
            [&] { run(trained(xcSubModel(badImage, "m")), image, params); },
            [&] { run(trained(xcSubModel(image, "m")), image, params, bad); }};
        for (const auto& f : runs)
            EXPECT_EQ(caught<xc_SubModelDefs::BadPose>(f).errorNumber(), 0x807);
    }
}
