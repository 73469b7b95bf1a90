#include "core/base/errors.h"
#include "core/base/failure.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

// Stands for a library's own exception class in the converter below.
struct ConvertedError {
    long code;
};

long sLastSeen = 0;

// Converts two codes of facility 159 and lets every other one pass.
void convert159(long code) {
    sLastSeen = code;
    if (static_cast<std::uint32_t>(code) == 0x800013ECu) throw ConvertedError{code};
    if (static_cast<std::uint32_t>(code) == 0x800013F1u) throw xcBadParams("overflow");
}

// Registers a converter for the life of a test and removes it afterwards.
class Registered {
public:
    Registered(long facility, void (*f)(long)) : facility_(facility) {
        xfRegisterExceptionConverter(facility, f);
    }
    ~Registered() { xfRegisterExceptionConverter(facility_, nullptr); }

private:
    long facility_;
};

long failureCodeOf(long code) {
    try {
        xfThrowExceptionOnFailure(code);
    } catch (const xcFailureCode& e) {
        return e.code();
    }
    ADD_FAILURE() << "no xcFailureCode for " << code;
    return 0;
}

} // namespace

TEST(Failure, CodesAtOrAboveZeroReturn) {
    EXPECT_NO_THROW(xfThrowExceptionOnFailure(0));
    EXPECT_NO_THROW(xfThrowExceptionOnFailure(1));
    EXPECT_NO_THROW(xfThrowExceptionOnFailure(0x7FFFFFFFL));
    // Only the low 32 bits count: this is 1 as an int32.
    EXPECT_NO_THROW(xfThrowExceptionOnFailure(0x100000001L));
}

TEST(Failure, FacilityRouting) {
    Registered reg(159, &convert159);

    // 0x800013EC as a long literal is positive on LP64 hosts and must still fail.
    static_assert(sizeof(long) < 8 || 0x800013ECL > 0);
    try {
        xfThrowExceptionOnFailure(0x800013ECL);
        FAIL() << "no exception";
    } catch (const ConvertedError& e) {
        EXPECT_EQ(e.code, -2147478548L); // the converter sees the sign-extended code
    }
    EXPECT_THROW(xfThrowExceptionOnFailure(static_cast<std::int32_t>(0x800013ECu)), ConvertedError);
    EXPECT_THROW(xfThrowExceptionOnFailure(0x800013F1L), xcBadParams);

    // The code between 0x800013ED and 0x800013EF: the converter returns, the core reports it.
    EXPECT_EQ(failureCodeOf(0x800013EEL), static_cast<std::int32_t>(0x800013EEu));
    EXPECT_EQ(static_cast<std::uint32_t>(sLastSeen), 0x800013EEu);

    // Facility 159 spans 0x13E0 .. 0x13FF of the low 16 bits; its neighbours are not routed.
    sLastSeen = 0;
    EXPECT_THROW(xfThrowExceptionOnFailure(0x800013E0L), xcFailureCode);
    EXPECT_EQ(static_cast<std::uint32_t>(sLastSeen), 0x800013E0u);
    sLastSeen = 0;
    EXPECT_EQ(failureCodeOf(0x800013DFL), static_cast<std::int32_t>(0x800013DFu)); // facility 158
    EXPECT_EQ(failureCodeOf(0x80001400L), static_cast<std::int32_t>(0x80001400u)); // facility 160
    EXPECT_EQ(sLastSeen, 0);
    // The high 16 bits do not take part in the facility.
    sLastSeen = 0;
    EXPECT_THROW(xfThrowExceptionOnFailure(0xFFFF13ECL), xcFailureCode);
    EXPECT_EQ(static_cast<std::uint32_t>(sLastSeen), 0xFFFF13ECu);
}

TEST(Failure, UnregisteredFacilityThrowsFailureCode) {
    try {
        xfThrowExceptionOnFailure(0x800013ECL);
        FAIL() << "no exception";
    } catch (const xcFailureCode& e) {
        EXPECT_EQ(e.message(), "Failure code 0x800013EC");
        EXPECT_EQ(e.errorNumber(), 0x10000002);
    }
    EXPECT_EQ(failureCodeOf(-1), -1);
    EXPECT_EQ(failureCodeOf(static_cast<long>(INT32_MIN)), static_cast<long>(INT32_MIN));
}

TEST(Failure, RegistrationReplacesAndChecksTheFacility) {
    Registered reg(2047, &convert159);
    sLastSeen = 0;
    EXPECT_THROW(xfThrowExceptionOnFailure(0x8000FFE0L), xcFailureCode); // facility 2047
    EXPECT_EQ(static_cast<std::uint32_t>(sLastSeen), 0x8000FFE0u);

    xfRegisterExceptionConverter(2047, nullptr);
    sLastSeen = 0;
    EXPECT_THROW(xfThrowExceptionOnFailure(0x8000FFE0L), xcFailureCode);
    EXPECT_EQ(sLastSeen, 0);

    try {
        xfRegisterExceptionConverter(2048, &convert159);
        FAIL() << "no exception";
    } catch (const xcBadParams& e) {
        EXPECT_EQ(e.message(), "Facility 2048 is not in 0 .. 2047");
    }
    EXPECT_THROW(xfRegisterExceptionConverter(-1, &convert159), xcBadParams);
}
