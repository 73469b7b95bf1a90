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

const double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr long kArrangeBadParams = 0x10007400;

// Runs a setter that must refuse its value with this message and leave the parameters as they
// were.
void refuses(const std::function<void(xcOCArrangeParams&)>& set, const std::string& message) {
    xcOCArrangeParams p;
    p.minMatchScore(0.55); // not the default, so that a reset would show
    const xcOCArrangeParams saved = p;
    expectThrow<xcOCArrangeDefs::BadParams>([&] { set(p); }, message, kArrangeBadParams);
    EXPECT_EQ(p, saved) << message;
}

} // namespace

TEST(OCArrangeParams, Defaults) {
    const xcOCArrangeParams p;
    EXPECT_EQ(p.scaleRange(), xcRange(0.9, 1.1));
    EXPECT_EQ(p.minMatchScore(), 0.4);
    EXPECT_EQ(p.maxLines(), 0x7fffffff);
    EXPECT_EQ(p.lineType(), xcOCArrangeDefs::eDontCare);
    EXPECT_FALSE(p.isTextDirectionSpecified());
    EXPECT_EQ(p.straightTextDirection(), xcRadian(0));
    EXPECT_TRUE(p.isCircularTextDirectionClockwise());
    EXPECT_EQ(p.maxUnmatchedChars(), 0x7fffffff);
    EXPECT_EQ(p.orientationMode(), xcOCArrangeDefs::eAverage);
    EXPECT_EQ(p.orientationReference(), xcOCArrangeDefs::eRelative);
    EXPECT_EQ(p.expectedOrientation(), xcRadian(0));
    EXPECT_EQ(p.lineBreakCost(), 2.0);
    EXPECT_EQ(p.unmatchedCharCost(), 1.0);
    EXPECT_EQ(p.normalTransCost(), 1.0);
    EXPECT_EQ(p.tangentialTransCost(), 1.0);
    EXPECT_EQ(p.orientationCost(), 1.0);
    EXPECT_EQ(p.scaleCost(), 1.0);
    EXPECT_FALSE(p.compPoseUncertainties());
    EXPECT_EQ(p.maxCandidates(), 500000);
    EXPECT_EQ(p.timeout(), 10.0);
}

TEST(OCArrangeParams, SettersAcceptTheirRangeAndRefuseTheRest) {
    xcOCArrangeParams p;
    p.minMatchScore(0.0);
    p.minMatchScore(1.0);
    EXPECT_EQ(p.minMatchScore(), 1.0);
    refuses([](xcOCArrangeParams& q) { q.minMatchScore(-0.01); }, "Invalid min match score");
    refuses([](xcOCArrangeParams& q) { q.minMatchScore(1.01); }, "Invalid min match score");
    refuses([](xcOCArrangeParams& q) { q.minMatchScore(kNaN); }, "Invalid min match score");

    p.scaleRange(xcRange(0.5, 2.0));
    EXPECT_EQ(p.scaleRange(), xcRange(0.5, 2.0));
    refuses([](xcOCArrangeParams& q) { q.scaleRange(xcRange(0.0, 2.0)); }, "Invalid scale range");
    refuses([](xcOCArrangeParams& q) { q.scaleRange(xcRange::EmptyRange()); },
            "Invalid scale range");
    refuses([](xcOCArrangeParams& q) { q.scaleRange(xcRange::FullRange()); },
            "Invalid scale range");
    refuses([](xcOCArrangeParams& q) { q.scaleRange(xcRange(kNaN, 2.0)); }, "Invalid scale range");

    p.maxLines(1);
    EXPECT_EQ(p.maxLines(), 1);
    refuses([](xcOCArrangeParams& q) { q.maxLines(0); }, "Invalid max lines");
    p.maxUnmatchedChars(0);
    EXPECT_EQ(p.maxUnmatchedChars(), 0);
    refuses([](xcOCArrangeParams& q) { q.maxUnmatchedChars(-1); }, "Invalid max unmatched chars");
    p.maxCandidates(0);
    EXPECT_EQ(p.maxCandidates(), 0);
    refuses([](xcOCArrangeParams& q) { q.maxCandidates(-1); }, "Invalid max candidates");
    p.timeout(0.0);
    EXPECT_EQ(p.timeout(), 0.0);
    refuses([](xcOCArrangeParams& q) { q.timeout(-1e-9); }, "Invalid timeout");
    refuses([](xcOCArrangeParams& q) { q.timeout(kNaN); }, "Invalid timeout");

    p.lineType(xcOCArrangeDefs::eCircular);
    EXPECT_EQ(p.lineType(), xcOCArrangeDefs::eCircular);
    refuses([](xcOCArrangeParams& q) { q.lineType(static_cast<xcOCArrangeDefs::LineType>(3)); },
            "Invalid line type");
    p.orientationMode(xcOCArrangeDefs::eSpecified);
    refuses(
        [](xcOCArrangeParams& q) {
            q.orientationMode(static_cast<xcOCArrangeDefs::OrientationMode>(2));
        },
        "Invalid orientation mode");
    p.orientationReference(xcOCArrangeDefs::eAbsolute);
    refuses(
        [](xcOCArrangeParams& q) {
            q.orientationReference(static_cast<xcOCArrangeDefs::OrientationReference>(2));
        },
        "Invalid orientation reference");

    const std::pair<void (xcOCArrangeParams::*)(double), const char*> costs[] = {
        {&xcOCArrangeParams::lineBreakCost, "Invalid line break cost"},
        {&xcOCArrangeParams::unmatchedCharCost, "Invalid unmatched char cost"},
        {&xcOCArrangeParams::normalTransCost, "Invalid normal translation cost"},
        {&xcOCArrangeParams::tangentialTransCost, "Invalid tangential translation cost"},
        {&xcOCArrangeParams::orientationCost, "Invalid orientation cost"},
        {&xcOCArrangeParams::scaleCost, "Invalid scale cost"}};
    for (const auto& [setter, message] : costs) {
        (p.*setter)(0.0);
        refuses([setter](xcOCArrangeParams& q) { (q.*setter)(-0.5); }, message);
        refuses([setter](xcOCArrangeParams& q) { (q.*setter)(kNaN); }, message);
    }
    EXPECT_EQ(p.lineBreakCost(), 0.0);
    EXPECT_EQ(p.scaleCost(), 0.0);

    // Unchecked fields take anything.
    p.straightTextDirection(xcRadian(-7));
    p.expectedOrientation(xcRadian(100));
    p.isTextDirectionSpecified(true);
    p.isCircularTextDirectionClockwise(false);
    p.compPoseUncertainties(true);
    EXPECT_EQ(p.straightTextDirection(), xcRadian(-7));
    EXPECT_EQ(p.expectedOrientation(), xcRadian(100));
}

TEST(OCArrangeParams, EveryFieldTakesPartInEquality) {
    EXPECT_EQ(xcOCArrangeParams(), xcOCArrangeParams());
    const std::vector<std::function<void(xcOCArrangeParams&)>> changes = {
        [](xcOCArrangeParams& p) { p.scaleRange(xcRange(0.9, 1.2)); },
        [](xcOCArrangeParams& p) { p.minMatchScore(0.41); },
        [](xcOCArrangeParams& p) { p.maxLines(3); },
        [](xcOCArrangeParams& p) { p.lineType(xcOCArrangeDefs::eStraight); },
        [](xcOCArrangeParams& p) { p.isTextDirectionSpecified(true); },
        [](xcOCArrangeParams& p) { p.straightTextDirection(xcRadian(0.1)); },
        [](xcOCArrangeParams& p) { p.isCircularTextDirectionClockwise(false); },
        [](xcOCArrangeParams& p) { p.maxUnmatchedChars(2); },
        [](xcOCArrangeParams& p) { p.orientationMode(xcOCArrangeDefs::eSpecified); },
        [](xcOCArrangeParams& p) { p.orientationReference(xcOCArrangeDefs::eAbsolute); },
        [](xcOCArrangeParams& p) { p.expectedOrientation(xcRadian(0.2)); },
        [](xcOCArrangeParams& p) { p.lineBreakCost(2.5); },
        [](xcOCArrangeParams& p) { p.unmatchedCharCost(1.5); },
        [](xcOCArrangeParams& p) { p.normalTransCost(1.5); },
        [](xcOCArrangeParams& p) { p.tangentialTransCost(1.5); },
        [](xcOCArrangeParams& p) { p.orientationCost(1.5); },
        [](xcOCArrangeParams& p) { p.scaleCost(1.5); },
        [](xcOCArrangeParams& p) { p.compPoseUncertainties(true); },
        [](xcOCArrangeParams& p) { p.maxCandidates(7); },
        [](xcOCArrangeParams& p) { p.timeout(3.0); }};
    for (std::size_t i = 0; i < changes.size(); ++i) {
        xcOCArrangeParams p;
        changes[i](p);
        EXPECT_NE(p, xcOCArrangeParams()) << "field " << i;
        EXPECT_FALSE(p == xcOCArrangeParams()) << "field " << i;
        xcOCArrangeParams copy(p);
        EXPECT_EQ(copy, p);
    }
}

TEST(OCArrangeParams, ArchiveLayoutVersionsAndDamage) {
    xcOCArrangeParams p;
    p.scaleRange(xcRange(0.8, 1.25));
    p.maxLines(4);
    p.lineType(xcOCArrangeDefs::eCircular);
    p.straightTextDirection(xcRadian(0.5));
    p.maxUnmatchedChars(3);
    p.orientationMode(xcOCArrangeDefs::eSpecified);
    p.expectedOrientation(xcRadian(-0.25));
    p.compPoseUncertainties(true);
    p.maxCandidates(1000);
    p.timeout(2.5);
    const std::vector<unsigned char> bytes = store(p);
    Reader r(bytes);
    EXPECT_EQ(r.u8(), 0); // version
    EXPECT_EQ(r.u8(), 0); // scale range: kind, start, end
    EXPECT_EQ(r.f64(), 0.8);
    EXPECT_EQ(r.f64(), 1.25);
    EXPECT_EQ(r.f64(), 0.4);   // minMatchScore
    EXPECT_EQ(r.i32(), 4);     // maxLines
    EXPECT_EQ(r.u32(), 1u);    // lineType
    EXPECT_EQ(r.u8(), 0);      // isTextDirectionSpecified
    EXPECT_EQ(r.f64(), 0.5);   // straightTextDirection
    EXPECT_EQ(r.u8(), 1);      // isCircularTextDirectionClockwise
    EXPECT_EQ(r.i32(), 3);     // maxUnmatchedChars
    EXPECT_EQ(r.u32(), 0u);    // orientationMode
    EXPECT_EQ(r.u32(), 1u);    // orientationReference
    EXPECT_EQ(r.f64(), -0.25); // expectedOrientation
    for (double cost : {2.0, 1.0, 1.0, 1.0, 1.0, 1.0}) EXPECT_EQ(r.f64(), cost);
    EXPECT_EQ(r.u8(), 1);     // compPoseUncertainties
    EXPECT_EQ(r.i32(), 1000); // maxCandidates
    EXPECT_EQ(r.f64(), 2.5);  // timeout
    EXPECT_TRUE(r.atEnd());

    xcOCArrangeParams back;
    load(bytes, back);
    EXPECT_EQ(back, p);

    // Any other version names the place; 0xFF is not a negative "older" version.
    for (unsigned char v : {1, 0x80, 0xFF}) {
        std::vector<unsigned char> bad = bytes;
        bad[0] = v;
        xcOCArrangeParams target;
        try {
            load(bad, target);
            ADD_FAILURE() << "version " << int(v) << " loaded";
        } catch (const xcArchive::UnknownVersion& e) {
            EXPECT_EQ(e.text(), "oc/arrange");
            EXPECT_EQ(e.number(), 613);
        }
        EXPECT_EQ(target, xcOCArrangeParams());
    }

    // Loading takes values without the setters' checks; an enumeration outside its range is
    // damage.
    std::vector<unsigned char> unchecked = bytes;
    const double two = 2.0;
    std::memcpy(&unchecked[18], &two, 8); // minMatchScore
    xcOCArrangeParams loose;
    load(unchecked, loose);
    EXPECT_EQ(loose.minMatchScore(), 2.0);
    std::vector<unsigned char> badEnum = bytes;
    badEnum[30] = 3; // lineType
    xcOCArrangeParams target;
    EXPECT_THROW(load(badEnum, target), xcArchive::BadFormat);
    EXPECT_EQ(target, xcOCArrangeParams());

    damageRun(bytes, [](const std::vector<unsigned char>& data) {
        xcMemoryArchive in(data);
        xcOCArrangeParams loaded;
        in || loaded;
    });
}
