#include "core/base/errors.h"
#include "core/base/failure.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

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

// Registers a converter for the life of a test.
struct Registered {
    long facility;
    Registered(long f, void (*fn)(long)) : facility(f) { xfRegisterExceptionConverter(f, fn); }
    ~Registered() { xfRegisterExceptionConverter(facility, nullptr); }
};

// The code of the xcFailureCode thrown for code, and the code the converter saw (0: none).
std::pair<long, long> failureCodeOf(long code) {
    sLastSeen = 0;
    try {
        xfThrowExceptionOnFailure(code);
    } catch (const xcFailureCode& e) {
        return {e.code(), sLastSeen};
    }
    ADD_FAILURE() << "no xcFailureCode for " << code;
    return {0, 0};
}

long i32(std::uint32_t u) {
    return static_cast<std::int32_t>(u);
}

} // namespace

TEST(Failure, CodesAtOrAboveZeroReturnOthersThrowFailureCode) {
    // Only the low 32 bits count: 0x100000001 is 1 as an int32.
    for (long code : {0L, 1L, 0x7FFFFFFFL, 0x100000001L})
        EXPECT_NO_THROW(xfThrowExceptionOnFailure(code));
    EXPECT_EQ(failureCodeOf(0x800013ECL).first, i32(0x800013ECu));
    EXPECT_EQ(failureCodeOf(-1).first, -1);
    EXPECT_EQ(failureCodeOf(INT32_MIN).first, INT32_MIN);
}

TEST(Failure, FacilityRouting) {
    Registered reg(159, &convert159);
    // 0x800013EC as a long literal is positive on LP64 hosts and must still fail; the
    // converter sees the sign-extended code.
    EXPECT_EQ(caught<ConvertedError>([&] { xfThrowExceptionOnFailure(0x800013ECL); }).code,
              -2147478548L);
    EXPECT_THROW(xfThrowExceptionOnFailure(0x800013F1L), xcBadParams);
    // The converter returns: the core reports the code. Facility 159 spans 0x13E0 .. 0x13FF of
    // the low 16 bits; its neighbours are not routed; the high 16 bits take no part.
    const struct {
        long in, seen;
    } cases[] = {{0x800013EEL, i32(0x800013EEu)},
                 {0x800013E0L, i32(0x800013E0u)},
                 {0x800013DFL, 0},
                 {0x80001400L, 0},
                 {0xFFFF13ECL, i32(0xFFFF13ECu)}};
    for (const auto& c : cases)
        EXPECT_EQ(failureCodeOf(c.in), std::make_pair(i32(std::uint32_t(c.in)), c.seen))
            << std::hex << c.in;
}

TEST(Failure, RegistrationReplacesAndChecksTheFacility) {
    {
        Registered reg(2047, &convert159);
        EXPECT_EQ(failureCodeOf(0x8000FFE0L).second, i32(0x8000FFE0u));
    }
    EXPECT_EQ(failureCodeOf(0x8000FFE0L).second, 0);
    EXPECT_EQ(
        caught<xcBadParams>([&] { xfRegisterExceptionConverter(2048, &convert159); }).message(),
        "Facility 2048 is not in 0 .. 2047");
    EXPECT_THROW(xfRegisterExceptionConverter(-1, &convert159), xcBadParams);
}
