#include "oc/occhar/char_diag.h"

#include "diag/diag_object.h"
#include "oc/occhar/character.h"
#include "occhar_test_util.h"

namespace {

using namespace occhar_test;
using M = xcOCCharMetrics;

// The rectangles and colours of a record's one graphics list, with its coordinate system.
std::vector<std::pair<xcRect, xcColor>> drawn(const xcDiagRecord& r, long& system) {
    EXPECT_EQ(r.graphics().size(), 1u);
    const xcDiagGraphics& g = r.graphics().at(0);
    EXPECT_EQ(g.title(), "rect(s)");
    system = g.coordinateSystem();
    std::vector<std::pair<xcRect, xcColor>> out;
    for (long i = 0; i < g.list().size(); ++i) {
        const xcGraphicRect* rect = g.list().get<xcGraphicRect>(i);
        EXPECT_FALSE(rect->fill());
        out.emplace_back(rect->rect(), rect->props().color());
    }
    return out;
}

TEST(CharDiag, KeyText) {
    EXPECT_EQ(xf_OCCharKeyText(xcOCCharKey()),
              "Character code : 63488\nInstance : -1\nVariant : -1\nFontID : -1\n");
    EXPECT_EQ(xf_OCCharKeyText(xcOCCharKey(0xFFFFFFFFul, 7, -5, 0)),
              "Character code : 4294967295\nInstance : 7\nVariant : -5\nFontID : 0\n");
}

TEST(CharDiag, RecordsOfCharacters) {
    xcDiagObject diag;
    xcOCChar c;
    c.image(ramp(xcPelRect(0, 0, 8, 6)));
    c.imageArea(xcPelRect(1, 1, 2, 2)); // not applied to the recorded image
    c.name("A");
    c.key(xcOCCharKey(65, 2));
    xcDiagRecord* rec = xf_AddOCChar(&diag, c, "char A");
    EXPECT_EQ(rec->texts()[0].body(), "Name : A\nCharacter code : 65\nInstance : 2\nVariant : -1\n"
                                      "FontID : -1\nPolarity : 4\n");
    // Blank metrics: one green empty mark in each list, so the image list (system 1) is drawn.
    long system = 0;
    const auto green = xcColor(xcColor::eGreen), orange = xcColor(xcColor::eOrange);
    EXPECT_EQ(drawn(*rec, system), (std::vector<std::pair<xcRect, xcColor>>{{xcRect(), green}}));
    EXPECT_EQ(system, 1);

    // A name without an 8-bit form leaves its line out; client rectangles outnumber image ones.
    c.name32(xcOCChar::String32{0x1F600});
    c.polarity(xcOCDefs::eDarkOnLight);
    M m;
    m.markRect(xcRect(1, 2, 3, 4));
    m.isMarkRectSpecified(true);
    m.cellRect(xcRect(0, 0, 5, 8));
    m.isRectSpecified(M::eCellRect, true);
    m.hasDetectedMarkRect(true); // never drawn
    c.metrics(m);
    rec = xf_AddOCChar(&diag, c, "client");
    EXPECT_EQ(rec->texts()[0].body(), "Character code : 65\nInstance : 2\nVariant : -1\n"
                                      "FontID : -1\nPolarity : 1\n");
    EXPECT_EQ(drawn(*rec, system), (std::vector<std::pair<xcRect, xcColor>>{
                                       {xcRect(1, 2, 3, 4), green}, {xcRect(0, 0, 5, 8), orange}}));
    EXPECT_EQ(system, 2);
}

} // namespace
