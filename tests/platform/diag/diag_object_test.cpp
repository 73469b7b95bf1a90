#include "diag/diag_object.h"

#include "diag/diag_errors.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <string>

TEST(DiagObject, RecordsKeepTheirOrderKindAndTheLevelTheyWereMadeAt) {
    xcDiagObject diag;
    xcDiagRecord* a = xf_AddText(&diag, "body a", "A");
    diag.level(1);
    xcDiagRecord* b = xf_AddImage(&diag, xcPelBuffer_const<unsigned char>(4, 3), "B", 1);
    diag.level(2);
    xcDiagRecord* c = diag.newDiagRecord();
    diag.level(0);
    xcDiagRecord* d = xf_AddGraphics(&diag, xcGraphicList(), 1, "D");
    ASSERT_EQ(diag.numRecords(), 4);
    const xcDiagRecord* records[] = {a, b, c, d};
    const int levels[] = {0, 1, 2, 0};
    const xcDiagRecord::Kind kinds[] = {xcDiagRecord::eText, xcDiagRecord::eImage,
                                        xcDiagRecord::eEmpty, xcDiagRecord::eGraphics};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(diag.diagRecord(i), records[i]);
        EXPECT_EQ(records[i]->level(), levels[i]);
        EXPECT_EQ(records[i]->kind(), kinds[i]);
    }
    diag.level(5); // changing the level later does not move records already made
    EXPECT_EQ(b->level(), 1);
    // Pointers stay valid as records are added.
    for (int i = 0; i < 1000; ++i) xf_AddText(&diag, std::to_string(i), "N");
    EXPECT_EQ(a->texts().at(0).body(), "body a");
    EXPECT_EQ(diag.diagRecord(1003)->texts().at(0).body(), "999");
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

TEST(DiagRecord, HoldsImageTextsGraphicsAndAnnotationsInOrder) {
    xcDiagObject diag;
    xcPelBuffer<unsigned char> img(xcPelRect(10, 20, 6, 4));
    xcDiagRecord* r = xf_AddImage(&diag, img, "Input", 1);
    r->text("Size:\t6 x 4", "Image info");
    r->recordAnnotation("note 1");
    r->recordAnnotation("note 2");
    xcGraphicList list;
    list.push(xcGraphicRect(xcRect(1, 2, 3, 4), xcGraphicProps(xcColor::eGreen)));
    r->graphics(list, 1, "rect(s)");
    r->graphics(xcGraphicList(), 2, "none");
    EXPECT_TRUE(r->image().sharesRoot(img)); // a handle on the caller's pels
    EXPECT_EQ(r->annotations(), (std::vector<std::string>{"note 1", "note 2"}));
    ASSERT_EQ(r->graphics().size(), 2U);
    EXPECT_EQ(r->graphics()[1].coordinateSystem(), xcDisplay::eClientCoords);
    // The kind and title stay those of the first content; the list is the record's own copy.
    EXPECT_EQ(r->kind(), xcDiagRecord::eImage);
    EXPECT_EQ(r->title(), "Input");
    list.push(xcGraphicRect(xcRect()));
    EXPECT_EQ(r->graphics()[0].list().size(), 1);

    // A new record takes an annotation without getting a kind; its first text decides.
    xcDiagRecord* g = diag.newDiagRecord();
    g->recordAnnotation("Alphabet Compilation Input");
    EXPECT_EQ(g->kind(), xcDiagRecord::eEmpty);
    g->text("Alphabet general info\n", "Alphabet general info");
    EXPECT_EQ(g->kind(), xcDiagRecord::eText);
    EXPECT_FALSE(
        xf_AddImage(&diag, xcPelBuffer_const<unsigned char>(), "blank", 0)->image().isBound());
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
