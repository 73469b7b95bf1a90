#include "core/base/errors.h"
#include "core/base/exception.h"
#include "core/persist/archive.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes store(xcPersistent& obj) {
    xcMemoryArchive ar;
    ar || obj;
    return ar.bytes();
}

} // namespace

TEST(Exception, MessagesAndNumbers) {
    const xcException base;
    EXPECT_STREQ(base.what(), "");
    EXPECT_EQ(base.errorNumber(), 0x10000000);
    EXPECT_STREQ(xcExceptionWithString("Threshold must be >= 0.").what(),
                 "Threshold must be >= 0.");
    EXPECT_EQ(xcBadPointer().errorNumber(), 0x10000001);
    EXPECT_EQ(xcFailureCode().errorNumber(), 0x10000002);
    EXPECT_EQ(xcBadParams().errorNumber(), 0x10000003);
    EXPECT_EQ(xcFailureCode(0x800013EEL).message(), "Failure code 0x800013EE");
    // A code given as an LP64 literal and one given as a negative int32 are the same code.
    EXPECT_EQ(xcFailureCode(0x800013EEL).code(), xcFailureCode(-2147478546L).code());
    EXPECT_LT(xcFailureCode(0x800013EEL).code(), 0);
}

// The copy thrown by suicideAndRethrow has the concrete class, number and message of the heap
// object, which is gone afterwards (ASan reports a leak or double free otherwise).
TEST(Exception, SuicideAndRethrowThrowsACopyOfTheConcreteClass) {
    xcException* heap = new xcBadParams("Facility 9000 is not in 0 .. 2047");
    try {
        heap->suicideAndRethrow();
    } catch (const xcBadParams& e) {
        EXPECT_EQ(e.message(), "Facility 9000 is not in 0 .. 2047");
    }
    xcException* code = new xcFailureCode(-5);
    try {
        code->suicideAndRethrow();
    } catch (const xcFailureCode& e) {
        EXPECT_EQ(e.code(), -5);
        EXPECT_EQ(e.message(), "Failure code 0xFFFFFFFB");
    }
}

TEST(Exception, ArchiveLayoutAndUnknownVersions) {
    xcException base;
    EXPECT_EQ(store(base), (Bytes{0x00}));
    // Own version, string length and bytes, then xcException's version; one more version byte
    // per class level above xcExceptionWithString.
    xcExceptionWithString s("ab");
    EXPECT_EQ(store(s), (Bytes{0x00, 0x02, 0, 0, 0, 'a', 'b', 0x00}));
    xcBadPointer bp("x");
    EXPECT_EQ(store(bp), (Bytes{0x00, 0x00, 0x01, 0, 0, 0, 'x', 0x00}));
    xcFailureCode fc(0x800013EEL);
    EXPECT_EQ(store(fc), (Bytes{0x00, 0xEE, 0x13, 0x00, 0x80, 0x00}));

    // Each level names its own class; version bytes are read unsigned.
    auto loadFails = [](const Bytes& bytes, xcPersistent& target) -> xcArchive::UnknownVersion {
        xcMemoryArchive ar(bytes);
        try {
            ar || target;
        } catch (const xcArchive::UnknownVersion& e) {
            return e;
        }
        ADD_FAILURE() << "no UnknownVersion";
        return xcArchive::UnknownVersion();
    };
    xcExceptionWithString kept("kept");
    EXPECT_EQ(loadFails(Bytes{0x01}, kept).message(), "Unknown version 1 of xcExceptionWithString");
    const auto e = loadFails(Bytes{0x00, 0x01, 0, 0, 0, 'z', 0xFF}, kept);
    EXPECT_EQ(e.text(), "xcException");
    EXPECT_EQ(e.number(), 255);
    EXPECT_EQ(kept.text(), "kept"); // the text is taken only once every level has loaded
    EXPECT_EQ(loadFails(Bytes{0x02}, bp).text(), "xcBadPointer");
}
