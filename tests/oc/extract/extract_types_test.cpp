#include "access.h"
#include "align/align_result.h"
#include "core/persist/archive.h"
#include "core/object/instantiator.h"
#include "oc/oc/fixtures.h"
#include "support/caught.h"

#include <gtest/gtest.h>

using namespace oc_test;
using Error = xc_OCExtractDefs::xc_OCExtractError;
constexpr long kExtractError = 0x10007402;

namespace {

// An instance whose rectangle is the 10 x 20 window at (x, y), placed by a pure translation.
xc_OCExtractCharInstance at(double x, double y, double score = 0.5) {
    const xcAlignResult r(score, xcXform<2>::translation({x, y}), true, 1, 0, 0, 1, 30);
    return xc_OCExtractCharInstance(r, xcXform<2>(), xcPelRect(0, 0, 10, 20));
}

} // namespace

TEST(OCExtractTypes, ErrorCarriesItsNumberArchivesAndLoadsByClassName) {
    Error* heap = new Error("Bad index");
    expectThrow<Error>([&] { heap->suicideAndRethrow(); }, "Bad index", kExtractError);

    xcPersistent* out = new Error("refine error");
    xcMemoryArchive ar;
    ar || out;
    delete out;
    Reader r(ar.bytes());
    EXPECT_EQ(r.u8(), 1);
    EXPECT_EQ(r.str(), "xc_OCExtractDefs::xc_OCExtractError");
    EXPECT_EQ(r.u8(), 0); // own version
    EXPECT_EQ(r.u8(), 0); // xcExceptionWithString
    EXPECT_EQ(r.str(), "refine error");
    EXPECT_EQ(r.u8(), 0); // xcException
    EXPECT_TRUE(r.atEnd());

    xcPersistent* in = nullptr;
    {
        xcMemoryArchive back(ar.bytes());
        back || in;
    }
    ASSERT_NE(dynamic_cast<Error*>(in), nullptr);
    EXPECT_EQ(dynamic_cast<Error*>(in)->message(), "refine error");
    delete in;

    Bytes bytes = ar.bytes();
    bytes[40] = 1; // the class's own version byte
    const auto e = caught<xcArchive::UnknownVersion>([&] {
        xcMemoryArchive bad(bytes);
        xcPersistent* p = nullptr;
        bad || p;
    });
    EXPECT_EQ(e.text(), "xc_OCExtractDefs::xc_OCExtractError");
    EXPECT_EQ(e.number(), 0);
}

TEST(OCExtractTypes, InstanceRectangleFollowsPoseTimesTrainClient) {
    // Train pels (2, 3, 4, 6) with train client = pels scaled by 0.5; pose turns by 90 degrees
    // and moves by (100, 50): Po = pose(1, 1.5), Px = pose(3, 1.5), Py = pose(1, 4.5).
    const xcXform<2> pose(xcMatrix<2>(0, -1, 1, 0), xcVector<2>(100, 50));
    const xcAlignResult r(0.8, pose, true, 1, 0, 90, 1, 30);
    const xc_OCExtractCharInstance i(r, xcXform<2>(xcMatrix<2>(0.5, 0, 0, 0.5), {}),
                                     xcPelRect(2, 3, 4, 6));
    EXPECT_EQ(i.score, 0.8);
    EXPECT_EQ(i.pose, pose);
    EXPECT_EQ(i.affRect.cornerPo(), xcVector<2>(98.5, 51));
    EXPECT_EQ(i.affRect.cornerPx(), xcVector<2>(98.5, 53));
    EXPECT_EQ(i.affRect.cornerPy(), xcVector<2>(95.5, 51));
}

TEST(OCExtractTypes, InstanceEqualityTestsFivePointsOneWay) {
    const xc_OCExtractCharInstance a = at(0, 0);
    EXPECT_TRUE(a.isEqual(a, 0.0));
    EXPECT_FALSE(at(10, 0).isEqual(a, 0.1)); // a full width away: centre at (1.5, 0.5)
    // Shifted by half a width and height: Po lands on the other's centre.
    EXPECT_TRUE(at(5, 10).isEqual(a, 0.0));
    // A rectangle a fifth of the other's size at its corner: its Popp lies 0.42 from the
    // other's centre, while the other's nearest point (Po) lies 0.71 from its centre.
    const xcAlignResult small(0.5, xcXform<2>(xcMatrix<2>(0.2, 0, 0, 0.2), {0, 0}), true, 1, 0, 0,
                              0.2, 30);
    const xc_OCExtractCharInstance s(small, xcXform<2>(), xcPelRect(0, 0, 10, 20));
    EXPECT_TRUE(s.isEqual(a, 0.45));
    EXPECT_FALSE(a.isEqual(s, 0.45));
    EXPECT_TRUE(a.isEqual(s, 0.71));
    EXPECT_TRUE(xc_OCExtractCharInstance::orderByScore(at(0, 0, 0.9), at(0, 0, 0.5)));
    EXPECT_FALSE(xc_OCExtractCharInstance::orderByScore(at(0, 0, 0.5), at(0, 0, 0.5)));
}

TEST(OCExtractTypes, CharResultIndexingMergingAndOverlap) {
    using A = xc_OCExtractTestAccess;
    xc_OCExtractCharResult r;
    for (double s : {0.6, 0.9, 0.7}) A::append(r, at(0, 0, s));
    A::append(r, at(50, 0, 0.8));
    EXPECT_NO_THROW(r.score(r.numInstances() - 1));
    const Refusals bad = {{[&] { r.score(r.numInstances()); }, "Bad index"},
                          {[&] { r.pose(-1); }, "Bad index"},
                          {[&] { r.affRect(4); }, "Bad index"},
                          {[&] { A::doesOverlap(r, 0, 4, 0.1); }, "Bad index"}};
    expectThrows<Error>(bad, kExtractError);

    A::sort(r);
    EXPECT_EQ(std::vector<double>({r.score(0), r.score(1), r.score(2), r.score(3)}),
              std::vector<double>({0.9, 0.8, 0.7, 0.6}));
    EXPECT_FALSE(A::doesOverlap(r, 0, 1, 0.1));
    A::removeOverlapping(r, 0, 0.1); // the three at (0, 0) are one; the one at (50, 0) stays
    ASSERT_EQ(r.numInstances(), 2);
    EXPECT_EQ(r.score(1), 0.8);

    r.numOccurrences(3);
    A::rot180(r, xcXform<2>::translation({1, 2}));
    r.init();
    EXPECT_EQ(r.numInstances(), 0);
    EXPECT_EQ(r.numOccurrences(), 0);
    EXPECT_EQ(r.rot180Pose(), xcXform<2>::translation({1, 2}));
}

TEST(OCExtractTypes, StringResultMergesByKeyAndCopiesShare) {
    using A = xc_OCExtractTestAccess;
    xc_OCExtractStringResult s;
    A::Handle first(new xc_OCExtractCharResult()), second(new xc_OCExtractCharResult());
    first->time(1.0);
    first->numOccurrences(2);
    A::append(*first, at(0, 0, 0.4));
    second->time(2.0);
    second->found(true);
    A::append(*second, at(5, 0, 0.6));
    A::addToResult(s, 7, first);
    A::addToResult(s, 7, second); // merged into the first: instances in order, times summed
    ASSERT_EQ(A::byKey(s).size(), 1u);
    EXPECT_EQ(A::byKey(s).at(7), first);
    EXPECT_TRUE(first->numInstances() == 2 && first->score(1) == 0.6 && first->time() == 3.0);
    EXPECT_TRUE(first->found() && first->numOccurrences() == 2);

    const xc_OCExtractStringResult copy = s;
    A::byKey(copy).at(7)->numOccurrences(5);
    EXPECT_EQ(first->numOccurrences(), 5);
}
