// Train and run parameters: defaults, ranges, and setters that refuse without changing anything.
#include "corrsearch_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

template <class F>
std::string badParamsMessage(F f) {
    try {
        f();
    } catch (const xcCorrSearchDefs::BadParams& e) {
        EXPECT_EQ(e.errorNumber(), 0x10000702);
        return e.message();
    }
    return "no exception";
}

} // namespace

TEST(CorrSearchParams, TrainDefaultsAndRanges) {
    xcCorrSearchTrainParams p;
    EXPECT_EQ(p.accuracy(), 4);
    EXPECT_EQ(p.algorithms(), 8);
    p.accuracy(1);
    p.algorithms(24);
    EXPECT_EQ(p.accuracy(), 1);
    EXPECT_EQ(p.algorithms(), 24);
    for (long bad : {0L, 5L, -1L})
        EXPECT_EQ(badParamsMessage([&] { p.accuracy(bad); }), "accuracy must be between 1 and 4");
    for (long bad : {0L, 4L, 9L, 32L, -8L})
        EXPECT_EQ(badParamsMessage([&] { p.algorithms(bad); }),
                  "algorithms must be a non-empty combination of 8 and 16");
    EXPECT_EQ(p.accuracy(), 1);
    EXPECT_EQ(p.algorithms(), 24);
}

TEST(CorrSearchParams, RunDefaultsAndRanges) {
    xcCorrSearchRunParams p;
    EXPECT_EQ(p.algorithm(), 8);
    EXPECT_EQ(p.accuracy(), 4);
    EXPECT_EQ(p.accept(), 0.5);
    EXPECT_EQ(p.confusion(), 0.6);
    EXPECT_EQ(p.xyOverlap(), 0.3);
    EXPECT_EQ(p.maxNumResults(), 1);
    EXPECT_EQ(xcCorrSearchRunParams(16).algorithm(), 16);
    EXPECT_EQ(badParamsMessage([] { xcCorrSearchRunParams q(24); }), "algorithm must be 8 or 16");

    p.accept(0.0);
    p.confusion(1.0);
    p.xyOverlap(1.0);
    p.maxNumResults(32767);
    for (double bad : {-0.01, 1.01, std::nan("")}) {
        EXPECT_EQ(badParamsMessage([&] { p.accept(bad); }), "accept must be between 0 and 1");
        EXPECT_EQ(badParamsMessage([&] { p.confusion(bad); }), "confusion must be between 0 and 1");
        EXPECT_EQ(badParamsMessage([&] { p.xyOverlap(bad); }), "xyOverlap must be between 0 and 1");
    }
    EXPECT_EQ(badParamsMessage([&] { p.maxNumResults(0); }), "maxNumResults must be 1 or more");
    EXPECT_EQ(badParamsMessage([&] { p.algorithm(4); }), "algorithm must be 8 or 16");
    EXPECT_EQ(badParamsMessage([&] { p.accuracy(0); }), "accuracy must be between 1 and 4");
    EXPECT_EQ(p.accept(), 0.0);
    EXPECT_EQ(p.confusion(), 1.0);
    EXPECT_EQ(p.xyOverlap(), 1.0);
    EXPECT_EQ(p.maxNumResults(), 32767);
    EXPECT_EQ(p.algorithm(), 8);
    EXPECT_EQ(p.accuracy(), 4);
}
