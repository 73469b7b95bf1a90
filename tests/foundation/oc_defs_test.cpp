#include "core/persist/archive.h"
#include "foundation/oc_defs.h"
#include "foundation/polarity.h"

#include <gtest/gtest.h>

#include <memory>
#include <typeinfo>
#include <vector>

namespace {

template <class E>
void expectNumber(long number) {
    E e("m");
    EXPECT_EQ(e.errorNumber(), number) << typeid(E).name();
}

} // namespace

TEST(OCDefs, ErrorNumbers) {
    expectNumber<xcOCDefs::BadParams>(0x10005E00);
    expectNumber<xcOCDefs::BadImage>(0x10005E01);
    expectNumber<xcOCDefs::NotImplemented>(0x10005E02);
    expectNumber<xcOCDefs::SameKey>(0x10005E03);
    expectNumber<xcOCDefs::BadKey>(0x10005E04);
    expectNumber<xcOCDefs::BadIndex>(0x10005E05);
    expectNumber<xcOCDefs::NotCompiled>(0x10005E06);
    expectNumber<xcOCDefs::RectNotSpecified>(0x10005E09);
    expectNumber<xcOCDefs::MetricNotSpecified>(0x10005E0A);
    expectNumber<xcOCDefs::ThresholdAndInvertNotSpecified>(0x10005E0B);
    expectNumber<xcOCDefs::IntegerOverflow>(0x10005E0D);
    expectNumber<xcOCDefs::UnrepresentableKey>(0x10005E0E);
    expectNumber<xcOCDefs::BadFileFormat>(0x10005E0F);
}

// The heap object is gone and the thrown copy carries its number and message.
TEST(OCDefs, SuicideAndRethrowThrowsTheConcreteClass) {
    xcOCDefs::Errors* heap =
        new xcOCDefs::SameKey("Possible keys for a character position must be unique.");
    try {
        heap->suicideAndRethrow();
    } catch (const xcOCDefs::SameKey& e) {
        EXPECT_EQ(e.errorNumber(), 0x10005E03);
        EXPECT_EQ(e.message(), "Possible keys for a character position must be unique.");
        return;
    }
    FAIL() << "nothing thrown";
}

// Concrete version byte, the family's version byte, then the message part; loaded back through
// the class registry as the concrete class.
TEST(OCDefs, ArchiveLayoutAndRoundTrip) {
    xcOCDefs::BadKey e("Wild-card characters have no key.");
    xcMemoryArchive direct;
    direct || static_cast<xcPersistent&>(e);
    ASSERT_GE(direct.bytes().size(), 2u);
    EXPECT_EQ(direct.bytes()[0], 0);
    EXPECT_EQ(direct.bytes()[1], 0);

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

    // Version 1 of the concrete class is refused, naming the class.
    std::vector<unsigned char> bytes = direct.bytes();
    bytes[0] = 1;
    xcMemoryArchive bad(bytes);
    xcOCDefs::BadKey target;
    try {
        bad || static_cast<xcPersistent&>(target);
        FAIL() << "version 1 accepted";
    } catch (const xcArchive::UnknownVersion& uv) {
        EXPECT_EQ(uv.text(), "xcOCDefs::BadKey");
        EXPECT_EQ(uv.number(), 0);
    }
}

TEST(OCDefs, PolarityConversionBothWays) {
    for (int v : {1, 2, 4}) {
        xcOCDefs::Polarity to = xcOCDefs::eUnknownPolarity;
        xfConvertPolarity(static_cast<xoc_charPolarity>(v), to);
        EXPECT_EQ(static_cast<int>(to), v);
        xoc_charPolarity back = xoc_charPolarityUnknown;
        xfConvertPolarity(static_cast<xcOCDefs::Polarity>(v), back);
        EXPECT_EQ(static_cast<int>(back), v);
    }
    for (int v : {0, 3}) {
        xcOCDefs::Polarity to = xcOCDefs::eDarkOnLight;
        try {
            xfConvertPolarity(static_cast<xoc_charPolarity>(v), to);
            FAIL() << v;
        } catch (const xcOCDefs::BadParams& e) {
            EXPECT_EQ(e.message(), "Illegal polarity");
        }
        EXPECT_EQ(to, xcOCDefs::eDarkOnLight);
        xoc_charPolarity back = xoc_charPolarityLightOnDark;
        EXPECT_THROW(xfConvertPolarity(static_cast<xcOCDefs::Polarity>(v), back),
                     xcOCDefs::BadParams);
        EXPECT_EQ(back, xoc_charPolarityLightOnDark);
    }
}
