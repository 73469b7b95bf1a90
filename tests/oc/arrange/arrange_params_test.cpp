#include "oc/arrange/arrange_params.h"

#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "oc/oc/fixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>

using namespace oc_test;

namespace {

using Change = std::function<void(xcOCArrangeParams&)>;
using P = xcOCArrangeParams;
using Defs = xcOCArrangeDefs;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

TEST(OCArrangeParams, SettersAcceptTheirRangeAndRefuseTheRest) {
    P p; // the boundaries are accepted
    p.minMatchScore(1.0);
    p.maxLines(1);
    p.maxUnmatchedChars(0);
    p.maxCandidates(0);
    p.timeout(0.0);

    const std::vector<std::pair<Change, const char*>> refused = {
        {[](P& q) { q.minMatchScore(-0.01); }, "Invalid min match score"},
        {[](P& q) { q.minMatchScore(kNaN); }, "Invalid min match score"},
        {[](P& q) { q.scaleRange(xcRange(0.0, 2.0)); }, "Invalid scale range"},
        {[](P& q) { q.scaleRange(xcRange::EmptyRange()); }, "Invalid scale range"},
        {[](P& q) { q.scaleRange(xcRange(kNaN, 2.0)); }, "Invalid scale range"},
        {[](P& q) { q.maxLines(0); }, "Invalid max lines"},
        {[](P& q) { q.maxUnmatchedChars(-1); }, "Invalid max unmatched chars"},
        {[](P& q) { q.maxCandidates(-1); }, "Invalid max candidates"},
        {[](P& q) { q.timeout(-1e-9); }, "Invalid timeout"},
        {[](P& q) { q.timeout(kNaN); }, "Invalid timeout"},
        {[](P& q) { q.lineType(static_cast<Defs::LineType>(3)); }, "Invalid line type"},
        {[](P& q) { q.orientationMode(static_cast<Defs::OrientationMode>(2)); },
         "Invalid orientation mode"},
        {[](P& q) { q.orientationReference(static_cast<Defs::OrientationReference>(2)); },
         "Invalid orientation reference"},
        {[](P& q) { q.lineBreakCost(-0.5); }, "Invalid line break cost"},
        {[](P& q) { q.unmatchedCharCost(kNaN); }, "Invalid unmatched char cost"},
        {[](P& q) { q.normalTransCost(-0.5); }, "Invalid normal translation cost"},
        {[](P& q) { q.tangentialTransCost(kNaN); }, "Invalid tangential translation cost"},
        {[](P& q) { q.orientationCost(-0.5); }, "Invalid orientation cost"},
        {[](P& q) { q.scaleCost(kNaN); }, "Invalid scale cost"}};
    for (const auto& [set, message] : refused) {
        P q;
        q.minMatchScore(0.55); // not the default, so that a reset would show
        const P saved = q;
        expectThrow<Defs::BadParams>([&] { set(q); }, message, 0x10007400);
        EXPECT_EQ(q, saved) << message;
    }
}

TEST(OCArrangeParams, EveryFieldTakesPartInEquality) {
    const std::vector<Change> changes = {[](P& p) { p.scaleRange(xcRange(0.9, 1.2)); },
                                         [](P& p) { p.minMatchScore(0.41); },
                                         [](P& p) { p.maxLines(3); },
                                         [](P& p) { p.lineType(Defs::eStraight); },
                                         [](P& p) { p.isTextDirectionSpecified(true); },
                                         [](P& p) { p.straightTextDirection(xcRadian(0.1)); },
                                         [](P& p) { p.isCircularTextDirectionClockwise(false); },
                                         [](P& p) { p.maxUnmatchedChars(2); },
                                         [](P& p) { p.orientationMode(Defs::eSpecified); },
                                         [](P& p) { p.orientationReference(Defs::eAbsolute); },
                                         [](P& p) { p.expectedOrientation(xcRadian(0.2)); },
                                         [](P& p) { p.lineBreakCost(2.5); },
                                         [](P& p) { p.unmatchedCharCost(1.5); },
                                         [](P& p) { p.normalTransCost(1.5); },
                                         [](P& p) { p.tangentialTransCost(1.5); },
                                         [](P& p) { p.orientationCost(1.5); },
                                         [](P& p) { p.scaleCost(1.5); },
                                         [](P& p) { p.compPoseUncertainties(true); },
                                         [](P& p) { p.maxCandidates(7); },
                                         [](P& p) { p.timeout(3.0); }};
    for (std::size_t i = 0; i < changes.size(); ++i) {
        P p;
        changes[i](p);
        EXPECT_FALSE(p == P()) << "field " << i;
        EXPECT_EQ(P(p), p);
    }
}

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

    // Any other version names the place; 0xFF is not a negative "older" version.
    for (unsigned char v : {1, 0xFF}) {
        Bytes bad = bytes;
        bad[0] = v;
        P target;
        expectUnknownVersion(bad, target, "oc/arrange", 613);
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
