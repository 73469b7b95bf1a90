#include "diag/diag_object.h"

#include "diag/diag_errors.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <string>

TEST(DiagObject, RecordPointersStayValidAndKeepTheirLevel) {
    xcDiagObject diag;
    diag.level(1);
    xcDiagRecord* a = xf_AddText(&diag, "body a", "A");
    diag.level(5); // changing the level later does not move records already made
    for (int i = 0; i < 1000; ++i) xf_AddText(&diag, std::to_string(i), "N");
    EXPECT_EQ(a->level(), 1);
    EXPECT_EQ(a->texts().at(0).body(), "body a");
    EXPECT_EQ(diag.diagRecord(1000)->texts().at(0).body(), "999");
}

TEST(DiagObject, BadIndexAndBadLevelThrowAndChangeNothing) {
    xcDiagObject diag;
    xf_AddText(&diag, "x", "y");
    for (long bad : {-1L, 1L, 1000L}) {
        const auto e = caught<xcDiagDefs::BadIndex>([&] { (void)diag.diagRecord(bad); });
        EXPECT_EQ(std::string(e.what()), "Diagnostic record index out of range");
        EXPECT_EQ(e.errorNumber(), 0x10000501);
    }
    // Lowering below 0 is a caller's imbalance: it throws and the level stays.
    diag.level(1);
    const auto e2 = caught<xcDiagDefs::BadParams>([&] { diag.level(-1); });
    EXPECT_EQ(std::string(e2.what()), "Diagnostic level must be >= 0");
    EXPECT_EQ(e2.errorNumber(), 0x10000502);
    EXPECT_EQ(diag.level(), 1);
    EXPECT_EQ(diag.numRecords(), 1);
}

TEST(DiagObject, NullRecorderDoesNothingAndShouldRecordTable) {
    EXPECT_EQ(xf_AddText(nullptr, "body", "title"), nullptr);
    EXPECT_EQ(xf_AddImage(nullptr, xcPelBuffer_const<unsigned char>(2, 2), "t", 0), nullptr);
    // Even a bad coordinate system is not looked at without a recorder.
    EXPECT_EQ(xf_AddGraphics(nullptr, xcGraphicList(), 9, "t", 0), nullptr);

    const struct {
        unsigned long flags, what;
        bool expected;
    } rows[] = {
        {0x10000, 0x10000, true}, {0x70000, 0x40000, true},    {0x20000, 0x10000, false},
        {0, 0x10000, false},      {0x10000, 0x30000, false},   {0x30000, 0x30000, true},
        {0x10000, 0, false},      {0xFFFFFFFF, 0x20000, true}, {~0UL, ~0UL, true},
    };
    for (const auto& r : rows)
        EXPECT_EQ(xcDiagObject::shouldRecord(r.flags, r.what), r.expected)
            << std::hex << r.flags << " " << r.what;
}

TEST(DiagRecord, BadCoordinateSystemThrowsAndAddsNothing) {
    xcDiagObject diag;
    xcDiagRecord* r = xf_AddText(&diag, "b", "t");
    for (long cs : {0L, 3L, -1L}) {
        EXPECT_EQ(std::string(caught<xcDiagDefs::BadParams>([&] {
                                  r->graphics(xcGraphicList(), cs, "g");
                              }).what()),
                  "Coordinate system must be 1 (image) or 2 (client)");
    }
    EXPECT_TRUE(r->graphics().empty());
    EXPECT_THROW(xf_AddGraphics(&diag, xcGraphicList(), 0, "g", 0), xcDiagDefs::BadParams);
    EXPECT_EQ(diag.numRecords(), 1);
    // Without a coordinate system a graphics record is drawn in client coordinates.
    xcDiagRecord* g = xf_AddGraphics(&diag, xcGraphicList(), "Result", 3);
    EXPECT_EQ(g->graphics().at(0).coordinateSystem(), 2);
    EXPECT_EQ(g->displayOptions(), 3UL);
}
