#include "oc/arrange/arrange_results.h"

#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "core/persist/archive_vector.h"
#include "oc/oc/fixtures.h"

#include <gtest/gtest.h>

#include <functional>

using namespace oc_test;

namespace {

using Status = xcOCArrangeDefs::CharStatus;
using Access = xc_OCArrangeResultsAccess;

xcPtrHandle_const<xcOCLineArrangement> arrangementOf(const std::string& name) {
    const xcOCLineArrangement::Lines lines{xcPtrHandle_const<xcOCLine>(
        new xcOCLine({xcOCKeySet({10}, 0), xcOCKeySet({20}, 0)}, alphabetOf(2),
                     xc2Rigid(xcRadian(0), {12, 0}), 1.0, 0.0, xcRadian(0), 0.0, "Line 0"))};
    return xcPtrHandle_const<xcOCLineArrangement>(
        new xcOCLineArrangement(lines, xc2Rigid(), 0.0, xcRadian(0), name));
}

// Results as the arranger would leave them.
xcOCArrangeResults filled(const std::string& name = "") {
    xcOCArrangeResults r;
    Access::isFound(r) = true;
    Access::isSearchTruncated(r) = true;
    Access::arrangement(r) = arrangementOf(name);
    Access::clientFromArrangementXform(r) =
        xcXform<2>(xcVector<2>(30, 40), 1.0, 1.0, xcRadian(0), xcRadian(0.5));
    Access::statusFlags(r) = {xcOCArrangeDefs::eMatched, xcOCArrangeDefs::eInferred};
    Access::scores(r) = {0.875, 0.0};
    return r;
}

} // namespace

TEST(OCArrangeResults, ArchiveLayoutAndVersions) {
    xcOCArrangeResults r;
    Access::isFound(r) = true;
    Access::clientFromArrangementXform(r) = xcXform<2>::translation({3, 4});
    Access::statusFlags(r) = {xcOCArrangeDefs::eUnknown};
    Access::scores(r) = {0.5};
    const Bytes bytes = store(r);
    Reader rd(bytes);
    for (int v : {1, 1, 0, 0}) EXPECT_EQ(rd.u8(), v); // version, found, truncated, no arrangement
    for (double v : {1.0, 0.0, 0.0, 1.0, 3.0, 4.0}) EXPECT_EQ(rd.f64(), v);
    rd.vec(1); // status flags as unsigned longs
    EXPECT_EQ(rd.u32(), 2u);
    rd.vec(1); // scores
    EXPECT_EQ(rd.f64(), 0.5);
    EXPECT_TRUE(rd.atEnd());
    xcOCArrangeResults back;
    load(bytes, back);
    EXPECT_EQ(back, r);

    // With an arrangement: it is written in full, once, and round-trips by value.
    xcOCArrangeResults full = filled("a");
    xcOCArrangeResults fullBack;
    load(store(full), fullBack);
    EXPECT_EQ(fullBack, full);
    EXPECT_NE(fullBack.arrangement(), full.arrangement());

    // Version 0 carries two more doubles, read and dropped.
    Bytes v0 = bytes;
    v0[0] = 0;
    const double extra[2] = {7.0, 8.0};
    const unsigned char* p = reinterpret_cast<const unsigned char*>(extra);
    v0.insert(v0.end(), p, p + sizeof extra);
    xcOCArrangeResults old;
    load(v0, old);
    EXPECT_EQ(old, r);

    for (unsigned char v : {2, 0xFF}) {
        Bytes bad = bytes;
        bad[0] = v;
        xcOCArrangeResults target = filled();
        expectUnknownVersion(bad, target, "xcOCArrangeResults", v);
        EXPECT_EQ(target, filled());
    }
    // A status that is no status is damage.
    Bytes badStatus = bytes;
    badStatus[4 + 48 + 5] = 3;
    xcOCArrangeResults target;
    EXPECT_THROW(load(badStatus, target), xcArchive::BadFormat);
    EXPECT_EQ(target, xcOCArrangeResults());

    damageRun(store(full), [](const Bytes& data) {
        xcMemoryArchive in(data);
        xcOCArrangeResults loaded;
        in || loaded;
        if (loaded.arrangement()) (void)(*loaded.arrangement() == *loaded.arrangement());
    });
}
