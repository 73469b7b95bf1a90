#include "oc/occhar/character.h"

#include "core/image/pel_ops.h"
#include "foundation/oc_defs.h"
#include "occhar_test_util.h"
#include "occore/xc_image.h"

namespace {

using namespace occhar_test;
using M = xcOCCharMetrics;

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
    for (bool copy : {false, true}) {
        Record r;
        c.getCharacter(r.rec, copy);
        EXPECT_EQ(r.rec.polarity, xoc_charPolarityLightOnDark);
        EXPECT_EQ(r.rec.metrics.markRectImage.x, 5 << 16);
        EXPECT_STREQ(r.rec.name, "");
        EXPECT_STREQ(r.rec.description, "smile \xE9");
        EXPECT_EQ(xfConvertImage(r.rec.image).sharesRoot(c.image(false)), !copy);
        xcOCChar d;
        d.setCharacter(r.rec, copy);
        EXPECT_EQ(d, c) << "copy " << copy;
        EXPECT_EQ(d.image(false).clientFromImage(), c.image(false).clientFromImage());
        EXPECT_EQ(d.image(false).sharesRoot(c.image(false)), !copy);
        EXPECT_TRUE(d.metrics().hasDetectedMarkRect()); // taken as it is
    }
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
    const ximg_imageConst& img = r.rec.image.base;
    ASSERT_NE(img.pels, nullptr);
    EXPECT_EQ(img.pels[3 * img.rowUpdate + 3], 220);
    EXPECT_STREQ(r.rec.name, "gone");
    xcOCChar back;
    back.setCharacter(r.rec, false);
    EXPECT_TRUE(xfPelEqual(back.image(false), markImage()));
    back.getCharacter(r.rec, true); // refilling releases what the record held
}

} // namespace
