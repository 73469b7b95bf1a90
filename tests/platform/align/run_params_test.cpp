// The run parameters: defaults and the checks of every setter.
#include "align/align_defs.h"
#include "align/align_run_params.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <limits>

TEST(AlignRunParams, Defaults) {
    const xcAlignRunParams p;
    EXPECT_EQ(p.acceptThreshold(), 0.5);
    EXPECT_EQ(p.algorithm(), 2);
    EXPECT_EQ(p.zoneEnable(), 0);
    EXPECT_EQ(p.zoneLow(1), -180.0);
    EXPECT_EQ(p.zoneHigh(1), 180.0);
    EXPECT_EQ(p.zoneLow(2), 1.0);
    EXPECT_EQ(p.zoneHigh(2), 1.0);
    EXPECT_EQ(p.nominal(1), 0.0);
    EXPECT_EQ(p.nominal(2), 1.0);
    EXPECT_FALSE(p.scoreUsingClutter());
    EXPECT_EQ(p.contrastThreshold(), 10.0);
    EXPECT_EQ(p.xyOverlap(), 0.8);
    EXPECT_EQ(p.numToFind(), 1);
}

TEST(AlignRunParams, SettersStoreValidValues) {
    xcAlignRunParams p;
    p.acceptThreshold(0.0);
    p.algorithm(0);
    p.zoneEnable(3);
    p.zone(1, -179.0, 180.0);
    p.zone(2, 0.5, 2.0);
    p.nominal(1, -65.0);
    p.nominal(2, 1.5);
    p.scoreUsingClutter(true);
    p.contrastThreshold(0.0);
    p.xyOverlap(1.0);
    p.numToFind(12);
    EXPECT_EQ(p.acceptThreshold(), 0.0);
    EXPECT_EQ(p.algorithm(), 0);
    EXPECT_EQ(p.zoneEnable(), 3);
    EXPECT_EQ(p.zoneLow(1), -179.0);
    EXPECT_EQ(p.zoneHigh(1), 180.0);
    EXPECT_EQ(p.zoneLow(2), 0.5);
    EXPECT_EQ(p.zoneHigh(2), 2.0);
    EXPECT_EQ(p.nominal(1), -65.0);
    EXPECT_EQ(p.nominal(2), 1.5);
    EXPECT_TRUE(p.scoreUsingClutter());
    EXPECT_EQ(p.contrastThreshold(), 0.0);
    EXPECT_EQ(p.xyOverlap(), 1.0);
    EXPECT_EQ(p.numToFind(), 12);
    // Boundaries that are allowed.
    p.zone(1, 0.0, 360.0);
    p.zone(2, 0.1, 10.0);
    p.zone(2, 1.0, 1.0);
    EXPECT_EQ(p.zoneHigh(1), 360.0);
    EXPECT_EQ(p.zoneLow(2), 1.0);
}

// Nonsense is refused with BadParams and the object keeps its values.
TEST(AlignRunParams, NonsenseIsRefusedAndChangesNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    xcAlignRunParams p;
    const auto expectBad = [](auto&& call, const char* message) {
        const auto e = caught<xc_AlignDefs::BadParams>(call);
        EXPECT_EQ(e.message(), message);
        EXPECT_EQ(e.errorNumber(), 0x10000403);
    };
    expectBad([&] { p.acceptThreshold(1.01); }, "acceptThreshold must be between 0 and 1");
    expectBad([&] { p.acceptThreshold(nan); }, "acceptThreshold must be between 0 and 1");
    expectBad([&] { p.algorithm(4); }, "algorithm must be between 0 and 3");
    expectBad([&] { p.zoneEnable(4); },
              "zoneEnable may hold only the bits 1 (angle) and 2 (scale)");
    expectBad([&] { p.zoneEnable(-1); },
              "zoneEnable may hold only the bits 1 (angle) and 2 (scale)");
    expectBad([&] { p.zone(3, 0, 1); }, "degree of freedom must be 1 (angle) or 2 (scale)");
    expectBad([&] { p.zone(0, 0, 1); }, "degree of freedom must be 1 (angle) or 2 (scale)");
    expectBad([&] { (void)p.zoneLow(5); }, "degree of freedom must be 1 (angle) or 2 (scale)");
    expectBad([&] { (void)p.nominal(-1); }, "degree of freedom must be 1 (angle) or 2 (scale)");
    expectBad([&] { p.zone(1, 10, -10); },
              "angle zone must be finite with low <= high and at most 360 degrees wide");
    expectBad([&] { p.zone(1, -180, 180.5); },
              "angle zone must be finite with low <= high and at most 360 degrees wide");
    expectBad([&] { p.zone(1, -inf, 0); },
              "angle zone must be finite with low <= high and at most 360 degrees wide");
    expectBad([&] { p.zone(2, 0.05, 1); },
              "scale zone must lie between 0.1 and 10 with low <= high");
    expectBad([&] { p.zone(2, 2, 1); }, "scale zone must lie between 0.1 and 10 with low <= high");
    expectBad([&] { p.zone(2, 1, 11); }, "scale zone must lie between 0.1 and 10 with low <= high");
    expectBad([&] { p.nominal(1, nan); }, "nominal angle must be finite");
    expectBad([&] { p.nominal(2, 0.0); }, "nominal scale must lie between 0.1 and 10");
    expectBad([&] { p.contrastThreshold(-1); }, "contrastThreshold must be a finite number >= 0");
    expectBad([&] { p.contrastThreshold(inf); }, "contrastThreshold must be a finite number >= 0");
    expectBad([&] { p.xyOverlap(-0.1); }, "xyOverlap must be between 0 and 1");
    expectBad([&] { p.numToFind(0); }, "numToFind must be between 1 and 10000");
    expectBad([&] { p.numToFind(10001); }, "numToFind must be between 1 and 10000");

    const xcAlignRunParams fresh;
    EXPECT_EQ(p.acceptThreshold(), fresh.acceptThreshold());
    EXPECT_EQ(p.algorithm(), fresh.algorithm());
    EXPECT_EQ(p.zoneEnable(), fresh.zoneEnable());
    EXPECT_EQ(p.zoneLow(1), fresh.zoneLow(1));
    EXPECT_EQ(p.zoneHigh(1), fresh.zoneHigh(1));
    EXPECT_EQ(p.zoneLow(2), fresh.zoneLow(2));
    EXPECT_EQ(p.nominal(1), fresh.nominal(1));
    EXPECT_EQ(p.nominal(2), fresh.nominal(2));
    EXPECT_EQ(p.contrastThreshold(), fresh.contrastThreshold());
    EXPECT_EQ(p.xyOverlap(), fresh.xyOverlap());
    EXPECT_EQ(p.numToFind(), fresh.numToFind());
}
