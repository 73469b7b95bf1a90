// The character's C record exchange, its archive and its diagnostics records.
#include "occhar_test_util.h"

#include <gtest/gtest.h>

namespace {

using namespace occhar_test;

// Grey 30 with a bright 4 x 3 mark at (5, 4), in an image at offset (2, 1).
xcPelBuffer<unsigned char> markImage() {
    return makeImage(xcPelRect(2, 1, 12, 10), [](long x, long y) {
        return (x >= 5 && x < 9 && y >= 4 && y < 7) ? 220 : 30;
    });
}

xcOCChar richCharacter() {
    xcOCChar c;
    c.key(xcOCCharKey(0x1F600, 2, 3, 4));
    c.polarity(xcOCDefs::eLightOnDark);
    xcPelBuffer<unsigned char> img = markImage();
    img.clientFromImageXform(xcXform<2>::translation(xcVector<2>(-2, -1)));
    img.window(xcPelRect(3, 2, 9, 7));
    c.image(img, xcPelRect(2, 1, 12, 10));
    c.mask(makeImage(xcPelRect(3, 2, 9, 7), [](long x, long) { return x < 6 ? 255 : 0; }));
    c.normalizedImage(markImage());
    c.hasThresholdAndInvert(true);
    c.binarizedImage(false);
    c.imageArea(xcPelRect(4, 3, 6, 5));
    M m = c.metrics();
    m.markRect(xcRect(3, 3, 4, 3));
    m.rect(M::eMarkRectImage, xcPelRect(5, 4, 4, 3));
    m.hasDetectedMarkRect(true);
    m.advance(xcVector<2>(9.5, 0));
    m.isAdvanceSpecified(true);
    c.metrics(m);
    c.name32(xcOCChar::String32{0x1F600, 0x21});
    c.description("smile \xE9");
    return c;
}

TEST(CharRecord, GetThenSetGivesAnEqualCharacter) {
    const xcOCChar c = richCharacter();
    Record r;
    for (bool copy : {false, true}) {
        c.getCharacter(r.rec, copy); // refilling releases what the record held
        EXPECT_EQ(r.rec.polarity, xoc_charPolarityLightOnDark);
        EXPECT_STREQ(r.rec.name, "");
        EXPECT_STREQ(r.rec.description, "smile \xE9");
        EXPECT_EQ(xfConvertImage(r.rec.image).sharesRoot(c.image(false)), !copy);
        xcOCChar d;
        d.setCharacter(r.rec, copy);
        EXPECT_EQ(d, c) << "copy " << copy;
        EXPECT_EQ(d.image(false).clientFromImage(), c.image(false).clientFromImage());
        EXPECT_EQ(d.image(false).sharesRoot(c.image(false)), !copy);
    }
}

// The two computations the character leaves to the C library: the normalized image with its
// threshold set in one step (a threshold beyond 32 bits is still refused), and the binarized
// image cut to the mark rectangle.
TEST(CharRecord, ComputationsOfTheCLibrary) {
    xcOCChar c;
    c.normalizedImage(markImage(), true, 220, false, xcPelRect());
    EXPECT_EQ(c.threshold(), 220);
    c.metrics(with(M(), M::eMarkRectImage, xcRect(4, 3, 3, 2)));
    const xcOCChar::Image cut = c.binarizedImageMarkRect();
    EXPECT_EQ(cut.window(), xcPelRect(4, 3, 3, 2));
    EXPECT_EQ(pel(cut, 4, 3) + pel(cut, 5, 4), 0 + 255); // 30 lies below 220, 220 does not
    const xcOCChar before = c;
    expectMessage<xcOCDefs::BadParams>(
        [&] { c.normalizedImage(markImage(), true, 1L << 40, false, xcPelRect()); },
        "Threshold must be between 0 and 256 inclusive");
    EXPECT_THROW(xcOCChar().binarizedImageMarkRect(), xcOCDefs::ThresholdAndInvertNotSpecified);
    expectMessage<xcOCDefs::BadParams>(
        [&] { c.normalizedImage(markImage(), true, 100, false, xcPelRect(5, 5, 2, 2)); },
        "Root copy rect does not contain image window");
    EXPECT_EQ(c, before);
}

TEST(CharRecord, RecordOutlivesTheCharacter) {
    Record r;
    {
        xcOCChar c;
        c.image(markImage());
        c.name("gone");
        c.getCharacter(r.rec, false);
    }
    // The character's handles are gone; the record holds its own (ASan checks the reads).
    xcOCChar back;
    back.setCharacter(r.rec, false);
    EXPECT_TRUE(xfPelEqual(back.image(false), markImage()));
    EXPECT_EQ(back.name(), "gone");
}

xcOCChar sample() {
    xcOCChar c;
    c.key(xcOCCharKey(65, 1, 2, 3));
    c.polarity(xcOCDefs::eLightOnDark);
    c.image(makeImage(xcPelRect(4, 5, 2, 1), [](long x, long) { return x == 4 ? 17 : 250; }));
    c.hasThresholdAndInvert(true);
    c.threshold(100);
    c.invert(true);
    c.imageArea(xcPelRect(4, 5, 2, 1));
    c.name("AB");
    return c;
}

TEST(CharArchive, LayoutFieldByField) {
    xcOCChar c = sample();
    const Bytes b = store(c);
    Reader r(b);
    auto identity = [&r] {
        for (double v : {1, 0, 0, 1, 0, 0}) EXPECT_EQ(r.f64(), v);
    };
    EXPECT_EQ(r.u8(), 1);
    EXPECT_EQ(r.u8(), 1); // key: version, code, instance, font, variant
    for (uint32_t v : {65u, 1u, 3u, 2u}) EXPECT_EQ(r.u32(), v);
    EXPECT_EQ(r.u32(), 2u); // polarity
    EXPECT_EQ(r.u8(), 1);   // image: bound, transform, window, pels
    identity();
    for (int32_t v : {4, 5, 2, 1}) EXPECT_EQ(r.i32(), v);
    EXPECT_EQ(r.u8(), 17);
    EXPECT_EQ(r.u8(), 250);
    for (int i = 0; i < 2; ++i) { // mask and normalized image, unbound
        EXPECT_EQ(r.u8(), 0);
        identity();
    }
    EXPECT_EQ(r.u8(), 0); // binarizedImageCached, then the binarized image
    EXPECT_EQ(r.u8(), 0);
    identity();
    EXPECT_EQ(r.u8(), 1); // hasThresholdAndInvert, threshold, invert
    EXPECT_EQ(r.i32(), 100);
    EXPECT_EQ(r.u8(), 1);
    for (int32_t v : {4, 5, 2, 1}) EXPECT_EQ(r.i32(), v);
    EXPECT_EQ(r.u8(), 1); // metrics: blank, less the detected mark that the image dropped
    EXPECT_EQ(r.u32(), 44u);
    r.skip(1 + 48 + 4 + 96 + 16);
    for (uint32_t v : {2u, uint32_t('A'), uint32_t('B'), 0u}) EXPECT_EQ(r.u32(), v); // 32-bit
    EXPECT_EQ(r.u32(), 2u);
    EXPECT_EQ(r.u8(), 'A');
    EXPECT_EQ(r.u8(), 'B');
    EXPECT_EQ(r.u32(), 0u);
    EXPECT_TRUE(r.atEnd());
}

TEST(CharArchive, RoundTripAndRefusals) {
    xcOCChar c = richCharacter(); // its binarized cache is archived too
    xcOCChar back;
    const Bytes good = store(c);
    load(good, back);
    EXPECT_EQ(back, c);

    xcOCChar target;
    target.name("untouched");
    const xcOCChar before = target;
    for (unsigned char v : {0, 2, 255}) {
        Bytes bad = good;
        bad[0] = v;
        EXPECT_THROW(load(bad, target), xcArchive::UnknownVersion);
    }
    Bytes badPolarity = good;
    badPolarity[18] = 3; // after the version (1) and the key (17)
    expectMessage<xcOCDefs::BadParams>([&] { load(badPolarity, target); }, "Illegal polarity");
    EXPECT_EQ(target, before);
}

TEST(CharArchive, DamagedArchivesLeaveTheCharacterNew) {
    xcOCChar c = sample();
    c.normalizedImage(ramp(xcPelRect(0, 0, 3, 3)));
    oc_test::expectDamageRefused(store(c), [](const Bytes& data) {
        xcOCChar t;
        try {
            xcMemoryArchive ar(data);
            ar || t;
        } catch (const xcException&) {
            EXPECT_EQ(t, xcOCChar());
            throw;
        }
    });
}

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
    M m = with(with(M(), M::eMarkRect, xcRect(1, 2, 3, 4)), M::eCellRect, xcRect(0, 0, 5, 8));
    m.hasDetectedMarkRect(true); // never drawn
    c.metrics(m);
    rec = xf_AddOCChar(&diag, c, "client");
    EXPECT_EQ(rec->texts()[0].body(), "Character code : 65\nInstance : 2\nVariant : -1\n"
                                      "FontID : -1\nPolarity : 1\n");
    EXPECT_EQ(drawn(*rec, system), (std::vector<std::pair<xcRect, xcColor>>{
                                       {xcRect(1, 2, 3, 4), green}, {xcRect(0, 0, 5, 8), orange}}));
    EXPECT_EQ(system, 2);
    EXPECT_EQ(xf_OCCharKeyText(xcOCCharKey(0xFFFFFFFFul, 7, -5, 0)),
              "Character code : 4294967295\nInstance : 7\nVariant : -5\nFontID : 0\n");
}

} // namespace
