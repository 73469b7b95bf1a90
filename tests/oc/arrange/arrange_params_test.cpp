#include "oc/arrange/arrange_params.h"

#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "oc/oc/fixtures.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace oc_test;

namespace {

using P = xcOCArrangeParams;
using Defs = xcOCArrangeDefs;

} // namespace

// The defaults are pinned here too: only three fields differ from a new object.
TEST(OCArrangeParams, ArchiveLayoutDefaultsVersionsAndDamage) {
    P p;
    p.straightTextDirection(xcRadian(0.5));
    p.expectedOrientation(xcRadian(-0.25));
    p.orientationCost(0.75);
    const Bytes bytes = store(p);
    Reader r(bytes);
    EXPECT_EQ(r.u8(), 0); // version
    EXPECT_EQ(r.u8(), 0); // scale range: kind, start, end
    EXPECT_EQ(r.f64(), 0.9);
    EXPECT_EQ(r.f64(), 1.1);
    EXPECT_EQ(r.f64(), 0.4);        // minMatchScore
    EXPECT_EQ(r.i32(), 0x7fffffff); // maxLines
    EXPECT_EQ(r.u32(), 2u);         // lineType eDontCare
    EXPECT_EQ(r.u8(), 0);           // isTextDirectionSpecified
    EXPECT_EQ(r.f64(), 0.5);        // straightTextDirection
    EXPECT_EQ(r.u8(), 1);           // isCircularTextDirectionClockwise
    EXPECT_EQ(r.i32(), 0x7fffffff); // maxUnmatchedChars
    EXPECT_EQ(r.u32(), 1u);         // orientationMode eAverage
    EXPECT_EQ(r.u32(), 1u);         // orientationReference eRelative
    EXPECT_EQ(r.f64(), -0.25);      // expectedOrientation
    for (double cost : {2.0, 1.0, 1.0, 1.0, 0.75, 1.0}) EXPECT_EQ(r.f64(), cost);
    EXPECT_EQ(r.u8(), 0);       // compPoseUncertainties
    EXPECT_EQ(r.i32(), 500000); // maxCandidates
    EXPECT_EQ(r.f64(), 10.0);   // timeout
    EXPECT_TRUE(r.atEnd());

    P back;
    p.lineType(Defs::eCircular);
    load(store(p), back);
    EXPECT_EQ(back, p);

    // Any other version names the class; 0xFF is not a negative "older" version.
    for (unsigned char v : {1, 0xFF}) {
        Bytes bad = bytes;
        bad[0] = v;
        P target;
        expectUnknownVersion(bad, target, "xcOCArrangeParams", v);
        EXPECT_EQ(target, P());
    }

    // Loading skips the setters' checks; an enumeration outside its range is damage.
    Bytes unchecked = bytes;
    const double two = 2.0;
    std::memcpy(&unchecked[18], &two, 8); // minMatchScore
    P loose;
    load(unchecked, loose);
    EXPECT_EQ(loose.minMatchScore(), 2.0);
    Bytes badEnum = bytes;
    badEnum[30] = 3; // lineType
    P target;
    EXPECT_THROW(load(badEnum, target), xcArchive::BadFormat);
    EXPECT_EQ(target, P());

    damageRun(bytes, [](const Bytes& data) {
        xcMemoryArchive in(data);
        P loaded;
        in || loaded;
    });
}
