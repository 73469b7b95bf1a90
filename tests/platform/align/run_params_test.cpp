// The run parameters' zones and nominal values, checked per degree of freedom (the single-value
// fields are walked by the parameter-table test).
#include "align/align_defs.h"
#include "align/align_run_params.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <limits>

TEST(AlignRunParams, ZonesAndNominalsStoreValidValues) {
    xcAlignRunParams p;
    EXPECT_EQ(p.zoneLow(1), -180.0);
    EXPECT_EQ(p.zoneHigh(2), 1.0);
    EXPECT_EQ(p.nominal(2), 1.0);
    p.zone(1, -179.0, 180.0);
    p.zone(2, 0.5, 2.0);
    p.nominal(1, -65.0);
    p.nominal(2, 1.5);
    EXPECT_EQ(p.zoneLow(1), -179.0);
    EXPECT_EQ(p.zoneHigh(1), 180.0);
    EXPECT_EQ(p.zoneLow(2), 0.5);
    EXPECT_EQ(p.zoneHigh(2), 2.0);
    EXPECT_EQ(p.nominal(1), -65.0);
    EXPECT_EQ(p.nominal(2), 1.5);
    // Boundaries that are allowed.
    p.zone(1, 0.0, 360.0);
    p.zone(2, 0.1, 10.0);
    p.zone(2, 1.0, 1.0);
    EXPECT_EQ(p.zoneHigh(1), 360.0);
    EXPECT_EQ(p.zoneLow(2), 1.0);
}

// Nonsense is refused with BadParams and the object keeps its values.
TEST(AlignRunParams, BadZonesAndNominalsAreRefusedAndChangeNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    xcAlignRunParams p;
    const auto expectBad = [](auto&& call, const char* message) {
        const auto e = caught<xc_AlignDefs::BadParams>(call);
        EXPECT_EQ(e.message(), message);
        EXPECT_EQ(e.errorNumber(), 0x10000403);
    };
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

    const xcAlignRunParams fresh;
    EXPECT_EQ(p.zoneLow(1), fresh.zoneLow(1));
    EXPECT_EQ(p.zoneHigh(1), fresh.zoneHigh(1));
    EXPECT_EQ(p.zoneLow(2), fresh.zoneLow(2));
    EXPECT_EQ(p.nominal(1), fresh.nominal(1));
    EXPECT_EQ(p.nominal(2), fresh.nominal(2));
}
