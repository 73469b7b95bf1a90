#include "core/persist/archive.h"
#include "foundation/oc_defs.h"
#include "foundation/polarity.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <memory>
#include <typeinfo>
#include <vector>

TEST(OCDefs, ErrorNumbers) {
    const std::unique_ptr<xcOCDefs::Errors> all[] = {
        std::make_unique<xcOCDefs::BadParams>("m"),
        std::make_unique<xcOCDefs::BadImage>("m"),
        std::make_unique<xcOCDefs::NotImplemented>("m"),
        std::make_unique<xcOCDefs::SameKey>("m"),
        std::make_unique<xcOCDefs::BadKey>("m"),
        std::make_unique<xcOCDefs::BadIndex>("m"),
        std::make_unique<xcOCDefs::NotCompiled>("m"),
        std::make_unique<xcOCDefs::RectNotSpecified>("m"),
        std::make_unique<xcOCDefs::MetricNotSpecified>("m"),
        std::make_unique<xcOCDefs::ThresholdAndInvertNotSpecified>("m"),
        std::make_unique<xcOCDefs::IntegerOverflow>("m"),
        std::make_unique<xcOCDefs::UnrepresentableKey>("m"),
        std::make_unique<xcOCDefs::BadFileFormat>("m")};
    const long numbers[] = {0x10005E00, 0x10005E01, 0x10005E02, 0x10005E03, 0x10005E04,
                            0x10005E05, 0x10005E06, 0x10005E09, 0x10005E0A, 0x10005E0B,
                            0x10005E0D, 0x10005E0E, 0x10005E0F};
    for (int i = 0; i < 13; ++i) EXPECT_EQ(all[i]->errorNumber(), numbers[i]) << i;
}

// Concrete version byte, the family's version byte, then the message part; loaded back through
// the class registry as the concrete class.
TEST(OCDefs, ArchiveLayoutAndRoundTrip) {
    xcOCDefs::BadKey e("Wild-card characters have no key.");
    xcMemoryArchive direct;
    direct || static_cast<xcPersistent&>(e);
    ASSERT_GE(direct.bytes().size(), 2u);
    EXPECT_EQ(direct.bytes()[0] + direct.bytes()[1], 0);

    xcMemoryArchive st;
    xcException* p = &e;
    st || p;
    xcMemoryArchive ld(st.bytes());
    xcException* back = nullptr;
    ld || back;
    std::unique_ptr<xcException> owned(back);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(typeid(*back), typeid(xcOCDefs::BadKey));
    EXPECT_EQ(back->message(), "Wild-card characters have no key.");
    EXPECT_THROW(owned.release()->suicideAndRethrow(), xcOCDefs::BadKey);

    std::vector<unsigned char> bytes = direct.bytes();
    bytes[0] = 1;
    xcMemoryArchive bad(bytes);
    xcOCDefs::BadKey target;
    const auto uv =
        caught<xcArchive::UnknownVersion>([&] { bad || static_cast<xcPersistent&>(target); });
    EXPECT_EQ(uv.text(), "xcOCDefs::BadKey");
    EXPECT_EQ(uv.number(), 0);
}

TEST(OCDefs, PolarityConversionBothWays) {
    for (int v : {1, 2, 4}) {
        xcOCDefs::Polarity to = xcOCDefs::eUnknownPolarity;
        xfConvertPolarity(static_cast<xoc_charPolarity>(v), to);
        xoc_charPolarity back = xoc_charPolarityUnknown;
        xfConvertPolarity(static_cast<xcOCDefs::Polarity>(v), back);
        EXPECT_EQ(std::make_pair(static_cast<int>(to), static_cast<int>(back)),
                  std::make_pair(v, v));
    }
    for (int v : {0, 3}) {
        xcOCDefs::Polarity to = xcOCDefs::eDarkOnLight;
        EXPECT_EQ(caught<xcOCDefs::BadParams>([&] {
                      xfConvertPolarity(static_cast<xoc_charPolarity>(v), to);
                  }).message(),
                  "Illegal polarity");
        xoc_charPolarity back = xoc_charPolarityLightOnDark;
        EXPECT_THROW(xfConvertPolarity(static_cast<xcOCDefs::Polarity>(v), back),
                     xcOCDefs::BadParams);
        EXPECT_TRUE(to == xcOCDefs::eDarkOnLight && back == xoc_charPolarityLightOnDark);
    }
}
