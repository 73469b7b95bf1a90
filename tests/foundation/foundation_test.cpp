// The OC exception family, its failure-code converter and the polarity conversions.
#include "core/base/errors.h"
#include "core/base/failure.h"
#include "core/persist/archive.h"
#include "foundation/oc_defs.h"
#include "foundation/polarity.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <memory>
#include <typeinfo>
#include <vector>

namespace {

template <class... E>
std::vector<long> numbers() {
    return {E().errorNumber()...};
}

// The message of the E that the core's routing throws for code.
template <class E>
std::string thrownBy(long code) {
    return caught<E>([&] { xfThrowExceptionOnFailure(code); }).message();
}

} // namespace

TEST(OCDefs, ErrorNumbersArchiveLayoutAndRoundTrip) {
    using D = xcOCDefs;
    EXPECT_EQ((numbers<D::BadParams, D::BadImage, D::NotImplemented, D::SameKey, D::BadKey,
                       D::BadIndex, D::NotCompiled, D::RectNotSpecified, D::MetricNotSpecified,
                       D::ThresholdAndInvertNotSpecified, D::IntegerOverflow, D::UnrepresentableKey,
                       D::BadFileFormat>()),
              (std::vector<long>{0x10005E00, 0x10005E01, 0x10005E02, 0x10005E03, 0x10005E04,
                                 0x10005E05, 0x10005E06, 0x10005E09, 0x10005E0A, 0x10005E0B,
                                 0x10005E0D, 0x10005E0E, 0x10005E0F}));
    // The concrete class's version byte, the family's, then the message part; loaded back
    // through the class registry as the concrete class.
    D::BadKey e("Wild-card characters have no key.");
    xcMemoryArchive direct;
    direct || static_cast<xcPersistent&>(e);
    const std::string text = "Wild-card characters have no key.";
    std::vector<unsigned char> expected{0, 0, 0, static_cast<unsigned char>(text.size()), 0, 0, 0};
    expected.insert(expected.end(), text.begin(), text.end());
    expected.push_back(0);
    EXPECT_EQ(direct.bytes(), expected);
    xcMemoryArchive st;
    xcException* p = &e;
    st || p;
    xcMemoryArchive ld(st.bytes());
    xcException* back = nullptr;
    ld || back;
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(typeid(*back), typeid(D::BadKey));
    EXPECT_EQ(back->message(), text);
    EXPECT_THROW(back->suicideAndRethrow(), D::BadKey);
    // An unknown version is reported with number 0, as the OC archives expect.
    expected[1] = 1;
    xcMemoryArchive bad(expected);
    const auto uv =
        caught<xcArchive::UnknownVersion>([&] { bad || static_cast<xcPersistent&>(e); });
    EXPECT_EQ(uv.message(), "Unknown version 0 of xcOCDefs::Errors");
}

// Codes of facility 159 in the table convert; another code of the facility comes out as the
// core's generic failure; success codes return.
TEST(OCFailureCodes, TableOfFacility159) {
    using D = xcOCDefs;
    EXPECT_EQ(thrownBy<D::BadParams>(0x800013ECL), "Threshold must be between 0 and 256 inclusive");
    EXPECT_EQ(thrownBy<D::ThresholdAndInvertNotSpecified>(0x800013EDL),
              "Threshold and invert not specified");
    EXPECT_EQ(thrownBy<D::RectNotSpecified>(0x800013EFL), "Rect not specified");
    EXPECT_EQ(thrownBy<D::IntegerOverflow>(0x800013F0L), "Value overflows fixed point value range");
    EXPECT_EQ(thrownBy<D::IntegerOverflow>(-2147478543L /* 0x800013F1 as int32 */),
              "Value overflows integer value range");
    EXPECT_EQ(thrownBy<xcFailureCode>(0x800013EEL), "Failure code 0x800013EE");
    EXPECT_NO_THROW(xfThrowExceptionOnFailure(5));
}

TEST(OCDefs, PolarityConversionBothWays) {
    for (int v : {1, 2, 4}) {
        xcOCDefs::Polarity to = xcOCDefs::eUnknownPolarity;
        xfConvertPolarity(static_cast<xoc_charPolarity>(v), to);
        xoc_charPolarity back = xoc_charPolarityUnknown;
        xfConvertPolarity(static_cast<xcOCDefs::Polarity>(v), back);
        EXPECT_EQ(std::make_pair(int(to), int(back)), std::make_pair(v, v));
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
