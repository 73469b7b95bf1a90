#include "oc/occhar/character.h"

#include "foundation/oc_defs.h"
#include "occhar_test_util.h"

#include "support/archive_damage.h"

namespace {

using namespace occhar_test;

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
    xcOCChar c = sample();
    c.normalizedImage(ramp(xcPelRect(0, 0, 5, 3)));
    c.binarizedImage(false); // the cache is archived too
    c.mask(ramp(xcPelRect(4, 5, 2, 1)));
    c.name32(xcOCChar::String32{0x1F600, 0x41});
    c.description("d\xE9");
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

} // namespace
