#include "core/base/errors.h"
#include "core/base/failure.h"
#include "foundation/oc_defs.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Runs the code through the core's routing; the converter was registered when the library loaded.
template <class E>
void expectThrows(long code, const std::string& message) {
    try {
        xfThrowExceptionOnFailure(code);
        ADD_FAILURE() << std::hex << code << " did not throw";
    } catch (const E& e) {
        EXPECT_EQ(e.message(), message);
    }
}

} // namespace

// Codes of the table convert; another code of the facility comes out as the core's generic
// failure; success codes return.
TEST(OCFailureCodes, TableOfFacility159) {
    expectThrows<xcOCDefs::BadParams>(0x800013ECL, "Threshold must be between 0 and 256 inclusive");
    expectThrows<xcOCDefs::ThresholdAndInvertNotSpecified>(0x800013EDL,
                                                           "Threshold and invert not specified");
    expectThrows<xcOCDefs::RectNotSpecified>(0x800013EFL, "Rect not specified");
    expectThrows<xcOCDefs::IntegerOverflow>(0x800013F0L, "Value overflows fixed point value range");
    expectThrows<xcOCDefs::IntegerOverflow>(-2147478543L /* 0x800013F1 as int32 */,
                                            "Value overflows integer value range");
    expectThrows<xcFailureCode>(0x800013EEL, "Failure code 0x800013EE");
    EXPECT_NO_THROW(xfThrowExceptionOnFailure(0));
    EXPECT_NO_THROW(xfThrowExceptionOnFailure(5));
}
